// Writes the main window's mock-ups, large and small view, as the view will compose them:
//   artmockup.exe FOLDER  ->  FOLDER\mockup-large.bmp, mockup-small.bmp and one per dialog
#include "tests/art/ArtKit.h"

#include "lumo/Forms/Bitmap.h"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

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
    std::vector<std::string> names = {"large", "small"};
    names.insert(names.end(), std::begin(arttest::kDialogs), std::end(arttest::kDialogs));
    for (const std::string& name : names) {
        arttest::Pixels picture;
        bool ok = name == "large"   ? arttest::ComposeMainWindow(false, picture)
                  : name == "small" ? arttest::ComposeMainWindow(true, picture)
                                    : arttest::ComposeDialog(name, picture);
        if (!ok) {
            fprintf(stderr, "artmockup: a picture of %s is missing or unreadable\n", name.c_str());
            return 1;
        }
        lumo::TBitmap bitmap(picture.width, picture.height, lumo::TPixelFormat::pf24bit);
        for (int y = 0; y < picture.height; ++y) {
            BYTE* row = bitmap.ScanLine(y);
            for (int x = 0; x < picture.width; ++x) {
                std::memcpy(row + x * 3, picture.At(x, y), 3);
            }
        }
        std::string path = folder + "mockup-" + name + ".bmp";
        try {
            bitmap.SaveToFile(path);
        } catch (...) {
            fprintf(stderr, "artmockup: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
