#pragma once
// The Windows power-scheme step of a mode change (boards of controller-type family F or 7): the
// saving modes switch to Balanced, Turbo to High performance, High performance goes back to the
// scheme that was active before the first switch. The scheme saved at a switch lives here for
// the process.
#include "power/PowerMgr.h"

#include <windows.h>
#include <mutex>

namespace tv {

class PowerSchemeStep
{
public:
    // Scheme indices of the interface without GUIDs.
    static constexpr UINT kHighPerformanceIndex = 3;
    static constexpr UINT kBalancedIndex = 4;

    explicit PowerSchemeStep(PowerMgr& power);
    // Frees a saved scheme.
    ~PowerSchemeStep();
    PowerSchemeStep(const PowerSchemeStep&) = delete;
    PowerSchemeStep& operator=(const PowerSchemeStep&) = delete;

    // Over PowerMgr::Instance(), created on first use.
    static PowerSchemeStep& Instance();

    // 0x4000: High performance; 1, 2 and 0x8000: Balanced; any other mode: the saved scheme
    // back. Mode threads may overlap (a later request waits only 3000 ms for an earlier one), so
    // a whole step runs under one lock: the saved scheme is never freed twice nor dropped.
    void Apply(int mode);

    // What a later restore would activate: a GUID, or an index (-1: none).
    bool SavedScheme(GUID& scheme) const;
    int SavedIndex() const;

private:
    void Switch(const GUID& target, UINT targetIndex);
    void Restore();
    void FreeSavedScheme();

    PowerMgr& m_power;
    mutable std::mutex m_lock;
    // Allocated by the system (LocalFree); null when none is saved.
    GUID* m_savedScheme = nullptr;
    int m_savedIndex = -1;
};

} // namespace tv
