#pragma once
// The frame of every stand-in export: take the board's lock, run the body, journal the call with
// its integer arguments, result and out value.
#include "sim/board/BoardLayout.h"
#include "sim/board/Library.h"
#include "sim/board/SharedBoard.h"

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

void AppendJournal(BoardState& state, Library library, const char* function,
                   std::initializer_list<int32_t> args, const CallRecord& call);

// Runs body(BoardState&, CallRecord&) under the lock and journals it; returns the body's result,
// or `unavailable` when the board cannot be opened (nothing is journaled then).
template <typename Body>
int32_t JournaledCall(Library library, const char* function, std::initializer_list<int32_t> args,
                      int32_t unavailable, Body body)
{
    BoardLock lock;
    if (!lock) {
        return unavailable;
    }
    CallRecord call;
    body(lock.State(), call);
    AppendJournal(lock.State(), library, function, args, call);
    return call.result;
}

} // namespace simboard
