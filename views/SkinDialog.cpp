#include "views/SkinDialog.h"

#include "lumo/Forms/Exception.h"
#include "lumo/Forms/Gdi.h"
#include "lumo/System/Source/TraceLog.h"

#include <algorithm>

namespace tv {
namespace {

constexpr int kTitleButtonWidth = 32;
constexpr int kTitleButtonHeight = 19;
// Title buttons stand this far from the picture's right edge.
constexpr int kCloseFromRight = 50;
constexpr int kMinimizeFromRight = 82;
// The stand-in picture: a light body under a dark title bar.
constexpr lumo::TColor kStandInBody = 0xE0DBD3;
constexpr lumo::TColor kStandInTitle = 0x3B3329;
constexpr int kStandInTitleHeight = 30;

bool IsDialogKey(WORD key)
{
    return key == VK_RETURN || key == VK_ESCAPE;
}

void StandInPicture(lumo::TBitmap& bitmap, int width, int height)
{
    bitmap.SetPixelFormat(lumo::TPixelFormat::pf24bit);
    bitmap.SetSize(width, height);
    lumo::TCanvas& canvas = bitmap.Canvas();
    canvas.Brush().SetColor(kStandInBody);
    canvas.FillRect(RECT{0, 0, width, height});
    canvas.Brush().SetColor(kStandInTitle);
    canvas.FillRect(RECT{0, 0, width, kStandInTitleHeight});
}

// The text's height when wrapped at width in that font.
int WrappedHeight(const std::string& text, const lumo::TFont& font, int width)
{
    lumo::WindowDC screen(nullptr);
    lumo::TCanvas canvas(screen.Get());
    canvas.Font().Assign(font);
    RECT rect = {0, 0, width, 0};
    canvas.DrawText(text.empty() ? std::string(" ") : text, rect,
                    DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS | DT_CALCRECT);
    return rect.bottom - rect.top;
}

} // namespace

bool IsHeldDialogKey(const lumo::TMessage& message)
{
    constexpr LPARAM kPreviouslyDown = 0x40000000;
    return message.Msg == WM_KEYDOWN && IsDialogKey(static_cast<WORD>(message.WParam)) &&
           (message.LParam & kPreviouslyDown) != 0;
}

void TDialogButton::WndProc(lumo::TMessage& message)
{
    if (IsHeldDialogKey(message)) {
        message.Result = 0;
        return;
    }
    KdButtonTx::WndProc(message);
}

void TDialogButton::KeyDown(WORD& key, lumo::TShiftState shift)
{
    if (IsDialogKey(key)) {
        if (auto* dialog = dynamic_cast<TSkinDialog*>(ParentForm())) {
            if (dialog->DialogKey(key)) {
                key = 0;
                return;
            }
        }
    }
    KdButtonTx::KeyDown(key, shift);
}

TSkinDialog::TSkinDialog(lumo::TComponent* owner, const char* name, const char* background,
                         int width, int height)
    : lumo::TForm(owner)
{
    SetName(name);
    SetBorderStyle(lumo::TFormBorderStyle::bsNone);
    SetBorderIcons(0);
    SetScaled(false);
    Font().SetName(kDialogFontName);
    Font().SetHeight(-11);

    m_background = new lumo::TImage(this);
    m_background->SetName("Background");
    m_background->SetParent(this);
    if (!LoadArt(m_background->Picture(), background)) {
        StandInPicture(m_background->Picture(), width, height);
    }
    m_background->SetBounds(0, 0, width, height);
    m_background->SetAutoSize(true);
    const int pictureWidth = m_background->Picture().Width();

    m_minimizeButton = new KdButton(this);
    m_minimizeButton->SetName("MinimizeButton");
    m_minimizeButton->SetParent(this);
    LoadButtonArt(*m_minimizeButton, skinart::kMinimizeButton);
    m_minimizeButton->SetBounds(pictureWidth - kMinimizeFromRight, 0, kTitleButtonWidth,
                                kTitleButtonHeight);
    m_minimizeButton->SetEnabled(false);

    m_closeButton = new KdButton(this);
    m_closeButton->SetName("CloseButton");
    m_closeButton->SetParent(this);
    LoadButtonArt(*m_closeButton, skinart::kCloseButton);
    m_closeButton->SetBounds(pictureWidth - kCloseFromRight, 0, kTitleButtonWidth,
                             kTitleButtonHeight);
    m_closeButton->SetModalResult(lumo::mrCancel);
}

TSkinDialog::~TSkinDialog()
{
    m_flicker.Detach();
    m_shaper.Detach();
}

bool TSkinDialog::LoadArt(lumo::TBitmap& bitmap, const char* name)
{
    try {
        lumo::TBitmap loaded;
        loaded.LoadFromResourceName(GetModuleHandleA(nullptr), name);
        bitmap.Assign(loaded);
        return true;
    } catch (const lumo::Exception& error) {
        TraceLog("~~~[TSkinDialog] no picture %s: %s", name, error.what());
        return false;
    }
}

bool TSkinDialog::LoadButtonArt(KdButton& button, const skinart::FourStates& art)
{
    const char* const names[] = {art.raised, art.sunken, art.focused, art.disabled};
    lumo::TBitmap states[4];
    for (int state = 0; state < 4; ++state) {
        if (!LoadArt(states[state], names[state])) {
            return false;
        }
    }
    for (int state = 0; state < 4; ++state) {
        button.SetStateBitmap(state, &states[state]);
    }
    return true;
}

lumo::TLabel* TSkinDialog::AddLabel(const char* name, int left, int top, int width, int height,
                                    int fontHeight, bool bold, lumo::TColor color, bool wordWrap)
{
    auto* label = new lumo::TLabel(this);
    label->SetName(name);
    label->SetParent(this);
    label->SetTransparent(true);
    label->SetShowAccelChar(false);
    label->SetParentFont(false);
    label->Font().SetName(kDialogFontName);
    label->Font().SetHeight(-fontHeight);
    label->Font().SetStyle(bold ? lumo::fsBold : 0);
    label->Font().SetColor(color);
    label->SetWordWrap(wordWrap);
    if (width > 0) {
        label->SetAutoSize(false);
        label->SetBounds(left, top, width, height);
    } else {
        label->SetBounds(left, top, 0, 0);
        SizeToText(*label);
    }
    return label;
}

TDialogButton* TSkinDialog::AddTextButton(const char* name, const skinart::FourStates& art,
                                          int left, int top, int width, int height,
                                          lumo::TModalResult result)
{
    auto* button = new TDialogButton(this);
    button->SetName(name);
    button->SetParent(this);
    if (!LoadButtonArt(*button, art)) {
        // A plain face keeps the button usable without its pictures.
        lumo::TBitmap face;
        StandInPicture(face, width, height);
        button->SetStateBitmap(0, &face);
    }
    button->SetBounds(left, top, width, height);
    button->SetTabStop(true);
    button->SetModalResult(result);
    button->SetParentFont(false);
    button->Font().SetName(kDialogFontName);
    button->Font().SetHeight(-12);
    button->Font().SetColor(kButtonTextColor);
    button->FontColors().SetFocused(kButtonFocusedTextColor);
    button->FontColors().SetDisabled(kButtonDisabledTextColor);
    button->SetTextBounds(0, 0, button->Width(), kButtonFaceHeight);
    return button;
}

void TSkinDialog::Shape()
{
    m_shaper.Attach(m_background);
    m_flicker.Attach(*this);
}

bool TSkinDialog::DialogKey(WORD key)
{
    if (key == VK_ESCAPE) {
        EscapePressed();
        return true;
    }
    if (key != VK_RETURN) {
        return false;
    }
    // As in a system dialog: the focused push button, else the default one.
    KdButton* target = nullptr;
    for (int i = 0; i < ControlCount() && !target; ++i) {
        auto* button = dynamic_cast<TDialogButton*>(Controls(i));
        if (button && button->Focused() && button->Showing() && button->Enabled()) {
            target = button;
        }
    }
    if (!target) {
        target = DefaultButton();
    }
    if (target && target->Showing() && target->Enabled()) {
        target->Click();
    }
    return true;
}

void TSkinDialog::WndProc(lumo::TMessage& message)
{
    if (IsHeldDialogKey(message)) {
        message.Result = 0;
        return;
    }
    lumo::TForm::WndProc(message);
}

void TSkinDialog::SetVisible(bool visible)
{
    lumo::TForm::SetVisible(visible);
    if (visible && Showing() && GetForegroundWindow() != Handle()) {
        SetForegroundWindow(Handle());
    }
}

void TSkinDialog::KeyDown(WORD& key, lumo::TShiftState shift)
{
    if (IsDialogKey(key) && DialogKey(key)) {
        key = 0;
        return;
    }
    lumo::TForm::KeyDown(key, shift);
}

void TSkinDialog::DoShow()
{
    MakeTopmost();
    KdButton* button = DefaultButton();
    if (button && button->Visible() && button->Enabled() && button->TabStop()) {
        SetActiveControl(button);
    } else {
        SetActiveControl(nullptr);
    }
    lumo::TForm::DoShow();
}

void SizeToText(lumo::TLabel& label)
{
    label.SetAutoSize(true);
    label.SetAutoSize(false);
    // Room for a last glyph that reaches past its advance (bold "n" under Wine).
    label.SetWidth(label.Width() + 3);
}

int FitLabel(lumo::TLabel& label, const RECT& design, const RECT& area, int maxFontHeight,
             int minFontHeight)
{
    const int width = design.right - design.left;
    const int areaHeight = area.bottom - area.top;
    int fontHeight = maxFontHeight;
    int textHeight = 0;
    for (; fontHeight >= minFontHeight; --fontHeight) {
        label.Font().SetHeight(-fontHeight);
        textHeight = WrappedHeight(label.Caption(), label.Font(), width);
        if (textHeight <= areaHeight) {
            break;
        }
    }
    if (fontHeight < minFontHeight) {
        fontHeight = minFontHeight;
        label.Font().SetHeight(-fontHeight);
    }
    if (fontHeight == maxFontHeight && textHeight <= design.bottom - design.top) {
        label.SetBounds(design.left, design.top, width, design.bottom - design.top);
        return fontHeight;
    }
    const int height = std::min(textHeight, areaHeight);
    const int top = area.top + (areaHeight - height) / 2;
    label.SetBounds(design.left, top, width, height);
    return fontHeight;
}

} // namespace tv
