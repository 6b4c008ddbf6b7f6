#include "ipc/QemPipeClient.h"
#include "ipc/SysCtrlPipeClient.h"
#include "tests/support/Peers.h"
#include "tests/support/Support.h"

#include <gtest/gtest.h>
#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;
using tv::QemPipeClient;
using tv::SysCtrlPipeClient;
using tvsim::Words;

const char kBusyCard[] = "[QemPipeClient::Call] Failed, the previous request is not completed yet.";
const char kTimeoutCard[] = "[QemPipeClient::Call] Failed, Waiting error or Timeout.";
const char kBusySys[] = "CallSysCtrlService Failed, the previous request is not completed yet.";
const char kTimeoutSys[] = "CallSysCtrlService Failed, Waiting error or Timeout.";

class CardPipeClient : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tvtest::StartCardSim(m_card, "--caps 5 --power 42000 --saving 1=1234 "
                                                 "--saving 0x4000=7 --mode 2"));
    }
    const tvsim::PeerControl& Card() { return m_card.Control(); }

    tvtest::RunningPeer m_card;
    QemPipeClient& m_client = QemPipeClient::Instance();
};

TEST_F(CardPipeClient, TypedRequestsTravelAsTheProtocolSaysAndReadTheAnswers)
{
    DWORD bits = 0;
    DWORD milliwatts = 0;
    ASSERT_TRUE(m_client.GetCardCapabilities(bits, milliwatts));
    EXPECT_EQ(5u, bits);
    EXPECT_EQ(42000u, milliwatts);
    DWORD saving[4] = {};
    const int modes[4] = {0x4000, 0, 1, 2};
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(m_client.GetCardSaving(modes[i], saving[i])) << modes[i];
    }
    EXPECT_EQ(7u, saving[0]);
    EXPECT_EQ(0u, saving[1]);
    EXPECT_EQ(1234u, saving[2]);
    EXPECT_EQ(3000u, saving[3]);
    int mode = -1;
    ASSERT_TRUE(m_client.GetCardMode(mode));
    EXPECT_EQ(2, mode);
    EXPECT_TRUE(m_client.SetCardMode(static_cast<int>(0x80000001)));
    ASSERT_TRUE(m_client.GetCardMode(mode));
    EXPECT_EQ(static_cast<int>(0x80000001), mode);
    EXPECT_TRUE(m_client.SetCardMode(0x8000));

    EXPECT_EQ(
        (std::vector<Bytes>{Words({0x10001003}), Words({0x10001004, 0x4000}),
                            Words({0x10001004, 0}), Words({0x10001004, 1}), Words({0x10001004, 2}),
                            Words({0x10001002}), Words({0x10001001, 0x80000001}),
                            Words({0x10001002}), Words({0x10001001, 0x8000})}),
        Card().Requests());
}

TEST_F(CardPipeClient, CallHandsOutTheReplyPayload)
{
    const Bytes request = Words({0x10001003});
    ASSERT_TRUE(m_client.Call(request.data(), 4));
    ASSERT_EQ(8u, m_client.PayloadSize());
    EXPECT_EQ(Words({5, 42000}), Bytes(m_client.Payload(), m_client.Payload() + 8));
    ASSERT_TRUE(Card().Send("fail 0x10001003"));
    EXPECT_FALSE(m_client.Call(request.data(), 4));
    EXPECT_EQ(0u, m_client.PayloadSize());
}

TEST_F(CardPipeClient, AFailureStatusFailsEveryRequestAndLeavesTheOutputs)
{
    ASSERT_TRUE(Card().Send("fail all"));
    DWORD bits = 11;
    DWORD milliwatts = 12;
    DWORD value = 13;
    int mode = 14;
    EXPECT_FALSE(m_client.GetCardCapabilities(bits, milliwatts));
    EXPECT_FALSE(m_client.GetCardSaving(1, value));
    EXPECT_FALSE(m_client.GetCardMode(mode));
    EXPECT_FALSE(m_client.SetCardMode(2));
    EXPECT_EQ(11u, bits);
    EXPECT_EQ(12u, milliwatts);
    EXPECT_EQ(13u, value);
    EXPECT_EQ(14, mode);
    EXPECT_EQ(4, Card().Count()) << "each request still went out";
}

