// The pipe peers as test equipment: they must answer as the protocol tables say, do what their
// control commands say, and stop when told.
#include "sim/peers/kit/MessagePipeServer.h"
#include "tests/support/Peers.h"
#include "tests/support/Support.h"

#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;
using tvsim::WordAt;
using tvsim::Words;

const char kCardPath[] = "\\\\.\\pipe\\KALDO QEM VGA PIPE";
const char kSysPath[] = "\\\\.\\pipe\\KALDO SYSTEM CONTROL PIPE";
const char kBoardPath[] = "\\\\.\\pipe\\KALDO QEM MB PIPE";
const char kCardKey[] = "Software\\KALDO\\QEM\\VGA";

Bytes Call(const char* path, const Bytes& request, size_t replySize = 512)
{
    Bytes reply(replySize);
    DWORD read = 0;
    if (!CallNamedPipeA(path, const_cast<unsigned char*>(request.data()),
                        static_cast<DWORD>(request.size()), reply.data(),
                        static_cast<DWORD>(reply.size()), &read, 5000)) {
        ADD_FAILURE() << "call failed, GetLastError " << GetLastError();
        return Bytes();
    }
    reply.resize(read);
    return reply;
}

// Runs a peer with bad arguments to its end.
long ExitCode(const std::string& program, const std::string& arguments)
{
    return tvtest::RunProgram(program, arguments, 20000);
}

TEST(PipePeers, CommandLinesAreCheckedAndExplained)
{
    EXPECT_EQ(0, ExitCode("cardsim.exe", "--help"));
    EXPECT_EQ(2, ExitCode("cardsim.exe", "--bogus"));
    EXPECT_EQ(2, ExitCode("cardsim.exe", "--caps 12x"));
    EXPECT_EQ(2, ExitCode("cardsim.exe", "--saving 3=5"));
    EXPECT_EQ(2, ExitCode("cardsim.exe", "--power"));
    EXPECT_EQ(2, ExitCode("cardsim.exe", "--instances 0"));
    EXPECT_EQ(2, ExitCode("cardsim.exe", "--keep 0"));
    EXPECT_EQ(0, ExitCode("sysctlsim.exe", "--help"));
    EXPECT_EQ(2, ExitCode("sysctlsim.exe", "--words 1,,2"));
    EXPECT_EQ(2, ExitCode("sysctlsim.exe", "--delay -5"));
}

TEST(PipePeers, CardSimAnswersTheCardPipeAsTheProtocolSays)
{
    tvtest::RunningPeer card;
    ASSERT_TRUE(tvtest::StartCardSim(card, "--caps 3 --power 0x1234 --saving 2=4444 --mode 1"));
    EXPECT_EQ(Words({1, 3, 0x1234}), Call(kCardPath, Words({0x10001003})));
    EXPECT_EQ(Words({1, 1}), Call(kCardPath, Words({0x10001002})));
    EXPECT_EQ(Words({1, 4444}), Call(kCardPath, Words({0x10001004, 2})));
    EXPECT_EQ(Words({1, 1500}), Call(kCardPath, Words({0x10001004, 1})));
    EXPECT_EQ(Words({0}), Call(kCardPath, Words({0x10001004, 3}))) << "no such mode";
    EXPECT_EQ(Words({0}), Call(kCardPath, Words({0x10001004}))) << "mode missing";
    EXPECT_EQ(Words({1}), Call(kCardPath, Words({0x10001001, 0x80000000})));
    EXPECT_EQ(Words({1, 0x80000000}), Call(kCardPath, Words({0x10001002})));
    EXPECT_EQ(Words({0}), Call(kCardPath, Words({0x10001005})));
    EXPECT_EQ(Words({0}), Call(kCardPath, Bytes{3, 0x10, 0}));
    EXPECT_EQ(10, card.Control().Count());
    auto requests = card.Control().Requests();
    ASSERT_EQ(10u, requests.size());
    EXPECT_EQ(Words({0x10001003}), requests[0]);
    EXPECT_EQ(Words({0x10001001, 0x80000000}), requests[6]);
    EXPECT_EQ((Bytes{3, 0x10, 0}), requests[9]);
    EXPECT_TRUE(card.Control().Send("clear"));
    EXPECT_EQ(0, card.Control().Count());
    EXPECT_EQ(0, card.Stop());
}

