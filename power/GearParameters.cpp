#include "power/GearParameters.h"

#include "lumo/System/Source/TraceLog.h"
#include "power/ControllerType.h"
#include "power/GearItems.h"
#include "power/PowerGear.h"

namespace tv {

GearParameters::GearParameters(PowerGear& gear, uint32_t controllerType)
    : m_gear(gear), m_secondItem(controller::IsFFamily(controllerType) ? item::kVddNbDowngrade
                                                                       : item::kLoadLineDowngrade)
{}

GearParameters& GearParameters::Instance()
{
    static GearParameters* const instance = [] {
        // The type first: its first read opens the gear engine, which the bank reads need.
        const uint32_t type = ControllerType();
        auto* parameters = new GearParameters(PowerGear::Instance(), type);
        parameters->Fill();
        return parameters;
    }();
    return *instance;
}

int32_t GearParameters::ReadAndRewrite(int item)
{
    int value = 0;
    if (!m_gear.GetItem(item, value)) {
        // Writing a value never read would change the board's setting.
        TraceLog("~~~[GearParameters] item %x not readable", static_cast<unsigned>(item));
        return 0;
    }
    m_gear.SetItem(item, value);
    return value;
}

void GearParameters::Fill()
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_filled) {
        return;
    }
    m_filled = true;
    for (int gear : {0, 2, 3}) {
        m_gear.SetItem(item::kProfileBank, gear);
        Values& values = m_values[gear];
        values.a = 0;
        values.d = 0;
        values.b = ReadAndRewrite(item::kVCoreDowngrade);
        values.c = ReadAndRewrite(m_secondItem);
    }
}

bool GearParameters::IsFilled() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_filled;
}

GearParameters::Values GearParameters::Get(int gear) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (gear < 0 || gear >= kGearCount) {
        return Values();
    }
    return m_values[gear];
}

void GearParameters::Set(int gear, int32_t b, int32_t c)
{
    if (gear != 0 && gear != 2 && gear != 3) {
        return;
    }
    // One bank selection and its two writes must not interleave with another's.
    std::lock_guard<std::mutex> guard(m_lock);
    m_gear.SetItem(item::kProfileBank, gear);
    m_gear.SetItem(item::kVCoreDowngrade, b);
    m_gear.SetItem(m_secondItem, c);
}

} // namespace tv
