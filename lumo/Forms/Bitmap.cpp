#include "lumo/Forms/Bitmap.h"

#include "lumo/Forms/BmpCodec.h"
#include "lumo/Forms/Exception.h"
#include "lumo/System/Source/TraceLog.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

namespace lumo {
namespace {

struct DibInfo
{
    BITMAPINFOHEADER header;
    RGBQUAD colors[16];
};

} // namespace

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height, TPixelFormat format) : m_format(format)
{
    if (format == TPixelFormat::pf4bit) {
        m_palette = bmp::DefaultPalette16();
    }
    Rebuild(width, height, format, m_palette, nullptr);
}

TBitmap::~TBitmap()
{
    DetachCanvas();
    m_canvas.reset();
    m_canvasDC.reset();
}

int TBitmap::BytesPerLine() const
{
    return bmp::Stride(m_width, m_format);
}

void TBitmap::DetachCanvas()
{
    if (m_canvasDC && m_canvasOriginal) {
        SelectObject(m_canvasDC->Get(), m_canvasOriginal);
        m_canvasOriginal = nullptr;
    }
}

void TBitmap::AttachCanvas()
{
    if (m_canvasDC && m_dib) {
        m_canvasOriginal = SelectObject(m_canvasDC->Get(), m_dib.Get());
    }
}

void TBitmap::Rebuild(int width, int height, TPixelFormat format,
                      const std::vector<RGBQUAD>& palette, const std::vector<BYTE>* rows)
{
    if (width < 0 || height < 0) {
        throw EInvalidOperation("Bitmap size must not be negative");
    }
    std::vector<RGBQUAD> colors = palette;
    if (format == TPixelFormat::pf4bit && colors.size() < 16) {
        colors = bmp::DefaultPalette16();
    }
    BitmapHandle dib;
    BYTE* bits = nullptr;
    int stride = bmp::Stride(width, format);
    if (width > 0 && height > 0) {
        DibInfo info = {};
        info.header.biSize = sizeof info.header;
        info.header.biWidth = width;
        info.header.biHeight = -height; // top-down rows
        info.header.biPlanes = 1;
        info.header.biBitCount = static_cast<WORD>(format);
        info.header.biCompression = BI_RGB;
        if (format == TPixelFormat::pf4bit) {
            info.header.biClrUsed = 16;
            for (size_t i = 0; i < 16; ++i) {
                info.colors[i] = colors[i];
            }
        }
        void* raw = nullptr;
        dib.Reset(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                   &raw, nullptr, 0));
        if (!dib || !raw) {
            TraceLog("[TBitmap::Rebuild] CreateDIBSection %dx%d failed! GetLastError returned %lu",
                     width, height, GetLastError());
            throw EOutOfResources("Out of system resources");
        }
        bits = static_cast<BYTE*>(raw);
        size_t total = static_cast<size_t>(stride) * height;
        if (rows && rows->size() >= total) {
            std::memcpy(bits, rows->data(), total);
        } else if (format == TPixelFormat::pf4bit) {
            // Entry 15 is white in the default palette.
            std::memset(bits, 0xFF, total);
        } else {
            std::memset(bits, 0xFF, total);
        }
    }
    DetachCanvas();
    m_dib = std::move(dib);
    m_bits = bits;
    m_width = m_bits ? width : 0;
    m_height = m_bits ? height : 0;
    m_format = format;
    m_palette = format == TPixelFormat::pf4bit ? colors : std::vector<RGBQUAD>();
    m_sharedRows = nullptr;
    m_sharedStep = 0;
    m_sharedKeep.reset();
    AttachCanvas();
}

void TBitmap::Share(int width, int height, TPixelFormat format,
                    const std::vector<RGBQUAD>& palette, const BYTE* rows, std::ptrdiff_t step,
                    std::shared_ptr<const void> keep)
{
    DetachCanvas();
    m_dib.Reset();
    m_bits = nullptr;
    m_sharedRows = rows;
    m_sharedStep = step;
    m_sharedKeep = std::move(keep);
    m_width = rows ? width : 0;
    m_height = rows ? height : 0;
    m_format = format;
    m_palette = format == TPixelFormat::pf4bit ? palette : std::vector<RGBQUAD>();
}

void TBitmap::Materialize()
{
    if (m_bits || !m_sharedRows || Empty()) {
        return;
    }
    std::vector<BYTE> rows = CopyRows();
    std::vector<RGBQUAD> palette = m_palette;
    Rebuild(m_width, m_height, m_format, palette, &rows);
}

std::vector<BYTE> TBitmap::CopyRows() const
{
    std::vector<BYTE> rows;
    if (Empty()) {
        return rows;
    }
    if (m_bits) {
        GdiFlush();
    }
    size_t stride = static_cast<size_t>(BytesPerLine());
    rows.resize(stride * m_height);
    for (int y = 0; y < m_height; ++y) {
        std::memcpy(rows.data() + stride * y, Row(y), stride);
    }
    return rows;
}

