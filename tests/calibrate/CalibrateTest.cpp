// Calibrate.dll loaded as the program loads it: the load really occupies the processor, stops
// when asked, and a restart replaces the threads instead of adding to them.
#include "tests/support/Handles.h"
#include "tests/support/Support.h"

#include <windows.h>
#include <gtest/gtest.h>

namespace {

using StartFn = int(WINAPI*)(int);
using StopFn = int(WINAPI*)();

template <typename Fn> Fn Export(HMODULE library, const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

class CalibrateTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_library = LoadLibraryA((tvtest::StageDir() + "Calibrate.dll").c_str());
        ASSERT_NE(nullptr, m_library);
        primary = Export<StartFn>(m_library, "StartCalibrateWithPrimary");
        burn = Export<StartFn>(m_library, "StartCalibrateWithCpuBurn");
        stop = Export<StopFn>(m_library, "StopCalibrate");
        ASSERT_TRUE(primary && burn && stop);
        m_baseThreads = tvtest::CountProcessThreads();
    }
    void TearDown() override
    {
        if (m_library) {
            if (stop) {
                stop();
            }
            FreeLibrary(m_library);
        }
    }

    // Waits until the load threads of the library number `threads`.
    bool LoadThreadsAre(int threads)
    {
        return tvtest::WaitUntil(
            [&] { return tvtest::CountProcessThreads() == m_baseThreads + threads; }, 5000);
    }

    // The process gains `ms` of processor time before a generous deadline (a busy machine only
    // makes it slower); false when it never does.
    static bool GainsCpuTime(double ms)
    {
        double start = tvtest::ProcessCpuMs();
        return tvtest::WaitUntil([&] { return tvtest::ProcessCpuMs() - start >= ms; }, 20000);
    }

    // Processor time gained over half a second; the test thread itself sleeps.
    static double CpuMsOverHalfASecond()
    {
        double start = tvtest::ProcessCpuMs();
        Sleep(500);
        return tvtest::ProcessCpuMs() - start;
    }

    void ExpectLoadThenQuiet(StartFn start, int threads)
    {
        EXPECT_LT(CpuMsOverHalfASecond(), 100.0) << "busy before the load";
        ASSERT_NE(0, start(threads));
        EXPECT_TRUE(LoadThreadsAre(threads));
        EXPECT_TRUE(GainsCpuTime(1200.0)) << "the load does not occupy the processor";

        DWORD before = GetTickCount();
        EXPECT_NE(0, stop());
        // Joined: the threads are gone when the call returns; generous bound for a busy machine.
        EXPECT_EQ(m_baseThreads, tvtest::CountProcessThreads());
        EXPECT_LT(GetTickCount() - before, 5000u);
        EXPECT_LT(CpuMsOverHalfASecond(), 100.0) << "still busy after the stop";
    }

    HMODULE m_library = nullptr;
    StartFn primary = nullptr;
    StartFn burn = nullptr;
    StopFn stop = nullptr;
    int m_baseThreads = 0;
};

TEST_F(CalibrateTest, PrimeSearchLoadsTheProcessorUntilStopped)
{
    ExpectLoadThenQuiet(primary, 2);
}

TEST_F(CalibrateTest, FloatingPointBurnLoadsTheProcessorUntilStopped)
{
    ExpectLoadThenQuiet(burn, 4);
}

TEST_F(CalibrateTest, RestartReplacesTheThreadsInsteadOfAddingThem)
{
    ASSERT_NE(0, primary(4));
    EXPECT_TRUE(LoadThreadsAre(4));
    ASSERT_NE(0, primary(4));
    EXPECT_TRUE(LoadThreadsAre(4));
    ASSERT_NE(0, burn(2));
    EXPECT_TRUE(LoadThreadsAre(2));
    ASSERT_NE(0, primary(3));
    EXPECT_TRUE(LoadThreadsAre(3));
    EXPECT_TRUE(GainsCpuTime(600.0)) << "the replacing load does not run";
    EXPECT_NE(0, stop());
    EXPECT_TRUE(LoadThreadsAre(0));
}

TEST_F(CalibrateTest, StopWithoutLoadSucceedsAndRepeats)
{
    EXPECT_NE(0, stop());
    EXPECT_NE(0, stop());
    ASSERT_NE(0, burn(1));
    EXPECT_NE(0, stop());
    EXPECT_NE(0, stop());
    EXPECT_TRUE(LoadThreadsAre(0));
}

TEST_F(CalibrateTest, ThreadCountsOutsideTheRangeAreRefusedOrCapped)
{
    EXPECT_EQ(0, primary(0));
    EXPECT_EQ(0, burn(-4));
    EXPECT_TRUE(LoadThreadsAre(0));

    // A refused start leaves a running load alone.
    ASSERT_NE(0, primary(2));
    EXPECT_EQ(0, primary(0));
    EXPECT_TRUE(LoadThreadsAre(2));

    ASSERT_NE(0, burn(1000000));
    EXPECT_TRUE(LoadThreadsAre(64));
    EXPECT_NE(0, stop());
    EXPECT_TRUE(LoadThreadsAre(0));
}

TEST_F(CalibrateTest, UnloadDuringALoadKeepsTheLibraryUntilTheLoadStops)
{
    ASSERT_NE(0, primary(2));
    ASSERT_TRUE(LoadThreadsAre(2));
    ASSERT_TRUE(FreeLibrary(m_library));
    m_library = nullptr;
    stop = nullptr;

    // Our reference is gone, the workers' keep the code in place.
    ASSERT_NE(nullptr, GetModuleHandleA("Calibrate.dll"));

    // A new reference reaches the same running load and stops it.
    HMODULE again = LoadLibraryA((tvtest::StageDir() + "Calibrate.dll").c_str());
    ASSERT_NE(nullptr, again);
    auto stopLate = Export<StopFn>(again, "StopCalibrate");
    ASSERT_NE(nullptr, stopLate);
    EXPECT_NE(0, stopLate());
    EXPECT_TRUE(LoadThreadsAre(0));
    // The workers gave their references back: ours is the last one.
    FreeLibrary(again);
    EXPECT_TRUE(
        tvtest::WaitUntil([] { return GetModuleHandleA("Calibrate.dll") == nullptr; }, 5000))
        << "the library stays loaded after the load ended";
}

} // namespace
