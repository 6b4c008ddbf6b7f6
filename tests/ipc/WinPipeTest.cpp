#include "lumo/System/Source/WinPipe.h"
#include "tests/support/Support.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using Pipe = lumo::BasicNamedPipe<char>;

const char kName[] = "tetravolt test transport";
const char kPath[] = "\\\\.\\pipe\\tetravolt test transport";

bool CreateServer(Pipe& pipe, DWORD instances = 1)
{
    return pipe.Create(kName, PIPE_ACCESS_DUPLEX,
                       PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, instances, 4096, 4096,
                       0, nullptr);
}

HANDLE OpenClient()
{
    HANDLE client =
        CreateFileA(kPath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (client != INVALID_HANDLE_VALUE) {
        DWORD mode = PIPE_READMODE_MESSAGE;
        SetNamedPipeHandleState(client, &mode, nullptr, nullptr);
    }
    return client;
}

std::string Line(const char* format, int error)
{
    char text[200];
    std::snprintf(text, sizeof text, format, error);
    return text;
}

TEST(BasicNamedPipe, CloseOnANeverOpenedPipeSucceedsSilently)
{
    tvtest::TraceCapture trace;
    Pipe pipe;
    EXPECT_FALSE(pipe.IsOpen());
    EXPECT_TRUE(pipe.Close());
    EXPECT_TRUE(trace.Lines().empty());
}

TEST(BasicNamedPipe, CreateServesTheLocalNameAndIsTheServerEnd)
{
    tvtest::TraceCapture trace;
    Pipe pipe;
    ASSERT_TRUE(CreateServer(pipe));
    EXPECT_TRUE(pipe.IsOpen());
    EXPECT_TRUE(pipe.IsServerPipe());
    HANDLE client = OpenClient();
    ASSERT_NE(INVALID_HANDLE_VALUE, client) << GetLastError();
    // The client connected before the server listened: still a success, and no trace.
    EXPECT_TRUE(pipe.ConnectClient());
    CloseHandle(client);
    EXPECT_TRUE(pipe.Close());
    EXPECT_FALSE(pipe.IsOpen());
    EXPECT_TRUE(trace.Lines().empty());
}

TEST(BasicNamedPipe, ServesClientsOneAfterAnotherOnOneHandle)
{
    Pipe pipe;
    ASSERT_TRUE(CreateServer(pipe));
    for (int round = 0; round < 3; ++round) {
        DWORD request = 0x100 + round;
        DWORD reply[4] = {};
        DWORD replied = 0;
        BOOL called = FALSE;
        std::thread client([&] {
            called = CallNamedPipeA(kPath, &request, sizeof request, reply, sizeof reply, &replied,
                                    5000);
        });
        ASSERT_TRUE(pipe.ConnectClient());
        DWORD got = 0;
        DWORD read = 0;
        ASSERT_TRUE(pipe.Read(&got, sizeof got, &read));
        EXPECT_EQ(4u, read);
        EXPECT_EQ(request, got);
        DWORD answer[2] = {1, got * 2};
        DWORD written = 0;
        EXPECT_TRUE(pipe.Write(answer, sizeof answer, &written));
        EXPECT_EQ(8u, written);
        EXPECT_TRUE(pipe.Flush());
        client.join();
        EXPECT_TRUE(pipe.DisconnectClient());
        EXPECT_TRUE(called);
        EXPECT_EQ(8u, replied);
        EXPECT_EQ(1u, reply[0]);
        EXPECT_EQ(request * 2, reply[1]);
    }
}

TEST(BasicNamedPipe, FailuresAreTracedWithTheSystemError)
{
    Pipe pipe;
    ASSERT_TRUE(CreateServer(pipe));
    tvtest::TraceCapture trace;

    // Only one instance may exist.
    Pipe second;
    EXPECT_FALSE(CreateServer(second));
    EXPECT_FALSE(second.IsOpen());

    // Disconnecting a pipe that is only listening.
    EXPECT_FALSE(pipe.DisconnectClient());
    DWORD disconnectError = GetLastError();

    HANDLE client = OpenClient();
    ASSERT_NE(INVALID_HANDLE_VALUE, client);
    ASSERT_TRUE(pipe.ConnectClient());
    CloseHandle(client);
    char buffer[16];
    DWORD read = 99;
    EXPECT_FALSE(pipe.Read(buffer, sizeof buffer, &read));
    EXPECT_EQ(static_cast<DWORD>(ERROR_BROKEN_PIPE), GetLastError());
    DWORD written = 0;
    EXPECT_FALSE(pipe.Write("abcd", 4, &written));
    DWORD writeError = GetLastError();
    EXPECT_TRUE(pipe.DisconnectClient());

    auto lines = trace.Lines();
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ("[BasicNamedPipe::Create] failed! GetLastError returned 231", lines[0]);
    EXPECT_EQ(Line("[BasicNamedPipe<char_t>::DisconnectClient] failed, GetLastError returned %d",
                   static_cast<int>(disconnectError)),
              lines[1]);
    // The trailing line feed of the format gives way to the CR LF of every trace line.
    EXPECT_EQ("[BasicNamedPipe<char_t>::Read] failed, GetLastError returned 109", lines[2]);
    EXPECT_EQ(Line("[BasicNamedPipe<char_t>::Write] failed, GetLastError returned %d",
                   static_cast<int>(writeError)),
              lines[3]);
    EXPECT_NE(0u, disconnectError);
    EXPECT_NE(0u, writeError);
}

TEST(BasicNamedPipe, CloseOfAHandleLostElsewhereIsTracedAndForgotten)
{
    Pipe pipe;
    ASSERT_TRUE(CreateServer(pipe));
    CloseHandle(pipe.Handle());
    tvtest::TraceCapture trace;
    EXPECT_FALSE(pipe.Close());
    EXPECT_FALSE(pipe.IsOpen());
    // The destructor's Close must not close the value again: it may belong to someone else now.
    EXPECT_TRUE(pipe.Close());
    auto lines = trace.Lines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("[BasicNamedPipe::Close] failed! GetLastError returned 6", lines[0]);
}

TEST(BasicNamedPipe, FlushAndServerEndQueryFailuresAreTraced)
{
    Pipe pipe;
    ASSERT_TRUE(CreateServer(pipe));
    ASSERT_TRUE(CloseHandle(pipe.Handle()));
    tvtest::TraceCapture trace;
    EXPECT_FALSE(pipe.Flush());
    EXPECT_FALSE(pipe.IsServerPipe());
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_FALSE(pipe.Close());
    auto lines = trace.Lines();
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ("[BasicNamedPipe<char_t>::Flush] failed, GetLastError returned 6", lines[0]);
    EXPECT_EQ("[BasicNamedPipe<char_t>::IsServerPipe] failed, GetLastError returned 6", lines[1]);
    EXPECT_EQ("[BasicNamedPipe::Close] failed! GetLastError returned 6", lines[2]);
}

TEST(BasicNamedPipe, ReadOfALongerMessageGivesTheBufferfulAndMoreData)
{
    Pipe pipe;
    ASSERT_TRUE(CreateServer(pipe));
    HANDLE client = OpenClient();
    ASSERT_NE(INVALID_HANDLE_VALUE, client);
    ASSERT_TRUE(pipe.ConnectClient());
    std::vector<char> message(100);
    for (size_t i = 0; i < message.size(); ++i) {
        message[i] = static_cast<char>(i);
    }
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(client, message.data(), 100, &written, nullptr));
    tvtest::TraceCapture trace;
    char buffer[60];
    DWORD read = 0;
    EXPECT_FALSE(pipe.Read(buffer, sizeof buffer, &read));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MORE_DATA), GetLastError());
    EXPECT_EQ(60u, read);
    EXPECT_EQ(0, std::memcmp(buffer, message.data(), 60));
    EXPECT_TRUE(pipe.Read(buffer, sizeof buffer, &read));
    EXPECT_EQ(40u, read);
    EXPECT_EQ(0, std::memcmp(buffer, message.data() + 60, 40));
    ASSERT_EQ(1u, trace.Lines().size());
    EXPECT_EQ("[BasicNamedPipe<char_t>::Read] failed, GetLastError returned 234", trace.Lines()[0]);
    CloseHandle(client);
}

