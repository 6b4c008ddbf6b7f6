#include "sim/board/Call.h"

#include <windows.h>
#include <cstring>

namespace simboard {

Stamp NextStamp(BoardState& state)
{
    Stamp stamp;
    // 0 means "not stamped": skip it when the counter wraps.
    if (++state.sequence == 0) {
        state.sequence = 1;
    }
    stamp.sequence = state.sequence;
    stamp.ms = ClockMs();
    return stamp;
}

void AppendJournal(BoardState& state, Library library, const char* function,
                   std::initializer_list<int32_t> args, const CallRecord& call)
{
    uint32_t index = state.journalTotal++ % kJournalCapacity;
    JournalRecord& record = state.journal[index];
    if (state.journalTotal > kJournalCapacity) {
        state.journalLastDropped = record.sequence;
    }
    std::memset(&record, 0, sizeof record);
    Stamp stamp = NextStamp(state);
    record.sequence = stamp.sequence;
    record.ms = stamp.ms;
    record.processId = GetCurrentProcessId();
    record.library = static_cast<uint8_t>(library);
    for (int32_t arg : args) {
        if (record.argCount == kMaxJournalArgs) {
            break;
        }
        record.args[record.argCount++] = arg;
    }
    record.result = call.result;
    record.hasOut = call.hasOut ? 1 : 0;
    record.out = call.out;
    std::strncpy(record.function, function, kFunctionNameSize - 1);
}

uint32_t CallDelayFor(const BoardState& state, Library library, const char* function)
{
    uint32_t forLibrary = 0;
    for (const CallDelayRecord& delay : state.delays) {
        if (delay.library != static_cast<uint8_t>(library)) {
            continue;
        }
        if (std::strncmp(delay.function, function, kFunctionNameSize) == 0) {
            return delay.ms;
        }
        if (std::strcmp(delay.function, "*") == 0) {
            forLibrary = delay.ms;
        }
    }
    return forLibrary;
}

} // namespace simboard
