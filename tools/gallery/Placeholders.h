#pragma once
// Pictures for the gallery until the skin art arrives: drawn in code, one look per state, so
// that every state can be told apart at a glance.
#include "lumo/Forms/Bitmap.h"

namespace gallery {

// Cut away around rounded shapes of the controls.
constexpr lumo::TColor kControlKey = 0xFF00FF;
// Cut away around the gallery window itself.
constexpr lumo::TColor kFormKey = 0x00FF00;

enum Visual
{
    vRaised,
    vSunken,
    vFocused,
    vDisabled
};

enum CheckMark
{
    cmNone,
    cmChecked,
    cmGrayed
};

// A rounded push button face (keyed corners).
void ButtonFace(lumo::TBitmap& bitmap, int width, int height, Visual visual);
// A 20 x 20 check box with its mark.
void CheckBoxFace(lumo::TBitmap& bitmap, Visual visual, CheckMark mark);
// A 20 x 20 round radio button (keyed outside), with its dot when checked.
void RadioFace(lumo::TBitmap& bitmap, Visual visual, bool checked);
// A flat tile: normal, focused (lit) or disabled.
void BrickFace(lumo::TBitmap& bitmap, int width, int height, Visual visual);
// The groove of a bar and its knob.
void BarTrack(lumo::TBitmap& bitmap, int width, int height, bool enabled);
void BarKnob(lumo::TBitmap& bitmap, int width, int height);
// A 32-bit picture whose alpha runs from 0 on the left to 255 on the right, over a disc.
void AlphaDisc(lumo::TBitmap& bitmap, int size);
// The gallery's background: a dark panel with rounded corners on the form key colour, a
// lighter lower area and a checker field at checker for the alpha pictures.
void Background(lumo::TBitmap& bitmap, int width, int height, const RECT& checker);

} // namespace gallery
