#pragma once
// The per-mode profile editor, shown modally: one tab per mode profile (High performance and
// Max power saving visible, Turbo and Medium power saving hidden), five drop-downs bound to the
// profile fields, Default, OK and Cancel. It edits working copies of profiles 0 to 3; the caller
// takes them after OK.
#include "power/ModeProfile.h"
#include "power/TimeoutChoices.h"
#include "views/SkinDialog.h"

#include <functional>
#include <string>
#include <vector>

class KdRadioButton;

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

class TAdvancedSetting : public TSkinDialog
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
    // The "Default" button (component DefaultButton): the current tab's defaults.
    KdButtonTx& RestoreButton() { return *m_defaultButton; }
    KdButtonTx& OkButton() { return *m_okButton; }
    KdButtonTx& CancelButton() { return *m_cancelButton; }
    // Enter presses OK unless a text button has the focus.
    KdButton* DefaultButton() override;

private:
    lumo::TImage* AddPicture(const char* name, const char* resource);
    TDialogButton* AddCaptionedButton(const char* name, const skinart::FourStates& art, int left,
                                      int top, const char* key, lumo::TModalResult result);
    KdRadioButton* AddTab(const char* name, int profile, int left, int top, const char* key);
    void Build();
    void PrepareShow();
    void SelectFromWorkingCopy();
    void ReadDropDowns();
    void RestoreDefaults();
    void Confirm();
    // Enter and Escape from the tabs and the drop-downs reach the dialog's keys.
    void WireKeys();

    std::function<AdvancedSettingBoard()> m_boardSource;
    lumo::TImage* m_arrowRaised = nullptr;
    lumo::TImage* m_arrowSunken = nullptr;
    lumo::TImage* m_arrowFocused = nullptr;
    lumo::TImage* m_panelBottom = nullptr;
    lumo::TImage* m_panelBody = nullptr;
    lumo::TImage* m_field = nullptr;
    lumo::TImage* m_arrowDisabled = nullptr;
    lumo::TImage* m_mask = nullptr;
    KdRadioButton* m_tabs[kTabCount] = {};
    TDialogButton* m_defaultButton = nullptr;
    TDialogButton* m_okButton = nullptr;
    TDialogButton* m_cancelButton = nullptr;
    SkinComboBox* m_dropDowns[kDropDownCount] = {};

    ModeProfile m_working[kTabCount];
    int m_tab = 1;
    bool m_dozeAvailable = false;
    std::vector<TimeoutChoice> m_spinDownChoices;
};

} // namespace tv
