#include "power/PowerMgr.h"

#include "lumo/System/Source/ProgramDir.h"
#include "lumo/System/Source/TraceLog.h"

namespace tv {
namespace {

constexpr char kPowrprof[] = "\\Powrprof.dll";
constexpr char kUser32[] = "\\user32.dll";

const char* const kUnusedPowrprofEntries[] = {"PowerDuplicateScheme",
                                              "PowerReadFriendlyName",
                                              "PowerWriteFriendlyName",
                                              "PowerRestoreDefaultPowerSchemes",
                                              "PowerRestoreIndividualDefaultPowerScheme",
                                              "PowerDeleteScheme",
                                              "PowerReadDescription",
                                              "PowerWriteDescription",
                                              "PowerImportPowerScheme",
                                              "PowerEnumerate",
                                              "PowerWriteACValueIndex",
                                              "PowerReadACValueIndex"};
const char* const kUnusedUser32Entries[] = {"RegisterPowerSettingNotification",
                                            "UnregisterPowerSettingNotification"};

HMODULE LoadTraced(const std::string& path)
{
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) {
        TraceLog("[PowerMgr] LoadLibrary %s failed! GetLastError returned %lu", path.c_str(),
                 GetLastError());
    }
    return module;
}

} // namespace

PowerSchemeGuidApi::PowerSchemeGuidApi(const std::string& systemFolder)
{
    m_powrprof.Reset(LoadTraced(systemFolder + kPowrprof));
    m_user32.Reset(LoadTraced(systemFolder + kUser32));
    if (!m_powrprof || !m_user32) {
        Clear();
        return;
    }
    const char* missing = nullptr;
    auto resolve = [&](HMODULE module, const char* name) {
        FARPROC entry = GetProcAddress(module, name);
        if (!entry && !missing) {
            missing = name;
        }
        return entry;
    };
    getActiveScheme = reinterpret_cast<GetActiveSchemeFn>(
        reinterpret_cast<void*>(resolve(m_powrprof.Get(), "PowerGetActiveScheme")));
    setActiveScheme = reinterpret_cast<SetActiveSchemeFn>(
        reinterpret_cast<void*>(resolve(m_powrprof.Get(), "PowerSetActiveScheme")));
    size_t slot = 0;
    for (const char* name : kUnusedPowrprofEntries) {
        m_unused[slot++] = resolve(m_powrprof.Get(), name);
    }
    for (const char* name : kUnusedUser32Entries) {
        m_unused[slot++] = resolve(m_user32.Get(), name);
    }
    if (missing) {
        TraceLog("[PowerMgr] %s is missing, power schemes switch by index", missing);
        Clear();
        return;
    }
    m_available = true;
}

void PowerSchemeGuidApi::Clear()
{
    getActiveScheme = nullptr;
    setActiveScheme = nullptr;
    for (FARPROC& entry : m_unused) {
        entry = nullptr;
    }
    m_powrprof.Reset();
    m_user32.Reset();
    m_available = false;
}

PowerMgr::PowerMgr(const std::string& systemFolder)
    : m_powrprofPath(systemFolder + kPowrprof), m_guid(systemFolder)
{}

PowerMgr& PowerMgr::Instance()
{
    static PowerMgr* const instance = new PowerMgr(lumo::SystemDirectory());
    return *instance;
}

bool PowerMgr::PowerGetActiveScheme(GUID** scheme)
{
    return m_guid.Available() && scheme && m_guid.getActiveScheme(nullptr, scheme) == ERROR_SUCCESS;
}

bool PowerMgr::PowerSetActiveScheme(const GUID* scheme)
{
    return m_guid.Available() && m_guid.setActiveScheme(nullptr, scheme) == ERROR_SUCCESS;
}

FARPROC PowerMgr::IndexEntry(const char* name, FARPROC& slot)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (slot) {
        return slot;
    }
    if (!m_indexLibrary) {
        m_indexLibrary.Reset(LoadTraced(m_powrprofPath));
        if (!m_indexLibrary) {
            return nullptr;
        }
    }
    slot = GetProcAddress(m_indexLibrary.Get(), name);
    if (!slot) {
        TraceLog("[PowerMgr] %s has no entry %s", m_powrprofPath.c_str(), name);
    }
    return slot;
}

bool PowerMgr::GetActivePwrScheme(UINT* index)
{
    auto entry = reinterpret_cast<GetIndexFn>(
        reinterpret_cast<void*>(IndexEntry("GetActivePwrScheme", m_getIndex)));
    return entry && index && entry(index);
}

bool PowerMgr::SetActivePwrScheme(UINT index)
{
    auto entry = reinterpret_cast<SetIndexFn>(
        reinterpret_cast<void*>(IndexEntry("SetActivePwrScheme", m_setIndex)));
    return entry && entry(index, nullptr, nullptr);
}

} // namespace tv
