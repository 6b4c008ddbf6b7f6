#pragma once
// The caption of the text-carrying skinned controls: a rectangle over the picture, a
// displacement for the pressed look, and the drawing of the text in it.
#include "lumo/Forms/Canvas.h"

#include <string>

struct KdCaption
{
    RECT Bounds = {0, 0, 0, 0};
    POINT Displacement = {2, 2};

    // Draws text centred on one line in Bounds (moved by Displacement when shifted), in font
    // with color (-1: the font's own colour), on a transparent background. The canvas keeps
    // its font and brush.
    void Draw(lumo::TCanvas& canvas, const lumo::TFont& font, lumo::TColor color,
              const std::string& text, bool shifted) const;
};