TEST(PipePeers, CardSimFailsShortensPadsAndDelaysOnCommand)
{
    tvtest::RunningPeer card;
    ASSERT_TRUE(tvtest::StartCardSim(card));
    const auto& control = card.Control();
    ASSERT_TRUE(control.Send("caps 1"));
    ASSERT_TRUE(control.Send("power 5000"));
    ASSERT_TRUE(control.Send("fail 0x10001003"));
    EXPECT_EQ(Words({0}), Call(kCardPath, Words({0x10001003})));
    EXPECT_EQ(Words({1, 0}), Call(kCardPath, Words({0x10001002})));
    ASSERT_TRUE(control.Send("fail none"));
    ASSERT_TRUE(control.Send("short 0x10001003 6"));
    EXPECT_EQ((Bytes{1, 0, 0, 0, 1, 0, 0, 0, 0x88, 0x13}), Call(kCardPath, Words({0x10001003})));
    ASSERT_TRUE(control.Send("short none"));
    ASSERT_TRUE(control.Send("pad 3"));
    EXPECT_EQ((Bytes{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), Call(kCardPath, Words({0x10001002})));
    ASSERT_TRUE(control.Send("pad 0"));
    ASSERT_TRUE(control.Send("delay 700"));
    DWORD start = GetTickCount();
    EXPECT_EQ(Words({1, 1, 5000}), Call(kCardPath, Words({0x10001003})));
    EXPECT_GE(GetTickCount() - start, 650u);
    std::string reply;
    EXPECT_FALSE(control.Send("fail", &reply));
    EXPECT_EQ(0u, reply.find("error: ")) << reply;
    ASSERT_TRUE(control.Send("saving 1 none"));
    EXPECT_EQ(Words({0}), Call(kCardPath, Words({0x10001004, 1}))) << "a mode without a value";
    EXPECT_EQ(Words({1, 3000}), Call(kCardPath, Words({0x10001004, 2})));
    ASSERT_TRUE(control.Send("saving 1 25"));
    EXPECT_EQ(Words({1, 25}), Call(kCardPath, Words({0x10001004, 1})));
    EXPECT_FALSE(control.Send("saving 3 10"));
    EXPECT_FALSE(control.Send("saving 3 none"));
    EXPECT_FALSE(control.Send("caps nine"));
    EXPECT_FALSE(control.Send("frobnicate"));
    EXPECT_TRUE(control.Send("show", &reply));
    EXPECT_NE(std::string::npos, reply.find("caps 0x1\npower 5000\n")) << reply;
}

TEST(PipePeers, RequestLogIsStampedReadSinceANumberAndMarksWhatItDropped)
{
    tvtest::RunningPeer card;
    ASSERT_TRUE(tvtest::StartCardSim(card, "--keep 3"));
    for (DWORD mode = 0; mode < 5; ++mode) {
        Call(kCardPath, Words({0x10001001, mode}));
    }
    tvsim::PeerLog log = card.Control().Log();
    ASSERT_TRUE(log.answered);
    EXPECT_EQ(5u, log.count);
    EXPECT_EQ(2u, log.dropped);
    ASSERT_EQ(3u, log.requests.size());
    for (size_t i = 0; i < log.requests.size(); ++i) {
        EXPECT_EQ(Words({0x10001001, static_cast<DWORD>(i + 2)}), log.requests[i].bytes);
        EXPECT_NE(0u, log.requests[i].sequence) << "stamped from the board";
        if (i) {
            EXPECT_LT(log.requests[i - 1].sequence, log.requests[i].sequence);
            EXPECT_LE(log.requests[i - 1].ms, log.requests[i].ms);
        }
    }
    const uint32_t first = log.requests[0].sequence;
    EXPECT_LT(log.lastDropped, first);
    EXPECT_TRUE(log.DroppedAfter(log.lastDropped - 1));
    EXPECT_FALSE(log.DroppedAfter(log.lastDropped));

    // Since a number: exactly the newer requests, the drop marker only when it concerns them.
    tvsim::PeerLog newer = card.Control().Log(first);
    ASSERT_EQ(2u, newer.requests.size());
    EXPECT_EQ(log.requests[1].sequence, newer.requests[0].sequence);
    EXPECT_EQ(log.requests[1].ms, newer.requests[0].ms);
    EXPECT_EQ(0u, newer.dropped);
    EXPECT_EQ(3u, card.Control().Log(first).Find(0x10001001, first)->Word(1));
    EXPECT_FALSE(card.Control().Log().Find(0x10001002));
    std::string reply;
    ASSERT_TRUE(
        card.Control().Send("requests --since " + std::to_string(log.lastDropped - 1), &reply));
    EXPECT_EQ(0u, reply.find("ok 5\n-- 2 dropped, the newest " + std::to_string(log.lastDropped) +
                             " --\n" + std::to_string(first) + " "))
        << reply;
    EXPECT_FALSE(card.Control().Send("requests --since"));

    // Cleared: nothing kept, nothing dropped; the numbers go on.
    ASSERT_TRUE(card.Control().Send("clear"));
    Call(kCardPath, Words({0x10001002}));
    log = card.Control().Log();
    EXPECT_EQ(1u, log.count);
    EXPECT_EQ(0u, log.dropped);
    ASSERT_EQ(1u, log.requests.size());
    EXPECT_GT(log.requests[0].sequence, newer.requests.back().sequence);
    auto waited = card.Control().WaitForRequest(0x10001002, first, 1000);
    ASSERT_TRUE(waited);
    EXPECT_EQ(log.requests[0].sequence, waited->sequence);
}

// The board pipe as the program serves it, played by the test: records what arrives. Served
// with the peers' own bounded server, so that ending it never waits on a client that came too
// late or left too early.
class BoardPipe
{
public:
    explicit BoardPipe(DWORD status)
        : m_status(status), m_server(kBoardPath, 1, m_stop.handle, [this](const Bytes& request) {
              std::lock_guard<std::mutex> lock(m_lock);
              m_requests.push_back(request);
              return Words({m_status});
          })
    {
        std::string error;
        EXPECT_TRUE(m_server.Start(error)) << error;
    }
    std::vector<Bytes> Requests()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_requests;
    }

private:
    struct StopEvent
    {
        HANDLE handle = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        ~StopEvent() { CloseHandle(handle); }
    };

    DWORD m_status;
    std::mutex m_lock;
    std::vector<Bytes> m_requests;
    StopEvent m_stop;
    // Last: stopped and joined first.
    tvsim::MessagePipeServer m_server;
};

