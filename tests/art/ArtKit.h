#pragma once
// What the art checks and the mock-up share: the main window's labels as its view places them,
// pictures as plain pixel arrays, PNG reading through pngio.dll, the chart's blend, text boxes
// measured with GDI, and the composed main window.
#include <windows.h>
#include <string>
#include <vector>

namespace arttest {

// A picture as B, G, R, A bytes per pixel, rows top-down; alpha is 255 for opaque pictures.
struct Pixels
{
    int width = 0;
    int height = 0;
    std::vector<BYTE> bgra;

    BYTE* At(int x, int y) { return &bgra[(size_t(y) * width + x) * 4]; }
    const BYTE* At(int x, int y) const { return &bgra[(size_t(y) * width + x) * 4]; }
    COLORREF Colour(int x, int y) const
    {
        const BYTE* p = At(x, y);
        return RGB(p[2], p[1], p[0]);
    }
};

// A linked bitmap resource of this program; false when it is missing or unreadable.
bool LoadResourceBitmap(const char* name, Pixels& out, int* bitsPerPixel = nullptr);
// A BMP file (the digit glyphs).
bool LoadBmpFile(const std::string& path, Pixels& out, int* bitsPerPixel = nullptr);

// The decoded-image record of pngio.dll, as the main window reads it.
struct PngRecord
{
    DWORD width;
    DWORD height;
    DWORD reserved1;
    DWORD colorType;
    DWORD reserved2;
    BYTE** rows;
};
// Reads a PNG file through the stage's pngio.dll into a 32-bit picture as the main window
// does (a pixel with alpha 0 gets B = G = R = 0). colorType receives the record's colour type.
bool LoadPng(const std::string& path, Pixels& out, DWORD* colorType = nullptr);

// Per pixel: x = A / 255 * constant / 255; d = d (1 - x) + s x, truncated; dest keeps its alpha.
void Blend(Pixels& dest, const Pixels& source, int left, int top, int constant);
// dest receives source where source is not the key colour.
void DrawKeyed(Pixels& dest, const Pixels& source, int left, int top, COLORREF key);
void Draw(Pixels& dest, const Pixels& source, int left, int top);

// WCAG contrast ratio of two colours (1 .. 21).
double Contrast(COLORREF a, COLORREF b);

// A label of the main window: font "Microsoft Sans Serif".
struct Label
{
    const char* name;
    const char* text;
    int left, top, width, height; // width 0: sized to its text
    int fontHeight;
    bool bold;
    COLORREF colour;
    bool centred;
    bool wordWrap;
    bool moves;     // part of the mode area, 33 pixels higher in the small view
    bool largeOnly; // hidden in the small view
};
const std::vector<Label>& MainLabels();

// A text button's caption: the control's place, caption rectangle and text.
struct Caption
{
    const char* name;
    const char* text;
    int left, top;
    RECT area; // relative to the control
    bool moves;
    bool largeOnly;
};
const std::vector<Caption>& MainCaptions();
constexpr COLORREF kCaptionColour = 0xCAC9CD;
constexpr int kCaptionFont = 12;

// The rectangle the label's text covers (in window coordinates, for the given view).
RECT TextBox(const Label& label, bool small);
// Draws text with the label font into picture (transparent background).
void DrawText(Pixels& picture, const std::string& text, RECT box, int fontHeight, bool bold,
              COLORREF colour, UINT format);

// The main window as its view will show it in the large or small view: background, controls in
// their resting states (High performance active), captions, labels, the dial and a CO2 figure.
bool ComposeMainWindow(bool small, Pixels& out);

// A dialog as its view will show it: "progress", "universal", "vga", "cpu" or "advanced".
bool ComposeDialog(const std::string& which, Pixels& out);
extern const char* const kDialogs[5];

// Folder of this program, with its trailing backslash.
std::string ProgramDir();

} // namespace arttest
