#include "ipc/QemPipeServer.h"
#include "ipc/QemPipeServerThread.h"
#include "tests/ipc/NotificationWindow.h"
#include "tests/support/Handles.h"
#include "tests/support/Peers.h"
#include "tests/support/Support.h"

#include <aclapi.h>
#include <gtest/gtest.h>
#include <atomic>
#include <thread>
#include <vector>

namespace {

constexpr UINT kMessage = WM_USER + 30;
const char kBoardPath[] = "\\\\.\\pipe\\KALDO QEM MB PIPE";
// Short, so that silent clients cost the tests little.
constexpr DWORD kClientTimeoutMs = 400;

struct Reply
{
    bool ok = false;
    DWORD error = 0;
    std::vector<unsigned char> bytes;
    DWORD Status() const { return bytes.size() >= 4 ? tvsim::WordAt(bytes, 0) : 0xFFFFFFFF; }
};

// A client of the board pipe, independent of the code under test.
Reply CallBoard(const std::vector<unsigned char>& request)
{
    Reply reply;
    reply.bytes.assign(256, 0);
    DWORD read = 0;
    reply.ok = CallNamedPipeA(kBoardPath, const_cast<unsigned char*>(request.data()),
                              static_cast<DWORD>(request.size()), reply.bytes.data(), 256, &read,
                              10000) != FALSE;
    reply.error = reply.ok ? 0 : GetLastError();
    reply.bytes.resize(read);
    return reply;
}

std::vector<unsigned char> Request(DWORD code, size_t size)
{
    std::vector<unsigned char> request(size, 0xEE);
    for (size_t i = 0; i < 4 && i < size; ++i) {
        request[i] = static_cast<unsigned char>(code >> (8 * i));
    }
    return request;
}

HANDLE OpenBoardClient()
{
    HANDLE client = INVALID_HANDLE_VALUE;
    tvtest::WaitUntil(
        [&] {
            client = CreateFileA(kBoardPath, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
            return client != INVALID_HANDLE_VALUE;
        },
        5000);
    if (client != INVALID_HANDLE_VALUE) {
        DWORD mode = PIPE_READMODE_MESSAGE;
        SetNamedPipeHandleState(client, &mode, nullptr, nullptr);
    }
    return client;
}

std::vector<WPARAM> Codes(const std::vector<tvtest::PostedMessage>& messages)
{
    std::vector<WPARAM> codes;
    for (const auto& posted : messages) {
        EXPECT_EQ(kMessage, posted.message);
        EXPECT_EQ(0, posted.lParam);
        codes.push_back(posted.wParam);
    }
    return codes;
}

class BoardPipeServer : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_server.Start(m_window.Handle(), kMessage)); }
    void TearDown() override { m_server.Stop(); }

    tvtest::NotificationWindow m_window;
    tv::QemPipeServerThread m_server{kClientTimeoutMs};
};

TEST_F(BoardPipeServer, PostsEachNotificationOfTheCardUtilityOnce)
{
    tvtest::RunningPeer card;
    ASSERT_TRUE(tvtest::StartCardSim(card));
    for (const char* code : {"0", "1", "0x1000", "0x1001"}) {
        std::string reply;
        EXPECT_TRUE(card.Control().Send(std::string("notify ") + code, &reply));
        EXPECT_EQ("ok 1 4", reply) << "notification " << code;
    }
    ASSERT_TRUE(m_window.WaitFor(4, 5000));
    EXPECT_EQ((std::vector<WPARAM>{0, 1, 0x1000, 0x1001}), Codes(m_window.Settle()));
}

