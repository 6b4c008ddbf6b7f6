#pragma once
// The skin's pictures by name. Design-time images of the forms are bitmap resources linked
// into the program (target tv_skin_art; lumo::TBitmap::LoadFromResourceName(module, name));
// dial pictures, digit glyphs and tray icons are files in the stage's "Resource\" folder.
// All of them are generated from assets/art (skin.toml lists each with its size and states).
//
// Control bitmaps are opaque and already composed over the background under their place, so
// the controls keep Transparent false. Backgrounds key out their lower-left pixel's colour.

namespace skinart {

// ---- state bitmaps -----------------------------------------------------------------------------

// KdButton, KdButtonTx: RaisedBmp, SunkenBmp, FocusedBmp, DisabledBmp (states 0..3).
struct FourStates
{
    const char* raised;
    const char* sunken;
    const char* focused;
    const char* disabled;
};

// KdRadioButton and KdCheckBox: the Uncheck (states 0..3) and Check (4..7) appearances.
struct CheckStates
{
    FourStates uncheck;
    FourStates check;
};

// KdBrick, KdBar: NormalBmp and DisabledBmp (states 0 and 2; the focused state falls back).
struct BrickStates
{
    const char* normal;
    const char* disabled;
};

#define SKINART_FOUR(name)                                                                         \
    FourStates                                                                                     \
    {                                                                                              \
        name "_Raised", name "_Sunken", name "_Focused", name "_Disabled"                          \
    }
#define SKINART_CHECK(name)                                                                        \
    CheckStates                                                                                    \
    {                                                                                              \
        {name "_Uncheck_Raised", name "_Uncheck_Sunken", name "_Uncheck_Focused",                  \
         name "_Uncheck_Disabled"},                                                                \
        {                                                                                          \
            name "_Check_Raised", name "_Check_Sunken", name "_Check_Focused",                     \
                name "_Check_Disabled"                                                             \
        }                                                                                          \
    }

// ---- main window (TMainForm) -------------------------------------------------------------------

inline constexpr char kLargeBk[] = "LargeBk"; // 665 x 522
inline constexpr char kSmallBk[] = "SmallBk"; // 665 x 522, the lower 33 rows keyed out
// Unit pictures (on the display strips' colour kDisplayStrip).
inline constexpr char kWattsBk[] = "WattsBk";   // W, 18 x 18
inline constexpr char kWattHrBk[] = "WattHrBk"; // kWh, 42 x 18
inline constexpr char kMgBk[] = "MgBk";         // mg, 28 x 16
inline constexpr char kGBk[] = "GBk";           // g, 14 x 16
inline constexpr char kKgBk[] = "KgBk";         // kg, 24 x 16
inline constexpr char kMacroBk[] = "MacroBk";   // x10^-3, 38 x 20

// Title-bar buttons of every form (32 x 19): CloseButton at (width - 50, 0), MinimizeButton at
// (width - 82, 0) of the form's background, where its header is drawn for them.
inline constexpr FourStates kCloseButton = SKINART_FOUR("CloseButton");
inline constexpr FourStates kMinimizeButton = SKINART_FOUR("MinimizeButton");
// Device buttons, 94 x 94.
inline constexpr FourStates kCpuButton = SKINART_FOUR("CpuButton");
inline constexpr FourStates kVgaButton = SKINART_FOUR("VgaButton");
inline constexpr FourStates kDriveButton = SKINART_FOUR("DriveButton");
inline constexpr FourStates kFanButton = SKINART_FOUR("FanButton");
// CpuLed, VgaLed, DriveLed, FanLed (60 x 12): normal is lit, disabled is dark.
inline constexpr BrickStates kStatusLed = {"StatusLed_Normal", "StatusLed_Disabled"};
// ShrinkButton (32 x 34): unchecked in the large view, checked in the small one.
inline constexpr CheckStates kShrinkButton = SKINART_CHECK("ShrinkButton");
inline constexpr FourStates kResetButton = SKINART_FOUR("ResetButton"); // 30 x 30
// SwitchButton, 152 x 30: a sign at its left, the caption from x 32.
inline constexpr FourStates kSwitchButton = SKINART_FOUR("SwitchButton");
// Mode buttons, 45 x 45.
inline constexpr CheckStates kAutoButton = SKINART_CHECK("AutoButton");
inline constexpr CheckStates kNormalButton = SKINART_CHECK("NormalButton");
inline constexpr CheckStates kLowButton = SKINART_CHECK("LowButton");
// MoreSettingButton and CalibrateButton (130 x 34), ExitButton (131 x 34): the face is the upper
// 30 rows, where the caption goes; pressed, the face sinks 2 pixels as the caption does.
inline constexpr FourStates kMainTextButton = SKINART_FOUR("MainTextButton");
inline constexpr FourStates kExitButton = SKINART_FOUR("ExitButton");

// ---- dialogs -----------------------------------------------------------------------------------

inline constexpr char kProgressBk[] = "ProgressBk";   // 421 x 142, the bar's track at 34, 68
inline constexpr char kUniversalBk[] = "UniversalBk"; // 421 x 142
inline constexpr char kVgaBk[] = "VgaBk";             // 566 x 219
inline constexpr char kCpuBk[] = "CpuBk"; // 373 x 219, display strips at 48, 75 and 48, 130
inline constexpr char kAdvancedBk[] = "AdvancedBk";           // 444 x 375, the tab page from 22, 68
inline constexpr char kProgressBarHead[] = "ProgressBarHead"; // 10 x 18
inline constexpr char kProgressBarBody[] = "ProgressBarBody"; // 10 x 18, stretched
inline constexpr char kProgressBarTail[] = "ProgressBarTail"; // 8 x 18
// 130 x 34 buttons in the dialogs' footers: progress CancelButton, universal LeftButton and
// RightButton, advanced OkButton and CancelButton.
inline constexpr FourStates kDialogButton = SKINART_FOUR("DialogButton");
inline constexpr FourStates kPageButton = SKINART_FOUR("PageButton"); // DefaultButton, 130 x 34
inline constexpr FourStates kVgaExitButton = SKINART_FOUR("VgaExitButton"); // 115 x 35
inline constexpr FourStates kCpuExitButton = SKINART_FOUR("CpuExitButton"); // 115 x 35
// Advanced settings tabs (KdRadioButton, 100 x 28): a band in the mode's colour along the top;
// the tab's name belongs in a transparent label over kTabCaption (an 11-pixel font fits it).
inline constexpr CheckStates kTurboTab = SKINART_CHECK("TurboTab");
inline constexpr CheckStates kNormalTab = SKINART_CHECK("NormalTab");
inline constexpr CheckStates kMediumTab = SKINART_CHECK("MediumTab");
inline constexpr CheckStates kLowTab = SKINART_CHECK("LowTab");
// Drop-down parts: Arrow_n, Arrow_d, Arrow_o, Arrow_un are the arrow button's raised, sunken,
// focused and disabled states (21 x 18), at the value panel's right end.
inline constexpr FourStates kArrow = SKINART_FOUR("Arrow");
inline constexpr char kComboBoxBk[] = "ComboBoxBk";         // value panel, 132 x 18
inline constexpr char kComboBoxBody[] = "ComboBoxBody";     // drop panel sides, 171 x 10, stretched
inline constexpr char kComboBoxBottom[] = "ComboBoxBottom"; // drop panel bottom, 171 x 8
inline constexpr char kComboBoxMask[] = "ComboBoxMask";     // drop panel outline, 171 x 90

// Every linked bitmap, for checks.
inline constexpr const char* kBackgrounds[] = {kLargeBk, kSmallBk, kProgressBk, kUniversalBk,
                                               kVgaBk,   kCpuBk,   kAdvancedBk};
inline constexpr const char* kUnitPictures[] = {kWattsBk, kWattHrBk, kMgBk, kGBk, kKgBk, kMacroBk};
inline constexpr FourStates kFourStateSets[] = {
    kCloseButton,  kMinimizeButton, kCpuButton,     kVgaButton,      kDriveButton,
    kFanButton,    kResetButton,    kSwitchButton,  kMainTextButton, kExitButton,
    kDialogButton, kPageButton,     kVgaExitButton, kCpuExitButton,  kArrow};
inline constexpr CheckStates kCheckStateSets[] = {kShrinkButton, kAutoButton, kNormalButton,
                                                  kLowButton,    kTurboTab,   kNormalTab,
                                                  kMediumTab,    kLowTab};
inline constexpr const char* kPieces[] = {kProgressBarHead, kProgressBarBody, kProgressBarTail,
                                          kComboBoxBk,      kComboBoxBody,    kComboBoxBottom,
                                          kComboBoxMask};

// ---- geometry and colours the pictures are drawn for -------------------------------------------

// Colour values 0x00BBGGRR.
inline constexpr unsigned long kKeyColour = 0xFF00FF;    // backgrounds' outline, glyph ground
inline constexpr unsigned long kDisplayStrip = 0x14110B; // dark strips under figures and units
inline constexpr unsigned long kDialogText = 0x302A1D;   // labels on the light dialog bodies
inline constexpr unsigned long kCpuFormText = 0xDBDAD8;  // labels on the processor details
// A red that reads on the drop-downs' dark value panel (the panel's own 0x1717DB does not).
inline constexpr unsigned long kWarningOnPanel = 0x9C9CFF;
// Caption area of a tab, relative to the tab: left, top, width, height.
inline constexpr int kTabCaption[4] = {4, 5, 92, 21};
// The main window's small view drops the rows [kBandTop, kBandTop + 33) of the large one.
inline constexpr int kBandTop = 228;

// ---- data files beside the program -------------------------------------------------------------

inline constexpr char kResourceFolder[] = "Resource\\";
inline constexpr char kNumberFolder[] = "Resource\\Number\\"; // "%02d.bmp", 0 .. 12
inline constexpr int kGlyphCount = 13;
inline constexpr int kDigitSize[2] = {12, 20}; // glyphs 0..9 and the blank 11
inline constexpr int kPointSize[2] = {4, 20};  // glyphs 10 and 12

// Dial pictures, 32-bit PNG with alpha: the gear (28 x 30) and the chart layers (96 x 96).
inline constexpr char kGearPng[] = "gear.png";
inline constexpr char kPentagonPng[] = "pentagon.png";
inline constexpr char kLinePng[] = "line.png";
inline constexpr char kMaskPng[] = "mask.png";
// In dial order: Auto, Turbo, High performance, Medium power saving, Max power saving.
inline constexpr const char* kProfilePngs[5] = {"auto_b.png", "turbo_b.png", "normal_b.png",
                                                "medium_b.png", "low_b.png"};
inline constexpr const char* kHighlightPngs[5] = {"auto_a.png", "turbo_a.png", "normal_a.png",
                                                  "medium_a.png", "low_a.png"};

// Tray icons "%d.ico" 0 .. 3 (16 and 32 pixels): Turbo (and overclocked), High performance,
// Medium power saving, Max power saving.
inline constexpr const char* kTrayIcons[4] = {"0.ico", "1.ico", "2.ico", "3.ico"};

#undef SKINART_FOUR
#undef SKINART_CHECK

} // namespace skinart
