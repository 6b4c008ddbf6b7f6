#pragma once
// The machine's one simulated board: a named section over a file in the temporary folder, guarded
// by a named mutex. The first user of a session creates it from the configured preset; the file
// keeps it while no process has it open, so boardsim changes survive until the next program runs.
#include "sim/board/BoardLayout.h"

#include <string>

namespace simboard {

// Holds the board's mutex for its lifetime; opens the board on first use in the process.
// False when the board cannot be opened or initialised (traced).
class BoardLock
{
public:
    enum class Purpose
    {
        Use,     // a board that is new or unusable is created from the configured preset first
        Replace, // the caller overwrites the whole state (a reset)
    };

    explicit BoardLock(Purpose purpose = Purpose::Use);
    ~BoardLock();
    BoardLock(const BoardLock&) = delete;
    BoardLock& operator=(const BoardLock&) = delete;

    explicit operator bool() const { return m_state != nullptr; }
    BoardState& State() const { return *m_state; }

private:
    BoardState* m_state = nullptr;
};

// Why this process last failed to open or create the board.
std::string LastError();

// Names of the shared objects, for diagnostics.
const char* StateMappingName();
const char* StateMutexName();

} // namespace simboard
