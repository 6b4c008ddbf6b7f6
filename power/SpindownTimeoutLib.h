#pragma once
// The disk spin-down facade over the maker's "KdSpindownTimeout.dll". A missing library or entry
// is shown once and makes the spin-down call do nothing.
#include "power/MakerAbi.h"
#include "lumo/System/Source/Owners.h"

#include <windows.h>
#include <string>

namespace tv {

class SpindownTimeoutLib
{
public:
    static constexpr char kLibraryName[] = "KdSpindownTimeout.dll";

    // library: what LoadLibraryA is given (the program passes the bare name, so the standard
    // search order applies).
    explicit SpindownTimeoutLib(const std::string& library);
    SpindownTimeoutLib(const SpindownTimeoutLib&) = delete;
    SpindownTimeoutLib& operator=(const SpindownTimeoutLib&) = delete;

    static SpindownTimeoutLib& Instance();

    bool IsPresent() const { return m_set != nullptr; }
    // Seconds, 0 = never; false when the library is absent or refuses.
    bool SetSpindownTimeout(DWORD seconds);

private:
    lumo::ModuleHandle m_module;
    maker::SpindownFn m_get = nullptr;
    maker::SpindownFn m_set = nullptr;
};

} // namespace tv
