#include "sim/board/Board.h"

#include "sim/board/BoardLogic.h"
#include "sim/board/Chip.h"
#include "sim/board/LiveModel.h"
#include "sim/board/Numbers.h"
#include "sim/board/SharedBoard.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace simboard {

namespace {

std::string Format(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));
std::string Format(const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

const char* LevelName(int32_t level)
{
    switch (level) {
    case 0x4000:
        return "Turbo";
    case 0:
        return "High performance";
    case 1:
        return "Medium power saving";
    case 2:
        return "Max power saving";
    case 0x8000:
        return "Auto";
    default:
        return "unknown";
    }
}

const char* Family(int32_t type)
{
    if (IsFFamily(type)) {
        return "F family, milliwatts";
    }
    if (type == 0x7010) {
        return "7 family, 5-milliwatt steps";
    }
    if (Is7Family(type)) {
        return "7 family, milliwatts";
    }
    return "linear-11 power words";
}

std::string ItemLine(BoardState& state, const ItemRecord& record)
{
    int32_t reading = 0;
    ReadItem(state, record.id, &reading, Access::Control);
    std::string line = "  " + FormatItem(record.id) + "  " + FormatValue(reading);
    if (record.banked) {
        line += "  banks " + FormatValue(record.value[0]) + "," + FormatValue(record.value[1]) +
                "," + FormatValue(record.value[2]) + "," + FormatValue(record.value[3]);
    }
    if (!record.supported) {
        line += "  unsupported";
    }
    if (record.readFails) {
        line += "  readfail";
    }
    if (record.writeFails) {
        line += "  writefail";
    }
    if (IsLiveItem(record.id)) {
        line += record.pinned ? "  set (live reading held)" : "  live";
    }
    return line + "\n";
}

} // namespace

std::string StatusText()
{
    BoardLock lock;
    if (!lock) {
        return "the board is not available\n";
    }
    BoardState& state = lock.State();
    std::string text;
    text += Format("preset      %.*s\n", static_cast<int>(kPresetNameSize), state.preset);

    const ItemRecord* word = FindItem(state, item::Capability);
    text += Format("board       %s, support level %d (capability word %s)\n",
                   BoardSupported(state) ? "supported" : "not supported", SupportLevel(state),
                   word && word->supported ? FormatValue(word->value[0]).c_str() : "missing");
    int32_t type = ControllerType(state);
    text += Format("controller  %s (%s)\n", FormatValue(type).c_str(), Family(type));
    int32_t level = FieldValue(state, Field::Level);
    text += Format("gear level  %s (%s)\n", FormatValue(level).c_str(), LevelName(level));
    const ItemRecord* oc = FindItem(state, item::OverclockStatus);
    text += Format("overclock   CheckOC %d, item 0x09080000 %s\n",
                   static_cast<int>(FieldValue(state, Field::CheckOC)),
                   oc && oc->supported ? FormatValue(oc->value[0]).c_str() : "missing");
    text +=
        Format("K-Fan 3     %d\n", CapabilityAnswer(state, Field::IsKFanThreeSupported) ? 1 : 0);

    if (state.packageCount > 3) {
        uint32_t element = state.package[3];
        text += Format("firmware    %u elements, element 3 = 0x%08X (%s)\n", state.packageCount,
                       element, element >= 0x02000000 ? "doze-capable" : "not doze-capable");
    } else {
        text += Format("firmware    %u elements (no element 3: not doze-capable)\n",
                       state.packageCount);
    }

    int32_t half = CpuTemperatureHalf(state.chip);
    text += Format("chip        ID 0x%04X, class %s, CPU %d.%d C, bank %d\n", state.chip.id,
                   IsClassB(state.chip.id) ? "B" : "A", static_cast<int>(half / 2),
                   static_cast<int>(half % 2 * 5), state.chip.bankSelect & 0x0F);

    int32_t fixedLoad = FieldValue(state, Field::CpuLoad);
    uint32_t load = CpuLoadPermille(state);
    uint32_t power = CpuPowerMilliwatts(state);
    text +=
        Format("live        CPU load %u.%u%% (%s), gear %d%%, power %u mW\n", load / 10, load % 10,
               fixedLoad >= 0 ? "fixed" : "real", static_cast<int>(GearPercent(state)), power);

    text += Format("scheme      %s index %d\n", FormatGuid(state.activeScheme).c_str(),
                   static_cast<int>(FieldValue(state, Field::SchemeIndex)));
    text +=
        Format("journal     %u calls since the clear (%u dropped)\n", state.journalTotal,
               state.journalTotal > kJournalCapacity ? state.journalTotal - kJournalCapacity : 0);
    text +=
        Format("chip record %u accesses since the clear (%u dropped)\n", state.chipTotal,
               state.chipTotal > kChipHistoryCapacity ? state.chipTotal - kChipHistoryCapacity : 0);
    text += Format("sequence    %u\n", state.sequence);
    for (const CallDelayRecord& delay : state.delays) {
        if (delay.library != 0) {
            text += Format("delay       %s %.*s %u ms\n",
                           LibraryName(static_cast<Library>(delay.library)),
                           static_cast<int>(kFunctionNameSize), delay.function, delay.ms);
        }
    }

    text += "items\n";
    for (uint32_t i = 0; i < state.itemCount && i < kMaxItems; ++i) {
        text += ItemLine(state, state.items[i]);
    }
    text += "fields\n";
    uint32_t count;
    const FieldInfo* fields = FieldTable(&count);
    for (uint32_t i = 0; i < count; ++i) {
        text += Format("  %-26s %s\n", fields[i].name,
                       FormatValue(FieldValue(state, fields[i].field)).c_str());
    }
    return text;
}

} // namespace simboard
