#pragma once
// The gallery's screenshot: what the screen shows in the window's rectangle, saved as PNG
// (through pngio.dll beside the program) or as BMP.
#include "lumo/Forms/Bitmap.h"

#include <string>

namespace gallery {

bool CaptureWindow(HWND window, lumo::TBitmap& picture);
// A name ending in ".bmp" gives a BMP file, any other a PNG file.
bool SavePicture(const lumo::TBitmap& picture, const std::string& path);

} // namespace gallery
