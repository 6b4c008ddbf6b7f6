#pragma once
// A device-independent bitmap (DIB section) in 4, 24 or 32 bits per pixel, rows top-down, with
// scan-line access, a canvas, a transparent colour and BMP reading and writing.
// A loaded picture and its copies share their pixels, read-only, until one of them needs a DIB
// section of its own (its handle, its canvas, writable scan lines): a skin holds dozens of
// pictures that a window hidden in the tray never draws. A picture linked into the program is
// read where the loader mapped it, without a copy.
#include "lumo/Forms/Canvas.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace lumo {

enum class TPixelFormat
{
    pf4bit = 4,
    pf24bit = 24,
    pf32bit = 32
};

// Auto: the transparent colour is the lower-left pixel; Fixed: the colour set explicitly.
enum class TTransparentMode
{
    tmAuto,
    tmFixed
};

class TBitmap : public TObject
{
public:
    LUMO_CLASS_NAME(TBitmap)
    TBitmap();
    TBitmap(int width, int height, TPixelFormat format = TPixelFormat::pf24bit);
    ~TBitmap() override;

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    bool Empty() const { return m_width == 0 || m_height == 0; }
    // Keeps the top-left part of the picture; added area is white.
    void SetSize(int width, int height);
    void SetWidth(int width) { SetSize(width, m_height); }
    void SetHeight(int height) { SetSize(m_width, height); }

    TPixelFormat PixelFormat() const { return m_format; }
    // Converts the pixels (24 to 32 bits gives opaque alpha 255; to 4 bits maps each colour to
    // the nearest of the 16 palette colours). The picture stays the same, so no OnChange fires.
    void SetPixelFormat(TPixelFormat format);
    int BitsPerPixel() const { return static_cast<int>(m_format); }
    int BytesPerLine() const;

    // Row y (0 = top) of the pixel data: B, G, R (and A) per pixel, or two pixels per byte in
    // 4 bits (high nibble first). Null for an empty bitmap or a row outside it. Writing through
    // it does not fire OnChange: call Changed() when done. The writable one gives the bitmap a
    // DIB section of its own; the read-only one may point into shared pixels.
    BYTE* ScanLine(int y);
    const BYTE* ScanLine(int y) const;
    // Colour of one pixel (clNone outside the bitmap).
    TColor PixelColor(int x, int y) const;
    // The 16 palette colours of a 4-bit bitmap.
    const std::vector<RGBQUAD>& Palette() const { return m_palette; }

    // The DIB section (null while empty), made from shared pixels on first use.
    HBITMAP Handle() const;
    // Whether the bitmap has a DIB section of its own yet (false while it shares its pixels).
    bool HandleAllocated() const { return m_dib.Get() != nullptr; }
    // A canvas over the bitmap; drawing on it fires OnChange.
    TCanvas& Canvas();

    // When set, canvases draw this bitmap without its transparent colour.
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool transparent);
    TColor TransparentColor() const;
    // Sets the colour and switches to the fixed mode.
    void SetTransparentColor(TColor color);
    TTransparentMode TransparentMode() const { return m_transparentMode; }
    void SetTransparentMode(TTransparentMode mode);

    // Copies picture, pixel format, palette and transparency settings (not OnChange).
    void Assign(const TBitmap& source);
    // Back to the empty state.
    void Clear();

    // BMP files: 1, 4, 8, 16, 24 and 32 bits, uncompressed or with bit fields. 4-bit pictures
    // stay 4-bit, 32-bit ones 32-bit, the rest become 24-bit. A file that does not open throws
    // EFOpenError, a damaged or unsupported one EInvalidGraphic; the bitmap is then unchanged.
    void LoadFromFile(const std::string& path);
    // A BMP file image in memory (with or without the file header).
    void LoadFromMemory(const void* data, size_t size);
    // A bitmap resource (RT_BITMAP) of a module; a missing one throws Exception.
    void LoadFromResourceName(HINSTANCE module, const char* name);
    void LoadFromResourceID(HINSTANCE module, int id);
    // Writes a BMP file (bottom-up rows); throws EFOpenError when the file cannot be written.
    void SaveToFile(const std::string& path) const;
    std::vector<BYTE> SaveToMemory() const;

    // Fires OnChange.
    void Changed();
    // Fires after every change of the picture, with the bitmap as sender.
    TNotifyEvent OnChange;

private:
    // Replaces the picture by a new DIB of the size and format (white, or the given rows).
    void Rebuild(int width, int height, TPixelFormat format, const std::vector<RGBQUAD>& palette,
                 const std::vector<BYTE>* rows);
    void DetachCanvas();
    void AttachCanvas();
    // Shares read-only rows (top-down: row y at rows + step * y), kept alive by keep.
    void Share(int width, int height, TPixelFormat format, const std::vector<RGBQUAD>& palette,
               const BYTE* rows, std::ptrdiff_t step, std::shared_ptr<const void> keep);
    // Gives a bitmap that shares its pixels a DIB section of its own.
    void Materialize();
    // Row y for reading, wherever the pixels are.
    const BYTE* Row(int y) const;
    // All rows, top-down, in one block.
    std::vector<BYTE> CopyRows() const;

    int m_width = 0;
    int m_height = 0;
    TPixelFormat m_format = TPixelFormat::pf24bit;
    std::vector<RGBQUAD> m_palette;
    BitmapHandle m_dib;
    BYTE* m_bits = nullptr;
    // Shared pixels while there is no DIB section.
    const BYTE* m_sharedRows = nullptr;
    std::ptrdiff_t m_sharedStep = 0;
    std::shared_ptr<const void> m_sharedKeep;
    bool m_transparent = false;
    TTransparentMode m_transparentMode = TTransparentMode::tmAuto;
    TColor m_transparentColor = clNone;
    std::unique_ptr<MemoryDC> m_canvasDC;
    HGDIOBJ m_canvasOriginal = nullptr;
    std::unique_ptr<TCanvas> m_canvas;
};

} // namespace lumo
