#include "LoadKernels.h"

#include <cmath>
#include <cstdint>

namespace calibrate {

unsigned SearchPrimes(const std::atomic<bool>& stop)
{
    // Candidates stay below 2^25 so that one trial division run is short (a few thousand steps).
    const uint32_t kLast = 1u << 25;
    unsigned found = 0;
    uint32_t candidate = 3;
    while (!stop.load(std::memory_order_relaxed)) {
        bool prime = true;
        for (uint32_t divisor = 3; divisor * divisor <= candidate; divisor += 2) {
            if (candidate % divisor == 0) {
                prime = false;
                break;
            }
        }
        found += prime ? 1 : 0;
        candidate = candidate >= kLast ? 3 : candidate + 2;
    }
    return found;
}

double BurnFloatingPoint(const std::atomic<bool>& stop)
{
    // Each chain converges to a fixed point near 1.6, so values stay normal and bounded.
    double a = 1.0, b = 2.0, c = 3.0, d = 4.0;
    while (!stop.load(std::memory_order_relaxed)) {
        for (int i = 0; i < 4096; ++i) {
            a = std::sqrt(a * 1.0000001 + 1.0);
            b = std::sqrt(b * 0.9999999 + 1.0);
            c = std::sqrt(c * 1.0000003 + 1.0);
            d = std::sqrt(d * 0.9999997 + 1.0);
        }
    }
    return a + b + c + d;
}

} // namespace calibrate
