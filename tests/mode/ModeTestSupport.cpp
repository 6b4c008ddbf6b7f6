#include "tests/mode/ModeTestSupport.h"

#include "power/AdvanceSettings.h"
#include "power/KFanLib.h"
#include "power/PowerSchemeStep.h"
#include "shell/base/RegistrySchema.h"
#include "sim/board/Numbers.h"

namespace modetest {

void ModeTest::SetUp()
{
    monitortest::MonitorTest::SetUp();
    tv::PowerSchemeStep::Instance().Apply(0);
    tv::KFanLib::Instance();
    tv::AdvanceSettings::Instance().LoadDefaults();
    UseBoard("default");
}

std::vector<std::string> Journal(std::initializer_list<simboard::Library> libraries)
{
    std::vector<std::string> calls;
    for (const simboard::JournalEntry& entry : simboard::ReadJournal().entries) {
        bool wanted = libraries.size() == 0;
        for (simboard::Library library : libraries) {
            wanted = wanted || library == entry.library;
        }
        if (!wanted) {
            continue;
        }
        std::string text =
            std::string(simboard::LibraryName(entry.library)) + " " + entry.function + "(";
        for (size_t i = 0; i < entry.args.size(); ++i) {
            text += (i ? ", " : "") + simboard::FormatValue(entry.args[i]);
        }
        calls.push_back(text + ")");
    }
    return calls;
}

std::vector<std::string> Journal()
{
    return Journal({});
}

void SetProfile(int profileIndex, const tv::ModeProfile& profile)
{
    tv::AdvanceSettings::Instance().SetProfile(profileIndex, profile);
}

tv::ModeProfile Profile(int profileIndex)
{
    return tv::AdvanceSettings::Instance().GetProfile(profileIndex);
}

DWORD GearFlag()
{
    return tvtest::ReadRawDword(tv::reg::kAdvanceKey, tv::reg::kGearFlag, 0xDEADBEEF);
}

unsigned long ActiveScheme()
{
    GUID scheme = {};
    simboard::GetActiveScheme(&scheme);
    return scheme.Data1;
}

} // namespace modetest
