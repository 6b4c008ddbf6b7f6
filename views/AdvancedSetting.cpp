#include "views/AdvancedSetting.h"

#include "assets/art/SkinArt.h"
#include "lumo/Forms/Gdi.h"
#include "lumo/Forms/Image.h"
#include "lumo/Forms/Label.h"
#include "lumo/Kd/KdButton.h"
#include "lumo/Kd/KdRadioButton.h"
#include "lumo/widget/Source/FlickerEliminator.h"
#include "lumo/widget/Source/TShapedForm.h"
#include "monitor/CpuPowerMonitor.h"
#include "power/AdvanceSettings.h"
#include "power/ControllerType.h"
#include "power/PowerGear.h"
#include "power/WindowsVersion.h"
#include "shell/base/Translate.h"
#include "views/AdvancedSettingArt.h"
#include "views/SkinComboBox.h"

using namespace lumo;

namespace tv {
namespace {

constexpr char kFontName[] = "Microsoft Sans Serif";
// Text of the buttons on their dark faces, and of the tab names on the light tabs.
constexpr TColor kButtonTextColor = 0xCAC9CD;
constexpr TColor kTabTextColor = 0x302A1D;
// The caption sits on the upper 30 rows of the 130-pixel button faces.
constexpr int kButtonFaceWidth = 130;
constexpr int kButtonFaceHeight = 30;

struct DropDownPlace
{
    int left;
    int top;
};
constexpr DropDownPlace kPlaces[TAdvancedSetting::kDropDownCount] = {
    {56, 82}, {243, 82}, {56, 131}, {243, 131}, {56, 180}};

// The voltage lists: the saving tabs offer three steps, the others none.
const char* const kVoltageSteps[] = {"Small", "Medium", "Heavy"};

std::vector<std::string> Translated(std::initializer_list<const char*> keys)
{
    std::vector<std::string> texts;
    for (const char* key : keys) {
        texts.push_back(Translate(key));
    }
    return texts;
}

std::vector<std::string> ChoiceTexts(const std::vector<TimeoutChoice>& choices)
{
    std::vector<std::string> texts;
    for (const TimeoutChoice& choice : choices) {
        texts.push_back(TimeoutChoiceText(choice));
    }
    return texts;
}

// The item for a stored index: past the end the last item, below 0 the first.
int ClampedIndex(int index, const SkinComboBox& dropDown)
{
    const int count = static_cast<int>(dropDown.Items().size());
    if (count == 0) {
        return -1;
    }
    return index < 0 ? 0 : (index >= count ? count - 1 : index);
}

// A tab's name over its picture; the tab takes the pointer's presses itself. A name too long for
// one line of the caption area gets a smaller font, then two lines over the tab's whole face.
class TTabCaption : public TLabel
{
public:
    LUMO_CLASS_NAME(TTabCaption)
    explicit TTabCaption(TComponent* owner) : TLabel(owner)
    {
        SetTransparent(true);
        SetShowAccelChar(false);
        SetAutoSize(false);
        SetAlignment(TAlignment::taCenter);
        SetLayout(TLabelLayout::tlCenter);
        SetParentFont(false);
        Font().SetName(kFontName);
        Font().SetColor(kTabTextColor);
    }
    bool HitTest(int, int) const override { return false; }

