// The read side of the board's records: the call journal and the chip's register history, the
// shared counter that orders them, and the slow-export table.
#include "sim/board/Board.h"

#include "sim/board/Call.h"
#include "sim/board/Numbers.h"
#include "sim/board/SharedBoard.h"

#include <cstdio>
#include <cstring>

namespace simboard {

namespace {

template <typename Body> bool Locked(Body body)
{
    BoardLock lock;
    return lock && body(lock.State());
}

// Visits the kept slots of a ring oldest first: total entries since the clear, capacity slots.
template <typename Record, typename Visit>
void ForKept(const Record* ring, uint32_t total, uint32_t capacity, Visit visit)
{
    uint32_t kept = total < capacity ? total : capacity;
    for (uint32_t i = total - kept; i != total; ++i) {
        visit(ring[i % capacity]);
    }
}

JournalEntry ToEntry(const JournalRecord& record)
{
    JournalEntry entry;
    entry.sequence = record.sequence;
    entry.ms = record.ms;
    entry.processId = record.processId;
    entry.library = static_cast<Library>(record.library);
    entry.function.assign(record.function, strnlen(record.function, kFunctionNameSize));
    uint32_t count = record.argCount < kMaxJournalArgs ? record.argCount : kMaxJournalArgs;
    entry.args.assign(record.args, record.args + count);
    entry.result = record.result;
    entry.hasOut = record.hasOut != 0;
    entry.out = record.out;
    return entry;
}

ChipAccess ToAccess(const ChipAccessRecord& record)
{
    ChipAccess access;
    access.sequence = record.sequence;
    access.ms = record.ms;
    access.processId = record.processId;
    access.write = record.write != 0;
    access.bank = record.bank;
    access.reg = record.reg;
    access.value = record.value;
    return access;
}

} // namespace

uint32_t LastSequence()
{
    uint32_t sequence = 0;
    Locked([&](BoardState& state) {
        sequence = state.sequence;
        return true;
    });
    return sequence;
}

Stamp TakeStamp()
{
    Stamp stamp;
    if (!Locked([&](BoardState& state) {
            stamp = NextStamp(state);
            return true;
        })) {
        stamp.ms = ClockMs();
    }
    return stamp;
}

// ---- journal ------------------------------------------------------------------------------

std::string JournalEntry::Signature() const
{
    std::string text = function + "(";
    for (size_t i = 0; i < args.size(); ++i) {
        text += (i ? ", " : "") + FormatValue(args[i]);
    }
    return text + ")";
}

std::string JournalEntry::Text() const
{
    std::string text =
        std::string(LibraryName(library)) + " " + Signature() + " = " + FormatValue(result);
    if (hasOut) {
        text += " -> " + FormatValue(out);
    }
    return text;
}

bool JournalEntry::Matches(Library which, const std::string& call) const
{
    if (which != Library::None && which != library) {
        return false;
    }
    return call.find('(') == std::string::npos ? function == call : Signature() == call;
}

std::vector<JournalEntry> Journal::Calls(Library library, const std::string& function) const
{
    std::vector<JournalEntry> calls;
    for (const JournalEntry& entry : entries) {
        if (entry.library == library && (function.empty() || entry.function == function)) {
            calls.push_back(entry);
        }
    }
    return calls;
}

std::vector<std::string> Journal::Signatures(Library library, const std::string& function) const
{
    std::vector<std::string> signatures;
    for (const JournalEntry& entry : Calls(library, function)) {
        signatures.push_back(entry.Signature());
    }
    return signatures;
}

std::optional<JournalEntry> Journal::Find(Library library, const std::string& call,
                                          uint32_t after) const
{
    for (const JournalEntry& entry : entries) {
        if (entry.sequence > after && entry.Matches(library, call)) {
            return entry;
        }
    }
    return std::nullopt;
}

std::optional<JournalEntry> Journal::FindLast(Library library, const std::string& call) const
{
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        if (entry->Matches(library, call)) {
            return *entry;
        }
    }
    return std::nullopt;
}

