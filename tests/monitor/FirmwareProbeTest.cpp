// The firmware revision probe over kdacpi.dll: the walk through the package, the revision's top
// byte, and a safe "no" for a missing library, missing ordinals or a package that is too short.
#include "monitor/FirmwareProbe.h"
#include "tests/monitor/MonitorTestSupport.h"
#include "tests/support/TempDir.h"

using monitortest::Calls;
using Strings = std::vector<std::string>;

namespace {

class FirmwareProbeTest : public monitortest::MonitorTest
{};

const Strings kWalk = {"#1()", "#4(0x1000)", "#7()", "#6()", "#10()", "#10()", "#10()", "#9()"};

TEST_F(FirmwareProbeTest, RevisionTwoOrLaterIsDozeCapable)
{
    simboard::ClearJournal();
    EXPECT_TRUE(tv::ProbeFirmwareDozeCapable());
    EXPECT_EQ(Calls(simboard::Library::KdAcpi), kWalk);

    const std::pair<uint32_t, bool> revisions[] = {
        {0x01FFFFFF, false}, {0x02000000, true}, {0xFF000000, true}, {0, false}};
    for (const auto& revision : revisions) {
        ASSERT_TRUE(simboard::SetPackage({0x4B44, 3, 0x00010002, revision.first}));
        EXPECT_EQ(tv::ProbeFirmwareDozeCapable(), revision.second) << std::hex << revision.first;
    }
}

TEST_F(FirmwareProbeTest, APackageOfFewerThanFourElementsIsNotWalked)
{
    ASSERT_TRUE(simboard::SetPackage({0x4B44, 3, 0x02000000}));
    simboard::ClearJournal();
    tvtest::TraceCapture trace;
    EXPECT_FALSE(tv::ProbeFirmwareDozeCapable());
    EXPECT_EQ(Calls(simboard::Library::KdAcpi), (Strings{"#1()", "#4(0x1000)", "#7()"}));
    EXPECT_TRUE(trace.Contains("~~~[CpuPowerMonitor] the firmware package has 3 elements"));
    ASSERT_TRUE(simboard::SetPackage({}));
    EXPECT_FALSE(tv::ProbeFirmwareDozeCapable());
}

TEST_F(FirmwareProbeTest, AMissingLibraryOrOrdinalIsANo)
{
    tvtest::TraceCapture trace;
    EXPECT_FALSE(tv::ProbeFirmwareDozeCapable("no-such-kdacpi.dll"));
    EXPECT_TRUE(trace.Contains("~~~[CpuPowerMonitor] LoadLibrary no-such-kdacpi.dll failed!"));

    // A library of that name without the ordinals.
    tvtest::TempDir folder;
    const std::string impostor = folder.Path() + "kdacpi.dll";
    ASSERT_TRUE(CopyFileA((tvtest::StageDir() + "Calibrate.dll").c_str(), impostor.c_str(), FALSE));
    simboard::ClearJournal();
    EXPECT_FALSE(tv::ProbeFirmwareDozeCapable(impostor.c_str()));
    EXPECT_TRUE(trace.Contains("kdacpi.dll has no ordinal 1"));
    EXPECT_TRUE(Calls(simboard::Library::KdAcpi).empty());
}

TEST_F(FirmwareProbeTest, AFailedPackageReadIsANo)
{
    ASSERT_TRUE(simboard::SetField(simboard::Field::KdAcpiReadFails, 1));
    simboard::ClearJournal();
    tvtest::TraceCapture trace;
    EXPECT_FALSE(tv::ProbeFirmwareDozeCapable());
    EXPECT_EQ(Calls(simboard::Library::KdAcpi), (Strings{"#1()", "#4(0x1000)"}));
    EXPECT_TRUE(trace.Contains("~~~[CpuPowerMonitor] the firmware package cannot be read"));
}

TEST_F(FirmwareProbeTest, ARevisionWithoutValueIsANo)
{
    ASSERT_TRUE(simboard::SetField(simboard::Field::KdAcpiValueNull, 1));
    simboard::ClearJournal();
    tvtest::TraceCapture trace;
    EXPECT_FALSE(tv::ProbeFirmwareDozeCapable());
    EXPECT_EQ(Calls(simboard::Library::KdAcpi), kWalk);
    EXPECT_TRUE(trace.Contains("~~~[CpuPowerMonitor] the firmware package has no revision value"));
}

TEST_F(FirmwareProbeTest, OneMissingOrdinalIsANoBeforeAnyCall)
{
    // The stand-in built without ordinal 10, kept outside the stage.
    const std::string library = tvtest::StageDir() + "..\\testlibs\\kdacpi-no10\\kdacpi.dll";
    ASSERT_NE(GetFileAttributesA(library.c_str()), INVALID_FILE_ATTRIBUTES) << library;
    simboard::ClearJournal();
    tvtest::TraceCapture trace;
    EXPECT_FALSE(tv::ProbeFirmwareDozeCapable(library.c_str()));
    EXPECT_EQ(trace.Count("has no ordinal"), 1u);
    EXPECT_TRUE(trace.Contains("kdacpi.dll has no ordinal 10"));
    EXPECT_TRUE(Calls(simboard::Library::KdAcpi).empty());
}

TEST_F(FirmwareProbeTest, TheMonitorProbesOncePerProcess)
{
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    const bool first = monitor.FirmwareDozeCapable();
    ASSERT_TRUE(simboard::SetPackage({0x4B44, 3, 0x00010002, first ? 0u : 0x02000000u}));
    simboard::ClearJournal();
    EXPECT_EQ(MakeMonitor().FirmwareDozeCapable(), first);
    EXPECT_TRUE(Calls(simboard::Library::KdAcpi).empty());
}

} // namespace