TEST(BasicNamedPipe, CallToAPipeNobodyServesFailsWithFileNotFound)
{
    tvtest::TraceCapture trace;
    DWORD request = 1;
    char reply[16];
    DWORD read = 77;
    EXPECT_FALSE(Pipe::Call(".", "tetravolt nobody serves this", &request, sizeof request, reply,
                            sizeof reply, &read, NMPWAIT_WAIT_FOREVER));
    EXPECT_EQ(0u, read);
    auto lines = trace.Lines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("[BasicNamedPipe<char_t>::Call] failed, GetLastError returned 2", lines[0]);
}

// A server answering every request with reply bytes.
void ServeOnce(Pipe& pipe, const std::vector<char>& reply, std::vector<char>& request)
{
    ASSERT_TRUE(pipe.ConnectClient());
    request.assign(4096, 0);
    DWORD read = 0;
    ASSERT_TRUE(pipe.Read(request.data(), 4096, &read));
    request.resize(read);
    DWORD written = 0;
    pipe.Write(reply.data(), static_cast<DWORD>(reply.size()), &written);
    pipe.Flush();
    pipe.DisconnectClient();
}

TEST(BasicNamedPipe, CallAddressesTheLocalServerAndCountsACutReply)
{
    Pipe pipe;
    ASSERT_TRUE(CreateServer(pipe));
    std::vector<char> seen;
    std::vector<char> reply(300);
    for (size_t i = 0; i < reply.size(); ++i) {
        reply[i] = static_cast<char>(i * 7);
    }
    std::thread server([&] { ServeOnce(pipe, reply, seen); });
    tvtest::TraceCapture trace;
    const char request[] = "hello";
    std::vector<char> got(256, 0);
    DWORD read = 0;
    EXPECT_FALSE(Pipe::Call(".", kName, request, 5, got.data(), 256, &read, NMPWAIT_WAIT_FOREVER));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MORE_DATA), GetLastError());
    server.join();
    EXPECT_EQ(std::string("hello"), std::string(seen.begin(), seen.end()));
    EXPECT_EQ(256u, read) << "the bytes of a cut reply are counted";
    EXPECT_EQ(0, std::memcmp(got.data(), reply.data(), 256));
    EXPECT_EQ(1u, trace.Count("[BasicNamedPipe<char_t>::Call] failed, GetLastError returned 234"))
        << testing::PrintToString(trace.Lines());

    // A reply that fits.
    reply.resize(12);
    std::thread again([&] { ServeOnce(pipe, reply, seen); });
    EXPECT_TRUE(Pipe::Call(".", kName, request, 3, got.data(), 256, &read, 5000));
    again.join();
    EXPECT_EQ(12u, read);
    EXPECT_EQ(std::string("hel"), std::string(seen.begin(), seen.end()));
}

