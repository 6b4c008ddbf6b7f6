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

const char* const kDialogs[5] = {"progress", "universal", "vga", "cpu", "advanced"};

namespace {

struct Piece
{
    const char* name;
    int left, top;
    const char* caption; // drawn centred over the upper 30 rows (text buttons)
};

struct Text
{
    const char* text;
    RECT box;
    int fontHeight;
    bool bold;
    COLORREF colour;
    UINT format;
};

bool PlaceAll(Pixels& out, const std::vector<Piece>& pieces, const std::vector<Text>& texts)
{
    for (const Piece& piece : pieces) {
        Pixels bitmap;
        if (!LoadResourceBitmap(piece.name, bitmap)) {
            return false;
        }
        Draw(out, bitmap, piece.left, piece.top);
        if (piece.caption) {
            RECT box = {piece.left, piece.top, piece.left + bitmap.width, piece.top + 30};
            DrawText(out, piece.caption, box, kCaptionFont, false, kCaptionColour,
                     DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
    }
    for (const Text& t : texts) {
        DrawText(out, t.text, t.box, t.fontHeight, t.bold, t.colour, t.format);
    }
    return true;
}

// A row of display digits as the energy panel lays it out; glyphs by index.
bool DigitRow(Pixels& out, int left, int top, const std::vector<int>& shown, int point)
{
    int x = left;
    for (size_t k = 0; k < shown.size(); ++k) {
        char name[16];
        snprintf(name, sizeof name, "%02d.bmp", shown[k]);
        Pixels glyph;
        if (!LoadBmpFile(ProgramDir() + skinart::kNumberFolder + name, glyph)) {
            return false;
        }
        int gap = 5;
        if (int(k) == point) {
            x -= 1;
            gap = 4;
        }
        DrawKeyed(out, glyph, x, top, skinart::kKeyColour);
        x += glyph.width + gap;
    }
    return true;
}

} // namespace

bool ComposeDialog(const std::string& which, Pixels& out)
{
    using namespace skinart;
    const UINT wrap = DT_WORDBREAK | DT_LEFT;
    const UINT line = DT_SINGLELINE | DT_LEFT;
    if (which == "progress") {
        if (!LoadResourceBitmap(kProgressBk, out)) {
            return false;
        }
        // The bar at 60 %: head, then the body stretched to w = 211.
        Pixels head, body;
        if (!LoadResourceBitmap(kProgressBarHead, head) ||
            !LoadResourceBitmap(kProgressBarBody, body)) {
            return false;
        }
        Draw(out, head, 34, 68);
        for (int x = 34 + head.width; x < 34 + 211; ++x) {
            for (int y = 0; y < body.height; ++y) {
                std::memcpy(out.At(x, 68 + y), body.At(0, y), 3);
            }
        }
        return PlaceAll(
            out,
            {{kDialogButton.raised, 272, 104, "Cancel"},
             {kCloseButton.raised, 371, 0, nullptr},
             {kMinimizeButton.disabled, 339, 0, nullptr}},
            {{"Calibrating, please wait...", {39, 42, 392, 60}, 12, true, kDialogText, line}});
    }
    if (which == "universal") {
        return LoadResourceBitmap(kUniversalBk, out) &&
               PlaceAll(out,
                        {{kDialogButton.focused, 146, 104, "Yes"},
                         {kDialogButton.raised, 277, 104, "No"},
                         {kCloseButton.raised, 371, 0, nullptr},
                         {kMinimizeButton.disabled, 339, 0, nullptr}},
                        {{"Auto mode needs a calibration of this PC before it can be used. The "
                          "calibration puts a load on the processor for about a minute. "
                          "Calibrate now?",
                          {38, 43, 391, 101},
                          12,
                          true,
                          kDialogText,
                          wrap}});
    }
    if (which == "vga") {
        return LoadResourceBitmap(kVgaBk, out) &&
               PlaceAll(out,
                        {{kVgaExitButton.raised, 436, 183, "Exit"},
                         {kCloseButton.raised, 516, 0, nullptr},
                         {kMinimizeButton.disabled, 484, 0, nullptr}},
                        {{"No graphics card with KALDO energy saving was found. Install the KALDO "
                          "graphics-card utility and switch on its synchronisation with the "
                          "motherboard, and the graphics card will save energy too.",
                          {42, 53, 483, 115},
                          13,
                          true,
                          kDialogText,
                          wrap},
                         {"www.kaldo.example/cardmedic",
                          {42, 119, 483, 137},
                          15,
                          true,
                          0xC4521A,
                          line}});
    }
    if (which == "cpu") {
        if (!LoadResourceBitmap(kCpuBk, out) ||
            !PlaceAll(
                out,
                {{kCpuExitButton.raised, 243, 183, "Exit"},
                 {kCloseButton.raised, 323, 0, nullptr},
                 {kMinimizeButton.disabled, 291, 0, nullptr}},
                {{"Current CPU Power", {57, 56, 360, 72}, 12, true, kCpuFormText, line},
                 {"Total CPU Energy Saved", {58, 115, 360, 131}, 12, true, kCpuFormText, line}})) {
            return false;
        }
        // 45.67 W (three integer digits) and 12.345678 x10^-3 kWh.
        Pixels watts, macro, kwh;
        return DigitRow(out, 59, 80, {11, 4, 5, 10, 6, 7}, 3) &&
               DigitRow(out, 59, 139, {11, 1, 2, 10, 3, 4, 5, 6, 7, 8}, 3) &&
               LoadResourceBitmap(kWattsBk, watts) && LoadResourceBitmap(kMacroBk, macro) &&
               LoadResourceBitmap(kWattHrBk, kwh) && (Draw(out, watts, 59 + 95, 82), true) &&
               (Draw(out, macro, 59 + 162, 134), true) &&
               (Draw(out, kwh, 59 + 162 + macro.width + 6, 141), true);
    }
    if (which == "advanced") {
        if (!LoadResourceBitmap(kAdvancedBk, out)) {
            return false;
        }
        std::vector<Piece> pieces = {
            {kNormalTab.check.raised, 22, 40, nullptr}, {kLowTab.uncheck.focused, 122, 40, nullptr},
            {kPageButton.raised, 42, 286, "Default"},   {kDialogButton.raised, 185, 338, "OK"},
            {kDialogButton.raised, 309, 338, "Cancel"}, {kCloseButton.raised, 394, 0, nullptr},
            {kMinimizeButton.disabled, 362, 0, nullptr}};
        std::vector<Text> texts = {
            {"High performance",
             {22 + kTabCaption[0], 40 + kTabCaption[1], 22 + kTabCaption[0] + kTabCaption[2],
              40 + kTabCaption[1] + kTabCaption[3]},
             11,
             false,
             0x302A1D,
             DT_SINGLELINE | DT_VCENTER | DT_CENTER},
            {"Max power saving",
             {122 + kTabCaption[0], 40 + kTabCaption[1], 122 + kTabCaption[0] + kTabCaption[2],
              40 + kTabCaption[1] + kTabCaption[3]},
             11,
             false,
             0x302A1D,
             DT_SINGLELINE | DT_VCENTER | DT_CENTER}};
        struct Drop
        {
            int left, top;
            const char* caption;
            const char* value;
            bool enabled;
            COLORREF valueColour;
        };
        const Drop drops[] = {
            {56, 82, "vCore Voltage Downgrade", "OFF", false, 0x9E9C94},
            {243, 82, "CPU Loadline", "OFF", false, 0x9E9C94},
            {56, 131, "Turn off hard disks", "After 20 mins", true, 0xFEFCF4},
            {243, 131, "Opti Doze idle time", "KALDO Opti Suite required", false, kWarningOnPanel},
            {56, 180, "Fan Control", "Keep BIOS Setting", false, 0x9E9C94}};
        for (const Drop& d : drops) {
            pieces.push_back({kComboBoxBk, d.left, d.top + 13, nullptr});
            pieces.push_back(
                {d.enabled ? kArrow.raised : kArrow.disabled, d.left + 132, d.top + 13, nullptr});
            texts.push_back({d.caption,
                             {d.left, d.top - 1, d.left + 180, d.top + 13},
                             12,
                             false,
                             0x4D3F28,
                             line});
            texts.push_back({d.value,
                             {d.left + 4, d.top + 15, d.left + 128, d.top + 30},
                             12,
                             false,
                             d.valueColour,
                             line | DT_END_ELLIPSIS});
        }
        return PlaceAll(out, pieces, texts);
    }
    return false;
}

} // namespace arttest
