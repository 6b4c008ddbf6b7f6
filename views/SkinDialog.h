#pragma once
// What the skinned secondary windows share: a borderless form cut out of its Background picture
// (colour key from the picture's lower-left pixel, dragged by the picture), erase suppression,
// the title bar's close and minimise buttons, transparent labels in "Microsoft Sans Serif",
// text buttons, and the keys users expect of a dialog: Enter presses the focused text button or
// else the default one, Escape closes (a modal dialog with result 2).
#include "assets/art/SkinArt.h"
#include "lumo/Forms/Form.h"
#include "lumo/Forms/Image.h"
#include "lumo/Forms/Label.h"
#include "lumo/Kd/KdButton.h"
#include "lumo/widget/Source/FlickerEliminator.h"
#include "lumo/widget/Source/TShapedForm.h"

#include <functional>
#include <string>

namespace tv {

// An Enter or Escape held down from before (its repeats, or a press that began in the window
// before this one): not a press meant for this dialog.
bool IsHeldDialogKey(const lumo::TMessage& message);

// Text by language key; the program's windows use tv::Translate.
using TextLookup = std::function<std::string(const char* key)>;

inline constexpr char kDialogFontName[] = "Microsoft Sans Serif";
// Captions of the text buttons, by state.
inline constexpr lumo::TColor kButtonTextColor = 0xCAC9CD;
inline constexpr lumo::TColor kButtonFocusedTextColor = 0xFFFFFF;
inline constexpr lumo::TColor kButtonDisabledTextColor = 0x8E8A86;
// The caption sits on the upper 30 rows of a text button (below them lies its shadow).
inline constexpr int kButtonFaceHeight = 30;

// Enter and Escape reach the form's dialog keys instead of pressing the button.
class TDialogButton : public KdButtonTx
{
public:
    explicit TDialogButton(lumo::TComponent* owner) : KdButtonTx(owner) {}

    void WndProc(lumo::TMessage& message) override;

protected:
    void KeyDown(WORD& key, lumo::TShiftState shift) override;
};

class TSkinDialog : public lumo::TForm
{
public:
    // background: the resource name of the form's picture; width x height its size, used for a
    // plain stand-in picture when the program carries no such resource.
    TSkinDialog(lumo::TComponent* owner, const char* name, const char* background, int width,
                int height);
    ~TSkinDialog() override;

    lumo::TImage& Background() { return *m_background; }
    KdButton& CloseButton() { return *m_closeButton; }
    KdButton& MinimizeButton() { return *m_minimizeButton; }
    lumo::TLayeredFormMaker& Shaper() { return m_shaper; }

    // Every text that comes from a language key, looked up again.
    virtual void ApplyTexts(const TextLookup& lookup) { (void)lookup; }

    // The button Enter presses when no text button has the focus; null: none.
    virtual KdButton* DefaultButton() = 0;
    // Enter and Escape as a dialog handles them; false for any other key.
    bool DialogKey(WORD key);

    // The picture of a linked resource; false (bitmap unchanged) when the program has none.
    static bool LoadArt(lumo::TBitmap& bitmap, const char* name);
    // The four state pictures of a button; false when one is missing (then none is set).
    static bool LoadButtonArt(KdButton& button, const skinart::FourStates& art);

    void WndProc(lumo::TMessage& message) override;
    // Shown, the dialog takes the foreground, so that the keyboard reaches it also when the
    // program was not in front (a question from the tray).
    void SetVisible(bool visible) override;

protected:
    // What Escape does: Close (a modal dialog ends with result 2, another one hides).
    virtual void EscapePressed() { Close(); }

    void KeyDown(WORD& key, lumo::TShiftState shift) override;
    // Topmost, and the default button gets the focus once the window is active.
    void DoShow() override;

    // A transparent label in the dialog's font; sized to its text when width is 0.
    lumo::TLabel* AddLabel(const char* name, int left, int top, int width, int height,
                           int fontHeight, bool bold, lumo::TColor color, bool wordWrap);
    TDialogButton* AddTextButton(const char* name, const skinart::FourStates& art, int left,
                                 int top, int width, int height, lumo::TModalResult result);
    // Cuts the form out of its picture; called once the controls are in place.
    void Shape();

private:
    lumo::TImage* m_background;
    KdButton* m_closeButton;
    KdButton* m_minimizeButton;
    lumo::TLayeredFormMaker m_shaper;
    lumo::FlickerEliminator m_flicker;
};

// A single-line label as wide as its text (and a little more) and as high.
void SizeToText(lumo::TLabel& label);

// Fits a word-wrapped label into area: at the design place (left, top, width, height) when its
// text fits there at the largest font height, else centred in the area, with the largest font
// height from maxFontHeight down to minFontHeight whose lines fit the area (the smallest when
// none does). Returns the font height chosen.
int FitLabel(lumo::TLabel& label, const RECT& design, const RECT& area, int maxFontHeight,
             int minFontHeight);

} // namespace tv
