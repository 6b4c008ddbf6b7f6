#include "views/MainView.h"

#include "assets/art/SkinArt.h"
#include "lumo/Forms/Exception.h"
#include "lumo/System/Source/ProgramDir.h"
#include "lumo/System/Source/TraceLog.h"
#include "power/GearLevel.h"
#include "shell/base/Translate.h"
#include "views/EnergyPanel.h"
#include "views/ModeDial.h"

namespace tv {
namespace {

constexpr char kLabelFont[] = "Microsoft Sans Serif";
constexpr lumo::TColor kTitleColour = 0x302A1D;
constexpr lumo::TColor kQualityColour = 0x4D3F28;
constexpr lumo::TColor kCo2TitleColour = 0xDBDAD8;
constexpr lumo::TColor kModeNameColour = 0xE9B572;
constexpr lumo::TColor kDateColour = 0x00FF9E;
constexpr lumo::TColor kButtonTextColour = 0xCAC9CD;
constexpr int kButtonFont = 12;
// The text buttons' face, where the caption goes, is their upper 30 rows.
constexpr int kButtonFaceHeight = 30;

// A bitmap linked into the program; a missing one stays empty (traced), so the window still
// opens.
void LoadArt(lumo::TBitmap& bitmap, const char* name)
{
    try {
        bitmap.LoadFromResourceName(GetModuleHandleA(nullptr), name);
    } catch (const lumo::Exception& error) {
        TraceLog("[TMainView] picture %s: %s", name, error.what());
    }
}

void LoadStates(KdCustomControl& control, int first, const skinart::FourStates& names)
{
    const char* const states[4] = {names.raised, names.sunken, names.focused, names.disabled};
    for (int offset = 0; offset < 4; ++offset) {
        lumo::TBitmap bitmap;
        LoadArt(bitmap, states[offset]);
        if (!bitmap.Empty()) {
            control.SetStateBitmap(first + offset, &bitmap);
        }
    }
}

void LoadChecks(KdCustomControl& control, const skinart::CheckStates& names)
{
    LoadStates(control, 0, names.uncheck);
    LoadStates(control, 4, names.check);
}

} // namespace

TMainView::TMainView(lumo::TComponent* owner, EnergySource* source) : lumo::TForm(owner)
{
    SetName("MainForm");
    SetBorderStyle(lumo::TFormBorderStyle::bsNone);
    SetBorderIcons(0);
    SetPosition(lumo::TPosition::poScreenCenter);
    SetScaled(false);
    Font().SetName("MS Sans Serif");
    Font().SetHeight(-11);
    SetClientSize(kWidth, kHeight);

    LoadArt(LargeBk, skinart::kLargeBk);
    LoadArt(SmallBk, skinart::kSmallBk);
    LoadArt(WattsBk, skinart::kWattsBk);
    LoadArt(WattHrBk, skinart::kWattHrBk);
    LoadArt(MgBk, skinart::kMgBk);
    LoadArt(KgBk, skinart::kKgBk);
    LoadArt(GBk, skinart::kGBk);
    LoadArt(MacroBk, skinart::kMacroBk);

    // First, so that everything else lies above it.
    Background = new lumo::TImage(this);
    Background->SetName("Background");
    Background->SetAutoSize(true);
    Background->SetParent(this);
    Background->SetBounds(0, 0, kWidth, kHeight);
    Background->SetPicture(LargeBk);

    ModeTitle = AddLabel("ModeTitle", 44, 289, 13, true, kTitleColour);
    CpuStatusTitle = AddLabel("CpuStatusTitle", 347, 290, 13, true, kTitleColour);
    TranquilityTitle = AddBoxLabel("TranquilityTitle", 446, 323, 77, 18);
    PerformanceTitle = AddBoxLabel("PerformanceTitle", 336, 370, 97, 18);
    ConvenienceTitle = AddBoxLabel("ConvenienceTitle", 544, 370, 97, 18);
    ReliabilityTitle = AddBoxLabel("ReliabilityTitle", 327, 428, 114, 18);
    EnergySavingTitle = AddBoxLabel("EnergySavingTitle", 526, 428, 114, 21);
    EnergySavingTitle->SetWordWrap(true);
    ReducedCO2Title = AddLabel("ReducedCO2Title", 58, 205, 13, true, kCo2TitleColour);
    CurrentModeName = AddLabel("CurrentModeName", 43, 313, 11, false, kModeNameColour);
    CurrentModeName->SetAutoSize(false);
    CurrentModeName->SetAlignment(lumo::TAlignment::taCenter);
    CurrentModeName->SetBounds(43, 313, 231, 19);
    Date = AddLabel("Date", 299, 236, 12, false, kDateColour);

    CloseButton = AddControl<KdButton>("CloseButton", 615, 0, 32, 19);
    LoadStates(*CloseButton, 0, skinart::kCloseButton);
    MinimizeButton = AddControl<KdButton>("MinimizeButton", 583, 0, 32, 19);
    LoadStates(*MinimizeButton, 0, skinart::kMinimizeButton);

    AutoButton = AddControl<KdRadioButton>("AutoButton", 42, 385, 45, 45);
    LoadChecks(*AutoButton, skinart::kAutoButton);
    AutoButton->SetTag(kGearAuto);
    NormalButton = AddControl<KdRadioButton>("NormalButton", 151, 385, 45, 45);
    LoadChecks(*NormalButton, skinart::kNormalButton);
    NormalButton->SetTag(kGearHighPerformance);
    LowButton = AddControl<KdRadioButton>("LowButton", 259, 385, 45, 45);
    LoadChecks(*LowButton, skinart::kLowButton);
    LowButton->SetTag(kGearMaxSaving);

    MoreSettingButton = AddTextButton("MoreSettingButton", 44, 433, 130, 34);
    LoadStates(*MoreSettingButton, 0, skinart::kMainTextButton);
    CalibrateButton = AddTextButton("CalibrateButton", 178, 433, 130, 34);
    LoadStates(*CalibrateButton, 0, skinart::kMainTextButton);
    ExitButton = AddTextButton("ExitButton", 521, 479, 131, 34);
    LoadStates(*ExitButton, 0, skinart::kExitButton);
    ExitButton->SetTextBounds(0, 0, 131, kButtonFaceHeight);
    SwitchButton = AddTextButton("SwitchButton", 489, 229, 152, 30);
    LoadStates(*SwitchButton, 0, skinart::kSwitchButton);

    ResetButton = AddControl<KdButton>("ResetButton", 457, 229, 30, 30);
    LoadStates(*ResetButton, 0, skinart::kResetButton);
    ResetButton->SetVisible(false);

    CpuButton = AddControl<KdButton>("CpuButton", 67, 77, 94, 94);
    LoadStates(*CpuButton, 0, skinart::kCpuButton);
    VgaButton = AddControl<KdButton>("VgaButton", 213, 77, 94, 94);
    LoadStates(*VgaButton, 0, skinart::kVgaButton);
    DriveButton = AddControl<KdButton>("DriveButton", 358, 77, 94, 94);
    LoadStates(*DriveButton, 0, skinart::kDriveButton);
    DriveButton->SetEnabled(false);
    FanButton = AddControl<KdButton>("FanButton", 504, 77, 94, 94);
    LoadStates(*FanButton, 0, skinart::kFanButton);
    FanButton->SetEnabled(false);

    KdBar** const leds[4] = {&CpuLed, &VgaLed, &DriveLed, &FanLed};
    const char* const ledNames[4] = {"CpuLed", "VgaLed", "DriveLed", "FanLed"};
    const int ledLefts[4] = {84, 230, 374, 524};
    for (int index = 0; index < 4; ++index) {
        KdBar* led = AddControl<KdBar>(ledNames[index], ledLefts[index], 171, 60, 12);
        lumo::TBitmap on, off;
        LoadArt(on, skinart::kStatusLed.normal);
        LoadArt(off, skinart::kStatusLed.disabled);
        led->SetStateBitmap(0, on.Empty() ? nullptr : &on);
        led->SetStateBitmap(2, off.Empty() ? nullptr : &off);
        led->SetLength(20);
        led->SetEnabled(false);
        *leds[index] = led;
    }

    ShrinkButton = AddControl<KdCheckBox>("ShrinkButton", 25, 196, 32, 34);
    LoadChecks(*ShrinkButton, skinart::kShrinkButton);

    m_dial =
        std::make_unique<ModeDial>(this, this, lumo::ProgramDirectory() + skinart::kResourceFolder);
    m_dial->RegisterButtons(AutoButton, NormalButton, LowButton);

    if (!source) {
        m_ownSource = std::make_unique<MonitorEnergySource>();
        source = m_ownSource.get();
    }
    m_panel = std::make_unique<EnergyPanel>(*this, *source);

    WireButtons();
}

void TMainView::CreateWnd()
{
    lumo::TForm::CreateWnd();
    // Here, not in the constructor: the window is made once the derived form's class name
    // and window procedure are in place.
    if (m_shaper.IsAttached()) {
        m_shaper.Reapply();
    } else {
        m_shaper.Attach(Background);
    }
    if (!m_flicker.IsAttached()) {
        m_flicker.Attach(*this);
    }
}

void TMainView::DoShow()
{
    m_dial->Refresh();
    lumo::TForm::DoShow();
}

void TMainView::PaintWindow(HDC dc, const RECT& clip)
{
    // Also when the window was shown by other means than the form's own.
    m_dial->Refresh();
    lumo::TForm::PaintWindow(dc, clip);
}

TMainView::~TMainView()
{
    m_flicker.Detach();
    m_shaper.Detach();
}

lumo::TLabel* TMainView::AddLabel(const char* name, int left, int top, int fontHeight, bool bold,
                                  lumo::TColor colour)
{
    auto* label = new lumo::TLabel(this);
    label->SetName(name);
    label->SetParentFont(false);
    label->Font().SetName(kLabelFont);
    label->Font().SetHeight(-fontHeight);
    label->Font().SetStyle(bold ? lumo::fsBold : 0);
    label->Font().SetColor(colour);
    label->SetTransparent(true);
    label->SetShowAccelChar(false);
    label->SetBounds(left, top, 0, 0);
    label->SetParent(this);
    return label;
}

lumo::TLabel* TMainView::AddBoxLabel(const char* name, int left, int top, int width, int height)
{
    lumo::TLabel* label = AddLabel(name, left, top, 11, true, kQualityColour);
    label->SetAutoSize(false);
    label->SetAlignment(lumo::TAlignment::taCenter);
    label->SetBounds(left, top, width, height);
    return label;
}

template <typename T>
T* TMainView::AddControl(const char* name, int left, int top, int width, int height)
{
    auto* control = new T(this);
    control->SetName(name);
    control->SetBounds(left, top, width, height);
    control->SetParent(this);
    return control;
}

KdButtonTx* TMainView::AddTextButton(const char* name, int left, int top, int width, int height)
{
    auto* button = AddControl<KdButtonTx>(name, left, top, width, height);
    button->SetParentFont(false);
    button->Font().SetName(kLabelFont);
    button->Font().SetHeight(-kButtonFont);
    button->Font().SetColor(kButtonTextColour);
    return button;
}

void TMainView::WireButtons()
{
    for (KdRadioButton* button : {AutoButton, NormalButton, LowButton}) {
        button->OnClick = [this](lumo::TObject* sender) { ModeButtonClicked(sender); };
    }
    auto forward = [](std::function<void()>& event) {
        return [&event](lumo::TObject*) {
            if (event) {
                event();
            }
        };
    };
    VgaButton->OnClick = forward(OnCardButton);
    ExitButton->OnClick = forward(OnExitButton);
    CloseButton->OnClick = forward(OnCloseButton);
    MinimizeButton->OnClick = forward(OnMinimizeButton);
    m_dial->OnHoverEnd = [this] {
        if (OnHoverEnd) {
            OnHoverEnd();
        }
    };
}

void TMainView::ModeButtonClicked(lumo::TObject* sender)
{
    auto* button = static_cast<KdRadioButton*>(sender);
    if (OnModeButton) {
        OnModeButton(button->Tag());
    }
}

void TMainView::SetTexts()
{
    ModeTitle->SetCaption(Translate("Mode Setting"));
    CpuStatusTitle->SetCaption(Translate("Current Status"));
    TranquilityTitle->SetCaption(Translate("Tranquility"));
    PerformanceTitle->SetCaption(Translate("Performance"));
    ReliabilityTitle->SetCaption(Translate("Reliability"));
    ConvenienceTitle->SetCaption(Translate("Convenience"));
    EnergySavingTitle->SetCaption(Translate("Energy Saved"));
    MoreSettingButton->SetText(Translate("Setting"));
    CalibrateButton->SetText(Translate("Calibrate"));
    SwitchButton->SetText(Translate("Current"));
    ExitButton->SetText(Translate("Exit"));
    Date->SetCaption(Translate("Since") + ": 2008/04/01 02:31");
    ReducedCO2Title->SetCaption(Translate("Total reduced CO2 Emission"));
    AutoButton->SetHint(Translate("Auto Mode"));
    NormalButton->SetHint(Translate("High Performance Mode"));
    LowButton->SetHint(Translate("Max Power Saving Mode"));
    ResetButton->SetHint(Translate("Clear CO2 Emission"));
    DriveButton->SetHint("H.D.D.");
    FanButton->SetHint("Fan");
    m_panel->ShowPeriod();
}

void TMainView::SetUpDial(bool typeF000)
{
    CalibrateButton->SetTextBounds(0, 0, 130, kButtonFaceHeight);
    MoreSettingButton->SetTextBounds(0, 0, 130, kButtonFaceHeight);
    auto run = [](std::function<void()>& event) {
        return [&event](lumo::TObject*) {
            if (event) {
                event();
            }
        };
    };
    if (typeF000) {
        MoreSettingButton->SetVisible(false);
        CalibrateButton->SetText(MoreSettingButton->GetText());
        CalibrateButton->OnClick = run(OnSettings);
    } else {
        MoreSettingButton->SetVisible(true);
        MoreSettingButton->OnClick = run(OnSettings);
        CalibrateButton->OnClick = run(OnCalibrate);
    }
}

std::string TMainView::ModeText(int mode, int autoLevel)
{
    static const char* const kNames[4] = {"Turbo", "High performance", "Medium Power Saving",
                                          "Max power saving"};
    const int index = ModeDial::DialIndex(mode);
    if (index == 0) {
        const char* level = "High performance";
        switch (autoLevel) {
        case 0:
            level = "Turbo";
            break;
        case 2:
        case 3:
            level = "Max power saving";
            break;
        default:
            break;
        }
        return Translate("Auto") + ":" + Translate(level);
    }
    return Translate(kNames[index - 1]);
}

void TMainView::ShowMode(const ModeDisplay& display)
{
    m_dial->ShowMode(display.mode);
    CurrentModeName->SetCaption(ModeText(display.mode, display.autoLevel));
    CpuLed->SetEnabled(display.cpuLed);
    VgaLed->SetEnabled(display.vgaLed);
    DriveLed->SetEnabled(display.driveLed);
    FanLed->SetEnabled(display.fanLed);
}

void TMainView::SetBackgroundPicture(const lumo::TBitmap& picture)
{
    Background->SetPicture(picture);
    Background->Invalidate();
    if (m_shaper.IsAttached()) {
        m_shaper.SetColorKey(Background->Picture().TransparentColor());
        m_shaper.Reapply();
    } else if (!picture.Empty()) {
        SetClientSize(picture.Width(), picture.Height());
    }
    Invalidate();
}

void TMainView::WndProc(lumo::TMessage& message)
{
    if (message.Msg == WM_WINDOWPOSCHANGING && !IsDestroying()) {
        auto* position = reinterpret_cast<WINDOWPOS*>(message.LParam);
        const lumo::TBitmap& picture = Background->Picture();
        if (position && !(position->flags & SWP_NOSIZE) && !picture.Empty()) {
            RECT frame = {0, 0, picture.Width(), picture.Height()};
            AdjustWindowRectEx(&frame, GetWindowLongA(Handle(), GWL_STYLE), FALSE,
                               GetWindowLongA(Handle(), GWL_EXSTYLE));
            position->cx = frame.right - frame.left;
            position->cy = frame.bottom - frame.top;
        }
    }
    lumo::TForm::WndProc(message);
}

} // namespace tv
