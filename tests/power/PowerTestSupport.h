#pragma once
// Shared equipment of the power tests: a fresh registry and board per test, fresh facades over
// the stage's stand-ins, files copied into temporary folders.
#include "power/PowerGearDll.h"
#include "sim/board/Board.h"
#include "tests/support/Support.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace powertest {

// Registry under Software\KALDO deleted, board reset to the default preset.
class BoardTest : public tvtest::CleanRegistryTest
{
protected:
    void SetUp() override
    {
        tvtest::CleanRegistryTest::SetUp();
        UseBoard("default");
    }
    // A fresh board from the preset, journal and chip history cleared.
    void UseBoard(const char* preset)
    {
        std::string error;
        ASSERT_TRUE(simboard::Reset(preset, &error)) << error;
    }
};

// A facade over the stage's OptiGear.dll, loaded; the journal is cleared afterwards, so that a
// test sees only its own calls.
std::unique_ptr<tv::PowerGearDll> LoadGear();

// "function(args)" of the library's calls since the last clear.
std::vector<std::string> Calls(simboard::Library library, const std::string& function = "");
inline std::vector<std::string> GearCalls(const std::string& function = "")
{
    return Calls(simboard::Library::OptiGear, function);
}

// The stage file copied into folder under another name; false when the copy failed.
bool CopyStageFile(const std::string& file, const tvtest::TempDir& folder, const std::string& name);

// The system folder without its trailing backslash.
std::string SystemFolder();

// Registry value of the Advance key, fallback when absent or not a DWORD.
DWORD AdvanceValue(const std::string& name, DWORD fallback = 0xDEADBEEF);

} // namespace powertest
