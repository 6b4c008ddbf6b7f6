#include "sim/board/Powrprof.h"

#include "lumo/System/Source/TraceLog.h"

#include <windows.h>
#include <vector>

namespace simboard {

namespace {

std::string SystemFolder()
{
    char path[MAX_PATH + 1] = {};
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    return length && length < MAX_PATH ? std::string(path, length) : std::string();
}

bool ReadWholeFile(const std::string& path, std::vector<char>* bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart < (64 << 20);
    if (ok) {
        bytes->resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        ok = bytes->empty() ||
             (ReadFile(file, bytes->data(), static_cast<DWORD>(bytes->size()), &read, nullptr) &&
              read == bytes->size());
    }
    CloseHandle(file);
    return ok;
}

} // namespace

std::string PowrprofPath()
{
    return SystemFolder() + "\\Powrprof.dll";
}

std::string PowrprofVariantPath(PowrprofVariant variant)
{
    return SystemFolder() +
           (variant == PowrprofVariant::Full ? "\\powrprof-full.dll" : "\\powrprof-noenum.dll");
}

bool InstallPowrprof(PowrprofVariant variant, std::string* error)
{
    auto fail = [&](const std::string& message) {
        TraceLog("[BoardSim] %s", message.c_str());
        if (error) {
            *error = message;
        }
        return false;
    };
    if (GetModuleHandleA("powrprof.dll")) {
        return fail("Powrprof.dll is already loaded in this process; choose the variant first");
    }
    std::string source = PowrprofVariantPath(variant);
    if (GetFileAttributesA(source.c_str()) == INVALID_FILE_ATTRIBUTES) {
        return fail(source + " is missing (prefix set-up cmake/prefix-init.d/sim.sh)");
    }
    PowrprofVariant current;
    if (InstalledPowrprof(&current) && current == variant) {
        return true;
    }
    if (!CopyFileA(source.c_str(), PowrprofPath().c_str(), FALSE)) {
        return fail("copying " + source + " failed, GetLastError returned " +
                    std::to_string(GetLastError()));
    }
    return true;
}

bool InstalledPowrprof(PowrprofVariant* variant)
{
    std::vector<char> installed;
    if (!ReadWholeFile(PowrprofPath(), &installed)) {
        return false;
    }
    for (PowrprofVariant candidate : {PowrprofVariant::Full, PowrprofVariant::NoEnumerate}) {
        std::vector<char> bytes;
        if (ReadWholeFile(PowrprofVariantPath(candidate), &bytes) && bytes == installed) {
            *variant = candidate;
            return true;
        }
    }
    return false;
}

ScopedPowrprof::ScopedPowrprof(PowrprofVariant variant)
    : m_installed(InstallPowrprof(variant, &m_error))
{}

ScopedPowrprof::~ScopedPowrprof()
{
    if (m_installed) {
        InstallPowrprof(PowrprofVariant::Full);
    }
}

} // namespace simboard
