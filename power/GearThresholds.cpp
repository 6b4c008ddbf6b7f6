#include "power/GearThresholds.h"

#include "lumo/System/Source/TraceLog.h"
#include "lumo/System/Source/WinRegistry.h"
#include "power/GearItems.h"
#include "power/PowerGear.h"
#include "shell/base/RegistrySchema.h"

namespace tv {
namespace {

const char* const kNames[3] = {reg::kThreshold1, reg::kThreshold2, reg::kThreshold3};

} // namespace

GearThresholds::GearThresholds(PowerGear& gear) : m_gear(gear) {}

void GearThresholds::EnsureLoaded()
{
    if (m_loaded) {
        return;
    }
    m_loaded = true;
    lumo::WinRegistry key;
    if (!key.Open(reg::kRoot, reg::kThresholdKey, false)) {
        return;
    }
    DWORD stored[3];
    for (int i = 0; i < 3; ++i) {
        if (!key.ReadDword(kNames[i], stored[i])) {
            return;
        }
    }
    if (IsInvalidFlagSet()) {
        TraceLog("[GearThresholds] thresholds flagged invalid by the board, back to defaults");
        for (const char* name : kNames) {
            key.DeleteValue(name);
        }
        return;
    }
    for (int i = 0; i < 3; ++i) {
        m_values[i] = static_cast<int>(stored[i]);
    }
    m_valid = true;
}

void GearThresholds::Get(int& t1, int& t2, int& t3)
{
    std::lock_guard<std::mutex> guard(m_lock);
    EnsureLoaded();
    t1 = m_values[0];
    t2 = m_values[1];
    t3 = m_values[2];
}

bool GearThresholds::IsValid()
{
    std::lock_guard<std::mutex> guard(m_lock);
    EnsureLoaded();
    return m_valid;
}

void GearThresholds::Store(int t1, int t2, int t3)
{
    std::lock_guard<std::mutex> guard(m_lock);
    // What a later first use would read is replaced now.
    m_loaded = true;
    m_values[0] = t1;
    m_values[1] = t2;
    m_values[2] = t3;
    bool written = false;
    lumo::WinRegistry key;
    if (key.Open(reg::kRoot, reg::kThresholdKey, true)) {
        written = true;
        for (int i = 0; i < 3; ++i) {
            written = key.WriteDword(kNames[i], static_cast<DWORD>(m_values[i])) && written;
        }
    }
    m_valid = written;
    ClearInvalidFlag();
}

bool GearThresholds::IsInvalidFlagSet()
{
    int value = 0;
    return m_gear.GetItem(item::kThresholdsInvalid, value) && value == 1;
}

bool GearThresholds::ClearInvalidFlag()
{
    return m_gear.SetItem(item::kThresholdsInvalid, 0);
}

} // namespace tv
