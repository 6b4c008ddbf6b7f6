#include "sim/board/LiveModel.h"

#include "sim/board/BoardLogic.h"

#include <windows.h>
#include <cmath>

namespace simboard {

namespace {

const DWORD kSampleIntervalMs = 250;
const int32_t kCoreMillivolts = 1250;

uint64_t Ticks(const FILETIME& time)
{
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

bool Sample(uint64_t* idle, uint64_t* kernel, uint64_t* user)
{
    FILETIME i, k, u;
    if (!GetSystemTimes(&i, &k, &u)) {
        return false;
    }
    *idle = Ticks(i);
    *kernel = Ticks(k);
    *user = Ticks(u);
    return true;
}

int32_t LoadBetween(const LoadSampler& before, uint64_t idle, uint64_t kernel, uint64_t user,
                    int32_t fallback)
{
    // Kernel time includes the idle time.
    uint64_t total = (kernel - before.kernel) + (user - before.user);
    uint64_t idleDelta = idle - before.idle;
    if (total == 0 || idleDelta > total) {
        return fallback;
    }
    return static_cast<int32_t>((total - idleDelta) * 1000 / total);
}

int32_t Clamp(int64_t value, int64_t low, int64_t high)
{
    return static_cast<int32_t>(value < low ? low : (value > high ? high : value));
}

} // namespace

uint32_t CpuLoadPermille(BoardState& state)
{
    int32_t fixed = FieldValue(state, Field::CpuLoad);
    if (fixed >= 0) {
        return static_cast<uint32_t>(Clamp(fixed, 0, 100) * 10);
    }
    LoadSampler& sampler = state.sampler;
    uint64_t idle, kernel, user;
    if (sampler.tick == 0) {
        // First reading of the session: take a short interval now rather than report nothing.
        if (!Sample(&sampler.idle, &sampler.kernel, &sampler.user)) {
            return 0;
        }
        Sleep(100);
        if (!Sample(&idle, &kernel, &user)) {
            return 0;
        }
        sampler.loadPermille = LoadBetween(sampler, idle, kernel, user, 0);
    } else {
        if (GetTickCount() - sampler.tick < kSampleIntervalMs) {
            return static_cast<uint32_t>(sampler.loadPermille);
        }
        if (!Sample(&idle, &kernel, &user)) {
            return static_cast<uint32_t>(sampler.loadPermille);
        }
        sampler.loadPermille = LoadBetween(sampler, idle, kernel, user, sampler.loadPermille);
    }
    sampler.idle = idle;
    sampler.kernel = kernel;
    sampler.user = user;
    sampler.tick = GetTickCount() | 1; // never 0 again
    return static_cast<uint32_t>(sampler.loadPermille);
}

int32_t GearPercent(BoardState& state)
{
    int32_t level = FieldValue(state, Field::Level);
    int32_t performance = 100;
    int32_t medium = FieldValue(state, Field::MediumPercent);
    int32_t saving = FieldValue(state, Field::SavingPercent);
    switch (level) {
    case 0x4000:
        return FieldValue(state, Field::TurboPercent);
    case 1:
        return medium;
    case 2:
        return saving;
    case 0x8000: {
        if (IsFFamily(ControllerType(state))) {
            // The program's Auto poll picks the state; until it says 0x8011 the board saves.
            const ItemRecord* gear = FindItem(state, item::GearLevel);
            return gear && gear->value[0] == 0x8011 ? performance : saving;
        }
        int32_t value = AutoSubLevel(state);
        return value == 3 ? saving : (value == 2 ? medium : performance);
    }
    default:
        return performance;
    }
}

uint32_t PowerAtPercent(BoardState& state, int32_t gearPercent)
{
    int64_t idle = FieldValue(state, Field::IdleMilliwatts);
    int64_t full = FieldValue(state, Field::FullMilliwatts);
    int64_t load = CpuLoadPermille(state);
    int64_t power = (idle + (full - idle) * load / 1000) * gearPercent / 100;
    return static_cast<uint32_t>(Clamp(power, 0, 0x7FFFFFFF));
}

uint32_t CpuPowerMilliwatts(BoardState& state)
{
    return PowerAtPercent(state, GearPercent(state));
}

uint32_t EncodePower(int32_t controllerType, uint32_t milliwatts)
{
    if (controllerType == 0x7010) {
        return (milliwatts + 2) / 5;
    }
    if (IsFFamily(controllerType) || Is7Family(controllerType)) {
        return milliwatts;
    }
    return EncodeLinear11(milliwatts / 1000.0);
}

uint32_t EncodeLoad(int32_t controllerType, uint32_t milliwatts)
{
    if (IsFFamily(controllerType)) {
        return static_cast<uint32_t>(static_cast<uint64_t>(milliwatts) * 1000 / kCoreMillivolts);
    }
    return static_cast<uint32_t>(
        Clamp((milliwatts + kCoreMillivolts / 2) / kCoreMillivolts, 0, 255));
}

uint16_t EncodeLinear11(double value)
{
    if (!(value > 0)) {
        return 0;
    }
    for (int exponent = -16; exponent <= 15; ++exponent) {
        double mantissa = std::floor(std::ldexp(value, -exponent) + 0.5);
        if (mantissa <= 2047) {
            return static_cast<uint16_t>(((exponent & 0x1F) << 11) | static_cast<int>(mantissa));
        }
    }
    return static_cast<uint16_t>((15 << 11) | 2047);
}

int32_t AutoChoice(BoardState& state)
{
    auto threshold = [&](uint32_t id, uint32_t fallback) {
        const ItemRecord* record = FindItem(state, id);
        return record ? static_cast<uint32_t>(record->value[0]) : fallback;
    };
    // The current the load draws at full performance: judged in the gear it chooses, the choice
    // would feed back on itself.
    uint32_t load = EncodeLoad(ControllerType(state), PowerAtPercent(state, 100));
    if (load < threshold(item::Threshold1, 0)) {
        return 3;
    }
    if (load < threshold(item::Threshold2, 0)) {
        return 2;
    }
    return load < threshold(item::Threshold3, 255) ? 1 : 0;
}

bool BoardRunsAuto(const BoardState& state)
{
    return FieldValue(state, Field::Level) == 0x8000 && !IsFFamily(ControllerType(state));
}

int32_t AutoSubLevel(BoardState& state)
{
    const ItemRecord* sub = FindItem(state, item::AutoSubLevel);
    if (sub && sub->pinned) {
        return sub->value[0];
    }
    if (BoardRunsAuto(state)) {
        return AutoChoice(state);
    }
    return sub ? sub->value[0] : 1;
}

void KeepAutoChoice(BoardState& state)
{
    ItemRecord* sub = FindItem(state, item::AutoSubLevel);
    if (sub && !sub->pinned && BoardRunsAuto(state)) {
        sub->value[0] = AutoChoice(state);
    }
}

} // namespace simboard
