#pragma once
// The owners of system resources that every part of the program uses: kernel handles, loaded
// modules, critical sections with their scoped lock, and a window's paint DC. Registry keys are
// owned by WinRegistry; GDI objects and memory DCs by the types of lumo/Forms/Gdi.h. Header only,
// so that the small setup programs can use them without the rest of the library.
#include <windows.h>

namespace lumo {

// One kernel handle (event, mutex, thread, process, file, pipe end), closed on destruction. Both
// null and INVALID_HANDLE_VALUE mean "none", whichever the creating call returns on failure.
class KernelHandle
{
public:
    KernelHandle() = default;
    explicit KernelHandle(HANDLE handle) : m_handle(Valid(handle) ? handle : nullptr) {}
    ~KernelHandle() { Reset(); }
    KernelHandle(KernelHandle&& other) noexcept : m_handle(other.Release()) {}
    KernelHandle& operator=(KernelHandle&& other) noexcept
    {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    KernelHandle(const KernelHandle&) = delete;
    KernelHandle& operator=(const KernelHandle&) = delete;

    HANDLE Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    // Takes ownership of handle, closing the one held before.
    void Reset(HANDLE handle = nullptr)
    {
        HANDLE previous = m_handle;
        m_handle = Valid(handle) ? handle : nullptr;
        if (previous) {
            CloseHandle(previous);
        }
    }
    // Gives up ownership without closing.
    HANDLE Release()
    {
        HANDLE handle = m_handle;
        m_handle = nullptr;
        return handle;
    }

private:
    static bool Valid(HANDLE handle) { return handle && handle != INVALID_HANDLE_VALUE; }

    HANDLE m_handle = nullptr;
};

// A module from LoadLibraryA, freed on destruction.
class ModuleHandle
{
public:
    ModuleHandle() = default;
    explicit ModuleHandle(HMODULE module) : m_module(module) {}
    ~ModuleHandle() { Reset(); }
    ModuleHandle(const ModuleHandle&) = delete;
    ModuleHandle& operator=(const ModuleHandle&) = delete;

    HMODULE Get() const { return m_module; }
    explicit operator bool() const { return m_module != nullptr; }
    void Reset(HMODULE module = nullptr)
    {
        HMODULE previous = m_module;
        m_module = module;
        if (previous) {
            FreeLibrary(previous);
        }
    }

private:
    HMODULE m_module = nullptr;
};

// A critical section for the object's lifetime; taken through CriticalSectionLock.
class CriticalSection
{
public:
    CriticalSection() { InitializeCriticalSection(&m_section); }
    ~CriticalSection() { DeleteCriticalSection(&m_section); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Enter() { EnterCriticalSection(&m_section); }
    void Leave() { LeaveCriticalSection(&m_section); }

private:
    CRITICAL_SECTION m_section;
};

// Holds a critical section from construction to destruction.
class CriticalSectionLock
{
public:
    explicit CriticalSectionLock(CriticalSection& section) : m_section(section)
    {
        m_section.Enter();
    }
    ~CriticalSectionLock() { m_section.Leave(); }
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

private:
    CriticalSection& m_section;
};

// BeginPaint for the object's lifetime: EndPaint runs however the paint handler ends, so an
// exception in it never keeps the window's display DC (a scarce system resource) or leaves the
// caret hidden.
class PaintDC
{
public:
    explicit PaintDC(HWND window) : m_window(window), m_dc(BeginPaint(window, &m_paint)) {}
    ~PaintDC() { EndPaint(m_window, &m_paint); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;

    // Null when BeginPaint failed (EndPaint is still due).
    HDC Get() const { return m_dc; }
    const RECT& Area() const { return m_paint.rcPaint; }
    bool EraseBackground() const { return m_paint.fErase != FALSE; }

private:
    HWND m_window;
    PAINTSTRUCT m_paint = {};
    HDC m_dc;
};

} // namespace lumo
