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
#include "sim/peers/kit/MessagePipeServer.h"

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

namespace {

const char kBoardPath[] = "\\\\.\\pipe\\KALDO QEM MB PIPE";
constexpr DWORD kCardModeChanged = 0x1001;
constexpr DWORD kGetCardMode = 0x10001002;

void PutCode(tvsim::Bytes& request, DWORD code)
{
    for (size_t i = 0; i < 4 && i < request.size(); ++i) {
        request[i] = static_cast<unsigned char>(code >> (8 * i));
    }
}

HANDLE OpenBoardClient()
{
    HANDLE client = INVALID_HANDLE_VALUE;
    tvtest::WaitUntil(
        [&] {
            client = CreateFileA(kBoardPath, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
            if (client == INVALID_HANDLE_VALUE && GetLastError() == ERROR_PIPE_BUSY) {
                WaitNamedPipeA(kBoardPath, 100);
            }
            return client != INVALID_HANDLE_VALUE;
        },
        10000);
    return client;
}

// 10,000 requests of random sizes (up to beyond the server's 16,384 bytes) and content, among
// them clients that leave at once, leave after writing, or hold the pipe silently, against the
// whole program with its timers and tray: every request answered as the protocol says, exactly
// the accepted notifications acted on (the card's mode asked once per "mode changed"), the
// handle count flat, and the window answering.
TEST_F(PeerFaultTest, BoardPipeStormAgainstTheWholeProgram)
{
    tvtest::RunningPeer card;
    ASSERT_TRUE(tvtest::StartCardSim(card));
    ProgramRun program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitUntilStarted());

    const unsigned seed = 20261208;
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> percent(0, 99);
    std::uniform_int_distribution<size_t> anySize(0, 20000);
    std::uniform_int_distribution<size_t> smallSize(0, 64);
    long accepted = 0;
    long oversize = 0;
    auto request = [&](size_t step, size_t size, bool modeChanged) {
        tvsim::Bytes bytes(size);
        for (auto& b : bytes) {
            b = static_cast<unsigned char>(byte(random));
        }
        if (modeChanged) {
            PutCode(bytes, kCardModeChanged);
        } else if (size >= 4 && tvsim::WordAt(bytes, 0) <= 1) {
            PutCode(bytes, 0x7F00 + (bytes[0] & 0x7F)); // only "mode changed" is accepted here
        } else if (size >= 4 && (tvsim::WordAt(bytes, 0) & ~1u) == 0x1000) {
            PutCode(bytes, 0x7F00);
        }
        const bool accept = modeChanged && size <= 16384;
        tvsim::Bytes reply;
        DWORD error = 0;
        ASSERT_TRUE(tvsim::TimedCall(kBoardPath, bytes, reply, 10000, error))
            << "step " << step << ", " << size << " bytes: " << error;
        ASSERT_EQ(4u, reply.size()) << "step " << step;
        ASSERT_EQ(accept ? 1u : 0u, tvsim::WordAt(reply, 0)) << "step " << step << ", " << size;
        accepted += accept;
        oversize += size > 16384;
    };
    auto misbehave = [&](int kind) {
        HANDLE client = OpenBoardClient();
        ASSERT_NE(INVALID_HANDLE_VALUE, client);
        tvsim::Bytes bytes(4 + smallSize(random), 0x5A);
        PutCode(bytes, 0x7E00);
        DWORD written = 0;
        if (kind == 1) {
            WriteFile(client, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        }
        if (kind == 2) {
            Sleep(200); // silent for a while, then gone
        }
        CloseHandle(client);
    };

    // Warm-up: every kind once, so that what the first of each creates is not growth.
    for (int kind = 0; kind < 3; ++kind) {
        misbehave(kind);
    }
    request(0, 18000, false);
    request(0, 8, true);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(card.Control().WaitForRequest(kGetCardMode, 0, 5000));
    Sleep(300);
    const long before = tvtest::CountProcessHandles(program.Id());
    ASSERT_GT(before, 0);
    const uint32_t mark = simboard::LastSequence();
    const long acceptedBefore = accepted;

    Pinger pinger(program.Window());
    const DWORD start = GetTickCount();
    for (size_t step = 1; step <= 10000; ++step) {
        if (step % 100 == 50) {
            misbehave(static_cast<int>(step / 100 % 3));
        }
        const size_t size = percent(random) < 40 ? smallSize(random) : anySize(random);
        request(step, size, size >= 4 && percent(random) < 2);
        ASSERT_FALSE(HasFatalFailure());
    }
    const DWORD elapsed = GetTickCount() - start;
    std::printf("%ld notifications among 10000 requests (%ld over 16384 bytes) in %lu ms\n",
                accepted - acceptedBefore, oversize, elapsed);
    EXPECT_GT(oversize, 1000);

    // Exactly one question to the card per accepted notification: none lost, none invented.
    const long expected = accepted - acceptedBefore;
    long asked = 0;
    tvtest::WaitUntil(
        [&] {
            asked = 0;
            for (const auto& r : card.Control().Log(mark).requests) {
                asked += r.Word(0) == kGetCardMode;
            }
            return asked >= expected;
        },
        10000);
    Sleep(500);
    asked = 0;
    for (const auto& r : card.Control().Log(mark).requests) {
        asked += r.Word(0) == kGetCardMode;
    }
    EXPECT_EQ(expected, asked);

    const long after = tvtest::CountProcessHandles(program.Id());
    std::printf("handles of the program: %ld before, %ld after\n", before, after);
    EXPECT_LE(after, before + 2);
    EXPECT_EQ(0, pinger.Unanswered());
    EXPECT_TRUE(program.Running());
    EXPECT_EQ(0, program.Close());
}

} // namespace
