// The load generator's loader: the real Calibrate.dll from the program folder, a missing library
// and one without all entry points (each shown once, the missing calls skipped).
#include "shell/base/CalibrateLib.h"
#include "tests/support/Handles.h"
#include "tests/support/Support.h"
#include "tests/support/TempDir.h"

#include <windows.h>
#include <gtest/gtest.h>

namespace {

using tv::CalibrateLib;

// Calls an export of the library at path, which is loaded already.
int CallCounter(const std::string& path, const char* name)
{
    HMODULE module = GetModuleHandleA(path.c_str());
    if (!module) {
        ADD_FAILURE() << path << " is not loaded";
        return -1;
    }
    auto counter =
        reinterpret_cast<int(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    if (!counter) {
        ADD_FAILURE() << name << " not found";
        return -1;
    }
    return counter();
}

TEST(CalibrateLib, ThreadCountIsTheProcessorCountButAtLeastFour)
{
    EXPECT_EQ(4, CalibrateLib::ThreadCountFor(1));
    EXPECT_EQ(4, CalibrateLib::ThreadCountFor(2));
    EXPECT_EQ(4, CalibrateLib::ThreadCountFor(4));
    EXPECT_EQ(8, CalibrateLib::ThreadCountFor(8));
    SYSTEM_INFO info = {};
    GetSystemInfo(&info);
    EXPECT_EQ(static_cast<int>(info.dwNumberOfProcessors), CalibrateLib::SystemProcessorCount());
    EXPECT_EQ(std::max(4, static_cast<int>(info.dwNumberOfProcessors)),
              CalibrateLib::ThreadCount());
}

TEST(CalibrateLib, ProcessWideLibraryComesFromTheProgramFolder)
{
    // Any box would fail the test (the default guard).
    CalibrateLib& library = CalibrateLib::Instance();
    EXPECT_EQ(&library, &CalibrateLib::Instance());
    EXPECT_EQ(tvtest::StageDir() + "Calibrate.dll", library.Path());
    EXPECT_TRUE(library.IsLoaded());
    EXPECT_TRUE(library.HasAllEntries());
}

TEST(CalibrateLib, RealLoadStartsAndStops)
{
    CalibrateLib library(tvtest::StageDir());
    ASSERT_TRUE(library.HasAllEntries());
    const int base = tvtest::CountProcessThreads();

    const double before = tvtest::ProcessCpuMs();
    EXPECT_TRUE(library.StartWithPrimary(4));
    EXPECT_TRUE(tvtest::WaitUntil([&] { return tvtest::CountProcessThreads() == base + 4; }, 5000));
    // Four busy threads on any machine use far more than a fifth of a second of processor time
    // within two seconds of wall time.
    EXPECT_TRUE(tvtest::WaitUntil([&] { return tvtest::ProcessCpuMs() - before > 200; }, 2000));
    EXPECT_TRUE(library.Stop());
    EXPECT_TRUE(tvtest::WaitUntil([&] { return tvtest::CountProcessThreads() == base; }, 5000));

    EXPECT_TRUE(library.StartWithCpuBurn(5));
    EXPECT_TRUE(tvtest::WaitUntil([&] { return tvtest::CountProcessThreads() == base + 5; }, 5000));
    EXPECT_TRUE(library.Stop());
    EXPECT_TRUE(tvtest::WaitUntil([&] { return tvtest::CountProcessThreads() == base; }, 5000));
}

TEST(CalibrateLib, UnloadingStopsARunningLoad)
{
    const int base = tvtest::CountProcessThreads();
    {
        CalibrateLib library(tvtest::StageDir());
        EXPECT_TRUE(library.StartWithCpuBurn(4));
        EXPECT_TRUE(
            tvtest::WaitUntil([&] { return tvtest::CountProcessThreads() == base + 4; }, 5000));
    }
    EXPECT_TRUE(tvtest::WaitUntil([&] { return tvtest::CountProcessThreads() == base; }, 5000));
}

TEST(CalibrateLib, MissingLibraryIsShownOnceAndCallsAreSkipped)
{
    tvtest::TempDir folder;
    tvtest::MessageBoxRecorder boxes;
    tvtest::TraceCapture trace;
    CalibrateLib library(folder.Path());
    EXPECT_FALSE(library.IsLoaded());

    EXPECT_FALSE(library.StartWithPrimary(4));
    EXPECT_FALSE(library.StartWithCpuBurn(4));
    EXPECT_FALSE(library.Stop());
    EXPECT_EQ(1u, trace.Count("StartCalibrateWithPrimary is not available, call skipped"));
    EXPECT_EQ(1u, trace.Count("StartCalibrateWithCpuBurn is not available, call skipped"));
    EXPECT_EQ(1u, trace.Count("StopCalibrate is not available, call skipped"));

    const auto shown = boxes.Boxes();
    ASSERT_EQ(1u, shown.size());
    EXPECT_EQ(nullptr, shown[0].owner);
    EXPECT_EQ("Can not load Calibrate.dll", shown[0].text);
    EXPECT_EQ("Opti Gear3", shown[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK), shown[0].type);
}

TEST(CalibrateLib, MissingEntryIsShownOnceAndOnlyItsCallsAreSkipped)
{
    tvtest::TempDir folder;
    const std::string path = folder.Path() + "Calibrate.dll";
    ASSERT_TRUE(
        CopyFileA((tvtest::StageDir() + "calibrate_partial.dll").c_str(), path.c_str(), FALSE))
        << GetLastError();
    tvtest::MessageBoxRecorder boxes;
    tvtest::TraceCapture trace;
    {
        CalibrateLib library(folder.Path());
        ASSERT_TRUE(library.IsLoaded());
        EXPECT_FALSE(library.HasAllEntries());
        const auto shown = boxes.Boxes();
        ASSERT_EQ(1u, shown.size());
        EXPECT_EQ(nullptr, shown[0].owner);
        EXPECT_EQ("Can not GetProcAddress failed", shown[0].text);
        EXPECT_EQ("Opti Gear3", shown[0].caption);
        EXPECT_EQ(static_cast<UINT>(MB_OK), shown[0].type);

        EXPECT_TRUE(library.StartWithPrimary(6));
        EXPECT_EQ(1, CallCounter(path, "PartialStartCalls"));
        EXPECT_EQ(6, CallCounter(path, "PartialLastThreads"));

        EXPECT_FALSE(library.StartWithCpuBurn(7));
        EXPECT_EQ(1u, trace.Count("StartCalibrateWithCpuBurn is not available, call skipped"));
        EXPECT_EQ(1, CallCounter(path, "PartialStartCalls"));
        EXPECT_EQ(6, CallCounter(path, "PartialLastThreads"));

        EXPECT_TRUE(library.Stop());
        EXPECT_EQ(1, CallCounter(path, "PartialStopCalls"));
    }
    // Unloaded again, and no further box.
    EXPECT_EQ(nullptr, GetModuleHandleA(path.c_str()));
    EXPECT_EQ(1u, boxes.Boxes().size());
}

} // namespace
