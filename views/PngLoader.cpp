#include "views/PngLoader.h"

#include "lumo/Forms/Exception.h"
#include "lumo/System/Source/ProgramDir.h"
#include "lumo/System/Source/TraceLog.h"

#include <cstdio>

namespace tv {
namespace {

constexpr DWORD kMaxSide = 16384;

template <typename Fn> Fn Entry(HMODULE module, const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The library's read function: that many bytes from the stream, fewer at its end.
DWORD WINAPI ReadStream(void* stream, void* buffer, DWORD count)
{
    return static_cast<DWORD>(std::fread(buffer, 1, count, static_cast<FILE*>(stream)));
}

class File
{
public:
    explicit File(const std::string& path) : m_file(std::fopen(path.c_str(), "rb")) {}
    ~File()
    {
        if (m_file) {
            std::fclose(m_file);
        }
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    FILE* Get() const { return m_file; }

private:
    FILE* m_file;
};

} // namespace

PngLoader::PngLoader(const std::string& libraryPath) : m_hinst(LoadLibraryA(libraryPath.c_str()))
{
    if (!m_hinst) {
        TraceLog("[PngLoader] LoadLibrary %s failed! GetLastError returned %lu",
                 libraryPath.c_str(), GetLastError());
        return;
    }
    m_read = Entry<ReadFn>(m_hinst, "ReadPngEx");
    m_write = Entry<void*>(m_hinst, "WritePngEx");
    m_free = Entry<FreeFn>(m_hinst, "FreePngData");
    m_allocate = Entry<void*>(m_hinst, "AllocatePngData");
    if (!m_read || !m_free) {
        TraceLog("[PngLoader] %s lacks ReadPngEx or FreePngData", libraryPath.c_str());
    }
}

PngLoader::~PngLoader()
{
    if (m_hinst) {
        FreeLibrary(m_hinst);
    }
}

PngLoader& PngLoader::Instance()
{
    static PngLoader instance(lumo::ProgramDirectory() + "pngio.dll");
    return instance;
}

bool PngLoader::Read(const std::string& path, lumo::TBitmap& bitmap) const
{
    File file(path);
    if (!file.Get()) {
        throw lumo::EFOpenError("Cannot open file \"" + path + "\"");
    }
    bitmap.SetPixelFormat(lumo::TPixelFormat::pf32bit);
    // Without the library (traced when it failed to load) a picture stays empty, as one it
    // cannot decode: the program runs on without its dial pictures.
    if (!m_hinst || !m_read || !m_free) {
        bitmap.Clear();
        return false;
    }
    PngRecord record = {};
    if (m_read(&record, &ReadStream, file.Get()) == 0 || !record.rows || record.width == 0 ||
        record.height == 0 || record.width > kMaxSide || record.height > kMaxSide) {
        TraceLog("[PngLoader] %s could not be decoded", path.c_str());
        m_free(&record);
        bitmap.Clear();
        return false;
    }
    FillBitmap(record, bitmap);
    m_free(&record);
    return true;
}

void PngLoader::FillBitmap(const PngRecord& record, lumo::TBitmap& bitmap)
{
    const bool thirtyTwo = bitmap.PixelFormat() == lumo::TPixelFormat::pf32bit;
    if (!thirtyTwo) {
        bitmap.SetPixelFormat(lumo::TPixelFormat::pf24bit);
    }
    const int width = static_cast<int>(record.width);
    const int height = static_cast<int>(record.height);
    bitmap.SetSize(width, height);
    const bool alpha = record.colorType == kColorTypeRgba;
    const int sourceStep = alpha ? 4 : 3;
    const int targetStep = thirtyTwo ? 4 : 3;
    for (int y = 0; y < height; ++y) {
        const BYTE* source = record.rows[y];
        BYTE* target = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x, source += sourceStep, target += targetStep) {
            const BYTE a = alpha ? source[3] : 255;
            if (thirtyTwo && a == 0) {
                target[0] = target[1] = target[2] = target[3] = 0;
                continue;
            }
            target[0] = source[2];
            target[1] = source[1];
            target[2] = source[0];
            if (thirtyTwo) {
                target[3] = a;
            }
        }
    }
    bitmap.Changed();
}

} // namespace tv