    void SetText(const std::string& text)
    {
        SetCaption(text);
        MemoryDC dc;
        TCanvas canvas(dc.Get());
        canvas.Font().SetName(kFontName);
        for (int height : {-11, -10}) {
            canvas.Font().SetHeight(height);
            if (canvas.TextWidth(text) <= skinart::kTabCaption[2]) {
                Font().SetHeight(height);
                SetWordWrap(false);
                SetBounds(skinart::kTabCaption[0], skinart::kTabCaption[1], skinart::kTabCaption[2],
                          skinart::kTabCaption[3]);
                return;
            }
        }
        Font().SetHeight(-10);
        SetWordWrap(true);
        SetBounds(skinart::kTabCaption[0], 2, skinart::kTabCaption[2], 26);
    }
};

} // namespace

AdvancedSettingBoard ReadAdvancedSettingBoard()
{
    AdvancedSettingBoard board;
    board.screenOff = CpuPowerMonitor::Instance().FirmwareDozeCapable();
    board.fanControl = PowerGear::Instance().IsKFanThreeSupported();
    board.familyF = controller::IsFFamily(ControllerType());
    board.windowsMajor = QueryWindowsMajorVersion();
    return board;
}

TAdvancedSetting::TAdvancedSetting(TComponent* owner)
    : TForm(owner), m_boardSource(&ReadAdvancedSettingBoard)
{
    SetName("AdvancedSetting");
    SetScaled(false);
    SetBorderStyle(TFormBorderStyle::bsNone);
    SetPosition(TPosition::poScreenCenter);
    Font().SetName(kFontName);
    Font().SetHeight(-12);
    SetCaption(Translate("Setting"));
    Build();
}

TAdvancedSetting::~TAdvancedSetting()
{
    m_flicker.reset();
    m_shaper.reset();
}

void TAdvancedSetting::SetBoardSource(std::function<AdvancedSettingBoard()> source)
{
    m_boardSource = source ? std::move(source) : &ReadAdvancedSettingBoard;
}

TImage* TAdvancedSetting::AddPicture(const char* name, const char* resource, bool visible)
{
    auto* image = new TImage(this);
    image->SetName(name);
    image->SetVisible(visible);
    image->SetParent(this);
    image->SetAutoSize(true);
    LoadSkinPicture(image->Picture(), resource);
    return image;
}

KdButton* TAdvancedSetting::AddButton(const char* name, int left, int top)
{
    auto* button = new KdButton(this);
    button->SetName(name);
    button->SetParent(this);
    button->SetBounds(left, top, 0, 0);
    return button;
}

KdButtonTx* TAdvancedSetting::AddTextButton(const char* name, int left, int top, const char* key,
                                            TModalResult result)
{
    auto* button = new KdButtonTx(this);
    button->SetName(name);
    button->SetParent(this);
    const skinart::FourStates& art =
        std::string(name) == "DefaultButton" ? skinart::kPageButton : skinart::kDialogButton;
    TBitmap picture;
    const char* const states[4] = {art.raised, art.sunken, art.focused, art.disabled};
    for (int state = 0; state < 4; ++state) {
        if (LoadSkinPicture(picture, states[state])) {
            button->SetStateBitmap(state, &picture);
        }
    }
    button->SetBounds(left, top, 0, 0);
    button->SetParentFont(false);
    button->Font().SetName(kFontName);
    button->Font().SetHeight(-12);
    button->Font().SetColor(kButtonTextColor);
    button->SetText(Translate(key));
    button->SetTextBounds(0, 0, kButtonFaceWidth, kButtonFaceHeight);
    button->SetModalResult(result);
    button->SetTabStop(true);
    return button;
}

KdRadioButton* TAdvancedSetting::AddTab(const char* name, int profile, int left, int top,
                                        const char* key)
{
    static const skinart::CheckStates* const kArt[kTabCount] = {
        &skinart::kTurboTab, &skinart::kNormalTab, &skinart::kMediumTab, &skinart::kLowTab};
    auto* tab = new KdRadioButton(this);
    tab->SetName(name);
    tab->SetTag(profile);
    tab->SetParent(this);
    const skinart::CheckStates& art = *kArt[profile];
    const char* const states[8] = {art.uncheck.raised,   art.uncheck.sunken, art.uncheck.focused,
                                   art.uncheck.disabled, art.check.raised,   art.check.sunken,
                                   art.check.focused,    art.check.disabled};
    TBitmap picture;
    for (int state = 0; state < 8; ++state) {
        if (LoadSkinPicture(picture, states[state])) {
            tab->SetStateBitmap(state, &picture);
        }
    }
    tab->SetBounds(left, top, 0, 0);
    tab->SetTabStop(true);
    // The tab's name on the tab's picture, which carries no text.
    auto* caption = new TTabCaption(tab);
    caption->SetName(std::string(name) + "Caption");
    caption->SetParent(tab);
    caption->SetText(Translate(key));
    tab->OnClick = [this, profile](TObject*) { ShowTab(profile); };
    return tab;
}

void TAdvancedSetting::Build()
{
    m_background = AddPicture("Background", skinart::kAdvancedBk, true);
    m_arrowRaised = AddPicture("Arrow_n", skinart::kArrow.raised, false);
    m_arrowSunken = AddPicture("Arrow_d", skinart::kArrow.sunken, false);
    m_arrowFocused = AddPicture("Arrow_o", skinart::kArrow.focused, false);
    m_panelBottom = AddPicture("ComboBoxBottom", skinart::kComboBoxBottom, false);
    m_panelBody = AddPicture("ComboBoxBody", skinart::kComboBoxBody, false);
    m_field = AddPicture("ComboBoxBk", skinart::kComboBoxBk, false);
    m_arrowDisabled = AddPicture("Arrow_un", skinart::kArrow.disabled, false);
    m_mask = AddPicture("Mask", skinart::kComboBoxMask, false);

    const int width = m_background->Picture().Empty() ? 444 : m_background->Picture().Width();
    m_closeButton = AddButton("CloseButton", width - 50, 0);
    m_minimizeButton = AddButton("MinimizeButton", width - 82, 0);
    const skinart::FourStates* titleArt[2] = {&skinart::kCloseButton, &skinart::kMinimizeButton};
    KdButton* titleButtons[2] = {m_closeButton, m_minimizeButton};
    for (int i = 0; i < 2; ++i) {
        const char* const states[4] = {titleArt[i]->raised, titleArt[i]->sunken,
                                       titleArt[i]->focused, titleArt[i]->disabled};
        TBitmap picture;
        for (int state = 0; state < 4; ++state) {
            if (LoadSkinPicture(picture, states[state])) {
                titleButtons[i]->SetStateBitmap(state, &picture);
            }
        }
    }
    m_closeButton->SetModalResult(kCancelled);
    m_minimizeButton->SetEnabled(false);

    m_tabs[0] = AddTab("TurboTab", 0, 22, 40, "Turbo");
    m_tabs[1] = AddTab("NormalTab", 1, 22, 40, "High performance");
    m_tabs[2] = AddTab("MediumTab", 2, 122, 40, "Medium power saving");
    m_tabs[3] = AddTab("LowTab", 3, 122, 40, "Max power saving");
    m_tabs[0]->SetVisible(false);
    m_tabs[2]->SetVisible(false);
    m_defaultButton = AddTextButton("DefaultButton", 42, 286, "Default", mrNone);
    m_okButton = AddTextButton("OkButton", 185, 338, "OK", kConfirmed);
    m_cancelButton = AddTextButton("CancelButton", 309, 338, "Cancel", kCancelled);
    m_defaultButton->OnClick = [this](TObject*) { RestoreDefaults(); };
    m_okButton->OnClick = [this](TObject*) { Confirm(); };

    SkinComboBoxParts parts;
    parts.arrow[0] = &m_arrowRaised->Picture();
    parts.arrow[1] = &m_arrowSunken->Picture();
    parts.arrow[2] = &m_arrowFocused->Picture();
    parts.arrow[3] = &m_arrowDisabled->Picture();
    parts.field = &m_field->Picture();
    parts.body = &m_panelBody->Picture();
    parts.bottom = &m_panelBottom->Picture();
    parts.mask = &m_mask->Picture();
    const char* const names[kDropDownCount] = {"VCoreDropDown", "LoadLineDropDown",
                                               "SpinDownDropDown", "DozeDropDown", "FanDropDown"};
    for (int i = 0; i < kDropDownCount; ++i) {
        m_dropDowns[i] = new SkinComboBox(this, *this, parts);
        m_dropDowns[i]->SetName(names[i]);
        m_dropDowns[i]->MoveTo(kPlaces[i].left, kPlaces[i].top);
        m_dropDowns[i]->OnChange = [this](TObject*) { ReadDropDowns(); };
    }
    m_dropDowns[kVCore]->SetCaption(Translate("vCore Voltage Downgrade"));
    m_dropDowns[kLoadLine]->SetCaption(Translate("CPU Loadline"));
    m_dropDowns[kSpinDown]->SetCaption(Translate("Turn Off hard disks"));
    m_dropDowns[kDoze]->SetCaption(Translate("Opti Doze Idle Time"));
    m_dropDowns[kFan]->SetCaption(Translate("Fan Control"));

    // The keyboard walks the visible tabs, the drop-downs, then the buttons.
    int order = 0;
    m_tabs[1]->SetTabOrder(order++);
    m_tabs[3]->SetTabOrder(order++);
    for (SkinComboBox* dropDown : m_dropDowns) {
        dropDown->ArrowButton().SetTabOrder(order++);
    }
    m_defaultButton->SetTabOrder(order++);
    m_okButton->SetTabOrder(order++);
    m_cancelButton->SetTabOrder(order++);
    WireKeys(*this);

    m_shaper = std::make_unique<TLayeredFormMaker>();
    if (!m_background->Picture().Empty()) {
        m_shaper->Attach(m_background);
    } else {
        SetClientSize(444, 375);
    }
    m_flicker = std::make_unique<FlickerEliminator>();
    m_flicker->Attach(*this);
}

void TAdvancedSetting::WireKeys(TWinControl& control)
{
    auto handler = [this](TObject*, WORD& key, TShiftState shift) { KeyPressed(key, shift); };
    control.OnKeyDown = handler;
    for (int i = 0; i < control.ComponentCount(); ++i) {
        TComponent* component = control.Components(i);
        if (auto* dropDown = dynamic_cast<SkinComboBox*>(component)) {
            dropDown->OnKeyDown = handler;
        } else if (auto* windowed = dynamic_cast<TWinControl*>(component)) {
            windowed->OnKeyDown = handler;
        }
    }
}

void TAdvancedSetting::KeyPressed(WORD& key, TShiftState shift)
{
    if (key == VK_ESCAPE && shift == 0) {
        // An open drop panel has taken its Escape already.
        SetModalResult(kCancelled);
        key = 0;
    }
}

void TAdvancedSetting::PrepareShow()
{
    const AdvancedSettingBoard board = m_boardSource();
    m_dropDowns[kLoadLine]->SetCaption(
        Translate(board.familyF ? "VDDNB Voltage Downgrade" : "CPU Loadline"));
    m_dropDowns[kFan]->SetVisible(board.fanControl);

    m_spinDownChoices = SpinDownTimeoutChoices(board.windowsMajor);
    m_dropDowns[kSpinDown]->SetItems(ChoiceTexts(m_spinDownChoices));

    m_dozeAvailable = board.screenOff || FindWindowA(kDozeWindowClass, kDozeWindowTitle);
    SkinComboBox& doze = *m_dropDowns[kDoze];
    doze.SetCaption(Translate(board.screenOff ? "Turn Off Screen" : "Opti Doze Idle Time"));
    if (m_dozeAvailable) {
        doze.SetItems(ChoiceTexts(DozeTimeoutChoices()));
        doze.SetTextColorOverride(clNone);
    } else {
        doze.SetItems(Translated({"KALDO Opti Suite required"}));
        doze.SetTextColorOverride(static_cast<TColor>(skinart::kWarningOnPanel));
    }

    AdvanceSettings& store = AdvanceSettings::Instance();
    for (int i = 0; i < kTabCount; ++i) {
        m_working[i] = store.GetProfile(i);
    }
    m_tabs[1]->SetChecked(true);
    ShowTab(1);
    SetActiveControl(m_tabs[1]);
}

int TAdvancedSetting::ShowAdvancedSettings()
{
    PrepareShow();
    return ShowModal();
}

ModeProfile TAdvancedSetting::WorkingProfile(int index) const
{
    return index >= 0 && index < kTabCount ? m_working[index] : ModeProfile{};
}

void TAdvancedSetting::ShowTab(int tab)
{
    if (tab < 0 || tab >= kTabCount) {
        return;
    }
    m_tab = tab;
    if (!m_tabs[tab]->GetChecked()) {
        m_tabs[tab]->SetChecked(true);
    }
    const bool saving = tab == 2 || tab == 3;
    m_dropDowns[kVCore]->SetEnabled(saving);
    m_dropDowns[kLoadLine]->SetEnabled(saving);
    m_dropDowns[kFan]->SetEnabled(saving);
    m_dropDowns[kSpinDown]->SetEnabled(true);
    m_dropDowns[kDoze]->SetEnabled(m_dozeAvailable);

    std::vector<std::string> voltage =
        saving ? Translated({kVoltageSteps[0], kVoltageSteps[1], kVoltageSteps[2]})
               : Translated({"OFF"});
    m_dropDowns[kVCore]->SetItems(voltage);
    m_dropDowns[kLoadLine]->SetItems(voltage);
    std::vector<std::string> fan = Translated({"Keep BIOS Setting"});
    if (tab == 2) {
        fan.push_back(Translate("Slow"));
    } else if (tab == 3) {
        fan.push_back(Translate("Quiet"));
    }
    m_dropDowns[kFan]->SetItems(fan);
    m_dropDowns[kFan]->SetItemIndex(0);
    SelectFromWorkingCopy();
}

void TAdvancedSetting::SelectFromWorkingCopy()
{
    const ModeProfile& profile = m_working[m_tab];
    auto select = [](SkinComboBox& dropDown, int index) {
        dropDown.SetItemIndex(ClampedIndex(index, dropDown));
    };
    select(*m_dropDowns[kVCore], profile.vCore);
    select(*m_dropDowns[kLoadLine], profile.loadLine);
    select(*m_dropDowns[kFan], profile.fan);
    select(*m_dropDowns[kSpinDown],
           static_cast<int>(SpinDownChoiceForTimeout(m_spinDownChoices, profile.spinDownTimeout)));
    select(*m_dropDowns[kDoze],
           m_dozeAvailable ? static_cast<int>(DozeChoiceForTimeout(profile.optiDozeIdleTimeout))
                           : 0);
}

void TAdvancedSetting::ReadDropDowns()
{
    ModeProfile& profile = m_working[m_tab];
    profile.fsb = 0;
    profile.nbVolt = 0;
    profile.vCore = m_dropDowns[kVCore]->ItemIndex();
    profile.loadLine = m_dropDowns[kLoadLine]->ItemIndex();
    profile.fan = m_dropDowns[kFan]->ItemIndex();
    profile.spinDownTimeout = SpinDownTimeoutFromChoice(
        m_spinDownChoices, static_cast<size_t>(m_dropDowns[kSpinDown]->ItemIndex()));
    // Without a doze engine the list holds only the notice: the stored time stays as it is.
    if (m_dozeAvailable) {
        profile.optiDozeIdleTimeout =
            DozeTimeoutFromChoice(static_cast<size_t>(m_dropDowns[kDoze]->ItemIndex()));
    }
}

void TAdvancedSetting::RestoreDefaults()
{
    m_working[m_tab] = AdvanceSettings::Instance().ProfileDefaults(m_tab);
    SelectFromWorkingCopy();
}

void TAdvancedSetting::Confirm()
{
    AdvanceSettings& store = AdvanceSettings::Instance();
    for (int tab : {0, 2, 3}) {
        const ModeProfile stored = store.GetProfile(tab);
        const ModeProfile& edited = m_working[tab];
        if (edited.fsb != stored.fsb || edited.vCore != stored.vCore ||
            edited.loadLine != stored.loadLine) {
            SetModalResult(kConfirmedWithVoltageChange);
            return;
        }
    }
}

} // namespace tv
