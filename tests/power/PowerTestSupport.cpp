#include "tests/power/PowerTestSupport.h"

#include "lumo/System/Source/ProgramDir.h"
#include "shell/base/RegistrySchema.h"

namespace powertest {

std::unique_ptr<tv::PowerGearDll> LoadGear()
{
    auto gear = std::make_unique<tv::PowerGearDll>(tvtest::StageDir(), "");
    EXPECT_TRUE(gear->Load());
    simboard::ClearJournal();
    return gear;
}

std::vector<std::string> Calls(simboard::Library library, const std::string& function)
{
    return simboard::ReadJournal().Signatures(library, function);
}

bool CopyStageFile(const std::string& file, const tvtest::TempDir& folder, const std::string& name)
{
    return CopyFileA((tvtest::StageDir() + file).c_str(), (folder.Path() + name).c_str(), FALSE) !=
           0;
}

std::string SystemFolder()
{
    return lumo::SystemDirectory();
}

DWORD AdvanceValue(const std::string& name, DWORD fallback)
{
    return tvtest::ReadRawDword(tv::reg::kAdvanceKey, name.c_str(), fallback);
}

} // namespace powertest
