#pragma once
// Shared equipment of the mode-thread tests: the process-wide pieces the mode thread uses brought
// to a known state before each test, the journal of every library in one sequence, the profiles
// and the recovery flag.
#include "power/ModeProfile.h"
#include "tests/monitor/MonitorTestSupport.h"

#include <string>
#include <vector>

namespace modetest {

class ModeTest : public monitortest::MonitorTest
{
protected:
    // No power scheme saved, the default profiles, the K-Fan tables read, then a fresh default
    // board.
    void SetUp() override;
};

// "Library function(args)" of every call since the last clear, in order.
std::vector<std::string> Journal();
// Only those of the given libraries.
std::vector<std::string> Journal(std::initializer_list<simboard::Library> libraries);

// The profile of a gear level's profile index, changed in memory.
void SetProfile(int profileIndex, const tv::ModeProfile& profile);
tv::ModeProfile Profile(int profileIndex);

// "Gear_Flag" as stored; 0xDEADBEEF when absent.
DWORD GearFlag();

// The published power schemes' first 32 bits, as the journal shows them.
inline constexpr char kBalanced[] = "0x381B4222";
inline constexpr char kPowerSaver[] = "0xA1841308";
// The active scheme of the board's powrprof, by its first 32 bits.
unsigned long ActiveScheme();

} // namespace modetest
