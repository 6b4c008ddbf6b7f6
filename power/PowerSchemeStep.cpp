#include "power/PowerSchemeStep.h"

#include "lumo/System/Source/TraceLog.h"
#include "power/GearLevel.h"

namespace tv {
namespace {

// The published schemes.
const GUID kHighPerformanceScheme = {
    0x8C5E7FDA, 0xE8BF, 0x4A96, {0x9A, 0x85, 0xA6, 0xE2, 0x3A, 0x8C, 0x63, 0x5C}};
const GUID kBalancedScheme = {
    0x381B4222, 0xF694, 0x41F0, {0x96, 0x85, 0xFF, 0x5B, 0xB2, 0x60, 0xDF, 0x2E}};

} // namespace

PowerSchemeStep::PowerSchemeStep(PowerMgr& power) : m_power(power) {}

PowerSchemeStep::~PowerSchemeStep()
{
    FreeSavedScheme();
}

PowerSchemeStep& PowerSchemeStep::Instance()
{
    static PowerSchemeStep* const instance = new PowerSchemeStep(PowerMgr::Instance());
    return *instance;
}

void PowerSchemeStep::Apply(int mode)
{
    std::lock_guard<std::mutex> guard(m_lock);
    switch (mode) {
    case kGearTurbo:
        Switch(kHighPerformanceScheme, kHighPerformanceIndex);
        break;
    case kGearMediumSaving:
    case kGearMaxSaving:
    case kGearAuto:
        Switch(kBalancedScheme, kBalancedIndex);
        break;
    default:
        Restore();
        break;
    }
}

void PowerSchemeStep::Switch(const GUID& target, UINT targetIndex)
{
    if (m_power.Available()) {
        FreeSavedScheme();
        if (!m_power.PowerGetActiveScheme(&m_savedScheme)) {
            // Nothing was handed over: nothing to restore later.
            m_savedScheme = nullptr;
            TraceLog("~~~[PowerScheme] PowerGetActiveScheme failed");
        }
        if (!m_power.PowerSetActiveScheme(&target)) {
            TraceLog("~~~[PowerScheme] PowerSetActiveScheme %08lX failed", target.Data1);
        }
        return;
    }
    m_savedIndex = -1;
    UINT active = 0;
    if (m_power.GetActivePwrScheme(&active)) {
        m_savedIndex = static_cast<int>(active);
    } else {
        TraceLog("~~~[PowerScheme] GetActivePwrScheme failed");
    }
    if (!m_power.SetActivePwrScheme(targetIndex)) {
        TraceLog("~~~[PowerScheme] SetActivePwrScheme %u failed", targetIndex);
    }
}

void PowerSchemeStep::Restore()
{
    if (m_savedScheme) {
        if (!m_power.PowerSetActiveScheme(m_savedScheme)) {
            TraceLog("~~~[PowerScheme] PowerSetActiveScheme %08lX failed", m_savedScheme->Data1);
        }
        FreeSavedScheme();
    } else if (m_savedIndex != -1) {
        if (!m_power.SetActivePwrScheme(static_cast<UINT>(m_savedIndex))) {
            TraceLog("~~~[PowerScheme] SetActivePwrScheme %d failed", m_savedIndex);
        }
        m_savedIndex = -1;
    }
}

void PowerSchemeStep::FreeSavedScheme()
{
    if (m_savedScheme) {
        LocalFree(m_savedScheme);
        m_savedScheme = nullptr;
    }
}

bool PowerSchemeStep::SavedScheme(GUID& scheme) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_savedScheme) {
        return false;
    }
    scheme = *m_savedScheme;
    return true;
}

int PowerSchemeStep::SavedIndex() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_savedIndex;
}

} // namespace tv
