#pragma once
// A graphic control showing a caption in its font: aligned left, right or centred, optionally
// word-wrapped, on its own colour or (transparent) on whatever lies below.
#include "lumo/Forms/Control.h"

namespace lumo {

class TLabel : public TGraphicControl
{
public:
    LUMO_CLASS_NAME(TLabel)
    explicit TLabel(TComponent* owner);

    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment alignment);
    TLabelLayout Layout() const { return m_layout; }
    void SetLayout(TLabelLayout layout);
    bool WordWrap() const { return m_wordWrap; }
    void SetWordWrap(bool wordWrap);
    // No background: the parent's drawing below shows between the letters.
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool transparent);
    // Sizes the label to its text (keeping the width when word wrap is on). Default true.
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool autoSize);
    // "&" marks an accelerator and is not drawn (default true).
    bool ShowAccelChar() const { return m_showAccelChar; }
    void SetShowAccelChar(bool show);

    // With AutoSize the size follows the text (only the width is taken when word wrap is on).
    // Without a parent the label keeps the bounds given and measures its text once it has one.
    void SetBounds(int left, int top, int width, int height) override;
    void SetParent(TWinControl* parent) override;
    void Paint(TCanvas& canvas) override;

protected:
    void CaptionChanged() override;
    void FontChanged() override;

private:
    UINT TextFlags() const;
    // The text's size for a width (used with word wrap).
    SIZE TextSize(int width);
    void AdjustBounds();

    TAlignment m_alignment = TAlignment::taLeftJustify;
    TLabelLayout m_layout = TLabelLayout::tlTop;
    bool m_wordWrap = false;
    bool m_transparent = false;
    bool m_autoSize = true;
    bool m_showAccelChar = true;
    bool m_measurePending = false;
};

} // namespace lumo