const BYTE* TBitmap::Row(int y) const
{
    if (y < 0 || y >= m_height) {
        return nullptr;
    }
    if (m_bits) {
        return m_bits + static_cast<size_t>(BytesPerLine()) * y;
    }
    return m_sharedRows ? m_sharedRows + m_sharedStep * y : nullptr;
}

HBITMAP TBitmap::Handle() const
{
    const_cast<TBitmap*>(this)->Materialize();
    return m_dib.Get();
}

void TBitmap::SetSize(int width, int height)
{
    if (width == m_width && height == m_height) {
        return;
    }
    int stride = bmp::Stride(width, m_format);
    std::vector<BYTE> rows;
    if (width > 0 && height > 0) {
        // 0xFF is white in 24 and 32 bits and palette entry 15 (white) twice in 4 bits.
        rows.assign(static_cast<size_t>(stride) * height, 0xFF);
        int keepWidth = std::min(width, m_width);
        int keepBytes = (keepWidth * BitsPerPixel() + 7) / 8;
        if (m_bits) {
            GdiFlush();
        }
        for (int y = 0; y < std::min(height, m_height); ++y) {
            BYTE* row = rows.data() + static_cast<size_t>(stride) * y;
            std::memcpy(row, Row(y), static_cast<size_t>(keepBytes));
            if (m_format == TPixelFormat::pf4bit && keepWidth % 2) {
                row[keepBytes - 1] |= 0x0F;
            }
        }
    }
    Rebuild(width, height, m_format, m_palette, &rows);
    Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat format)
{
    if (format == m_format) {
        return;
    }
    std::vector<RGBQUAD> palette =
        format == TPixelFormat::pf4bit ? bmp::DefaultPalette16() : std::vector<RGBQUAD>();
    if (Empty()) {
        m_format = format;
        m_palette = palette;
        return;
    }
    Materialize();
    GdiFlush();
    int width = m_width;
    int height = m_height;
    if (format != TPixelFormat::pf4bit && m_format != TPixelFormat::pf4bit) {
        // 24 <-> 32 bits: copy the colour bytes exactly.
        int stride = bmp::Stride(width, format);
        std::vector<BYTE> rows(static_cast<size_t>(stride) * height);
        int inStep = BitsPerPixel() / 8;
        int outStep = static_cast<int>(format) / 8;
        for (int y = 0; y < height; ++y) {
            const BYTE* src = ScanLine(y);
            BYTE* dst = rows.data() + static_cast<size_t>(stride) * y;
            for (int x = 0; x < width; ++x) {
                dst[outStep * x] = src[inStep * x];
                dst[outStep * x + 1] = src[inStep * x + 1];
                dst[outStep * x + 2] = src[inStep * x + 2];
                if (outStep == 4) {
                    dst[outStep * x + 3] = 255;
                }
            }
        }
        Rebuild(width, height, format, palette, &rows);
        return;
    }
    // To or from 4 bits: let GDI map the colours.
    DetachCanvas();
    BitmapHandle oldDib = std::move(m_dib);
    m_bits = nullptr;
    Rebuild(width, height, format, palette, nullptr);
    // A bitmap can be selected into one DC only: the canvas lets go during the copy.
    DetachCanvas();
    {
        MemoryDC source;
        SelectedObject sourceBitmap(source.Get(), oldDib.Get());
        MemoryDC target;
        SelectedObject targetBitmap(target.Get(), m_dib.Get());
        BitBlt(target.Get(), 0, 0, width, height, source.Get(), 0, 0, SRCCOPY);
    }
    AttachCanvas();
    GdiFlush();
    if (format == TPixelFormat::pf32bit) {
        for (int y = 0; y < height; ++y) {
            BYTE* row = ScanLine(y);
            for (int x = 0; x < width; ++x) {
                row[4 * x + 3] = 255;
            }
        }
    }
}

BYTE* TBitmap::ScanLine(int y)
{
    Materialize();
    if (!m_bits || y < 0 || y >= m_height) {
        return nullptr;
    }
    GdiFlush();
    return m_bits + static_cast<size_t>(BytesPerLine()) * y;
}

const BYTE* TBitmap::ScanLine(int y) const
{
    if (m_bits) {
        GdiFlush();
    }
    return Row(y);
}

TColor TBitmap::PixelColor(int x, int y) const
{
    const BYTE* row = ScanLine(y);
    if (!row || x < 0 || x >= m_width) {
        return clNone;
    }
    BYTE b, g, r;
    if (m_format == TPixelFormat::pf4bit) {
        BYTE index = (x % 2) ? row[x / 2] & 0x0F : row[x / 2] >> 4;
        const RGBQUAD& e = m_palette[index];
        b = e.rgbBlue;
        g = e.rgbGreen;
        r = e.rgbRed;
    } else {
        int step = BitsPerPixel() / 8;
        b = row[step * x];
        g = row[step * x + 1];
        r = row[step * x + 2];
    }
    return static_cast<TColor>(RGB(r, g, b));
}

