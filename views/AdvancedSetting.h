#pragma once
// The per-mode profile editor, shown modally: one tab per mode profile (High performance and
// Max power saving visible, Turbo and Medium power saving hidden), five drop-downs bound to the
// profile fields, Default, OK and Cancel. It edits working copies of profiles 0 to 3; the caller
// takes them after OK.
#include "lumo/Forms/Form.h"
#include "power/ModeProfile.h"
#include "power/TimeoutChoices.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class KdButton;
class KdButtonTx;
class KdRadioButton;

namespace lumo {
class TImage;
class TLayeredFormMaker;
class FlickerEliminator;
} // namespace lumo

namespace tv {

class SkinComboBox;

// What the window needs to know of the board, read at each show.
struct AdvancedSettingBoard
{
    bool screenOff = false;  // the firmware blacks the screen out itself (black-screen doze)
    bool fanControl = false; // the K-Fan items are usable: the fan drop-down is shown
    bool familyF = false;    // controller family F: the second voltage item is VDDNB
    int windowsMajor = -1;   // the spin-down list depends on it (-1: unknown)
};

// The facts of the program's own board, from its process-wide power objects.
AdvancedSettingBoard ReadAdvancedSettingBoard();

class TAdvancedSetting : public lumo::TForm
{
public:
    LUMO_CLASS_NAME(TAdvancedSetting)
    static constexpr int kTabCount = 4; // profile indices 0 (Turbo) to 3 (Max power saving)
    enum DropDown
    {
        kVCore,
        kLoadLine,
        kSpinDown,
        kDoze,
        kFan,
        kDropDownCount
    };
    // Modal results.
    static constexpr int kConfirmedWithVoltageChange = 6;
    static constexpr int kConfirmed = 1;
    static constexpr int kCancelled = 2;
    // The doze window of the suite that makes the doze times usable without screen-off support.
    static constexpr char kDozeWindowClass[] = "TMainForm";
    static constexpr char kDozeWindowTitle[] = "Opti Doze";

    explicit TAdvancedSetting(lumo::TComponent* owner);
    ~TAdvancedSetting() override;

    // Where the board's facts come from (default: ReadAdvancedSettingBoard).
    void SetBoardSource(std::function<AdvancedSettingBoard()> source);

    // Reads the board, prepares the doze list, copies profiles 0 to 3 from the store, shows the
    // High performance tab and runs modally: kConfirmedWithVoltageChange, kConfirmed or
    // kCancelled.
    int ShowAdvancedSettings();

    // The working copy of profile 0..3 (a zero profile for other indices).
    ModeProfile WorkingProfile(int index) const;
    int CurrentTab() const { return m_tab; }
    // Switches to tab 0..3 as a click on it would.
    void ShowTab(int tab);
    bool DozeAvailable() const { return m_dozeAvailable; }

    SkinComboBox& DropDownAt(DropDown which) { return *m_dropDowns[which]; }
    KdRadioButton& Tab(int index) { return *m_tabs[index]; }
    KdButtonTx& DefaultButton() { return *m_defaultButton; }
    KdButtonTx& OkButton() { return *m_okButton; }
    KdButtonTx& CancelButton() { return *m_cancelButton; }
    KdButton& CloseButton() { return *m_closeButton; }
    KdButton& MinimizeButton() { return *m_minimizeButton; }

private:
    lumo::TImage* AddPicture(const char* name, const char* resource, bool visible);
    KdButton* AddButton(const char* name, int left, int top);
    KdButtonTx* AddTextButton(const char* name, int left, int top, const char* key,
                              lumo::TModalResult result);
    KdRadioButton* AddTab(const char* name, int profile, int left, int top, const char* key);
    void Build();
    void PrepareShow();
    void SelectFromWorkingCopy();
    void ReadDropDowns();
    void RestoreDefaults();
    void Confirm();
    void KeyPressed(WORD& key, lumo::TShiftState shift);
    void WireKeys(lumo::TWinControl& control);

    std::function<AdvancedSettingBoard()> m_boardSource;
    lumo::TImage* m_background = nullptr;
    lumo::TImage* m_arrowRaised = nullptr;
    lumo::TImage* m_arrowSunken = nullptr;
    lumo::TImage* m_arrowFocused = nullptr;
    lumo::TImage* m_panelBottom = nullptr;
    lumo::TImage* m_panelBody = nullptr;
    lumo::TImage* m_field = nullptr;
    lumo::TImage* m_arrowDisabled = nullptr;
    lumo::TImage* m_mask = nullptr;
    KdButton* m_closeButton = nullptr;
    KdButton* m_minimizeButton = nullptr;
    KdRadioButton* m_tabs[kTabCount] = {};
    KdButtonTx* m_defaultButton = nullptr;
    KdButtonTx* m_okButton = nullptr;
    KdButtonTx* m_cancelButton = nullptr;
    SkinComboBox* m_dropDowns[kDropDownCount] = {};
    std::unique_ptr<lumo::TLayeredFormMaker> m_shaper;
    std::unique_ptr<lumo::FlickerEliminator> m_flicker;

    ModeProfile m_working[kTabCount];
    int m_tab = 1;
    bool m_dozeAvailable = false;
    std::vector<TimeoutChoice> m_spinDownChoices;
};

} // namespace tv
