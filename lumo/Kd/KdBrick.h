#pragma once
// The brick: a picture that shows hover but no presses (normal 0, focused 1, disabled 2), and
// KdBrickTx, a brick with a caption.
#include "lumo/Kd/KdAppearance.h"
#include "lumo/Kd/KdCaption.h"
#include "lumo/Kd/KdCustomControl.h"

class KdBrick : public KdCustomControl
{
public:
    LUMO_CLASS_NAME(KdBrick)
    explicit KdBrick(lumo::TComponent* owner);

    KdThreeStateAppearance& Appearance() { return m_appearance; }
    bool LoadBitmap(const std::string& folder, const std::string& normal,
                    const std::string& focused, const std::string& disabled);

    void ShowRaised() override { ShowBitmap(0); }
    void ShowSunken() override { ShowBitmap(0); }
    void ShowFocused() override { ShowBitmap(1); }
    void ShowDisabled() override { ShowBitmap(2); }

private:
    KdThreeStateAppearance m_appearance;
};

class KdBrickTx : public KdBrick
{
public:
    LUMO_CLASS_NAME(KdBrickTx)
    explicit KdBrickTx(lumo::TComponent* owner);

    void SetText(const std::string& text) { SetCaption(text); }
    const std::string& GetText() const { return Caption(); }
    void SetTextBounds(int left, int top, int width, int height);
    RECT TextBounds() const { return m_caption.Bounds; }
    void SetDisp(int x, int y);
    // Text colours for the focused and disabled states.
    KdTwoStateFontColor& FontColors() { return m_fontColors; }

    // The text colour the requested state uses, as plain RGB.
    COLORREF TextColor() const;
    void SetBounds(int left, int top, int width, int height) override;
    // The caption is drawn again also when a missing picture leaves the shown bitmap as it is.
    void ShowBitmap(int state) override;

protected:
    void CaptionChanged() override;
    void FontChanged() override;

private:
    KdCaption m_caption;
    KdTwoStateFontColor m_fontColors;
};
