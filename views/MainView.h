#pragma once
// The main window's view: a borderless window cut to the shape of its background bitmap, with
// the device buttons and their status lights, the energy figures, the mode buttons, the mode
// dial and the quality chart. It only shows and reports: the program's top wires what its
// buttons do (events below) and tells it which mode to show.
#include "lumo/Forms/Form.h"
#include "lumo/Forms/Image.h"
#include "lumo/Forms/Label.h"
#include "lumo/Kd/Kd.h"
#include "lumo/widget/Source/FlickerEliminator.h"
#include "lumo/widget/Source/TShapedForm.h"
#include "views/StatusLights.h"

#include <functional>
#include <memory>
#include <string>

namespace tv {

class ModeDial;
class EnergyPanel;
class EnergySource;

class TMainView : public lumo::TForm
{
public:
    LUMO_CLASS_NAME(TMainView)
    static constexpr int kWidth = 665;
    static constexpr int kHeight = 522;

    // The energy panel reads its figures from source (the power monitor when null).
    explicit TMainView(lumo::TComponent* owner, EnergySource* source = nullptr);
    ~TMainView() override;

    // ---- set-up ------------------------------------------------------------------------------

    // Every caption and hint in the language of the system.
    void SetTexts();
    // Caption areas of the text buttons, the hover preview, the setting and calibrate buttons'
    // actions: on controller type F000 the setting button is hidden and the calibrate button,
    // with the setting button's caption, runs the settings.
    void SetUpDial(bool typeF000);

    // ---- what the view shows -----------------------------------------------------------------

    // The mode's radio button checked, the gear moved there, the steady chart, the mode's name
    // and the status lights.
    void ShowMode(const ModeDisplay& display);
    // The text of CurrentModeName for a mode and Auto's level (saving index).
    static std::string ModeText(int mode, int autoLevel);
    // Background takes picture: repainted, the window sized to it and shaped by its key colour.
    void SetBackgroundPicture(const lumo::TBitmap& picture);
    ModeDial& Dial() { return *m_dial; }
    EnergyPanel& Panel() { return *m_panel; }

    // ---- what the buttons ask for (set by the program's top) ----------------------------------

    // A mode button was clicked: the mode is its Tag.
    std::function<void(int mode)> OnModeButton;
    std::function<void()> OnSettings;
    std::function<void()> OnCalibrate;
    std::function<void()> OnCardButton;
    std::function<void()> OnExitButton;
    std::function<void()> OnCloseButton;
    std::function<void()> OnMinimizeButton;
    // The pointer left a mode button after a hover preview.
    std::function<void()> OnHoverEnd;

    void WndProc(lumo::TMessage& message) override;

protected:
    void CreateWnd() override;
    // The dial's pictures are read and its chart drawn here, when the window first appears.
    void DoShow() override;
    void PaintWindow(HDC dc, const RECT& clip) override;

public:
    // ---- components --------------------------------------------------------------------------

    lumo::TImage* Background;
    lumo::TBitmap LargeBk, SmallBk;
    lumo::TBitmap WattsBk, WattHrBk, MgBk, KgBk, GBk, MacroBk;
    lumo::TLabel *ModeTitle, *CpuStatusTitle, *TranquilityTitle, *PerformanceTitle,
        *ConvenienceTitle, *ReliabilityTitle, *EnergySavingTitle, *ReducedCO2Title,
        *CurrentModeName, *Date;
    KdButton *CloseButton, *MinimizeButton, *ResetButton;
    KdButton *CpuButton, *VgaButton, *DriveButton, *FanButton;
    KdRadioButton *AutoButton, *NormalButton, *LowButton;
    KdButtonTx *MoreSettingButton, *CalibrateButton, *ExitButton, *SwitchButton;
    KdBar *CpuLed, *VgaLed, *DriveLed, *FanLed;
    KdCheckBox* ShrinkButton;

private:
    lumo::TLabel* AddLabel(const char* name, int left, int top, int fontHeight, bool bold,
                           lumo::TColor colour);
    lumo::TLabel* AddBoxLabel(const char* name, int left, int top, int width, int height);
    template <typename T> T* AddControl(const char* name, int left, int top, int width, int height);
    KdButtonTx* AddTextButton(const char* name, int left, int top, int width, int height);
    void WireButtons();
    void ModeButtonClicked(lumo::TObject* sender);

    std::unique_ptr<ModeDial> m_dial;
    std::unique_ptr<EnergySource> m_ownSource;
    std::unique_ptr<EnergyPanel> m_panel;
    lumo::TLayeredFormMaker m_shaper;
    lumo::FlickerEliminator m_flicker;
};

} // namespace tv
