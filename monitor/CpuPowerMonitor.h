#pragma once
// The process-wide power monitor: the board's controller type and the per-gear parameter cache
// that the mode profiles read, and through which their voltage items reach the board.
#include "power/ControllerType.h"
#include "power/GearParameters.h"

#include <cstdint>

namespace tv {

class CpuPowerMonitor
{
public:
    // Created and initialised on the first call, lives until the process ends.
    static CpuPowerMonitor& Instance();

    CpuPowerMonitor(const CpuPowerMonitor&) = delete;
    CpuPowerMonitor& operator=(const CpuPowerMonitor&) = delete;

    // The controller type (read once per process) and its families.
    uint32_t ControllerType() const { return m_controllerType; }
    bool IsFFamily() const { return controller::IsFFamily(m_controllerType); }
    bool Is7Family() const { return controller::Is7Family(m_controllerType); }
    bool IsTypeF000() const { return controller::IsTypeF000(m_controllerType); }
    bool IsAutoPollingType() const { return controller::IsAutoPollingType(m_controllerType); }
    bool IsFineScaleType() const { return controller::IsFineScaleType(m_controllerType); }

    // The start-up values of gear 0..3 (gear 1 and others: zeros).
    void GetGearParameters(int gear, int32_t& a, int32_t& b, int32_t& c, int32_t& d) const;
    // Gears 0, 2, 3: vCore (b) and the second voltage item (c) to the gear's bank.
    void SetGearParameters(int gear, int32_t b, int32_t c);

private:
    CpuPowerMonitor(uint32_t controllerType, GearParameters& parameters);

    uint32_t m_controllerType;
    GearParameters& m_parameters;
};

} // namespace tv
