#include "sim/board/Call.h"

#include <windows.h>
#include <cstring>

namespace simboard {

const char* LibraryName(Library library)
{
    switch (library) {
    case Library::OptiGear:
        return "OptiGear";
    case Library::OptiDoze:
        return "OptiDoze";
    case Library::Vvc:
        return "vvc";
    case Library::KdSpindownTimeout:
        return "KdSpindownTimeout";
    case Library::KdIo:
        return "KdIo";
    case Library::KdAcpi:
        return "kdacpi";
    case Library::Powrprof:
        return "powrprof";
    default:
        return "?";
    }
}

void AppendJournal(BoardState& state, Library library, const char* function,
                   std::initializer_list<int32_t> args, const CallRecord& call)
{
    uint32_t sequence = ++state.journalTotal;
    JournalRecord& record = state.journal[(sequence - 1) % kJournalCapacity];
    std::memset(&record, 0, sizeof record);
    record.sequence = sequence;
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

} // namespace simboard