TEST_F(BoardPipeServer, RejectsShortAndUnknownRequestsWithStatusZero)
{
    tvtest::RunningPeer card;
    ASSERT_TRUE(tvtest::StartCardSim(card));
    tvtest::TraceCapture trace;
    std::string reply;
    EXPECT_TRUE(card.Control().Send("notify 0 3", &reply));
    EXPECT_EQ("ok 0 4", reply) << "a 3-byte request";
    EXPECT_EQ(0u, trace.Count("can not handle"));
    EXPECT_TRUE(card.Control().Send("notify 2", &reply));
    EXPECT_EQ("ok 0 4", reply);
    EXPECT_TRUE(card.Control().Send("notify 0x10001001 8", &reply));
    EXPECT_EQ("ok 0 4", reply);
    Reply empty = CallBoard({});
    EXPECT_TRUE(empty.ok);
    EXPECT_EQ(0u, empty.Status());
    EXPECT_TRUE(m_window.Settle().empty());
    auto lines = trace.Lines();
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("~~~[QEM PIPE Service] MB Pipe Server can not handle the command 2", lines[0]);
    EXPECT_EQ("~~~[QEM PIPE Service] MB Pipe Server can not handle the command 10001001", lines[1]);
}

TEST_F(BoardPipeServer, IgnoresTheBytesAfterTheCode)
{
    Reply reply = CallBoard(Request(0x1001, 64));
    EXPECT_TRUE(reply.ok);
    EXPECT_EQ(4u, reply.bytes.size());
    EXPECT_EQ(1u, reply.Status());
    reply = CallBoard(Request(1, 16384));
    EXPECT_EQ(1u, reply.Status()) << "a request that just fits is served";
    ASSERT_TRUE(m_window.WaitFor(2, 5000));
    EXPECT_EQ((std::vector<WPARAM>{0x1001, 1}), Codes(m_window.Settle()));
}

TEST_F(BoardPipeServer, RefusesARequestLongerThanItsBufferAndKeepsServing)
{
    tvtest::TraceCapture trace;
    for (size_t size : {16385u, 20000u, 70000u}) {
        Reply reply = CallBoard(Request(0, size));
        EXPECT_TRUE(reply.ok) << size << " bytes: " << reply.error;
        EXPECT_EQ(4u, reply.bytes.size());
        EXPECT_EQ(0u, reply.Status());
    }
    EXPECT_TRUE(m_window.Settle().empty()) << "nothing of a refused request is posted";
    EXPECT_EQ(3u, trace.Count("~~~[QEM PIPE Service] MB Pipe Server refused a request longer "
                              "than 16384 bytes"));
    EXPECT_EQ(1u, CallBoard(Request(0x1000, 4)).Status());
    ASSERT_TRUE(m_window.WaitFor(1, 5000));
    EXPECT_EQ((std::vector<WPARAM>{0x1000}), Codes(m_window.Settle()));
}

TEST_F(BoardPipeServer, ASilentClientIsDisconnectedAndTheNextOneServed)
{
    tvtest::TraceCapture trace;
    DWORD start = GetTickCount();
    HANDLE silent = OpenBoardClient();
    ASSERT_NE(INVALID_HANDLE_VALUE, silent);
    Reply reply = CallBoard(Request(0, 4));
    DWORD elapsed = GetTickCount() - start;
    EXPECT_TRUE(reply.ok) << reply.error;
    EXPECT_EQ(1u, reply.Status());
    EXPECT_GE(elapsed + 20, kClientTimeoutMs) << "served only once the silent one was dropped";
    EXPECT_LT(elapsed, 5000u);
    EXPECT_EQ(1u, trace.Count("~~~[QEM PIPE Service] MB Pipe Server disconnected a client silent "
                              "for 400 ms"));
    // The silent client finds itself disconnected.
    DWORD code = 0;
    DWORD written = 0;
    EXPECT_FALSE(WriteFile(silent, &code, 4, &written, nullptr));
    CloseHandle(silent);
    ASSERT_TRUE(m_window.WaitFor(1, 5000));
    EXPECT_EQ((std::vector<WPARAM>{0}), Codes(m_window.Settle()));
}

