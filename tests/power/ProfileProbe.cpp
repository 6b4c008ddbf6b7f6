// Reads the mode profiles before anything else of the program, as the main form's crash
// recovery may; the test reads the board's journal.
#include "power/AdvanceSettings.h"
#include "power/GearLevel.h"
#include "power/PowerGearSelection.h"

int main()
{
    tv::SelectPowerGearImplementation(0);
    tv::AdvanceSettings::Instance().GetProfile(tv::kProfileNormal);
    return 0;
}
