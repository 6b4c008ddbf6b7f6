#pragma once
// The side settings of one power mode, seven signed 32-bit fields in their stored order.
#include <cstdint>

namespace tv {

struct ModeProfile
{
    int32_t fsb = 0;                 // front-side-bus step: carried, always 0
    int32_t vCore = 0;               // core-voltage downgrade 0..2 (Small, Medium, Heavy)
    int32_t loadLine = 0;            // load-line, or VDDNB on controller family F, downgrade 0..2
    int32_t nbVolt = 0;              // carried, always 0
    int32_t optiDozeIdleTimeout = 0; // milliseconds, 0 = never
    int32_t spinDownTimeout = 0;     // seconds, 0 = never
    int32_t fan = 0;                 // 0 keep the BIOS setting, 1 quiet fans

    bool operator==(const ModeProfile& other) const
    {
        return fsb == other.fsb && vCore == other.vCore && loadLine == other.loadLine &&
               nbVolt == other.nbVolt && optiDozeIdleTimeout == other.optiDozeIdleTimeout &&
               spinDownTimeout == other.spinDownTimeout && fan == other.fan;
    }
    bool operator!=(const ModeProfile& other) const { return !(*this == other); }
};

// Twenty minutes, the idle and spin-down times of the saving profiles.
inline constexpr int32_t kDefaultIdleTimeoutMs = 1200000;
inline constexpr int32_t kDefaultSpinDownSeconds = 1200;

} // namespace tv