TEST_F(BoardPipeServer, AClientThatNeverTakesItsReplyDoesNotHoldThePipe)
{
    HANDLE client = OpenBoardClient();
    ASSERT_NE(INVALID_HANDLE_VALUE, client);
    // The request itself is sound: it is handled; only the reply is left lying.
    std::vector<unsigned char> request = Request(1, 4);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(client, request.data(), 4, &written, nullptr));
    DWORD start = GetTickCount();
    Reply reply = CallBoard(Request(0x1001, 4));
    EXPECT_TRUE(reply.ok) << reply.error;
    EXPECT_EQ(1u, reply.Status());
    EXPECT_LT(GetTickCount() - start, 5000u);
    CloseHandle(client);
    ASSERT_TRUE(m_window.WaitFor(2, 5000));
    EXPECT_EQ((std::vector<WPARAM>{1, 0x1001}), Codes(m_window.Settle()));
}

TEST_F(BoardPipeServer, AClientThatLeavesAtOnceChangesNothing)
{
    for (int i = 0; i < 5; ++i) {
        HANDLE client = OpenBoardClient();
        ASSERT_NE(INVALID_HANDLE_VALUE, client);
        CloseHandle(client);
    }
    EXPECT_EQ(1u, CallBoard(Request(0, 4)).Status());
    ASSERT_TRUE(m_window.WaitFor(1, 5000));
    EXPECT_EQ((std::vector<WPARAM>{0}), Codes(m_window.Settle()));
}

TEST_F(BoardPipeServer, ASecondServerCannotTakeThePipe)
{
    tvtest::TraceCapture trace;
    tv::QemPipeServerThread second;
    EXPECT_FALSE(second.Start(m_window.Handle(), kMessage));
    EXPECT_FALSE(second.IsRunning());
    EXPECT_TRUE(trace.Contains("[BasicNamedPipe::Create] failed! GetLastError returned 231"));
    EXPECT_TRUE(m_server.IsRunning());
    EXPECT_EQ(1u, CallBoard(Request(1, 4)).Status());
}

// Any local user may notify the program (an empty DACL); one message-mode instance with 16384-byte
// buffers.
TEST_F(BoardPipeServer, ThePipeIsOneOpenMessagePipe)
{
    HANDLE client = INVALID_HANDLE_VALUE;
    tvtest::WaitUntil(
        [&] {
            client = CreateFileA(kBoardPath, GENERIC_READ | GENERIC_WRITE | READ_CONTROL, 0,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
            return client != INVALID_HANDLE_VALUE;
        },
        5000);
    ASSERT_NE(INVALID_HANDLE_VALUE, client) << GetLastError();
    DWORD flags = 0, outSize = 0, inSize = 0, instances = 0;
    ASSERT_TRUE(GetNamedPipeInfo(client, &flags, &outSize, &inSize, &instances));
    EXPECT_TRUE(flags & PIPE_TYPE_MESSAGE);
    EXPECT_EQ(1u, instances);
    EXPECT_EQ(16384u, outSize);
    EXPECT_EQ(16384u, inSize);

    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS),
              GetSecurityInfo(client, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                              &dacl, nullptr, &descriptor));
    BOOL present = FALSE, defaulted = FALSE;
    PACL stored = nullptr;
    EXPECT_TRUE(GetSecurityDescriptorDacl(descriptor, &present, &stored, &defaulted));
    EXPECT_TRUE(present);
    EXPECT_EQ(nullptr, stored) << "a DACL that grants access to everyone is no DACL at all";
    LocalFree(descriptor);
    CloseHandle(client);
    EXPECT_EQ(1u, CallBoard(Request(0x1000, 4)).Status());
}

// The server stops without waiting on a client, in whatever step of a conversation it is: every
// wait of its thread ends on the stop.
TEST_F(BoardPipeServer, StopEndsTheServerAlsoDuringASilentConversation)
{
    HANDLE silent = OpenBoardClient();
    ASSERT_NE(INVALID_HANDLE_VALUE, silent);
    Sleep(50);
    DWORD start = GetTickCount();
    m_server.Stop();
    EXPECT_LT(GetTickCount() - start, 300u) << "not the client's 400 ms";
    EXPECT_FALSE(m_server.IsRunning());
    CloseHandle(silent);
    // The name is free again.
    Reply reply = CallBoard(Request(0, 4));
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), reply.error);
    ASSERT_TRUE(m_server.Start(m_window.Handle(), kMessage));
    EXPECT_EQ(1u, CallBoard(Request(0, 4)).Status());
}

