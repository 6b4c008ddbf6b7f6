#pragma once
// The published types of the numeric LED display.
#include "lumo/Forms/Types.h"

// What SetValue accepts and how the value is spread over the LEDs.
enum KdNumLedType
{
    nledFloat,
    nledTime,
    nledDate
};

// The LED shape set.
enum KdNumLedStyle
{
    nledRectangle7_s
};

struct KdLedColors
{
    lumo::TColor LightColor = 0x00FF00;       // lit segments: bright green
    lumo::TColor DarkColor = 0x003000;        // unlit segments: dim green
    lumo::TColor BackgroundColor = 0x000000;  // black
    lumo::TColor TransparentColor = 0x000000; // with Transparent, the background disappears
};
