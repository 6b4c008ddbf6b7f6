#pragma once
// Order and time of every record of the simulated world: the board's call journal, the chip's
// register history and the peers' request and message logs. Each entry carries a number from
// the board's one counter, taken under the board's lock by whichever process makes the entry, so
// numbers are strictly increasing across all records and processes; and the time it was taken,
// in milliseconds of ClockMs(), which every process reads alike. Header only: the peers' client
// side uses it without linking the board.
#include <windows.h>
#include <cstdint>

namespace simboard {

struct Stamp
{
    uint32_t sequence = 0; // 0: not stamped (the board was not available)
    uint64_t ms = 0;
};

// Milliseconds of the machine's performance counter: one clock for every process (not wall-clock
// time; only differences mean something).
inline uint64_t ClockMs()
{
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter;
    if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0 ||
        !QueryPerformanceCounter(&counter)) {
        return GetTickCount(); // never on XP and later
    }
    const uint64_t ticks = static_cast<uint64_t>(counter.QuadPart);
    const uint64_t perSecond = static_cast<uint64_t>(frequency.QuadPart);
    return ticks / perSecond * 1000 + ticks % perSecond * 1000 / perSecond;
}

// a was recorded before b (both stamped).
inline bool Before(const Stamp& a, const Stamp& b)
{
    return a.sequence != 0 && a.sequence < b.sequence;
}

// Every entry was recorded before the next one: InOrder(setLevel, cardSetMode, spinDown).
inline bool InOrder(const Stamp&)
{
    return true;
}
template <typename... Rest>
bool InOrder(const Stamp& first, const Stamp& second, const Rest&... rest)
{
    return Before(first, second) && InOrder(second, rest...);
}

// Milliseconds from one entry to a later one (negative when `to` came first).
inline int64_t MsBetween(const Stamp& from, const Stamp& to)
{
    return static_cast<int64_t>(to.ms - from.ms);
}

} // namespace simboard
