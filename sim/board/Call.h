#pragma once
// The frame of every stand-in export: take the board's lock, run the body, journal the call with
// its integer arguments, result and out value, stamped with the board's counter and clock; then,
// outside the lock, keep the caller waiting when a test made the export slow.
#include "sim/board/BoardLayout.h"
#include "sim/board/Library.h"
#include "sim/board/SharedBoard.h"
#include "sim/board/Stamp.h"

#include <windows.h>
#include <cstdint>
#include <initializer_list>

namespace simboard {

struct CallRecord
{
    int32_t result = 0;
    bool hasOut = false;
    int32_t out = 0;

    void Out(int32_t value)
    {
        hasOut = true;
        out = value;
    }
};

// The next number of the board's counter and the time; the lock must be held.
Stamp NextStamp(BoardState& state);

void AppendJournal(BoardState& state, Library library, const char* function,
                   std::initializer_list<int32_t> args, const CallRecord& call);

// The delay a test set on the export (or on every export of its library), 0 for none.
uint32_t CallDelayFor(const BoardState& state, Library library, const char* function);

// Runs body(BoardState&, CallRecord&) under the lock and journals it; returns the body's result,
// or `unavailable` when the board cannot be opened (nothing is journaled then).
template <typename Body>
int32_t JournaledCall(Library library, const char* function, std::initializer_list<int32_t> args,
                      int32_t unavailable, Body body)
{
    CallRecord call;
    uint32_t delay = 0;
    {
        BoardLock lock;
        if (!lock) {
            return unavailable;
        }
        body(lock.State(), call);
        AppendJournal(lock.State(), library, function, args, call);
        delay = CallDelayFor(lock.State(), library, function);
    }
    if (delay) {
        Sleep(delay);
    }
    return call.result;
}

} // namespace simboard
