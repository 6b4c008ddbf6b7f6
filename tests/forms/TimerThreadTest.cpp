#include "tests/forms/FormsTestSupport.h"

#include <gtest/gtest.h>
#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

class TimerThreadTest : public formstest::AppTest
{};

TEST_F(TimerThreadTest, TimerFiresOnTheGuiThreadWhileEnabled)
{
    auto* timer = new lumo::TTimer(m_app.get());
    EXPECT_TRUE(timer->Enabled());
    EXPECT_EQ(1000u, timer->Interval());
    timer->SetEnabled(false);
    timer->SetInterval(30);
    std::vector<DWORD> threads;
    timer->OnTimer = [&](lumo::TObject* sender) {
        EXPECT_EQ(timer, sender);
        threads.push_back(GetCurrentThreadId());
    };
    PumpFor(150);
    EXPECT_TRUE(threads.empty()) << "disabled";
    EXPECT_FALSE(timer->Running());

    DWORD start = GetTickCount();
    timer->SetEnabled(true);
    EXPECT_TRUE(timer->Running());
    ASSERT_TRUE(PumpUntil([&] { return threads.size() >= 3; }));
    EXPECT_GE(GetTickCount() - start, 60u) << "three ticks of 30 ms take their time";
    for (DWORD id : threads) {
        EXPECT_EQ(GetCurrentThreadId(), id);
    }
    timer->SetEnabled(false);
    size_t count = threads.size();
    PumpFor(150);
    EXPECT_EQ(count, threads.size());

    timer->SetInterval(0);
    timer->SetEnabled(true);
    EXPECT_FALSE(timer->Running()) << "an interval of 0 stops it";
}

TEST_F(TimerThreadTest, ADestroyedTimerNeverFiresAgainWhileItsNeighbourGoesOn)
{
    auto* timer = new lumo::TTimer(m_app.get());
    timer->SetInterval(10);
    int ticks = 0;
    timer->OnTimer = [&](lumo::TObject*) { ++ticks; };
    auto* neighbour = new lumo::TTimer(m_app.get());
    neighbour->SetInterval(10);
    int neighbourTicks = 0;
    neighbour->OnTimer = [&](lumo::TObject*) { ++neighbourTicks; };
    Sleep(50); // a WM_TIMER is due for both
    delete timer;
    PumpUntil([&] { return neighbourTicks >= 3; });
    EXPECT_EQ(0, ticks);
    EXPECT_GE(neighbourTicks, 3);
    delete neighbour;
}

TEST_F(TimerThreadTest, TimerMayStopAndRestartItselfInItsHandler)
{
    auto* timer = new lumo::TTimer(m_app.get());
    timer->SetInterval(20);
    int ticks = 0;
    timer->OnTimer = [&](lumo::TObject*) {
        timer->SetEnabled(false);
        ++ticks;
        if (ticks < 3) {
            timer->SetEnabled(true);
        }
    };
    PumpUntil([&] { return ticks == 3; });
    PumpFor(100);
    EXPECT_EQ(3, ticks);
}

// Counts its lifetime and records where things happen.
class Worker : public lumo::TThread
{
public:
    explicit Worker(bool suspended, std::atomic<int>* destroyed = nullptr)
        : lumo::TThread(suspended), m_destroyed(destroyed)
    {}
    ~Worker() override
    {
        if (m_destroyed) {
            ++*m_destroyed;
        }
    }
    std::atomic<DWORD> executeThread{0};
    std::atomic<bool> ran{false};
    HANDLE release = nullptr;

protected:
    void Execute() override
    {
        executeThread = GetCurrentThreadId();
        if (release) {
            WaitForSingleObject(release, 5000);
        }
        ran = true;
        SetReturnValue(17);
    }

private:
    std::atomic<int>* m_destroyed;
};

TEST_F(TimerThreadTest, SuspendedThreadRunsOnlyAfterResume)
{
    Worker worker(true);
    Sleep(100);
    EXPECT_FALSE(worker.ran);
    EXPECT_TRUE(worker.Suspended());
    worker.Resume();
    EXPECT_EQ(17u, worker.WaitFor());
    EXPECT_TRUE(worker.ran);
    EXPECT_NE(GetCurrentThreadId(), worker.executeThread.load());
    EXPECT_TRUE(worker.Finished());
}

