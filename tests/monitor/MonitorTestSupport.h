#pragma once
// Shared equipment of the power monitor's tests: a clean registry and a fresh simulated board per
// test, monitors made for the board in use, the journal and the registry read back.
#include "monitor/CpuPowerMonitor.h"
#include "sim/board/Board.h"
#include "tests/support/Support.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace monitortest {

class MonitorTest : public tvtest::CleanRegistryTest
{
protected:
    // The power-gear facade of the process is created on the default board.
    void SetUp() override;
    // Waits for the mode threads the test started.
    void TearDown() override;

    // A fresh board from the preset, journal cleared.
    void UseBoard(const char* preset);
    // A monitor for the board in use (its controller type read from the board); the journal is
    // cleared afterwards, so that a test sees only its own calls.
    tv::CpuPowerMonitor& MakeMonitor();

private:
    std::vector<std::unique_ptr<tv::CpuPowerMonitor>> m_monitors;
};

// "function(args)" of the library's calls since the last clear.
std::vector<std::string> Calls(simboard::Library library, const std::string& function = "");
std::vector<std::string> GearCalls(const std::string& function = "");

// An 8-byte REG_BINARY double; NaN when missing or of another type or size.
double RegistryDouble(const char* key, const char* name);
bool WriteRegistryDouble(const char* key, const char* name, double value);

} // namespace monitortest
