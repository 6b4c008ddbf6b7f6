// boardsim: the simulated board from the command line (see Usage()).
#include "sim/board/Board.h"
#include "sim/board/Numbers.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

namespace {

enum Exit
{
    kOk = 0,
    kUnavailable = 1,
    kUsage = 2,
};

const char kUsageText[] =
    "usage: boardsim COMMAND\n"
    "  preset NAME         reset the board to a preset (journal and chip history cleared)\n"
    "  presets             list the presets\n"
    "  status              summary of the board\n"
    "  get NAME            print an item (0x0B060003), a field (Level) or ChipId, CpuTempHalf\n"
    "  set NAME VALUE      set it; a value set on a live reading holds until cleared\n"
    "  clear ITEM          back to the preset's value; live readings follow the board again\n"
    "  flags ITEM WORD...  supported|unsupported, readfail|readok, writefail|writeok\n"
    "  journal [--clear]   the export calls in order, or clear them\n"
    "  chip [--clear]      the chip's register writes in order, or clear them\n"
    "NUMBERS are decimal or 0x hexadecimal.\n";

int Usage(const char* problem = nullptr)
{
    if (problem) {
        std::fprintf(stderr, "boardsim: %s\n", problem);
    }
    std::fputs(kUsageText, stderr);
    return kUsage;
}

int Error(const std::string& message, int code = kUsage)
{
    std::fprintf(stderr, "boardsim: %s\n", message.c_str());
    return code;
}

int Unavailable()
{
    return Error("the board is not available: " + simboard::UnavailableReason(), kUnavailable);
}

bool Is(const char* a, const char* b)
{
    return strcasecmp(a, b) == 0;
}

// What a NAME argument stands for.
struct Target
{
    enum Kind
    {
        Item,
        Field,
        ChipId,
        CpuTempHalf,
    } kind;
    uint32_t item = 0;
    simboard::Field field = simboard::Field::Count;
};

int Resolve(const char* name, Target* target)
{
    int32_t number;
    if (simboard::ParseInt32(name, &number)) {
        target->kind = Target::Item;
        target->item = static_cast<uint32_t>(number);
        if (!simboard::Available()) {
            return Unavailable();
        }
        if (!simboard::HasItem(target->item)) {
            return Error("unknown item " + simboard::FormatItem(target->item) +
                         " (not on this board; 'boardsim status' lists its items)");
        }
        return kOk;
    }
    if (simboard::FindField(name, &target->field)) {
        target->kind = Target::Field;
        return kOk;
    }
    if (Is(name, "ChipId")) {
        target->kind = Target::ChipId;
        return kOk;
    }
    if (Is(name, "CpuTempHalf")) {
        target->kind = Target::CpuTempHalf;
        return kOk;
    }
    return Error(std::string("unknown item or field '") + name + "'");
}

int Get(const char* name)
{
    Target target;
    if (int code = Resolve(name, &target)) {
        return code;
    }
    int32_t value = 0;
    bool ok = true;
    switch (target.kind) {
    case Target::Item:
        ok = simboard::GetItem(target.item, &value);
        break;
    case Target::Field:
        ok = simboard::GetField(target.field, &value);
        break;
    case Target::ChipId:
        ok = simboard::Available();
        value = simboard::ChipId();
        break;
    case Target::CpuTempHalf:
        ok = simboard::Available();
        value = simboard::CpuTemperatureHalf();
        break;
    }
    if (!ok) {
        return Unavailable();
    }
    std::printf("%s\n", simboard::FormatValue(value).c_str());
    return kOk;
}

int Set(const char* name, const char* text)
{
    int32_t value;
    if (!simboard::ParseInt32(text, &value)) {
        return Error(std::string("bad number '") + text + "'");
    }
    Target target;
    if (int code = Resolve(name, &target)) {
        return code;
    }
    bool ok = true;
    switch (target.kind) {
    case Target::Item:
        ok = simboard::SetItem(target.item, value);
        break;
    case Target::Field:
        ok = simboard::SetField(target.field, value);
        break;
    case Target::ChipId:
        if (value < 0 || value > 0xFFFF) {
            return Error(std::string("chip ID out of range: ") + text);
        }
        ok = simboard::SetChipId(static_cast<uint16_t>(value));
        break;
    case Target::CpuTempHalf:
        if (value < 0 || value > 0x1FF) {
            return Error(std::string("CPU temperature out of range (0..511 half degrees): ") +
                         text);
        }
        ok = simboard::SetCpuTemperatureHalf(value);
        break;
    }
    return ok ? kOk : Unavailable();
}

int ItemCommand(const char* name, simboard::ItemState* state)
{
    Target target;
    if (int code = Resolve(name, &target)) {
        return code;
    }
    if (target.kind != Target::Item) {
        return Error(std::string("not an item: ") + name);
    }
    return simboard::GetItemState(target.item, state) ? kOk : Unavailable();
}

int Clear(const char* name)
{
    simboard::ItemState state;
    if (int code = ItemCommand(name, &state)) {
        return code;
    }
    return simboard::ClearItem(state.id) ? kOk : Unavailable();
}

int Flags(int argc, char** argv)
{
    simboard::ItemState state;
    if (int code = ItemCommand(argv[0], &state)) {
        return code;
    }
    for (int i = 1; i < argc; ++i) {
        const char* word = argv[i];
        if (Is(word, "supported") || Is(word, "unsupported")) {
            state.supported = Is(word, "supported");
        } else if (Is(word, "readfail") || Is(word, "readok")) {
            state.readFails = Is(word, "readfail");
        } else if (Is(word, "writefail") || Is(word, "writeok")) {
            state.writeFails = Is(word, "writefail");
        } else {
            return Error(std::string("unknown flag '") + word + "'");
        }
    }
    return simboard::SetItemFlags(state.id, state.supported, state.readFails, state.writeFails)
               ? kOk
               : Unavailable();
}

int Journal(bool clear)
{
    if (!simboard::Available()) {
        return Unavailable();
    }
    if (clear) {
        return simboard::ClearJournal() ? kOk : Unavailable();
    }
    simboard::Journal journal = simboard::ReadJournal();
    for (const simboard::JournalEntry& entry : journal.entries) {
        std::printf("%6u  pid %-6lu %s\n", entry.sequence,
                    static_cast<unsigned long>(entry.processId), entry.Text().c_str());
    }
    std::printf("%u calls shown, %u dropped\n", static_cast<unsigned>(journal.entries.size()),
                journal.overflow);
    return kOk;
}

int Chip(bool clear)
{
    if (!simboard::Available()) {
        return Unavailable();
    }
    if (clear) {
        return simboard::ClearChipWrites() ? kOk : Unavailable();
    }
    simboard::ChipHistory history = simboard::ReadChipWrites();
    for (const simboard::ChipWrite& write : history.writes) {
        std::printf("%6u  bank 0x%02X  register 0x%02X = 0x%02X\n", write.sequence, write.bank,
                    write.reg, write.value);
    }
    std::printf("%u writes shown, %u dropped\n", static_cast<unsigned>(history.writes.size()),
                history.overflow);
    return kOk;
}

int Presets()
{
    for (const std::string& name : simboard::PresetNames()) {
        std::printf("%s\n", name.c_str());
    }
    return kOk;
}

int Preset(const char* name)
{
    std::string error;
    if (simboard::Reset(name, &error)) {
        return kOk;
    }
    if (error.find("the board is not available") == 0) {
        return Error(error, kUnavailable);
    }
    if (error.find("unknown preset") == std::string::npos) {
        return Error(error);
    }
    std::string known;
    for (const std::string& preset : simboard::PresetNames()) {
        known += (known.empty() ? "" : ", ") + preset;
    }
    return Error(error + " (presets: " + known + ")");
}

bool IsClearOption(int argc, char** argv, bool* clear)
{
    *clear = argc == 1 && std::strcmp(argv[0], "--clear") == 0;
    return argc == 0 || *clear;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        return Usage();
    }
    const char* command = argv[1];
    int rest = argc - 2;
    char** args = argv + 2;
    bool clear = false;
    if (Is(command, "preset") && rest == 1) {
        return Preset(args[0]);
    }
    if (Is(command, "presets") && rest == 0) {
        return Presets();
    }
    if (Is(command, "status") && rest == 0) {
        if (!simboard::Available()) {
            return Unavailable();
        }
        std::fputs(simboard::StatusText().c_str(), stdout);
        return kOk;
    }
    if (Is(command, "get") && rest == 1) {
        return Get(args[0]);
    }
    if (Is(command, "set") && rest == 2) {
        return Set(args[0], args[1]);
    }
    if (Is(command, "clear") && rest == 1) {
        return Clear(args[0]);
    }
    if (Is(command, "flags") && rest >= 2) {
        return Flags(rest, args);
    }
    if (Is(command, "journal") && IsClearOption(rest, args, &clear)) {
        return Journal(clear);
    }
    if (Is(command, "chip") && IsClearOption(rest, args, &clear)) {
        return Chip(clear);
    }
    return Usage((std::string("bad command line: ") + command).c_str());
}