TEST_F(TimerThreadTest, TerminationHandlerRunsOnTheGuiThreadThenTheThreadFreesItself)
{
    std::atomic<int> destroyed{0};
    auto* worker = new Worker(true, &destroyed);
    worker->SetFreeOnTerminate(true);
    DWORD handlerThread = 0;
    int destroyedWhenHandled = -1;
    bool finishedWhenHandled = false;
    worker->OnTerminate = [&](lumo::TObject* sender) {
        handlerThread = GetCurrentThreadId();
        destroyedWhenHandled = destroyed;
        finishedWhenHandled = static_cast<lumo::TThread*>(sender)->Finished();
    };
    worker->Resume();
    ASSERT_TRUE(PumpUntil([&] { return destroyed == 1; }));
    EXPECT_EQ(GetCurrentThreadId(), handlerThread) << "delivered on the GUI thread";
    EXPECT_EQ(0, destroyedWhenHandled) << "the handler runs before the thread frees itself";
    EXPECT_TRUE(finishedWhenHandled) << "and after Execute returned";
}

TEST_F(TimerThreadTest, TerminationWaitsForTheGuiThreadsMessageLoop)
{
    std::atomic<int> destroyed{0};
    auto* worker = new Worker(false, &destroyed);
    worker->SetFreeOnTerminate(true);
    bool handled = false;
    worker->OnTerminate = [&](lumo::TObject*) { handled = true; };
    Sleep(200); // the thread has ended, but nothing on the GUI thread ran yet
    EXPECT_FALSE(handled);
    EXPECT_EQ(0, destroyed);
    PumpUntil([&] { return destroyed == 1; });
    EXPECT_TRUE(handled);
}

TEST_F(TimerThreadTest, GuiThreadWaitRunsTerminationHandlers)
{
    // A GUI-thread wait for an event that a termination handler sets does not dead-lock.
    HANDLE done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    auto* worker = new Worker(false);
    worker->SetFreeOnTerminate(true);
    worker->OnTerminate = [done](lumo::TObject*) { SetEvent(done); };
    EXPECT_EQ(WAIT_OBJECT_0, lumo::GuiThread::WaitFor(done, 5000));
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), lumo::GuiThread::WaitFor(done, 50));
    CloseHandle(done);
}

TEST_F(TimerThreadTest, WaitForDeliversTheTerminationHandler)
{
    Worker worker(false);
    int handled = 0;
    worker.OnTerminate = [&](lumo::TObject*) { ++handled; };
    EXPECT_EQ(17u, worker.WaitFor());
    EXPECT_EQ(1, handled);
    PumpFor(50);
    EXPECT_EQ(1, handled) << "once";
}

TEST_F(TimerThreadTest, SynchronizeRunsOnTheGuiThread)
{
    class Syncer : public lumo::TThread
    {
    public:
        Syncer() : lumo::TThread(true) {}
        DWORD seen = 0;

    protected:
        void Execute() override
        {
            Synchronize([this] { seen = GetCurrentThreadId(); });
        }
    };
    Syncer syncer;
    syncer.Resume();
    syncer.WaitFor();
    EXPECT_EQ(GetCurrentThreadId(), syncer.seen);
}

// Work handed over with Send that throws never leaves its sender waiting: a framework exception is
// shown on the GUI thread, any other reaches the sender.
TEST_F(TimerThreadTest, SendReleasesTheSenderWhenTheWorkThrows)
{
    std::vector<std::string> shown;
    m_app->OnException = [&](lumo::TObject*, const lumo::Exception& e) {
        shown.push_back(e.what());
    };
    std::atomic<int> returned{0};
    std::atomic<bool> rethrown{false};
    auto sender = std::make_shared<std::thread>([&] {
        lumo::GuiThread::Send([] { throw lumo::EInvalidOperation("not now"); });
        ++returned;
        try {
            lumo::GuiThread::Send([] { throw std::runtime_error("elsewhere"); });
        } catch (const std::runtime_error& e) {
            rethrown = std::string(e.what()) == "elsewhere";
        }
        ++returned;
    });
    bool done = PumpUntil([&] { return returned == 2; });
    if (done) {
        sender->join();
    } else {
        // A sender that waits for ever cannot be joined; it ends with the test program.
        sender->detach();
    }
    ASSERT_TRUE(done) << returned << " of 2 sends returned";
    EXPECT_TRUE(rethrown);
    EXPECT_EQ(std::vector<std::string>{"not now"}, shown);
}

TEST_F(TimerThreadTest, DestroyingARunningThreadTerminatesAndWaitsForIt)
{
    class Looper : public lumo::TThread
    {
    public:
        Looper() : lumo::TThread(false) {}
        std::atomic<int> rounds{0};

    protected:
        void Execute() override
        {
            while (!Terminated()) {
                ++rounds;
                Sleep(5);
            }
        }
    };
    HANDLE handle;
    int handled = 0;
    {
        Looper looper;
        handle = looper.Handle();
        Sleep(50);
        EXPECT_GT(looper.rounds.load(), 0);
        looper.OnTerminate = [&](lumo::TObject*) { ++handled; };
    }
    // Its handle is closed and no late handler runs.
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(handle, &flags));
    PumpFor(50);
    EXPECT_EQ(0, handled);

    // Never started at all.
    {
        Worker suspended(true);
    }
}

} // namespace
