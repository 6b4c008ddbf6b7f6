#pragma once
// Owners of GDI handles. Every object and memory DC the library creates goes through these
// types, which also count what is alive: GetGuiResources answers 0 under Wine, so leak checks
// read LiveGdiObjects() instead.
#include <windows.h>

namespace lumo {

// GDI objects and memory DCs currently owned by the library's RAII types (process-wide).
long LiveGdiObjects();

// Owns one GDI object (bitmap, font, pen, brush, region). The object must not be selected into
// a DC when the owner releases it.
class GdiObject
{
public:
    GdiObject() = default;
    explicit GdiObject(HGDIOBJ handle) { Reset(handle); }
    ~GdiObject() { Reset(); }
    GdiObject(GdiObject&& other) noexcept : m_handle(other.m_handle) { other.m_handle = nullptr; }
    GdiObject& operator=(GdiObject&& other) noexcept;
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    // Takes ownership of handle (null allowed), deleting the object held before.
    void Reset(HGDIOBJ handle = nullptr);
    // Gives up ownership without deleting.
    HGDIOBJ Release();
    HGDIOBJ Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }

private:
    HGDIOBJ m_handle = nullptr;
};

// Typed view of a GdiObject for the common kinds.
template <typename Handle> class GdiHandle : public GdiObject
{
public:
    GdiHandle() = default;
    explicit GdiHandle(Handle handle) : GdiObject(handle) {}
    Handle Get() const { return static_cast<Handle>(GdiObject::Get()); }
};

using BitmapHandle = GdiHandle<HBITMAP>;
using FontHandle = GdiHandle<HFONT>;
using PenHandle = GdiHandle<HPEN>;
using BrushHandle = GdiHandle<HBRUSH>;
using RegionHandle = GdiHandle<HRGN>;

// Owns a memory DC made compatible with another DC (null: the screen).
class MemoryDC
{
public:
    explicit MemoryDC(HDC compatibleWith = nullptr);
    ~MemoryDC();
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;

    HDC Get() const { return m_dc; }
    explicit operator bool() const { return m_dc != nullptr; }

private:
    HDC m_dc;
};

// Selects an object into a DC for its lifetime and puts the previous one back.
class SelectedObject
{
public:
    SelectedObject(HDC dc, HGDIOBJ object);
    ~SelectedObject();
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// Saves the DC state for its lifetime (SaveDC / RestoreDC).
class SavedDC
{
public:
    explicit SavedDC(HDC dc) : m_dc(dc), m_state(SaveDC(dc)) {}
    ~SavedDC()
    {
        if (m_state) {
            RestoreDC(m_dc, m_state);
        }
    }
    SavedDC(const SavedDC&) = delete;
    SavedDC& operator=(const SavedDC&) = delete;

private:
    HDC m_dc;
    int m_state;
};

// A window's client DC (GetDC / ReleaseDC).
class WindowDC
{
public:
    explicit WindowDC(HWND window) : m_window(window), m_dc(GetDC(window)) {}
    ~WindowDC()
    {
        if (m_dc) {
            ReleaseDC(m_window, m_dc);
        }
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC Get() const { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};

} // namespace lumo
