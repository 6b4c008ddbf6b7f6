// boardsim: the simulated board from the command line (see Usage()).
#include "sim/board/Board.h"
#include "sim/board/BoardLayout.h"
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
    "The board:\n"
    "  preset NAME            reset the board to a preset: records cleared, delays removed\n"
    "                         (the sequence numbers go on)\n"
    "  presets                list the presets\n"
    "  status                 summary of the board\n"
    "  get NAME               print an item (0x0B060003), a field (Level) or ChipId, CpuTempHalf\n"
    "  set NAME VALUE         set it; a value set on a live reading holds until cleared\n"
    "  clear ITEM             back to the preset's value; live readings follow the board again\n"
    "  flags ITEM WORD...     supported|unsupported, readfail|readok, writefail|writeok\n"
    "  level [LEVEL]          print or set the gear level (item 0x0B060001 follows): turbo\n"
    "                         (0x4000), high (0), medium (1), saving (2), auto (0x8000)\n"
    "  overclock [on|off|fail]  print or set the overclock answer: on: OptiGearCheckOC\n"
    "                         reports 1 and item 0x09080000 is 0; off: 0 and 1; fail:\n"
    "                         OptiGearCheckOC fails\n"
    "  delay                  list the slow exports\n"
    "  delay LIB FUNC MS      make an export slow: it takes effect and is journaled at once,\n"
    "                         then returns MS ms later (at most 60000; 0: no longer slow).\n"
    "                         LIB: OptiGear, OptiDoze, vvc, KdSpindownTimeout, KdIo, kdacpi,\n"
    "                         powrprof; FUNC: the journal's name, * for every export of LIB\n"
    "  delay --clear          no export slow\n"
    "  package [V,V,...]      print or set the firmware package kdacpi.dll hands out (at most\n"
    "                         64 elements; element 3 is the firmware revision)\n"
    "  scheme [SCHEME]        print or set the active Windows power scheme: {GUID}, saver,\n"
    "                         balanced or high\n"
    "The chip:\n"
    "  chip get REG [--bank N]        a hardware-monitor register (bank: the one selected now)\n"
    "  chip set REG VALUE [--bank N]  set it, unrecorded (0x4E: the bank select)\n"
    "Records:\n"
    "  journal [--since SEQ]  the export calls in order (only those after SEQ)\n"
    "  journal --clear        forget them\n"
    "  chip [--since SEQ]     the chip's register reads and writes in order\n"
    "  chip --clear           forget them\n"
    "  sequence               the last sequence number handed out and the clock: \"SEQ MS\"\n"
    "Every journal and chip entry is one line, oldest first, fields separated by one blank:\n"
    "  SEQ MS PID TEXT\n"
    "  journal TEXT: LIBRARY FUNCTION(ARGS) = RESULT[ -> OUT]\n"
    "                (OptiGear OptiGearGetItem(0x0B060003) = 1 -> 12)\n"
    "  chip TEXT:    read|write bank 0xBB register 0xRR = 0xVV\n"
    "SEQ numbers every entry of the journal, the chip record and the peers' logs (cardsim,\n"
    "sysctlsim, peerwin) from one counter: strictly increasing, never reused. MS: milliseconds\n"
    "of the machine's performance counter, alike in every process. PID in decimal. Numbers in\n"
    "TEXT below 256 are decimal, others hexadecimal. A record keeps its newest entries (journal\n"
    "4096, chip 8192); when entries after SEQ (or since the clear) were dropped, the first line\n"
    "is \"-- N dropped, the newest SEQ --\" (N: dropped since the clear). The last line says\n"
    "\"N calls shown, M dropped\" or \"N accesses shown, M dropped\".\n"
    "NUMBERS are decimal or 0x hexadecimal. Exit code 0: done, 1: the board is not available,\n"
    "2: a usage error, an unknown name or a bad number.\n";

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

// "-- N dropped, the newest SEQ --" when the ring lost entries after `since`.
void PrintDropped(uint32_t overflow, uint32_t lastDropped, uint32_t since)
{
    if (lastDropped > since) {
        std::printf("-- %u dropped, the newest %u --\n", overflow, lastDropped);
    }
}

