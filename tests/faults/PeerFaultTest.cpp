// The graphics-card utility on a bad day, seen from the whole program: a utility that accepts
// and never answers, one that answers short or overlong replies, one that vanishes in the middle
// of a call. The card calls the program makes on its window's thread end within their bound, the
// window answers other programs all the while, and the next call succeeds once the utility is
// back. Then the board pipe under a storm of bad clients with the program's timers running.
#include "shell/base/RegistrySchema.h"
#include "sim/board/Board.h"
#include "tests/faults/FaultSupport.h"
#include "tests/support/Handles.h"
#include "tests/support/Peers.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <atomic>
#include <random>
#include <thread>

namespace {

using faults::ProgramRun;

constexpr DWORD kAbsent = 0xFFFF;

DWORD QemSupported()
{
    return tvtest::ReadRawDword(tv::reg::kQemKey, tv::reg::kQemSupported, kAbsent);
}

// Pings a window from a thread of its own every 50 ms: the longest answer and the time-outs.
class Pinger
{
public:
    explicit Pinger(HWND window) : m_window(window), m_thread([this] { Run(); }) {}
    ~Pinger()
    {
        m_stop = true;
        m_thread.join();
    }
    DWORD LongestMs() const { return m_longest; }
    long Unanswered() const { return m_unanswered; }
    long Pings() const { return m_pings; }

private:
    void Run()
    {
        while (!m_stop) {
            const DWORD start = GetTickCount();
            DWORD_PTR answer = 0;
            if (!SendMessageTimeoutA(m_window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer)) {
                ++m_unanswered;
            }
            m_longest = std::max<DWORD>(m_longest, GetTickCount() - start);
            ++m_pings;
            Sleep(50);
        }
    }

    HWND m_window;
    std::atomic<bool> m_stop{false};
    std::atomic<DWORD> m_longest{0};
    std::atomic<long> m_unanswered{0};
    std::atomic<long> m_pings{0};
    std::thread m_thread;
};

class PeerFaultTest : public tvtest::CleanRegistryTest
{
protected:
    void SetUp() override
    {
        CleanRegistryTest::SetUp();
        std::string error;
        ASSERT_TRUE(simboard::Reset("default", &error)) << error;
        tvtest::WriteRawDword(tv::reg::kMainKey, tv::reg::kNotFirstTime, 1);
    }

    // The card utility announces itself; the program asks its capabilities on its window's
    // thread and publishes the answer (QemSupported 1, or 0 when the call failed). Returns how
    // long until it was published, or -1.
    long Announce(tvtest::RunningPeer& card, DWORD timeoutMs)
    {
        tvtest::DeleteRaw(tv::reg::kQemKey, tv::reg::kQemSupported);
        const DWORD start = GetTickCount();
        if (!card.Control().Send("notify 0")) {
            return -1;
        }
        if (!tvtest::WaitUntil([] { return QemSupported() != kAbsent; }, timeoutMs)) {
            return -1;
        }
        return static_cast<long>(GetTickCount() - start);
    }
};

TEST_F(PeerFaultTest, HungShortAndVanishingCardUtility)
{
    tvtest::RunningPeer card;
    ASSERT_TRUE(tvtest::StartCardSim(card));
    ProgramRun program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitUntilStarted());
    ASSERT_TRUE(tvtest::WaitUntil([] { return QemSupported() == 1; }, 10000))
        << "the start asked the card";
    Pinger pinger(program.Window());

    // Accepts and never answers (within the program's patience): the call ends at its bound.
    ASSERT_TRUE(card.Control().Send("delay 60000"));
    const long hung = Announce(card, 20000);
    EXPECT_GE(hung, 9000) << "the call waits its bound";
    EXPECT_LE(hung, 12000) << "and no longer";
    EXPECT_EQ(0u, QemSupported());

    // Back: the pipe is refused until the hung conversation has ended (its own bound), then the
    // next call succeeds.
    ASSERT_TRUE(card.Control().Send("delay 0"));
    EXPECT_TRUE(
        tvtest::WaitUntil([&] { return Announce(card, 3000) >= 0 && QemSupported() == 1; }, 15000))
        << "no recovery";

    // Short replies: status 1, payload cut; then overlong replies.
    ASSERT_TRUE(card.Control().Send("short all 2"));
    EXPECT_GE(Announce(card, 5000), 0);
    EXPECT_EQ(0u, QemSupported()) << "a short answer is no answer";
    ASSERT_TRUE(card.Control().Send("short none"));
    ASSERT_TRUE(card.Control().Send("pad 4000"));
    EXPECT_GE(Announce(card, 5000), 0);
    ASSERT_TRUE(card.Control().Send("pad 0"));
    EXPECT_GE(Announce(card, 5000), 0);
    EXPECT_EQ(1u, QemSupported());

    // Vanishes in the middle of a call.
    ASSERT_TRUE(card.Control().Send("delay 60000"));
    tvtest::DeleteRaw(tv::reg::kQemKey, tv::reg::kQemSupported);
    ASSERT_TRUE(card.Control().Send("notify 0"));
    Sleep(500);
    TerminateProcess(OpenProcess(PROCESS_TERMINATE, FALSE, card.Id()), 1);
    EXPECT_TRUE(tvtest::WaitUntil([] { return QemSupported() != kAbsent; }, 5000))
        << "the call ends when the utility is gone";
    EXPECT_EQ(0u, QemSupported());
    card.Stop();
    ASSERT_TRUE(tvtest::StartCardSim(card));
    EXPECT_TRUE(
        tvtest::WaitUntil([&] { return Announce(card, 3000) >= 0 && QemSupported() == 1; }, 15000))
        << "no recovery after the utility came back";

    EXPECT_GT(pinger.Pings(), 50);
    EXPECT_EQ(0, pinger.Unanswered()) << "the window did not answer other programs";
    EXPECT_LT(pinger.LongestMs(), 1000u);
    EXPECT_TRUE(program.Running());
    EXPECT_EQ(0, program.Close());
}

} // namespace
