#include "tests/art/ArtKit.h"

#include "assets/art/SkinArt.h"
#include "lumo/Forms/Bitmap.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace arttest {

namespace {

bool FromBitmap(lumo::TBitmap& bitmap, Pixels& out, int* bitsPerPixel)
{
    if (bitsPerPixel) {
        *bitsPerPixel = bitmap.BitsPerPixel();
    }
    out.width = bitmap.Width();
    out.height = bitmap.Height();
    out.bgra.assign(size_t(out.width) * out.height * 4, 255);
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            COLORREF c = static_cast<COLORREF>(bitmap.PixelColor(x, y));
            BYTE* p = out.At(x, y);
            p[0] = GetBValue(c);
            p[1] = GetGValue(c);
            p[2] = GetRValue(c);
        }
    }
    return !bitmap.Empty();
}

DWORD WINAPI ReadFile(void* stream, void* buffer, DWORD count)
{
    return static_cast<DWORD>(fread(buffer, 1, count, static_cast<FILE*>(stream)));
}

using ReadPngExFn = int(WINAPI*)(PngRecord*, DWORD(WINAPI*)(void*, void*, DWORD), void*);
using FreePngDataFn = void(WINAPI*)(PngRecord*);

double Linear(BYTE channel)
{
    double c = channel / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(COLORREF c)
{
    return 0.2126 * Linear(GetRValue(c)) + 0.7152 * Linear(GetGValue(c)) +
           0.0722 * Linear(GetBValue(c));
}

HFONT MakeFont(int height, bool bold)
{
    return CreateFontA(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, "Microsoft Sans Serif");
}

UINT LabelFormat(const Label& label)
{
    UINT format = DT_NOPREFIX | (label.wordWrap ? DT_WORDBREAK : DT_SINGLELINE);
    return format | (label.centred ? DT_CENTER : DT_LEFT);
}

int Shift(bool moves, bool small)
{
    return moves && small ? -33 : 0;
}

} // namespace

std::string ProgramDir()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    return dir.substr(0, dir.find_last_of('\\') + 1);
}

bool LoadResourceBitmap(const char* name, Pixels& out, int* bitsPerPixel)
{
    lumo::TBitmap bitmap;
    try {
        bitmap.LoadFromResourceName(GetModuleHandleA(nullptr), name);
    } catch (...) {
        return false;
    }
    return FromBitmap(bitmap, out, bitsPerPixel);
}

bool LoadBmpFile(const std::string& path, Pixels& out, int* bitsPerPixel)
{
    lumo::TBitmap bitmap;
    try {
        bitmap.LoadFromFile(path);
    } catch (...) {
        return false;
    }
    return FromBitmap(bitmap, out, bitsPerPixel);
}

bool LoadPng(const std::string& path, Pixels& out, DWORD* colorType)
{
    static HMODULE library = LoadLibraryA((ProgramDir() + "pngio.dll").c_str());
    if (!library) {
        return false;
    }
    auto read = reinterpret_cast<ReadPngExFn>(GetProcAddress(library, "ReadPngEx"));
    auto release = reinterpret_cast<FreePngDataFn>(GetProcAddress(library, "FreePngData"));
    FILE* file = fopen(path.c_str(), "rb");
    if (!read || !release || !file) {
        if (file) {
            fclose(file);
        }
        return false;
    }
    PngRecord record = {};
    bool ok = read(&record, ReadFile, file) != 0 && record.rows;
    fclose(file);
    if (!ok) {
        return false;
    }
    if (colorType) {
        *colorType = record.colorType;
    }
    bool alpha = record.colorType == 6;
    out.width = int(record.width);
    out.height = int(record.height);
    out.bgra.assign(size_t(out.width) * out.height * 4, 0);
    for (int y = 0; y < out.height; ++y) {
        const BYTE* row = record.rows[y];
        for (int x = 0; x < out.width; ++x) {
            const BYTE* s = row + x * (alpha ? 4 : 3);
            BYTE* d = out.At(x, y);
            BYTE a = alpha ? s[3] : 255;
            d[0] = a ? s[2] : 0;
            d[1] = a ? s[1] : 0;
            d[2] = a ? s[0] : 0;
            d[3] = a;
        }
    }
    release(&record);
    return true;
}