// Connect, read, reply and the client's time are all waited for on the serving thread itself: no
// second thread ever touches the pipe (a disconnect from another thread would wait behind the
// pending read of a synchronous handle on Windows, and hang).
TEST(BoardPipeServerThreads, OneThreadServesThePipe)
{
    tvtest::NotificationWindow window;
    int before = tvtest::CountProcessThreads();
    {
        tv::QemPipeServerThread server(kClientTimeoutMs);
        ASSERT_TRUE(server.Start(window.Handle(), kMessage));
        EXPECT_EQ(before + 1, tvtest::CountProcessThreads());
        HANDLE silent = OpenBoardClient();
        ASSERT_NE(INVALID_HANDLE_VALUE, silent);
        EXPECT_EQ(1u, CallBoard(Request(0x1001, 4)).Status()) << "after the silent one's time";
        EXPECT_EQ(before + 1, tvtest::CountProcessThreads());
        CloseHandle(silent);
        server.Stop();
    }
    EXPECT_TRUE(tvtest::WaitUntil([&] { return tvtest::CountProcessThreads() == before; }, 2000));
}

// A client that connects and leaves before the server listens leaves the instance in a state
// where every connect fails at once (ERROR_NO_DATA) until the server disconnects it.
TEST(BoardPipeServerLoop, RecoversFromAClientThatLeftBeforeItListenedWithoutSpinning)
{
    tvtest::NotificationWindow window;
    tv::QemPipeServer server(window.Handle(), kMessage, kClientTimeoutMs);
    ASSERT_TRUE(server.Create());
    HANDLE early = OpenBoardClient();
    ASSERT_NE(INVALID_HANDLE_VALUE, early);
    CloseHandle(early);

    tvtest::TraceCapture trace;
    bool served = false;
    std::atomic<bool> done{false};
    std::thread loop([&] {
        served = server.ServeNextClient();
        done = true;
    });
    Sleep(500);
    EXPECT_EQ(1u, trace.Count("[BasicNamedPipe<char_t>::ConnectClient] failed, GetLastError "
                              "returned 232"))
        << "one failure, then the server waits for a client instead of retrying";
    Reply reply = CallBoard(Request(0x1000, 4));
    if (!tvtest::WaitUntil([&] { return done.load(); }, 10000)) {
        // The call never reached it: the loop still waits for a client.
        ADD_FAILURE() << "the server loop did not serve the call";
        while (!done) {
            server.RequestStop();
            Sleep(50);
        }
    }
    loop.join();
    EXPECT_TRUE(served);
    EXPECT_EQ(1u, reply.Status());
    ASSERT_TRUE(window.WaitFor(1, 5000));
    EXPECT_EQ((std::vector<WPARAM>{0x1000}), Codes(window.Settle()));
    server.RequestStop();
}

TEST(BoardPipeServerLoop, RequestsAreJudgedByTheirFirstWord)
{
    tvtest::NotificationWindow window;
    tv::QemPipeServer server(window.Handle(), kMessage);
    tvtest::TraceCapture trace;
    const unsigned char three[] = {0, 0, 0};
    EXPECT_EQ(0u, server.HandleRequest(three, 3));
    const unsigned char accepted[] = {0x01, 0x10, 0, 0, 9, 9};
    EXPECT_EQ(1u, server.HandleRequest(accepted, 6));
    const unsigned char other[] = {0x02, 0x10, 0, 0};
    EXPECT_EQ(0u, server.HandleRequest(other, 4));
    ASSERT_TRUE(window.WaitFor(1, 2000));
    EXPECT_EQ((std::vector<WPARAM>{0x1001}), Codes(window.Settle(100)));
    auto lines = trace.Lines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("~~~[QEM PIPE Service] MB Pipe Server can not handle the command 1002", lines[0]);
}

} // namespace