TEST(PipePeers, CardSimSendsNotificationsToTheBoardPipe)
{
    tvtest::RunningPeer card;
    ASSERT_TRUE(tvtest::StartCardSim(card));
    std::string reply;
    EXPECT_FALSE(card.Control().Send("notify 0", &reply));
    EXPECT_EQ("error: board pipe call failed, GetLastError 2", reply);
    {
        BoardPipe board(1);
        for (const char* command : {"notify 0", "notify 1", "notify 0x1000", "notify 0x1001"}) {
            EXPECT_TRUE(card.Control().Send(command, &reply));
            EXPECT_EQ("ok 1 4", reply);
        }
        EXPECT_TRUE(card.Control().Send("notify 0x1000 3"));
        EXPECT_TRUE(card.Control().Send("notify 2 9"));
        EXPECT_EQ((std::vector<Bytes>{Words({0}), Words({1}), Words({0x1000}), Words({0x1001}),
                                      Bytes{0, 0x10, 0}, Bytes{2, 0, 0, 0, 0, 0, 0, 0, 0}}),
                  board.Requests());
    }
    {
        BoardPipe board(0);
        EXPECT_TRUE(card.Control().Send("notify 5", &reply));
        EXPECT_EQ("ok 0 4", reply);
    }
}

TEST(PipePeers, CardSimAnnouncesItselfWhenAsked)
{
    BoardPipe board(1);
    tvtest::RunningPeer card;
    ASSERT_TRUE(tvtest::StartCardSim(card, "--announce"));
    EXPECT_TRUE(tvtest::WaitUntil([&] { return board.Requests().size() == 1; }, 5000));
    EXPECT_EQ(0, card.Stop());
    EXPECT_EQ((std::vector<Bytes>{Words({0}), Words({1})}), board.Requests());
}

class CardSimSetting : public tvtest::CleanRegistryTest
{};