void Blend(Pixels& dest, const Pixels& source, int left, int top, int constant)
{
    for (int y = 0; y < source.height; ++y) {
        for (int x = 0; x < source.width; ++x) {
            int dx = left + x, dy = top + y;
            if (dx < 0 || dy < 0 || dx >= dest.width || dy >= dest.height) {
                continue;
            }
            const BYTE* s = source.At(x, y);
            BYTE* d = dest.At(dx, dy);
            double a = s[3] / 255.0 * constant / 255.0;
            for (int c = 0; c < 3; ++c) {
                d[c] = static_cast<BYTE>(d[c] * (1 - a) + s[c] * a);
            }
        }
    }
}

void DrawKeyed(Pixels& dest, const Pixels& source, int left, int top, COLORREF key)
{
    for (int y = 0; y < source.height; ++y) {
        for (int x = 0; x < source.width; ++x) {
            if (source.Colour(x, y) != key) {
                std::memcpy(dest.At(left + x, top + y), source.At(x, y), 3);
            }
        }
    }
}

void Draw(Pixels& dest, const Pixels& source, int left, int top)
{
    for (int y = 0; y < source.height; ++y) {
        std::memcpy(dest.At(left, top + y), source.At(0, y), size_t(source.width) * 4);
    }
}

double Contrast(COLORREF a, COLORREF b)
{
    double la = Luminance(a), lb = Luminance(b);
    return la > lb ? (la + 0.05) / (lb + 0.05) : (lb + 0.05) / (la + 0.05);
}

const std::vector<Label>& MainLabels()
{
    // Texts are the English ones; "Energy Saved" is the key of EnergySavingTitle.
    static const std::vector<Label> labels = {
        {"ModeTitle", "Mode Setting", 44, 289, 0, 0, 13, true, 0x302A1D, false, false, true, false},
        {"CpuStatusTitle", "Current Status", 347, 290, 0, 0, 13, true, 0x302A1D, false, false, true,
         false},
        {"TranquilityTitle", "Tranquility", 446, 323, 77, 18, 11, true, 0x4D3F28, true, false, true,
         false},
        {"PerformanceTitle", "Performance", 336, 370, 97, 18, 11, true, 0x4D3F28, true, false, true,
         false},
        {"ConvenienceTitle", "Convenience", 544, 370, 97, 18, 11, true, 0x4D3F28, true, false, true,
         false},
        {"ReliabilityTitle", "Reliability", 327, 428, 114, 18, 11, true, 0x4D3F28, true, false,
         true, false},
        {"EnergySavingTitle", "Energy Saved", 526, 428, 114, 21, 11, true, 0x4D3F28, true, true,
         true, false},
        {"ReducedCO2Title", "Total reduced CO2 Emission", 58, 205, 0, 0, 13, true, 0xDBDAD8, false,
         false, false, false},
        {"CurrentModeName", "Max power saving", 43, 313, 231, 19, 11, false, 0xE9B572, true, false,
         true, false},
        {"Date", "Since: 2008/04/01 02:31", 299, 236, 0, 0, 12, false, 0x00FF9E, false, false,
         false, true},
    };
    return labels;
}

const std::vector<Caption>& MainCaptions()
{
    static const std::vector<Caption> captions = {
        {"MoreSettingButton", "Setting", 44, 433, {0, 0, 130, 30}, true, false},
        {"CalibrateButton", "Calibrate", 178, 433, {0, 0, 130, 30}, true, false},
        {"ExitButton", "Exit", 521, 479, {0, 0, 131, 30}, true, false},
        {"SwitchButton", "Current", 489, 229, {32, 2, 132, 28}, false, true},
    };
    return captions;
}

RECT TextBox(const Label& label, bool small)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = MakeFont(label.fontHeight, label.bold);
    HGDIOBJ old = SelectObject(dc, font);
    int top = label.top + Shift(label.moves, small);
    RECT box = {label.left, top, label.left + (label.width ? label.width : 2000),
                top + (label.height ? label.height : 200)};
    RECT measured = box;
    ::DrawTextA(dc, label.text, -1, &measured, LabelFormat(label) | DT_CALCRECT);
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    if (label.centred && label.width) {
        int w = measured.right - measured.left;
        measured.left = box.left + (label.width - w) / 2;
        measured.right = measured.left + w;
    }
    return measured;
}

void DrawText(Pixels& picture, const std::string& text, RECT box, int fontHeight, bool bold,
              COLORREF colour, UINT format)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib) {
        DeleteDC(dc);
        return;
    }
    std::memcpy(bits, picture.bgra.data(), picture.bgra.size());
    HGDIOBJ oldBitmap = SelectObject(dc, dib);
    HFONT font = MakeFont(fontHeight, bold);
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    ::DrawTextA(dc, text.c_str(), -1, &box, format | DT_NOPREFIX);
    GdiFlush();
    std::memcpy(picture.bgra.data(), bits, picture.bgra.size());
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(font);
    DeleteObject(dib);
    DeleteDC(dc);
}

