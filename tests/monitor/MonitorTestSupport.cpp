#include "tests/monitor/MonitorTestSupport.h"

#include "power/ControllerType.h"
#include "power/PowerGear.h"
#include "power/PowerGearSelection.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace monitortest {

void MonitorTest::SetUp()
{
    tvtest::CleanRegistryTest::SetUp();
    tv::SelectPowerGearImplementation(0);
    UseBoard("default");
    tv::PowerGear::Instance();
}

void MonitorTest::TearDown()
{
    for (auto& monitor : m_monitors) {
        EXPECT_TRUE(monitor->WaitForModeThread(30000)) << "a mode thread did not end";
    }
    m_monitors.clear();
    tvtest::CleanRegistryTest::TearDown();
}

void MonitorTest::UseBoard(const char* preset)
{
    std::string error;
    ASSERT_TRUE(simboard::Reset(preset, &error)) << error;
}

tv::CpuPowerMonitor& MonitorTest::MakeMonitor()
{
    const uint32_t type = tv::ReadControllerType(tv::PowerGear::Instance());
    m_monitors.push_back(std::make_unique<tv::CpuPowerMonitor>(type));
    simboard::ClearJournal();
    return *m_monitors.back();
}

std::vector<std::string> Calls(simboard::Library library, const std::string& function)
{
    return simboard::ReadJournal().Signatures(library, function);
}

std::vector<std::string> GearCalls(const std::string& function)
{
    return Calls(simboard::Library::OptiGear, function);
}

double RegistryDouble(const char* key, const char* name)
{
    tvtest::RawValue raw = tvtest::ReadRaw(key, name);
    if (!raw.exists || raw.type != REG_BINARY || raw.data.size() != sizeof(double)) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    double value;
    std::memcpy(&value, raw.data.data(), sizeof value);
    return value;
}

bool WriteRegistryDouble(const char* key, const char* name, double value)
{
    return tvtest::WriteRaw(key, name, REG_BINARY, &value, sizeof value);
}

} // namespace monitortest