TEST_F(CardPipeClient, ASuccessWithoutEnoughPayloadFails)
{
    DWORD bits = 0;
    DWORD milliwatts = 0;
    ASSERT_TRUE(Card().Send("short 0x10001003"));
    EXPECT_FALSE(m_client.GetCardCapabilities(bits, milliwatts)) << "status 1, no payload";
    ASSERT_TRUE(Card().Send("short 0x10001003 4"));
    EXPECT_FALSE(m_client.GetCardCapabilities(bits, milliwatts)) << "one word of two";
    ASSERT_TRUE(Card().Send("short 0x10001003 8"));
    EXPECT_TRUE(m_client.GetCardCapabilities(bits, milliwatts));
    ASSERT_TRUE(Card().Send("short all"));
    int mode = 0;
    DWORD value = 0;
    EXPECT_FALSE(m_client.GetCardMode(mode));
    EXPECT_FALSE(m_client.GetCardSaving(2, value));
    EXPECT_TRUE(m_client.SetCardMode(1)) << "setting the mode needs no payload";
}

TEST_F(CardPipeClient, AReplyLongerThanTheBufferStillCounts)
{
    ASSERT_TRUE(Card().Send("pad 300"));
    DWORD bits = 0;
    DWORD milliwatts = 0;
    EXPECT_TRUE(m_client.GetCardCapabilities(bits, milliwatts));
    EXPECT_EQ(5u, bits);
    const Bytes request = Words({0x10001002});
    ASSERT_TRUE(m_client.Call(request.data(), 4));
    EXPECT_EQ(252u, m_client.PayloadSize()) << "cut at the 256-byte reply buffer";
    EXPECT_EQ(Words({2}), Bytes(m_client.Payload(), m_client.Payload() + 4));
}

TEST_F(CardPipeClient, ASecondCallWhileOneWaitsIsRefused)
{
    ASSERT_TRUE(Card().Send("delay 2500"));
    tvtest::TraceCapture trace;
    bool first = false;
    DWORD bits = 0;
    DWORD milliwatts = 0;
    std::thread slow([&] { first = m_client.GetCardCapabilities(bits, milliwatts); });
    // No ASSERT while the thread runs: leaving the test without joining it ends the program.
    EXPECT_TRUE(tvtest::WaitUntil([&] { return Card().Count() == 1; }, 5000));
    DWORD start = GetTickCount();
    int mode = 0;
    EXPECT_FALSE(m_client.GetCardMode(mode));
    EXPECT_LT(GetTickCount() - start, 1000u) << "refused at once, not queued";
    slow.join();
    EXPECT_TRUE(first);
    EXPECT_EQ(5u, bits);
    EXPECT_EQ(1u, trace.Count(kBusyCard));
    EXPECT_EQ(1, Card().Count()) << "the refused call never reached the card";
    ASSERT_TRUE(Card().Send("delay 0"));
    EXPECT_TRUE(m_client.GetCardMode(mode));
}

