// Writes the main window's mock-ups, large and small view, as the view will compose them:
//   artmockup.exe FOLDER  ->  FOLDER\mockup-large.bmp, FOLDER\mockup-small.bmp
#include "tests/art/ArtKit.h"

#include "lumo/Forms/Bitmap.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: artmockup FOLDER\n");
        return 2;
    }
    std::string folder = argv[1];
    if (!folder.empty() && folder.back() != '\\') {
        folder += '\\';
    }
    for (bool small : {false, true}) {
        arttest::Pixels picture;
        if (!arttest::ComposeMainWindow(small, picture)) {
            fprintf(stderr, "artmockup: a picture is missing or unreadable\n");
            return 1;
        }
        lumo::TBitmap bitmap(picture.width, picture.height, lumo::TPixelFormat::pf24bit);
        for (int y = 0; y < picture.height; ++y) {
            BYTE* row = bitmap.ScanLine(y);
            for (int x = 0; x < picture.width; ++x) {
                std::memcpy(row + x * 3, picture.At(x, y), 3);
            }
        }
        std::string path = folder + (small ? "mockup-small.bmp" : "mockup-large.bmp");
        try {
            bitmap.SaveToFile(path);
        } catch (...) {
            fprintf(stderr, "artmockup: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
