#pragma once
// Owns a module handle from LoadLibraryA and frees it on destruction.
#include <windows.h>

namespace tv {

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
        if (m_module) {
            FreeLibrary(m_module);
        }
        m_module = module;
    }

private:
    HMODULE m_module = nullptr;
};

} // namespace tv