TEST(BasicNamedPipeDeathTest, OperationsOnAClosedPipeAreProgrammingErrors)
{
    Pipe pipe;
    char buffer[4];
    DWORD count = 0;
    const char* expected = "Assertion failed: IsOpen\\(\\), file lumo/System/Source/WinPipe.cpp, "
                           "line \\d+";
    EXPECT_DEATH(pipe.Flush(), expected);
    EXPECT_DEATH(pipe.Read(buffer, 4, &count), expected);
    EXPECT_DEATH(pipe.Write(buffer, 4, &count), expected);
    EXPECT_DEATH(pipe.ConnectClient(), expected);
    EXPECT_DEATH(pipe.DisconnectClient(), expected);
    EXPECT_DEATH(pipe.IsServerPipe(), expected);
}

TEST(BasicNamedPipeDeathTest, CreateNeedsAClosedPipeAndAName)
{
    const char* expected = "Assertion failed: !IsOpen\\(\\) && name != NULL, file "
                           "lumo/System/Source/WinPipe.cpp, line \\d+";
    Pipe unnamed;
    EXPECT_DEATH(
        unnamed.Create(nullptr, PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE, 1, 16, 16, 0, nullptr),
        expected);
    Pipe pipe;
    ASSERT_TRUE(CreateServer(pipe, 2));
    EXPECT_DEATH(CreateServer(pipe, 2), expected);
}

} // namespace
