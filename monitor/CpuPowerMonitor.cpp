#include "monitor/CpuPowerMonitor.h"

#include "power/GearItems.h"
#include "power/PowerGear.h"

namespace tv {

CpuPowerMonitor& CpuPowerMonitor::Instance()
{
    static CpuPowerMonitor* const instance = [] {
        PowerGear& gear = PowerGear::Instance();
        // The gear engine is opened before the banks are read.
        gear.SetItem(item::kGearEngineOpen, 1);
        gear.ButtonEnable();
        // The controller type is learnt here, as the bank reading needs it.
        return new CpuPowerMonitor(tv::ControllerType(), GearParameters::Instance());
    }();
    return *instance;
}

CpuPowerMonitor::CpuPowerMonitor(uint32_t controllerType, GearParameters& parameters)
    : m_controllerType(controllerType), m_parameters(parameters)
{
    m_parameters.Fill();
}

void CpuPowerMonitor::GetGearParameters(int gear, int32_t& a, int32_t& b, int32_t& c,
                                        int32_t& d) const
{
    const GearParameters::Values values = m_parameters.Get(gear);
    a = values.a;
    b = values.b;
    c = values.c;
    d = values.d;
}

void CpuPowerMonitor::SetGearParameters(int gear, int32_t b, int32_t c)
{
    m_parameters.Set(gear, b, c);
}

} // namespace tv