TCanvas& TBitmap::Canvas()
{
    Materialize();
    if (!m_canvas) {
        m_canvasDC = std::make_unique<MemoryDC>();
        m_canvas = std::make_unique<TCanvas>(m_canvasDC->Get());
        m_canvas->OnChange = [this](TObject*) { Changed(); };
        AttachCanvas();
    }
    return *m_canvas;
}

void TBitmap::SetTransparent(bool transparent)
{
    if (transparent != m_transparent) {
        m_transparent = transparent;
        Changed();
    }
}

TColor TBitmap::TransparentColor() const
{
    if (m_transparentMode == TTransparentMode::tmFixed) {
        return m_transparentColor;
    }
    if (Empty()) {
        return clNone;
    }
    return PixelColor(0, m_height - 1);
}

void TBitmap::SetTransparentColor(TColor color)
{
    if (m_transparentMode == TTransparentMode::tmFixed && color == m_transparentColor) {
        return;
    }
    m_transparentColor = color;
    m_transparentMode = TTransparentMode::tmFixed;
    Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode mode)
{
    if (mode != m_transparentMode) {
        m_transparentMode = mode;
        Changed();
    }
}

void TBitmap::Assign(const TBitmap& source)
{
    if (&source == this) {
        return;
    }
    if (source.m_sharedRows && !source.Empty() && !m_canvas) {
        Share(source.m_width, source.m_height, source.m_format, source.m_palette,
              source.m_sharedRows, source.m_sharedStep, source.m_sharedKeep);
    } else {
        std::vector<BYTE> rows = source.CopyRows();
        Rebuild(source.m_width, source.m_height, source.m_format, source.m_palette, &rows);
    }
    m_transparent = source.m_transparent;
    m_transparentMode = source.m_transparentMode;
    m_transparentColor = source.m_transparentColor;
    Changed();
}

void TBitmap::Clear()
{
    if (Empty()) {
        return;
    }
    Rebuild(0, 0, m_format, m_palette, nullptr);
    Changed();
}

void TBitmap::LoadFromMemory(const void* data, size_t size)
{
    bmp::Picture picture = bmp::Decode(static_cast<const BYTE*>(data), size);
    if (m_canvas) {
        // A canvas stays on the DIB section it draws on.
        Rebuild(picture.width, picture.height, picture.format, picture.palette, &picture.rows);
    } else {
        auto rows = std::make_shared<std::vector<BYTE>>(std::move(picture.rows));
        Share(picture.width, picture.height, picture.format, picture.palette, rows->data(),
              bmp::Stride(picture.width, picture.format), rows);
    }
    Changed();
}

void TBitmap::LoadFromFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw EFOpenError("Cannot open file \"" + path + "\"");
    }
    std::vector<BYTE> data((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    LoadFromMemory(data.data(), data.size());
}

void TBitmap::LoadFromResourceName(HINSTANCE module, const char* name)
{
    HRSRC resource = FindResourceA(module, name, reinterpret_cast<LPCSTR>(RT_BITMAP));
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) {
        std::string id = IS_INTRESOURCE(name) ? std::to_string(reinterpret_cast<ULONG_PTR>(name))
                                              : std::string(name);
        throw Exception("Resource " + id + " not found");
    }
    DWORD size = SizeofResource(module, resource);
    bmp::DirectRows direct;
    // The program's own image stays mapped for the life of the process: its pictures are read
    // where they lie.
    if (module == GetModuleHandleA(nullptr) && !m_canvas &&
        bmp::FindDirectRows(static_cast<const BYTE*>(data), size, direct)) {
        Share(direct.width, direct.height, direct.format, {}, direct.first, direct.step, nullptr);
        Changed();
        return;
    }
    LoadFromMemory(data, size);
}

void TBitmap::LoadFromResourceID(HINSTANCE module, int id)
{
    LoadFromResourceName(module, MAKEINTRESOURCEA(id));
}

std::vector<BYTE> TBitmap::SaveToMemory() const
{
    bmp::Picture picture;
    picture.width = m_width;
    picture.height = m_height;
    picture.format = m_format;
    picture.palette = m_palette;
    picture.rows = CopyRows();
    return bmp::Encode(picture);
}

void TBitmap::SaveToFile(const std::string& path) const
{
    std::vector<BYTE> data = SaveToMemory();
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) {
        throw EFOpenError("Cannot create file \"" + path + "\"");
    }
    file.write(reinterpret_cast<const char*>(data.data()),
               static_cast<std::streamsize>(data.size()));
    if (!file) {
        throw EFOpenError("Cannot write file \"" + path + "\"");
    }
}

void TBitmap::Changed()
{
    if (OnChange) {
        OnChange(this);
    }
}

} // namespace lumo
