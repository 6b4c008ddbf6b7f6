#include "lumo/Kd/KdCaption.h"

#include "lumo/Kd/KdAppearance.h"

using namespace lumo;

void KdCaption::Draw(TCanvas& canvas, const TFont& font, TColor color, const std::string& text,
                     bool shifted) const
{
    RECT rect = Bounds;
    if (shifted) {
        OffsetRect(&rect, Displacement.x, Displacement.y);
    }
    TFont previousFont;
    previousFont.Assign(canvas.Font());
    TBrushStyle previousBrush = canvas.Brush().Style();
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    canvas.Font().Assign(font);
    if (color == kdColorNotSet) {
        color = font.Color();
    }
    canvas.Font().SetColor(static_cast<TColor>(ColorToRGB(color)));
    canvas.DrawText(text, rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    canvas.Font().Assign(previousFont);
    canvas.Brush().SetStyle(previousBrush);
}