// A card utility that answers too late: the caller gives up after 10 s, later calls are refused
// until the worker ends, and the late reply reaches nobody.
TEST_F(CardPipeClient, ATimedOutCallKeepsThePipeBusyUntilItsWorkerEnds)
{
    const Bytes good = Words({0x10001003});
    ASSERT_TRUE(m_client.Call(good.data(), 4));
    ASSERT_EQ(8u, m_client.PayloadSize());
    ASSERT_TRUE(Card().Send("clear"));
    ASSERT_TRUE(Card().Send("delay 13000"));
    ASSERT_TRUE(Card().Send("pad 200"));
    tvtest::TraceCapture trace;
    DWORD start = GetTickCount();
    Bytes request = Words({0x10001002});
    EXPECT_FALSE(m_client.Call(request.data(), 4));
    DWORD waited = GetTickCount() - start;
    EXPECT_GE(waited, 9900u);
    EXPECT_LT(waited, 12000u);
    EXPECT_EQ(1u, trace.Count(kTimeoutCard));
    // The caller reuses its memory at once; the worker must not care.
    std::memset(request.data(), 0xAB, request.size());

    ASSERT_TRUE(Card().Send("delay 0"));
    ASSERT_TRUE(Card().Send("pad 0"));
    DWORD bits = 0;
    DWORD milliwatts = 0;
    EXPECT_FALSE(m_client.GetCardCapabilities(bits, milliwatts));
    EXPECT_EQ(1u, trace.Count(kBusyCard));
    EXPECT_EQ(1, Card().Count());

    // Once the card has answered the late call, the worker ends and frees the pipe.
    DWORD sinceStart = GetTickCount() - start;
    if (sinceStart < 14500) {
        Sleep(14500 - sinceStart);
    }
    EXPECT_EQ(0u, m_client.PayloadSize()) << "the late reply did not land in the client";
    EXPECT_TRUE(m_client.GetCardCapabilities(bits, milliwatts));
    EXPECT_EQ(42000u, milliwatts);
    auto requests = Card().Requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ(Words({0x10001002}), requests[0]) << "the request as it was when sent";
}

TEST(CardPipeClientAlone, ACallNobodyAnswersFailsWithFileNotFound)
{
    tvtest::TraceCapture trace;
    DWORD bits = 0;
    DWORD milliwatts = 0;
    EXPECT_FALSE(QemPipeClient::Instance().GetCardCapabilities(bits, milliwatts));
    EXPECT_TRUE(trace.Contains("[BasicNamedPipe<char_t>::Call] failed, GetLastError returned 2"));
    DWORD word0 = 0;
    DWORD word1 = 0;
    EXPECT_FALSE(SysCtrlPipeClient::Instance().GetOverclockState(word0, word1));
    EXPECT_EQ(2u, trace.Count("[BasicNamedPipe<char_t>::Call] failed, GetLastError returned 2"));
}