Journal ReadJournal(uint32_t since)
{
    Journal journal;
    Locked([&](BoardState& state) {
        uint32_t total = state.journalTotal;
        journal.overflow = total > kJournalCapacity ? total - kJournalCapacity : 0;
        journal.lastDropped = state.journalLastDropped;
        ForKept(state.journal, total, kJournalCapacity, [&](const JournalRecord& record) {
            if (record.sequence > since) {
                journal.entries.push_back(ToEntry(record));
            }
        });
        return true;
    });
    return journal;
}

bool ClearJournal()
{
    return Locked([](BoardState& state) {
        state.journalTotal = 0;
        state.journalLastDropped = 0;
        return true;
    });
}

std::optional<JournalEntry> WaitForCall(Library library, const std::string& call, uint32_t after,
                                        DWORD timeoutMs)
{
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        if (auto entry = ReadJournal(after).Find(library, call, after)) {
            return entry;
        }
        if (GetTickCount64() - start >= timeoutMs) {
            return std::nullopt;
        }
        Sleep(20);
    }
}

// ---- slow exports -------------------------------------------------------------------------

bool SetCallDelay(Library library, const std::string& function, uint32_t ms)
{
    if (ms > kMaxCallDelayMs || function.empty() || function.size() >= kFunctionNameSize ||
        (function != "*" && !IsExport(library, function))) {
        return false;
    }
    return Locked([&](BoardState& state) {
        CallDelayRecord* slot = nullptr;
        for (CallDelayRecord& delay : state.delays) {
            if (delay.library == static_cast<uint8_t>(library) &&
                std::strncmp(delay.function, function.c_str(), kFunctionNameSize) == 0) {
                slot = &delay;
                break;
            }
            if (!slot && delay.library == 0) {
                slot = &delay;
            }
        }
        if (ms == 0) {
            if (slot && slot->library != 0) {
                std::memset(slot, 0, sizeof *slot);
            }
            return true;
        }
        if (!slot) {
            return false;
        }
        std::memset(slot, 0, sizeof *slot);
        slot->library = static_cast<uint8_t>(library);
        slot->ms = ms;
        std::strncpy(slot->function, function.c_str(), kFunctionNameSize - 1);
        return true;
    });
}

std::vector<CallDelay> CallDelays()
{
    std::vector<CallDelay> delays;
    Locked([&](BoardState& state) {
        for (const CallDelayRecord& record : state.delays) {
            if (record.library != 0) {
                CallDelay delay;
                delay.library = static_cast<Library>(record.library);
                delay.function.assign(record.function, strnlen(record.function, kFunctionNameSize));
                delay.ms = record.ms;
                delays.push_back(delay);
            }
        }
        return true;
    });
    return delays;
}

bool ClearCallDelays()
{
    return Locked([](BoardState& state) {
        std::memset(state.delays, 0, sizeof state.delays);
        return true;
    });
}

// ---- chip history -------------------------------------------------------------------------

std::string ChipAccess::Text() const
{
    char text[64];
    std::snprintf(text, sizeof text, "%s bank 0x%02X register 0x%02X = 0x%02X",
                  write ? "write" : "read", bank, reg, value);
    return text;
}

std::optional<ChipAccess> ChipHistory::Find(uint8_t reg, bool write, uint32_t after) const
{
    for (const ChipAccess& access : accesses) {
        if (access.sequence > after && access.reg == reg && access.write == write) {
            return access;
        }
    }
    return std::nullopt;
}

std::vector<std::string> ChipHistory::Texts() const
{
    std::vector<std::string> texts;
    for (const ChipAccess& access : accesses) {
        texts.push_back(access.Text());
    }
    return texts;
}

ChipHistory ReadChip(uint32_t since)
{
    ChipHistory history;
    Locked([&](BoardState& state) {
        uint32_t total = state.chipTotal;
        history.overflow = total > kChipHistoryCapacity ? total - kChipHistoryCapacity : 0;
        history.lastDropped = state.chipLastDropped;
        ForKept(state.chipAccesses, total, kChipHistoryCapacity,
                [&](const ChipAccessRecord& record) {
                    if (record.sequence > since) {
                        history.accesses.push_back(ToAccess(record));
                        if (record.write) {
                            history.writes.push_back(history.accesses.back());
                        }
                    }
                });
        return true;
    });
    return history;
}

bool ClearChipHistory()
{
    return Locked([](BoardState& state) {
        state.chipTotal = 0;
        state.chipLastDropped = 0;
        return true;
    });
}

} // namespace simboard
