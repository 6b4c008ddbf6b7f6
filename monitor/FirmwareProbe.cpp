#include "monitor/FirmwareProbe.h"

#include "lumo/System/Source/TraceLog.h"
#include "lumo/System/Source/Owners.h"

#include <windows.h>
#include <vector>

namespace tv {
namespace {

typedef BOOLEAN(WINAPI* InitFn)();
typedef BOOLEAN(WINAPI* ReadPackageFn)(void* buffer, DWORD* size);
typedef const void*(WINAPI* FirstElementFn)(const void* buffer);
typedef int(WINAPI* ElementCountFn)(const void* buffer);
typedef const DWORD*(WINAPI* ElementValueFn)(const void* element);
typedef const void*(WINAPI* NextElementFn)(const void* element);

constexpr DWORD kPackageSize = 4096;
// Two header elements, one skipped data element, then the revision.
constexpr int kMinimumElements = 4;

template <typename Fn> Fn Ordinal(HMODULE module, WORD ordinal, const char* library, bool& missing)
{
    FARPROC entry = GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
    if (!entry) {
        TraceLog("~~~[CpuPowerMonitor] %s has no ordinal %u", library, ordinal);
        missing = true;
    }
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(entry));
}

} // namespace

bool ProbeFirmwareDozeCapable(const char* library)
{
    lumo::ModuleHandle module(LoadLibraryA(library));
    if (!module) {
        TraceLog("~~~[CpuPowerMonitor] LoadLibrary %s failed! GetLastError returned %lu", library,
                 GetLastError());
        return false;
    }
    bool missing = false;
    auto init = Ordinal<InitFn>(module.Get(), 1, library, missing);
    auto readPackage = Ordinal<ReadPackageFn>(module.Get(), 4, library, missing);
    auto first = Ordinal<FirstElementFn>(module.Get(), 6, library, missing);
    auto count = Ordinal<ElementCountFn>(module.Get(), 7, library, missing);
    auto value = Ordinal<ElementValueFn>(module.Get(), 9, library, missing);
    auto next = Ordinal<NextElementFn>(module.Get(), 10, library, missing);
    if (missing) {
        return false;
    }

    init();
    std::vector<unsigned char> package(kPackageSize);
    DWORD size = kPackageSize;
    if (!readPackage(package.data(), &size)) {
        TraceLog("~~~[CpuPowerMonitor] the firmware package cannot be read");
        return false;
    }
    const int elements = count(package.data());
    if (elements < kMinimumElements) {
        TraceLog("~~~[CpuPowerMonitor] the firmware package has %d elements", elements);
        return false;
    }
    const void* element = first(package.data());
    for (int skipped = 0; skipped < kMinimumElements - 1 && element; ++skipped) {
        element = next(element);
    }
    const DWORD* revision = element ? value(element) : nullptr;
    if (!revision) {
        TraceLog("~~~[CpuPowerMonitor] the firmware package has no revision value");
        return false;
    }
    return (*revision & 0xFF000000u) >= 0x02000000u;
}

} // namespace tv