void PrintEntry(const simboard::Stamp& stamp, uint32_t processId, const std::string& text)
{
    std::printf("%u %llu %lu %s\n", stamp.sequence, static_cast<unsigned long long>(stamp.ms),
                static_cast<unsigned long>(processId), text.c_str());
}

// The options of a record listing: nothing, --clear or --since SEQ.
bool RecordOptions(int argc, char** argv, bool* clear, uint32_t* since)
{
    *clear = false;
    *since = 0;
    if (argc == 0) {
        return true;
    }
    if (argc == 1 && std::strcmp(argv[0], "--clear") == 0) {
        *clear = true;
        return true;
    }
    int32_t value = 0;
    if (argc == 2 && std::strcmp(argv[0], "--since") == 0 &&
        simboard::ParseInt32(argv[1], &value)) {
        *since = static_cast<uint32_t>(value);
        return true;
    }
    return false;
}

int Journal(bool clear, uint32_t since)
{
    if (!simboard::Available()) {
        return Unavailable();
    }
    if (clear) {
        return simboard::ClearJournal() ? kOk : Unavailable();
    }
    simboard::Journal journal = simboard::ReadJournal(since);
    PrintDropped(journal.overflow, journal.lastDropped, since);
    for (const simboard::JournalEntry& entry : journal.entries) {
        PrintEntry(entry, entry.processId, entry.Text());
    }
    std::printf("%u calls shown, %u dropped\n", static_cast<unsigned>(journal.entries.size()),
                journal.overflow);
    return kOk;
}

int Chip(bool clear, uint32_t since)
{
    if (!simboard::Available()) {
        return Unavailable();
    }
    if (clear) {
        return simboard::ClearChipHistory() ? kOk : Unavailable();
    }
    simboard::ChipHistory history = simboard::ReadChip(since);
    PrintDropped(history.overflow, history.lastDropped, since);
    for (const simboard::ChipAccess& access : history.accesses) {
        PrintEntry(access, access.processId, access.Text());
    }
    std::printf("%u accesses shown, %u dropped\n", static_cast<unsigned>(history.accesses.size()),
                history.overflow);
    return kOk;
}

bool ParseByte(const char* text, uint32_t limit, uint8_t* value)
{
    int32_t number = 0;
    if (!simboard::ParseInt32(text, &number) || number < 0 ||
        static_cast<uint32_t>(number) > limit) {
        return false;
    }
    *value = static_cast<uint8_t>(number);
    return true;
}

// chip get REG [--bank N], chip set REG VALUE [--bank N]
int ChipRegister(bool set, int argc, char** argv)
{
    int values = set ? 2 : 1;
    bool hasBank = argc == values + 2 && std::strcmp(argv[values], "--bank") == 0;
    if (argc != values && !hasBank) {
        return Usage("chip get REG [--bank N], chip set REG VALUE [--bank N]");
    }
    uint8_t reg = 0;
    uint8_t value = 0;
    uint8_t bank = 0;
    if (!ParseByte(argv[0], 0xFF, &reg)) {
        return Error(std::string("bad register '") + argv[0] + "' (0..0xFF)");
    }
    if (set && !ParseByte(argv[1], 0xFF, &value)) {
        return Error(std::string("bad register value '") + argv[1] + "' (0..0xFF)");
    }
    if (hasBank && !ParseByte(argv[values + 1], simboard::kChipBanks - 1, &bank)) {
        return Error(std::string("bad bank '") + argv[values + 1] + "' (0..15)");
    }
    if (!simboard::Available()) {
        return Unavailable();
    }
    if (!hasBank) {
        bank = simboard::ChipBank();
    }
    if (set) {
        return simboard::SetChipRegister(bank, reg, value) ? kOk : Unavailable();
    }
    std::printf("%s\n", simboard::FormatValue(simboard::ChipRegister(bank, reg)).c_str());
    return kOk;
}

