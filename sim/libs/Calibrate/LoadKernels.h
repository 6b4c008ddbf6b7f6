#pragma once
// The work of one load thread; each returns when stop becomes true (checked every fraction of a
// millisecond).
#include <atomic>

namespace calibrate {

// Integer work: counts primes by trial division over a repeating range.
unsigned SearchPrimes(const std::atomic<bool>& stop);

// Floating-point work: independent multiply-add and square-root chains.
double BurnFloatingPoint(const std::atomic<bool>& stop);

} // namespace calibrate
