#pragma once
// The library's fatal precondition check: reports
// "Assertion failed: COND, file UNIT, line N" and ends the process.

namespace lumo {
[[noreturn]] void AssertionFailed(const char* condition, const char* file, int line);
}

#define LUMO_ASSERT(condition)                                                                     \
    ((condition) ? static_cast<void>(0) : ::lumo::AssertionFailed(#condition, __FILE__, __LINE__))
