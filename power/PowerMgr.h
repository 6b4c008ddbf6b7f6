#pragma once
// Windows power management: the power-scheme GUID interface of Powrprof.dll (Vista and later)
// when it is complete, else the scheme-index entries, looked up at their first use.
#include "lumo/System/Source/Owners.h"

#include <windows.h>
#include <mutex>
#include <string>

namespace tv {

// The GUID interface: both libraries loaded and all 16 entries resolved, or nothing.
class PowerSchemeGuidApi
{
public:
    typedef DWORD(WINAPI* GetActiveSchemeFn)(HKEY root, GUID** scheme);
    typedef DWORD(WINAPI* SetActiveSchemeFn)(HKEY root, const GUID* scheme);

    // systemFolder without its trailing backslash.
    explicit PowerSchemeGuidApi(const std::string& systemFolder);
    PowerSchemeGuidApi(const PowerSchemeGuidApi&) = delete;
    PowerSchemeGuidApi& operator=(const PowerSchemeGuidApi&) = delete;

    bool Available() const { return m_available; }
    GetActiveSchemeFn getActiveScheme = nullptr;
    SetActiveSchemeFn setActiveScheme = nullptr;

private:
    void Clear();

    lumo::ModuleHandle m_powrprof;
    lumo::ModuleHandle m_user32;
    // Resolved with the others but not called.
    FARPROC m_unused[14] = {};
    bool m_available = false;
};

class PowerMgr
{
public:
    // systemFolder: the Windows system folder, without its trailing backslash.
    explicit PowerMgr(const std::string& systemFolder);
    PowerMgr(const PowerMgr&) = delete;
    PowerMgr& operator=(const PowerMgr&) = delete;

    // Over the Windows system folder, created on first use.
    static PowerMgr& Instance();

    // The GUID interface is there: the scheme switches go through GUIDs.
    bool Available() const { return m_guid.Available(); }

    // *scheme is allocated by the system: free it with LocalFree. False without the interface or
    // on failure.
    bool PowerGetActiveScheme(GUID** scheme);
    bool PowerSetActiveScheme(const GUID* scheme);

    // The scheme-index entries (Windows before Vista); false when missing or on failure.
    bool GetActivePwrScheme(UINT* index);
    bool SetActivePwrScheme(UINT index);

private:
    typedef BOOLEAN(WINAPI* GetIndexFn)(UINT* index);
    typedef BOOLEAN(WINAPI* SetIndexFn)(UINT index, void* globalPolicy, void* powerPolicy);

    // Loads the library and resolves one index entry on its first use.
    FARPROC IndexEntry(const char* name, FARPROC& slot);

    std::string m_powrprofPath;
    PowerSchemeGuidApi m_guid;
    std::mutex m_lock;
    lumo::ModuleHandle m_indexLibrary;
    FARPROC m_getIndex = nullptr;
    FARPROC m_setIndex = nullptr;
};

} // namespace tv