TEST_F(CardSimSetting, SyncSwitchesTheUtilitysOwnValue)
{
    tvtest::RunningPeer card;
    ASSERT_TRUE(tvtest::StartCardSim(card));
    EXPECT_TRUE(card.Control().Send("sync on"));
    EXPECT_EQ(1u, tvtest::ReadRawDword(kCardKey, "SyncEnabled", 99));
    EXPECT_TRUE(card.Control().Send("sync off"));
    EXPECT_EQ(0u, tvtest::ReadRawDword(kCardKey, "SyncEnabled", 99));
    EXPECT_TRUE(card.Control().Send("sync 0x20"));
    EXPECT_EQ(0x20u, tvtest::ReadRawDword(kCardKey, "SyncEnabled", 99));
    EXPECT_TRUE(card.Control().Send("sync string 1"));
    tvtest::RawValue text = tvtest::ReadRaw(kCardKey, "SyncEnabled");
    EXPECT_TRUE(text.exists);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), text.type);
    EXPECT_TRUE(card.Control().Send("sync delete"));
    EXPECT_FALSE(tvtest::ReadRaw(kCardKey, "SyncEnabled").exists);
    EXPECT_TRUE(card.Control().Send("sync delete")) << "deleting what is not there is fine";
    EXPECT_FALSE(card.Control().Send("sync maybe"));
}

TEST(PipePeers, SysCtlSimAnswersTheOverclockRequest)
{
    tvtest::RunningPeer service;
    ASSERT_TRUE(tvtest::StartSysCtlSim(service));
    EXPECT_EQ(Words({1, 1, 0}), Call(kSysPath, Words({0x80000001}))) << "not overclocked";
    EXPECT_EQ(Words({0}), Call(kSysPath, Words({0x80000002})));
    EXPECT_EQ(Words({0}), Call(kSysPath, Bytes{1, 0, 0}));
    ASSERT_TRUE(service.Control().Send("words 7 8 9"));
    EXPECT_EQ(Words({1, 7, 8, 9}), Call(kSysPath, Words({0x80000001})));
    ASSERT_TRUE(service.Control().Send("words"));
    EXPECT_EQ(Words({1}), Call(kSysPath, Words({0x80000001})));
    ASSERT_TRUE(service.Control().Send("fail on"));
    EXPECT_EQ(Words({0}), Call(kSysPath, Words({0x80000001})));
    EXPECT_FALSE(service.Control().Send("fail maybe"));
    EXPECT_EQ(6, service.Control().Count());
    EXPECT_EQ(0, service.Stop());

    ASSERT_TRUE(tvtest::StartSysCtlSim(service, "--words 0x10,2,3 --delay 300"));
    DWORD start = GetTickCount();
    EXPECT_EQ(Words({1, 0x10, 2, 3}), Call(kSysPath, Words({0x80000001})));
    EXPECT_GE(GetTickCount() - start, 250u);
    EXPECT_EQ(0, service.Stop());
    ASSERT_TRUE(tvtest::StartSysCtlSim(service, "--fail --words none"));
    EXPECT_EQ(Words({0}), Call(kSysPath, Words({0x80000001})));
    ASSERT_TRUE(service.Control().Send("fail off"));
    EXPECT_EQ(Words({1}), Call(kSysPath, Words({0x80000001})));
}

TEST(PipePeers, APeerStopsPromptlyEvenWithARequestWaiting)
{
    tvtest::RunningPeer card;
    ASSERT_TRUE(tvtest::StartCardSim(card, "--delay 60000"));
    std::thread caller([] {
        Bytes reply(64);
        DWORD read = 0;
        // Ends with an error once the peer is gone.
        CallNamedPipeA(kCardPath, Words({0x10001003}).data(), 4, reply.data(), 64, &read, 5000);
    });
    // No ASSERT while the thread runs: leaving the test without joining it ends the program.
    EXPECT_TRUE(tvtest::WaitUntil([&] { return card.Control().Count() == 1; }, 5000));
    DWORD start = GetTickCount();
    EXPECT_EQ(0, card.Stop());
    EXPECT_LT(GetTickCount() - start, 3000u);
    caller.join();
}

TEST(PipePeers, ASecondPeerOnTheSamePipeRefusesToStart)
{
    tvtest::RunningPeer first;
    ASSERT_TRUE(tvtest::StartCardSim(first));
    EXPECT_EQ(3, ExitCode("cardsim.exe", "--control \"another control\""));
    EXPECT_TRUE(first.Running());
    EXPECT_EQ(Words({1, 0}), Call(kCardPath, Words({0x10001002})));
}

} // namespace
