#include "drvsetup/SystemSetupProbes.h"

#include "drvsetup/HiddenProcess.h"
#include "lumo/System/Source/TraceLog.h"

#include <setupapi.h>
#include <cstdio>
#include <cwchar>

namespace drvsetup {
namespace {

// The processor device setup class.
const GUID kProcessorClass = {
    0x50127DC3, 0x0F36, 0x415E, {0xA6, 0xCC, 0x4C, 0xB3, 0xBE, 0x91, 0x0B, 0x65}};

// Restrict the driver list to the driver that is installed, even when it is excluded.
const DWORD kInstalledDriverOnly =
    0x04000000 /* DI_FLAGSEX_INSTALLEDDRIVER */ | 0x00000800 /* DI_FLAGSEX_ALLOWEXCLUDEDDRVS */;

const DWORD kIniBufferChars = 256;

class DeviceInfoList
{
public:
    explicit DeviceInfoList(HDEVINFO list) : m_list(list) {}
    ~DeviceInfoList()
    {
        if (m_list != INVALID_HANDLE_VALUE) {
            SetupDiDestroyDeviceInfoList(m_list);
        }
    }
    DeviceInfoList(const DeviceInfoList&) = delete;
    DeviceInfoList& operator=(const DeviceInfoList&) = delete;
    HDEVINFO Get() const { return m_list; }
    bool Valid() const { return m_list != INVALID_HANDLE_VALUE; }

private:
    HDEVINFO m_list;
};

class LocalBuffer
{
public:
    ~LocalBuffer() { Reset(0); }
    LocalBuffer() = default;
    LocalBuffer(const LocalBuffer&) = delete;
    LocalBuffer& operator=(const LocalBuffer&) = delete;
    bool Reset(DWORD size)
    {
        if (m_data) {
            LocalFree(m_data);
            m_data = nullptr;
        }
        if (size) {
            m_data = LocalAlloc(LPTR, size);
        }
        return m_data != nullptr;
    }
    BYTE* Get() const { return static_cast<BYTE*>(m_data); }

private:
    HLOCAL m_data = nullptr;
};

// The description is not used; querying it keeps the device enumeration as Windows expects it.
void QueryDeviceDescription(HDEVINFO list, SP_DEVINFO_DATA& device)
{
    LocalBuffer buffer;
    DWORD size = 0;
    // The required size is reported by the failing call; a few rounds cover a changing value.
    for (int round = 0; round < 8; ++round) {
        if (SetupDiGetDeviceRegistryPropertyW(list, &device, SPDRP_DEVICEDESC, nullptr,
                                              buffer.Get(), size, &size)) {
            return;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || !buffer.Reset(size)) {
            return;
        }
    }
}

} // namespace

std::wstring SystemSetupProbes::ProgramFolder()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) {
            TraceLog("[SystemSetupProbes::ProgramFolder] GetModuleFileNameW failed! "
                     "GetLastError returned %lu",
                     GetLastError());
            return std::wstring();
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring SystemSetupProbes::ReadIniString(const std::wstring& file, const wchar_t* section,
                                              const wchar_t* key)
{
    wchar_t buffer[kIniBufferChars] = {};
    GetPrivateProfileStringW(section, key, nullptr, buffer, kIniBufferChars, file.c_str());
    buffer[kIniBufferChars - 1] = L'\0';
    return buffer;
}

std::vector<DriverEntry> SystemSetupProbes::InstalledDrivers()
{
    std::vector<DriverEntry> entries;
    DeviceInfoList list(SetupDiGetClassDevsW(&kProcessorClass, nullptr, nullptr, DIGCF_PRESENT));
    if (!list.Valid()) {
        TraceLog("[SystemSetupProbes::InstalledDrivers] SetupDiGetClassDevsW failed! "
                 "GetLastError returned %lu",
                 GetLastError());
        return entries;
    }
    SP_DEVINFO_DATA device = {};
    bool found = false;
    for (DWORD index = 0;; ++index) {
        SP_DEVINFO_DATA current = {};
        current.cbSize = sizeof current;
        if (!SetupDiEnumDeviceInfo(list.Get(), index, &current)) {
            break;
        }
        QueryDeviceDescription(list.Get(), current);
        device = current;
        found = true;
    }
    DWORD error = GetLastError();
    if (error != ERROR_NO_MORE_ITEMS) {
        TraceLog("[SystemSetupProbes::InstalledDrivers] SetupDiEnumDeviceInfo failed! "
                 "GetLastError returned %lu",
                 error);
        return entries;
    }
    if (!found) {
        return entries;
    }
    SP_DEVINSTALL_PARAMS_W params = {};
    params.cbSize = sizeof params;
    if (!SetupDiGetDeviceInstallParamsW(list.Get(), &device, &params)) {
        // Without the flag the list would hold every compatible driver, not the installed one.
        TraceLog("[SystemSetupProbes::InstalledDrivers] SetupDiGetDeviceInstallParamsW failed! "
                 "GetLastError returned %lu",
                 GetLastError());
        return entries;
    }
    params.FlagsEx |= kInstalledDriverOnly;
    if (!SetupDiSetDeviceInstallParamsW(list.Get(), &device, &params)) {
        TraceLog("[SystemSetupProbes::InstalledDrivers] SetupDiSetDeviceInstallParamsW failed! "
                 "GetLastError returned %lu",
                 GetLastError());
        return entries;
    }
    if (!SetupDiBuildDriverInfoList(list.Get(), &device, SPDIT_COMPATDRIVER)) {
        TraceLog("[SystemSetupProbes::InstalledDrivers] SetupDiBuildDriverInfoList failed! "
                 "GetLastError returned %lu",
                 GetLastError());
        return entries;
    }
    for (DWORD index = 0;; ++index) {
        SP_DRVINFO_DATA_V2_W info = {};
        info.cbSize = sizeof info;
        if (!SetupDiEnumDriverInfoW(list.Get(), &device, SPDIT_COMPATDRIVER, index, &info)) {
            break;
        }
        DriverEntry entry;
        entry.provider.assign(info.ProviderName, wcsnlen(info.ProviderName, LINE_LEN));
        entry.version = info.DriverVersion;
        entry.date = info.DriverDate;
        entries.push_back(entry);
    }
    return entries;
}

bool SystemSetupProbes::StartHiddenAndWait(const std::wstring& application,
                                           const std::wstring& commandLine)
{
    return drvsetup::StartHiddenAndWait(application, commandLine);
}

void StdoutConsole::Print(const char* text)
{
    std::printf("%s", text);
    std::fflush(stdout);
}

void StdoutConsole::PrintWide(const wchar_t* format, const wchar_t* first, const wchar_t* second)
{
    // "%ls": the runtime's wprintf reads a plain "%s" as a narrow string.
    std::wprintf(format, first, second);
    std::fflush(stdout);
}

} // namespace drvsetup