const struct
{
    const char* name;
    int32_t level;
} kLevels[] = {
    {"turbo", 0x4000}, {"high", 0}, {"medium", 1}, {"saving", 2}, {"auto", 0x8000},
};

int Level(int argc, char** argv)
{
    if (argc == 0) {
        int32_t level = 0;
        if (!simboard::GetField(simboard::Field::Level, &level)) {
            return Unavailable();
        }
        std::printf("%s\n", simboard::FormatValue(level).c_str());
        return kOk;
    }
    int32_t level = -1;
    for (const auto& known : kLevels) {
        if (Is(argv[0], known.name)) {
            level = known.level;
        }
    }
    if (level == -1 && simboard::ParseInt32(argv[0], &level)) {
        bool known = false;
        for (const auto& entry : kLevels) {
            known = known || entry.level == level;
        }
        if (!known) {
            level = -1;
        }
    }
    if (level == -1) {
        return Error(std::string("not a gear level: '") + argv[0] +
                     "' (turbo, high, medium, saving, auto or 0x4000, 0, 1, 2, 0x8000; 'set "
                     "Level' takes any number)");
    }
    return simboard::SetField(simboard::Field::Level, level) ? kOk : Unavailable();
}

const uint32_t kOverclockItem = 0x09080000;

int Overclock(int argc, char** argv)
{
    if (!simboard::Available()) {
        return Unavailable();
    }
    if (argc == 0) {
        const char* answer = simboard::FieldValue(simboard::Field::CheckOCFails) ? "fail"
                             : simboard::FieldValue(simboard::Field::CheckOC)    ? "on"
                                                                                 : "off";
        std::printf("%s\n", answer);
        return kOk;
    }
    bool fail = Is(argv[0], "fail");
    bool on = Is(argv[0], "on");
    if (!fail && !on && !Is(argv[0], "off")) {
        return Error(std::string("overclock on|off|fail, not '") + argv[0] + "'");
    }
    if (fail) {
        return simboard::SetField(simboard::Field::CheckOCFails, 1) ? kOk : Unavailable();
    }
    // Both answers the program reads agree: the library's and the BIOS status item (1: not
    // overclocked).
    bool ok = simboard::SetField(simboard::Field::CheckOCFails, 0) &&
              simboard::SetField(simboard::Field::CheckOC, on ? 1 : 0);
    if (ok && simboard::HasItem(kOverclockItem)) {
        ok = simboard::SetItem(kOverclockItem, on ? 0 : 1);
    }
    return ok ? kOk : Unavailable();
}

int Delay(int argc, char** argv)
{
    if (!simboard::Available()) {
        return Unavailable();
    }
    if (argc == 0) {
        for (const simboard::CallDelay& delay : simboard::CallDelays()) {
            std::printf("%s %s %u\n", simboard::LibraryName(delay.library), delay.function.c_str(),
                        delay.ms);
        }
        return kOk;
    }
    if (argc == 1 && std::strcmp(argv[0], "--clear") == 0) {
        return simboard::ClearCallDelays() ? kOk : Unavailable();
    }
    if (argc != 3) {
        return Usage("delay [LIBRARY FUNCTION MS | --clear]");
    }
    simboard::Library library;
    if (!simboard::FindLibrary(argv[0], &library)) {
        return Error(std::string("unknown library '") + argv[0] + "'");
    }
    if (std::strcmp(argv[1], "*") != 0 && !simboard::IsExport(library, argv[1])) {
        std::string known;
        for (const std::string& name : simboard::Exports(library)) {
            known += (known.empty() ? "" : ", ") + name;
        }
        return Error(std::string("no export '") + argv[1] + "' in " +
                     simboard::LibraryName(library) + " (" + known + ")");
    }
    int32_t ms = 0;
    if (!simboard::ParseInt32(argv[2], &ms) || ms < 0 ||
        static_cast<uint32_t>(ms) > simboard::kMaxCallDelayMs) {
        return Error(std::string("bad delay '") + argv[2] + "' (0..60000 ms)");
    }
    if (!simboard::SetCallDelay(library, argv[1], static_cast<uint32_t>(ms))) {
        return Error("the delay table is full (16 entries; 'delay --clear' empties it)");
    }
    return kOk;
}

