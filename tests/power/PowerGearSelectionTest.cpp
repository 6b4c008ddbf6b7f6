#include "power/PowerGearSelection.h"

#include <gtest/gtest.h>

namespace {

TEST(PowerGearSelectionDeathTest, FacadeCreationStopsWhileNothingIsSelected)
{
    // A death test runs in a fresh process: nothing selected there yet.
    EXPECT_DEATH(tv::RequirePowerGearImplementation(),
                 "Assertion failed: SelectedPowerGearImplementation\\(\\) != "
                 "kNoPowerGearImplementation, file power/PowerGearSelection.cpp, line \\d+");
}

TEST(PowerGearSelection, SelectionIsProcessWideAndLetsTheFacadeBeCreated)
{
    tv::SelectPowerGearImplementation(0);
    EXPECT_EQ(0, tv::SelectedPowerGearImplementation());
    tv::RequirePowerGearImplementation();
    tv::SelectPowerGearImplementation(1);
    EXPECT_EQ(1, tv::SelectedPowerGearImplementation());
    tv::SelectPowerGearImplementation(0);
}

} // namespace
