#pragma once
// The parts of a skinned drop-down (SkinComboBox): the value panel and the drop panel with its
// list, and the pictures and colours they are drawn with.
#include "lumo/Component/ListBox/ListBox.h"
#include "lumo/Forms/Bitmap.h"
#include "lumo/Forms/Control.h"

#include <memory>
#include <string>

namespace lumo {
class TListBoxLayout;
class TOwnerDrawTextLayout;
} // namespace lumo

namespace tv {

namespace combo {

// Colours as Windows colour values.
inline constexpr lumo::TColor kCaptionColor = 0x4D3F28;
inline constexpr lumo::TColor kTextColor = 0xFEFCF4;
inline constexpr lumo::TColor kDisabledTextColor = 0x9E9C94;
inline constexpr lumo::TColor kListColor = 0x847967;
inline constexpr lumo::TColor kSelectedColor = 0x6A5641;
// The value text's box inside the value panel.
inline constexpr int kTextLeft = 4;
inline constexpr int kTextTop = 2;
inline constexpr int kTextWidth = 124;
inline constexpr char kFontName[] = "Microsoft Sans Serif";
inline constexpr int kFontHeight = -12;

// The font height from kFontHeight down to the smallest (-9) at which text fits width on the
// canvas; the smallest when none does (the text is then cut).
int FittingFontHeight(lumo::TCanvas& canvas, const std::string& text, int width);
void SetFont(lumo::TFont& font, int height, lumo::TColor color);

} // namespace combo

// The pictures the drop-downs are drawn from (not owned; they outlive the drop-downs).
struct SkinComboBoxParts
{
    // The arrow button's raised, sunken, focused and disabled states.
    lumo::TBitmap* arrow[4] = {nullptr, nullptr, nullptr, nullptr};
    lumo::TBitmap* field = nullptr;  // the value panel
    lumo::TBitmap* body = nullptr;   // a slice of the drop panel's sides, stretched
    lumo::TBitmap* bottom = nullptr; // the drop panel's bottom edge
    lumo::TBitmap* mask = nullptr;   // the drop panel's outline: black inside, keyed outside
};

// The value panel: the field picture with the chosen item's text. A click on it toggles the drop
// panel while the drop-down is enabled.
class TComboValuePanel : public lumo::TGraphicControl
{
public:
    LUMO_CLASS_NAME(TComboValuePanel)
    TComboValuePanel(lumo::TComponent* owner, lumo::TBitmap* field);

    void SetText(const std::string& text, lumo::TColor color);
    // The font height the text is drawn with: the caption's -12, smaller for a text that would
    // not fit its box otherwise (down to -9, then cut with an ellipsis).
    int TextFontHeight() const { return m_fontHeight; }
    void Paint(lumo::TCanvas& canvas) override;

private:
    void FitText();

    lumo::TBitmap* m_field;
    std::string m_text;
    lumo::TColor m_color = combo::kTextColor;
    int m_fontHeight = -12;
};

// The drop panel: the sides and bottom pictures around the list, shaped by the mask picture.
class TComboDropPanel : public lumo::TWinControl
{
public:
    LUMO_CLASS_NAME(TComboDropPanel)
    // Posted to the panel when the list lost the focus.
    static constexpr UINT kFocusCheck = WM_APP + 0x120;

    TComboDropPanel(lumo::TComponent* owner, const SkinComboBoxParts& parts);
    ~TComboDropPanel() override;

    lumo::TListBox& List() { return *m_list; }
    void Paint(lumo::TCanvas& canvas) override;
    void WndProc(lumo::TMessage& message) override;

protected:
    void CreateWnd() override;
    void Resize() override;

private:
    class FittingLayout;
    void Shape();

    lumo::TBitmap* m_body;
    lumo::TBitmap* m_bottom;
    lumo::TBitmap* m_mask;
    lumo::TListBox* m_list;
    std::unique_ptr<FittingLayout> m_fitting;
    std::unique_ptr<lumo::TOwnerDrawTextLayout> m_itemText;
    std::unique_ptr<lumo::TListBoxLayout> m_layout;
};

} // namespace tv