// A card pipe served by the test: replies of any shape, one per connection.
class RawCardPipe
{
public:
    explicit RawCardPipe(std::vector<Bytes> replies) : m_replies(std::move(replies))
    {
        m_pipe = CreateNamedPipeA(kCardPath, PIPE_ACCESS_DUPLEX,
                                  PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 4096,
                                  4096, 0, nullptr);
        m_thread = std::thread([this] {
            for (const Bytes& reply : m_replies) {
                if (m_stop) {
                    break;
                }
                ConnectNamedPipe(m_pipe, nullptr);
                if (!m_stop) {
                    unsigned char request[256];
                    DWORD count = 0;
                    ReadFile(m_pipe, request, sizeof request, &count, nullptr);
                    WriteFile(m_pipe, reply.data(), static_cast<DWORD>(reply.size()), &count,
                              nullptr);
                    FlushFileBuffers(m_pipe);
                }
                DisconnectNamedPipe(m_pipe);
            }
            m_done = true;
        });
    }
    ~RawCardPipe()
    {
        // Calls that never came (a failed test) leave the thread waiting for a client: connect
        // for a moment until it ends. A single wake-up could come while the instance is between
        // disconnect and listen, find it busy and be lost.
        m_stop = true;
        while (!m_done) {
            HANDLE wake = CreateFileA(kCardPath, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
            if (wake != INVALID_HANDLE_VALUE) {
                CloseHandle(wake);
            }
            Sleep(20);
        }
        m_thread.join();
        CloseHandle(m_pipe);
    }
    bool Ok() const { return m_pipe != INVALID_HANDLE_VALUE; }

private:
    static constexpr char kCardPath[] = "\\\\.\\pipe\\KALDO QEM VGA PIPE";

    std::vector<Bytes> m_replies;
    HANDLE m_pipe;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

TEST(CardPipeClientAlone, AReplyTooShortForAStatusFails)
{
    QemPipeClient& client = QemPipeClient::Instance();
    const Bytes request = Words({0x10001002});
    RawCardPipe card({Words({1, 2}), {}, {1, 0}, {1, 0, 0}, Words({1})});
    ASSERT_TRUE(card.Ok());
    ASSERT_TRUE(client.Call(request.data(), 4));
    // The status of the earlier reply must not be taken for that of an empty one.
    EXPECT_FALSE(client.Call(request.data(), 4)) << "empty reply";
    EXPECT_FALSE(client.Call(request.data(), 4)) << "2 bytes";
    EXPECT_FALSE(client.Call(request.data(), 4)) << "3 bytes";
    EXPECT_TRUE(client.Call(request.data(), 4)) << "a bare status";
    EXPECT_EQ(0u, client.PayloadSize());
}

// A card utility that takes the call and never answers: the worker's own bound ends the call, so
// it costs that call and the time until the bound, not every later call of the process. A
// client of its own, with short bounds, on the card pipe.
TEST(CardPipeClientAlone, APeerThatNeverAnswersCostsOneCall)
{
    static volatile LONG freeFlag = 1;
    tv::PipeClient::Channel channel = {"KALDO QEM VGA PIPE", 256, "busy", "timed out", &freeFlag};
    channel.waitMs = 400;
    channel.workerLimitMs = 1200;
    tv::PipeClient client(channel);
    // The first connection is taken and never answered; the second is answered.
    HANDLE pipe = CreateNamedPipeA("\\\\.\\pipe\\KALDO QEM VGA PIPE", PIPE_ACCESS_DUPLEX,
                                   PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 4096,
                                   4096, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, pipe);
    std::atomic<int> served{0};
    std::thread peer([&] {
        for (int connection = 0; connection < 2; ++connection) {
            if (!ConnectNamedPipe(pipe, nullptr) && GetLastError() != ERROR_PIPE_CONNECTED) {
                break;
            }
            unsigned char request[256];
            DWORD count = 0;
            ReadFile(pipe, request, sizeof request, &count, nullptr);
            if (connection == 0) {
                // Silent: this read ends only when the caller gives up and closes its end.
                ReadFile(pipe, request, sizeof request, &count, nullptr);
            } else {
                const Bytes reply = Words({1, 7});
                WriteFile(pipe, reply.data(), 8, &count, nullptr);
                FlushFileBuffers(pipe);
            }
            DisconnectNamedPipe(pipe);
            ++served;
        }
    });
    tvtest::TraceCapture trace;
    const Bytes request = Words({0x10001002});
    DWORD start = GetTickCount();
    EXPECT_FALSE(client.Call(request.data(), 4));
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_EQ(1u, trace.Count("timed out"));
    EXPECT_FALSE(client.Call(request.data(), 4)) << "refused while the worker lives";
    EXPECT_EQ(1u, trace.Count("busy"));
    // The worker gives up at its bound and frees the pipe.
    bool freed = tvtest::WaitUntil([&] { return served == 1; }, 3000);
    EXPECT_TRUE(freed) << "the silent call still holds the pipe";
    EXPECT_TRUE(
        trace.Contains("[BasicNamedPipe<char_t>::Call] failed, GetLastError returned 1460"));
    if (freed) {
        EXPECT_TRUE(tvtest::WaitUntil([&] { return freeFlag == 1; }, 1000));
        EXPECT_TRUE(client.Call(request.data(), 4));
        ASSERT_EQ(4u, client.PayloadSize());
        EXPECT_EQ(Words({7}), Bytes(client.Payload(), client.Payload() + 4));
    }
    // Whatever happened, the peer ends: a client that comes and goes completes its steps.
    CloseHandle(pipe);
    peer.join();
}

class SysCtrlPipe : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(tvtest::StartSysCtlSim(m_service, "--words 1,0x1234")); }
    const tvsim::PeerControl& Service() { return m_service.Control(); }

    tvtest::RunningPeer m_service;
    SysCtrlPipeClient& m_client = SysCtrlPipeClient::Instance();
};

