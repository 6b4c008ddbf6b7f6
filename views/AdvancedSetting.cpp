#include "views/AdvancedSetting.h"

#include "assets/art/SkinArt.h"
#include "lumo/Forms/Gdi.h"
#include "lumo/Forms/Image.h"
#include "lumo/Forms/Label.h"
#include "lumo/Kd/KdButton.h"
#include "lumo/Kd/KdRadioButton.h"
#include "monitor/CpuPowerMonitor.h"
#include "power/AdvanceSettings.h"
#include "power/ControllerType.h"
#include "power/PowerGear.h"
#include "power/WindowsVersion.h"
#include "shell/base/Translate.h"
#include "views/SkinComboBox.h"

using namespace lumo;

namespace tv {
namespace {

// The tab names on the light tabs.
constexpr TColor kTabTextColor = 0x302A1D;
// The text buttons' pictures; the caption sits on their upper rows, across the whole face.
constexpr int kButtonFaceWidth = 130;
constexpr int kButtonHeight = 34;

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
        Font().SetName(kDialogFontName);
        Font().SetColor(kTabTextColor);
    }
    bool HitTest(int, int) const override { return false; }

    void SetText(const std::string& text)
    {
        SetCaption(text);
        MemoryDC dc;
        TCanvas canvas(dc.Get());
        canvas.Font().SetName(kDialogFontName);
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
    : TSkinDialog(owner, "AdvancedSetting", skinart::kAdvancedBk, 444, 375),
      m_boardSource(&ReadAdvancedSettingBoard)
{
    SetPosition(TPosition::poScreenCenter);
    SetCaption(Translate("Setting"));
    Build();
}

TAdvancedSetting::~TAdvancedSetting() = default;

void TAdvancedSetting::SetBoardSource(std::function<AdvancedSettingBoard()> source)
{
    m_boardSource = source ? std::move(source) : &ReadAdvancedSettingBoard;
}

KdButton* TAdvancedSetting::DefaultButton()
{
    return m_okButton;
}

TImage* TAdvancedSetting::AddPicture(const char* name, const char* resource)
{
    auto* image = new TImage(this);
    image->SetName(name);
    image->SetVisible(false);
    image->SetParent(this);
    image->SetAutoSize(true);
    LoadArt(image->Picture(), resource);
    return image;
}

TDialogButton* TAdvancedSetting::AddCaptionedButton(const char* name,
                                                    const skinart::FourStates& art, int left,
                                                    int top, const char* key, TModalResult result)
{
    TDialogButton* button =
        AddTextButton(name, art, left, top, kButtonFaceWidth, kButtonHeight, result);
    button->SetText(Translate(key));
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
        if (LoadArt(picture, states[state])) {
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
    // The pictures the drop-downs are drawn from.
    m_arrowRaised = AddPicture("Arrow_n", skinart::kArrow.raised);
    m_arrowSunken = AddPicture("Arrow_d", skinart::kArrow.sunken);
    m_arrowFocused = AddPicture("Arrow_o", skinart::kArrow.focused);
    m_panelBottom = AddPicture("ComboBoxBottom", skinart::kComboBoxBottom);
    m_panelBody = AddPicture("ComboBoxBody", skinart::kComboBoxBody);
    m_field = AddPicture("ComboBoxBk", skinart::kComboBoxBk);
    m_arrowDisabled = AddPicture("Arrow_un", skinart::kArrow.disabled);
    m_mask = AddPicture("Mask", skinart::kComboBoxMask);

    m_tabs[0] = AddTab("TurboTab", 0, 22, 40, "Turbo");
    m_tabs[1] = AddTab("NormalTab", 1, 22, 40, "High performance");
    m_tabs[2] = AddTab("MediumTab", 2, 122, 40, "Medium power saving");
    m_tabs[3] = AddTab("LowTab", 3, 122, 40, "Max power saving");
    m_tabs[0]->SetVisible(false);
    m_tabs[2]->SetVisible(false);
    m_defaultButton =
        AddCaptionedButton("DefaultButton", skinart::kPageButton, 42, 286, "Default", mrNone);
    m_okButton = AddCaptionedButton("OkButton", skinart::kDialogButton, 185, 338, "OK", kConfirmed);
    m_cancelButton =
        AddCaptionedButton("CancelButton", skinart::kDialogButton, 309, 338, "Cancel", kCancelled);
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
    WireKeys();
    Shape();
}

void TAdvancedSetting::WireKeys()
{
    auto handler = [this](TObject*, WORD& key, TShiftState) {
        if ((key == VK_RETURN || key == VK_ESCAPE) && DialogKey(key)) {
            key = 0;
        }
    };
    for (KdRadioButton* tab : m_tabs) {
        tab->OnKeyDown = handler;
    }
    // An open drop panel takes its own Enter and Escape first.
    for (SkinComboBox* dropDown : m_dropDowns) {
        dropDown->OnKeyDown = handler;
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