int Package(int argc, char** argv)
{
    if (!simboard::Available()) {
        return Unavailable();
    }
    if (argc == 0) {
        std::string text;
        for (uint32_t element : simboard::Package()) {
            text +=
                (text.empty() ? "" : ", ") + simboard::FormatValue(static_cast<int32_t>(element));
        }
        std::printf("%s\n", text.c_str());
        return kOk;
    }
    std::vector<uint32_t> elements;
    for (int i = 0; i < argc; ++i) {
        std::string word = argv[i];
        size_t begin = 0;
        while (begin <= word.size()) {
            size_t comma = word.find(',', begin);
            std::string token = simboard::Trim(word.substr(begin, comma - begin));
            begin = comma == std::string::npos ? word.size() + 1 : comma + 1;
            if (token.empty()) {
                continue;
            }
            int32_t value = 0;
            if (!simboard::ParseInt32(token, &value)) {
                return Error("bad number '" + token + "'");
            }
            elements.push_back(static_cast<uint32_t>(value));
        }
    }
    if (elements.size() > 64) {
        return Error("a package holds at most 64 elements");
    }
    return simboard::SetPackage(elements) ? kOk : Unavailable();
}

int Scheme(int argc, char** argv)
{
    static const struct
    {
        const char* name;
        const char* guid;
    } kSchemes[] = {
        {"saver", "{A1841308-3541-4FAB-BC81-F71556F20B4A}"},
        {"balanced", "{381B4222-F694-41F0-9685-FF5BB260DF2E}"},
        {"high", "{8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C}"},
    };
    if (!simboard::Available()) {
        return Unavailable();
    }
    GUID scheme = {};
    if (argc == 0) {
        if (!simboard::GetActiveScheme(&scheme)) {
            return Unavailable();
        }
        std::printf("%s\n",
                    simboard::FormatGuid(reinterpret_cast<const uint8_t*>(&scheme)).c_str());
        return kOk;
    }
    std::string text = argv[0];
    for (const auto& known : kSchemes) {
        if (Is(argv[0], known.name)) {
            text = known.guid;
        }
    }
    if (!simboard::ParseGuid(text, reinterpret_cast<uint8_t*>(&scheme))) {
        return Error(std::string("not a scheme: '") + argv[0] +
                     "' ({GUID}, saver, balanced or high)");
    }
    return simboard::SetActiveScheme(scheme) ? kOk : Unavailable();
}

int Sequence()
{
    if (!simboard::Available()) {
        return Unavailable();
    }
    uint32_t sequence = simboard::LastSequence();
    std::printf("%u %llu\n", sequence, static_cast<unsigned long long>(simboard::ClockMs()));
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
    uint32_t since = 0;
    if (argc == 2 && (Is(command, "--help") || Is(command, "-h") || Is(command, "/?"))) {
        std::fputs(kUsageText, stdout);
        return kOk;
    }
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
    if (Is(command, "level") && rest <= 1) {
        return Level(rest, args);
    }
    if (Is(command, "overclock") && rest <= 1) {
        return Overclock(rest, args);
    }
    if (Is(command, "delay")) {
        return Delay(rest, args);
    }
    if (Is(command, "package")) {
        return Package(rest, args);
    }
    if (Is(command, "scheme") && rest <= 1) {
        return Scheme(rest, args);
    }
    if (Is(command, "sequence") && rest == 0) {
        return Sequence();
    }
    if (Is(command, "journal") && RecordOptions(rest, args, &clear, &since)) {
        return Journal(clear, since);
    }
    if (Is(command, "chip") && rest >= 1 && (Is(args[0], "get") || Is(args[0], "set"))) {
        return ChipRegister(Is(args[0], "set"), rest - 1, args + 1);
    }
    if (Is(command, "chip") && RecordOptions(rest, args, &clear, &since)) {
        return Chip(clear, since);
    }
    return Usage((std::string("bad command line: ") + command).c_str());
}
