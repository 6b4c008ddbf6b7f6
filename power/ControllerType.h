#pragma once
// The board's power-controller type: read once per process from the power-gear item 0x0B060080,
// it chooses the power decoding, the load-line item, the calibration strategy and more.
#include <cstdint>

namespace tv {

class PowerGear;

namespace controller {

inline constexpr uint32_t kTypeF000 = 0xF000;
inline constexpr uint32_t kTypeF001 = 0xF001;
inline constexpr uint32_t kTypeF010 = 0xF010;
inline constexpr uint32_t kTypeF011 = 0xF011;
inline constexpr uint32_t kFineScaleType = 0x7010;

constexpr bool IsFFamily(uint32_t type)
{
    return (type & 0xF000) == 0xF000;
}
constexpr bool Is7Family(uint32_t type)
{
    return (type & 0xF000) == 0x7000;
}
constexpr bool IsTypeF000(uint32_t type)
{
    return type == kTypeF000;
}
// Types on which Auto mode polls the CPU load itself.
constexpr bool IsAutoPollingType(uint32_t type)
{
    return type == kTypeF001 || type == kTypeF010 || type == kTypeF011;
}
// Power readings in 5-milliwatt steps.
constexpr bool IsFineScaleType(uint32_t type)
{
    return type == kFineScaleType;
}

} // namespace controller

// One query of the item: the value when the item is supported and reads, else 0.
uint32_t ReadControllerType(PowerGear& gear);

// Opens the gear engine for this program: item 0x0B060002 to 1, then the button enable.
void OpenGearEngine(PowerGear& gear);

// The process-wide type: read through PowerGear::Instance() on the first call, then kept. That
// first call opens the gear engine before it reads, so the engine is open before the type and the
// profile banks are read, whichever part of the program asks first.
uint32_t ControllerType();

} // namespace tv