bool ComposeMainWindow(bool small, Pixels& out)
{
    using namespace skinart;
    if (!LoadResourceBitmap(small ? kSmallBk : kLargeBk, out)) {
        return false;
    }
    int dy = small ? -33 : 0;
    struct Placed
    {
        const char* name;
        int left, top;
        bool moves, largeOnly;
    };
    const Placed controls[] = {
        {kCloseButton.raised, 615, 0, false, false},
        {kMinimizeButton.raised, 583, 0, false, false},
        {kCpuButton.raised, 67, 77, false, false},
        {kVgaButton.raised, 213, 77, false, false},
        {kDriveButton.disabled, 358, 77, false, false},
        {kFanButton.disabled, 504, 77, false, false},
        {kStatusLed.normal, 84, 171, false, false},
        {kStatusLed.disabled, 230, 171, false, false},
        {kStatusLed.normal, 374, 171, false, false},
        {kStatusLed.normal, 524, 171, false, false},
        {small ? kShrinkButton.check.raised : kShrinkButton.uncheck.raised, 25, 196, false, false},
        {kSwitchButton.raised, 489, 229, false, true},
        {kAutoButton.uncheck.raised, 42, 385, true, false},
        {kNormalButton.uncheck.raised, 151, 385, true, false},
        {kLowButton.check.raised, 259, 385, true, false},
        {kMainTextButton.raised, 44, 433, true, false},
        {kMainTextButton.raised, 178, 433, true, false},
        {kExitButton.raised, 521, 479, true, false},
    };
    for (const Placed& c : controls) {
        if (small && c.largeOnly) {
            continue;
        }
        Pixels bitmap;
        if (!LoadResourceBitmap(c.name, bitmap)) {
            return false;
        }
        Draw(out, bitmap, c.left, c.top + (c.moves ? dy : 0));
    }
    for (const Caption& c : MainCaptions()) {
        if (small && c.largeOnly) {
            continue;
        }
        RECT box = c.area;
        OffsetRect(&box, c.left, c.top + (c.moves ? dy : 0));
        DrawText(out, c.text, box, kCaptionFont, false, kCaptionColour,
                 DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    for (const Label& label : MainLabels()) {
        if (small && label.largeOnly) {
            continue;
        }
        RECT box = TextBox(label, small);
        DrawText(out, label.text, box, label.fontHeight, label.bold, label.colour,
                 LabelFormat(label));
    }
    // The dial on Max power saving: the gear at left 267, the steady chart.
    std::string folder = ProgramDir() + kResourceFolder;
    Pixels gear, chart, layer;
    if (!LoadPng(folder + kGearPng, gear) || !LoadPng(folder + kPentagonPng, chart)) {
        return false;
    }
    Blend(out, gear, 267, 345 + dy, 255);
    const std::pair<std::string, int> layers[] = {
        {kLinePng, 255}, {kProfilePngs[4], 200}, {kMaskPng, 255}};
    for (const auto& l : layers) {
        if (!LoadPng(folder + l.first, layer)) {
            return false;
        }
        Blend(chart, layer, 0, 0, l.second);
    }
    Blend(out, chart, 439, 345 + dy, 255);
    if (!small) {
        // 1230.000 g of CO2, as the energy panel lays a row of 6 + 3 digits out.
        const int shown[] = {11, 11, 1, 2, 3, 0, 10, 0, 0, 0};
        Pixels glyphs[13];
        for (int i = 0; i < 13; ++i) {
            char name[16];
            snprintf(name, sizeof name, "%02d.bmp", i);
            if (!LoadBmpFile(ProgramDir() + kNumberFolder + name, glyphs[i])) {
                return false;
            }
        }
        int x = 46;
        for (int k = 0; k < 10; ++k) {
            int gap = 5;
            if (k == 6) {
                x -= 1;
                gap = 4;
            }
            DrawKeyed(out, glyphs[shown[k]], x, 236, kKeyColour);
            x += glyphs[k == 6 ? 12 : 11].width + gap;
        }
        Pixels unit;
        if (!LoadResourceBitmap(kGBk, unit)) {
            return false;
        }
        Draw(out, unit, 46 + 162, 236 + 4);
    }
    return true;
}

} // namespace arttest
