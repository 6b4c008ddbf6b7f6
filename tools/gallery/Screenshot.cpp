#include "tools/gallery/Screenshot.h"

#include "lumo/Forms/Exception.h"
#include "lumo/System/Source/ProgramDir.h"
#include "lumo/System/Source/TraceLog.h"

#include <cstdio>
#include <cstring>

using namespace lumo;

namespace gallery {
namespace {

// The image record of pngio.dll: 8-bit rows, R G B for colour type 2.
struct PngData
{
    DWORD width;
    DWORD height;
    DWORD bitDepth;
    DWORD colorType;
    DWORD bytesPerRow;
    BYTE** rows;
};

using PngWriteFn = DWORD(WINAPI*)(void* stream, const void* buffer, DWORD count);
using AllocateFn = int(WINAPI*)(PngData* data, DWORD width, DWORD height, DWORD colorType);
using WriteFn = int(WINAPI*)(const PngData* data, PngWriteFn write, void* stream);
using FreeFn = void(WINAPI*)(PngData* data);

constexpr DWORD kColorTypeRgb = 2;

DWORD WINAPI WriteToFile(void* stream, const void* buffer, DWORD count)
{
    return static_cast<DWORD>(std::fwrite(buffer, 1, count, static_cast<FILE*>(stream)));
}

class Library
{
public:
    explicit Library(const std::string& path) : m_module(LoadLibraryA(path.c_str())) {}
    ~Library()
    {
        if (m_module) {
            FreeLibrary(m_module);
        }
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    template <typename Fn> Fn Find(const char* name) const
    {
        return m_module
                   ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m_module, name)))
                   : nullptr;
    }
    explicit operator bool() const { return m_module != nullptr; }

private:
    HMODULE m_module;
};

bool SavePng(const TBitmap& picture, const std::string& path)
{
    Library pngio(ProgramDirectory() + "pngio.dll");
    auto allocate = pngio.Find<AllocateFn>("AllocatePngData");
    auto write = pngio.Find<WriteFn>("WritePngEx");
    auto release = pngio.Find<FreeFn>("FreePngData");
    if (!allocate || !write || !release) {
        TraceLog("[gallery] pngio.dll or its exports not found");
        return false;
    }
    PngData data = {};
    if (!allocate(&data, picture.Width(), picture.Height(), kColorTypeRgb)) {
        return false;
    }
    int step = picture.BitsPerPixel() / 8;
    for (int y = 0; y < picture.Height(); ++y) {
        const BYTE* source = picture.ScanLine(y);
        BYTE* target = data.rows[y];
        for (int x = 0; x < picture.Width(); ++x) {
            target[3 * x] = source[step * x + 2];
            target[3 * x + 1] = source[step * x + 1];
            target[3 * x + 2] = source[step * x];
        }
    }
    bool ok = false;
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        ok = write(&data, &WriteToFile, file) != 0;
        ok = std::fclose(file) == 0 && ok;
    }
    release(&data);
    return ok;
}

} // namespace

bool CaptureWindow(HWND window, TBitmap& picture)
{
    RECT rect;
    if (!GetWindowRect(window, &rect)) {
        return false;
    }
    picture.SetPixelFormat(TPixelFormat::pf24bit);
    picture.SetSize(rect.right - rect.left, rect.bottom - rect.top);
    WindowDC screen(nullptr);
    if (!screen.Get()) {
        return false;
    }
    bool ok = BitBlt(picture.Canvas().Handle(), 0, 0, picture.Width(), picture.Height(),
                     screen.Get(), rect.left, rect.top, SRCCOPY | CAPTUREBLT) != FALSE;
    picture.Changed();
    return ok;
}

bool SavePicture(const TBitmap& picture, const std::string& path)
{
    size_t length = path.size();
    if (length >= 4 && _stricmp(path.c_str() + length - 4, ".bmp") == 0) {
        try {
            picture.SaveToFile(path);
            return true;
        } catch (const Exception& e) {
            TraceLog("[gallery] %s", e.what());
            return false;
        }
    }
    return SavePng(picture, path);
}

} // namespace gallery
