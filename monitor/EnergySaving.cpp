#include "monitor/EnergySaving.h"

#include "lumo/System/Source/TraceLog.h"
#include "lumo/System/Source/WinRegistry.h"
#include "shell/base/RegistrySchema.h"

#include <cmath>

namespace tv {

double EnergySaving::ComputeSaving(int savingIndex, int seconds) const
{
    return m_currentPower * Factor(savingIndex) * seconds / 3600;
}

double EnergySaving::Factor(int savingIndex) const
{
    return savingIndex >= 0 && savingIndex < kSavingIndexCount ? m_factors[savingIndex] : 0;
}

void EnergySaving::SetFactor(int savingIndex, double factor)
{
    if (savingIndex >= 0 && savingIndex < kSavingIndexCount) {
        m_factors[savingIndex] = factor;
    }
}

bool EnergySaving::Load()
{
    lumo::WinRegistry key;
    if (!key.Open(reg::kRoot, RegistryKey(), false)) {
        return false;
    }
    double total = 0;
    double cumulative = 0;
    if (!key.ReadDouble(reg::kTotalSaving, total) ||
        !key.ReadDouble(reg::kCumulativeSaving, cumulative)) {
        m_totalSaving = 0;
        m_cumulativeSaving = 0;
        return false;
    }
    if (!std::isfinite(total) || !std::isfinite(cumulative) || total < 0 || cumulative < 0) {
        // One corrupted value would otherwise poison every later sum; a saving is never below 0.
        TraceLog("~~~[EnergySaving] %s holds a saving that is not a number or below 0",
                 RegistryKey());
        m_totalSaving = 0;
        m_cumulativeSaving = 0;
        return false;
    }
    m_totalSaving = total;
    m_cumulativeSaving = cumulative;
    return true;
}

void EnergySaving::Update(int savingIndex, int seconds)
{
    const double saving = ComputeSaving(savingIndex, seconds);
    m_totalSaving += saving;
    m_cumulativeSaving += saving;
    TraceLog("~~~[EnergySaving] CurrentPower:%f, QEM Staus:%d, Facotr %f, CurrentSaving:%f, "
             "TotalSaving:%f, CumulativeSaving:%f",
             m_currentPower, savingIndex, Factor(savingIndex), saving, m_totalSaving,
             m_cumulativeSaving);
    Save();
}

bool EnergySaving::Save() const
{
    lumo::WinRegistry key;
    if (!key.Open(reg::kRoot, RegistryKey(), true)) {
        return false;
    }
    bool saved = key.WriteDouble(reg::kCurrentPower, m_currentPower);
    saved = key.WriteDouble(reg::kTotalSaving, m_totalSaving) && saved;
    saved = key.WriteDouble(reg::kCumulativeSaving, m_cumulativeSaving) && saved;
    return saved;
}

const char* MbEnergySaving::RegistryKey() const
{
    return reg::kQemMbKey;
}

const char* VgaEnergySaving::RegistryKey() const
{
    return reg::kQemVgaKey;
}

} // namespace tv