TEST_F(SysCtrlPipe, OverclockStateIsTheFirstTwoWords)
{
    DWORD word0 = 0;
    DWORD word1 = 0;
    ASSERT_TRUE(m_client.GetOverclockState(word0, word1));
    EXPECT_EQ(1u, word0);
    EXPECT_EQ(0x1234u, word1);
    ASSERT_TRUE(Service().Send("words 0 5 6 7"));
    ASSERT_TRUE(m_client.GetOverclockState(word0, word1));
    EXPECT_EQ(0u, word0);
    EXPECT_EQ(5u, word1);
    EXPECT_EQ((std::vector<Bytes>{Words({0x80000001}), Words({0x80000001})}), Service().Requests());
}

TEST_F(SysCtrlPipe, FailureOrAShortAnswerLeavesTheOutputs)
{
    DWORD word0 = 9;
    DWORD word1 = 9;
    ASSERT_TRUE(Service().Send("words 3"));
    EXPECT_FALSE(m_client.GetOverclockState(word0, word1));
    ASSERT_TRUE(Service().Send("words"));
    EXPECT_FALSE(m_client.GetOverclockState(word0, word1));
    ASSERT_TRUE(Service().Send("words 3 4"));
    ASSERT_TRUE(Service().Send("fail on"));
    EXPECT_FALSE(m_client.GetOverclockState(word0, word1));
    EXPECT_EQ(9u, word0);
    EXPECT_EQ(9u, word1);
    ASSERT_TRUE(Service().Send("fail off"));
    EXPECT_TRUE(m_client.GetOverclockState(word0, word1));
    EXPECT_EQ(3u, word0);
}

TEST_F(SysCtrlPipe, ASecondCallWhileOneWaitsIsRefused)
{
    ASSERT_TRUE(Service().Send("delay 2000"));
    tvtest::TraceCapture trace;
    bool first = false;
    DWORD word0 = 0;
    DWORD word1 = 0;
    std::thread slow([&] { first = m_client.GetOverclockState(word0, word1); });
    EXPECT_TRUE(tvtest::WaitUntil([&] { return Service().Count() == 1; }, 5000));
    DWORD other0 = 0;
    DWORD other1 = 0;
    EXPECT_FALSE(m_client.GetOverclockState(other0, other1));
    slow.join();
    EXPECT_TRUE(first);
    EXPECT_EQ(1u, trace.Count(kBusySys));
    EXPECT_EQ(1, Service().Count());
}

TEST_F(SysCtrlPipe, TheCardAndTheServiceAreAdmittedIndependently)
{
    tvtest::RunningPeer card;
    ASSERT_TRUE(tvtest::StartCardSim(card, "--delay 1500"));
    ASSERT_TRUE(Service().Send("delay 1500"));
    bool cardOk = false;
    std::thread cardCall([&] {
        DWORD bits = 0;
        DWORD milliwatts = 0;
        cardOk = QemPipeClient::Instance().GetCardCapabilities(bits, milliwatts);
    });
    DWORD word0 = 0;
    DWORD word1 = 0;
    EXPECT_TRUE(m_client.GetOverclockState(word0, word1));
    cardCall.join();
    EXPECT_TRUE(cardOk);
}

TEST_F(SysCtrlPipe, ATimedOutCallIsTracedAndThePipeFreedLater)
{
    ASSERT_TRUE(Service().Send("delay 11000"));
    tvtest::TraceCapture trace;
    DWORD word0 = 0;
    DWORD word1 = 0;
    DWORD start = GetTickCount();
    EXPECT_FALSE(m_client.GetOverclockState(word0, word1));
    EXPECT_GE(GetTickCount() - start, 9900u);
    EXPECT_EQ(1u, trace.Count(kTimeoutSys));
    ASSERT_TRUE(Service().Send("delay 0"));
    EXPECT_FALSE(m_client.GetOverclockState(word0, word1));
    EXPECT_EQ(1u, trace.Count(kBusySys));
    EXPECT_TRUE(tvtest::WaitUntil([&] { return m_client.GetOverclockState(word0, word1); }, 8000));
    EXPECT_EQ(1u, word0);
}

} // namespace
