#pragma once
// The push buttons: KdButton (four pictures, sets its form's modal result when clicked) and
// KdButtonTx (with a caption, moved 2 pixels right and down while pressed, coloured by state).
#include "lumo/Kd/KdAppearance.h"
#include "lumo/Kd/KdCaption.h"
#include "lumo/Kd/KdCustomControl.h"

class KdButton : public KdCustomControl
{
public:
    LUMO_CLASS_NAME(KdButton)
    explicit KdButton(lumo::TComponent* owner);

    // States 0 raised, 1 sunken, 2 focused, 3 disabled.
    KdFourStateAppearance& Appearance() { return m_appearance; }
    // Set on the form containing the button when it is clicked (also 0).
    lumo::TModalResult ModalResult() const { return m_modalResult; }
    void SetModalResult(lumo::TModalResult result) { m_modalResult = result; }

    // Loads the four pictures (empty names skipped) from folder.
    bool LoadBitmap(const std::string& folder, const std::string& raised, const std::string& sunken,
                    const std::string& focused, const std::string& disabled);

    void ShowRaised() override { ShowBitmap(0); }
    void ShowSunken() override { ShowBitmap(1); }
    void ShowFocused() override { ShowBitmap(2); }
    void ShowDisabled() override { ShowBitmap(3); }
    void Click() override;

private:
    KdFourStateAppearance m_appearance;
    lumo::TModalResult m_modalResult = lumo::mrNone;
};

class KdButtonTx : public KdButton
{
public:
    LUMO_CLASS_NAME(KdButtonTx)
    explicit KdButtonTx(lumo::TComponent* owner);

    // The caption (the control's Caption).
    void SetText(const std::string& text) { SetCaption(text); }
    const std::string& GetText() const { return Caption(); }
    // The caption rectangle becomes (left, top, left + width, top + height).
    void SetTextBounds(int left, int top, int width, int height);
    RECT TextBounds() const { return m_caption.Bounds; }
    // How far the text moves while the button is pressed (default 2, 2).
    void SetDisp(int x, int y);
    // Text colours for the sunken, focused and disabled states.
    KdThreeStateFontColor& FontColors() { return m_fontColors; }

    // The text colour the requested state uses, as plain RGB.
    COLORREF TextColor() const;
    // Resets the caption rectangle to the new client area.
    void SetBounds(int left, int top, int width, int height) override;
    // The caption is drawn again also when a missing picture leaves the shown bitmap as it is.
    void ShowBitmap(int state) override;

protected:
    void CaptionChanged() override;
    void FontChanged() override;

private:
    void PaintCaption(lumo::TCanvas& canvas);

    KdCaption m_caption;
    KdThreeStateFontColor m_fontColors;
};
