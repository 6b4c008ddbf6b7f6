#pragma once
// The pictures the gallery shows: the skin art when the build links it, else placeholders
// drawn in code.
#include "lumo/Forms/Bitmap.h"

#include <string>

namespace gallery {

struct Skin
{
    std::string Name;
    // States 0..3 of KdButton (raised, sunken, focused, disabled) and of KdButtonTx.
    lumo::TBitmap Button[4];
    lumo::TBitmap TextButton[4];
    // Where a KdButtonTx's caption goes (left, top, width, height; 0 width: the whole face)
    // and its colour.
    RECT TextBounds = {0, 0, 0, 0};
    lumo::TColor TextColor = 0xCAC9CD;
    // KdCheckBox states 0..11 (unchecked, checked, grayed) and KdRadioButton states 0..7.
    lumo::TBitmap CheckBox[12];
    lumo::TBitmap Radio[8];
    // Shaped controls: cut their key colour out (Transparent).
    bool Shaped = true;
    // KdBrick states 0..2 (normal, focused, disabled); KdBar's track (normal, disabled) and
    // indicator.
    lumo::TBitmap Brick[3];
    // KdBrickTx states 0..2: a face with room for a line of text.
    lumo::TBitmap TextBrick[3];
    lumo::TBitmap BarTrack[3];
    lumo::TBitmap BarKnob;
};

// Placeholders: one look per state, so that every state can be told apart.
void PlaceholderSkin(Skin& skin);
// Only the text bricks' placeholders (the art has no face for a text brick).
void TextBrickFaces(Skin& skin);
// The skin art linked into the program; false when the build has none.
bool ArtSkin(Skin& skin);

} // namespace gallery
