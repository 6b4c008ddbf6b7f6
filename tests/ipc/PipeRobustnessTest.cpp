// Long runs against the pipe services: random traffic, clients that misbehave, and the handle
// count afterwards.
#include "ipc/QemPipeClient.h"
#include "ipc/QemPipeServerThread.h"
#include "sim/peers/kit/MessagePipeServer.h"
#include "tests/ipc/NotificationWindow.h"
#include "tests/support/Handles.h"
#include "tests/support/Peers.h"
#include "tests/support/Support.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr UINT kMessage = WM_USER + 30;
const char kBoardPath[] = "\\\\.\\pipe\\KALDO QEM MB PIPE";
constexpr DWORD kClientTimeoutMs = 300;
const DWORD kAccepted[] = {0, 1, 0x1000, 0x1001};

bool IsAccepted(DWORD code)
{
    return std::find(std::begin(kAccepted), std::end(kAccepted), code) != std::end(kAccepted);
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
    if (client != INVALID_HANDLE_VALUE) {
        DWORD mode = PIPE_READMODE_MESSAGE;
        SetNamedPipeHandleState(client, &mode, nullptr, nullptr);
    }
    return client;
}

void PutCode(std::vector<unsigned char>& request, DWORD code)
{
    for (size_t i = 0; i < 4 && i < request.size(); ++i) {
        request[i] = static_cast<unsigned char>(code >> (8 * i));
    }
}

enum class Kind
{
    Request,
    LeaveAtOnce,
    WriteAndLeave,
    Silent,
    NeverReads
};

TEST(BoardPipeRobustness, KeepsServingRandomTrafficAndMisbehavingClients)
{
    const unsigned seed = 20240611;
    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    tvtest::NotificationWindow window;
    tv::QemPipeServerThread server(kClientTimeoutMs);
    ASSERT_TRUE(server.Start(window.Handle(), kMessage));

    std::vector<Kind> plan(10000, Kind::Request);
    plan.insert(plan.end(), 200, Kind::LeaveAtOnce);
    plan.insert(plan.end(), 200, Kind::WriteAndLeave);
    plan.insert(plan.end(), 30, Kind::Silent);
    plan.insert(plan.end(), 10, Kind::NeverReads);
    std::shuffle(plan.begin(), plan.end(), random);

    std::vector<WPARAM> expected;
    std::vector<HANDLE> held;
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> percent(0, 99);
    std::uniform_int_distribution<size_t> anySize(0, 20000);
    std::uniform_int_distribution<size_t> smallSize(0, 64);
    std::uniform_int_distribution<size_t> codeIndex(0, 3);
    size_t refusedLong = 0;
    size_t served = 0;
    size_t misbehaving = 0;
    auto runStep = [&](Kind kind, size_t step, size_t forcedSize) {
        if (kind == Kind::Request) {
            size_t size = forcedSize             ? forcedSize
                          : percent(random) < 40 ? smallSize(random)
                                                 : anySize(random);
            tvsim::Bytes request(size);
            for (auto& b : request) {
                b = static_cast<unsigned char>(byte(random));
            }
            if (size >= 4 && percent(random) < 30) {
                PutCode(request, kAccepted[codeIndex(random)]);
            }
            DWORD code = tvsim::WordAt(request, 0);
            bool accept = size >= 4 && size <= 16384 && IsAccepted(code);
            tvsim::Bytes reply;
            DWORD error = 0;
            ASSERT_TRUE(tvsim::TimedCall(kBoardPath, request, reply, 10000, error))
                << "step " << step << ", " << size << " bytes: " << error;
            ASSERT_EQ(4u, reply.size()) << "step " << step;
            ASSERT_EQ(accept ? 1u : 0u, tvsim::WordAt(reply, 0))
                << "step " << step << ", " << size << " bytes, code " << code;
            if (accept) {
                expected.push_back(code);
            }
            refusedLong += size > 16384;
            ++served;
            // Clients held silent so far have been dropped by now.
            for (HANDLE handle : held) {
                CloseHandle(handle);
            }
            held.clear();
            return;
        }
        ++misbehaving;
        HANDLE client = OpenBoardClient();
        ASSERT_NE(INVALID_HANDLE_VALUE, client) << "step " << step;
        tvsim::Bytes request(4 + smallSize(random), 0x5A);
        DWORD written = 0;
        if (kind == Kind::LeaveAtOnce) {
            CloseHandle(client);
        } else if (kind == Kind::WriteAndLeave) {
            // A code the server rejects: whether a request whose writer has gone is still read
            // differs between systems, and must not blur the count of posts.
            PutCode(request, 0x7000 + static_cast<DWORD>(step));
            WriteFile(client, request.data(), static_cast<DWORD>(request.size()), &written,
                      nullptr);
            CloseHandle(client);
        } else if (kind == Kind::Silent) {
            held.push_back(client);
        } else {
            // Sends a sound request and never takes the reply: the request is handled.
            DWORD code = kAccepted[codeIndex(random)];
            PutCode(request, code);
            ASSERT_TRUE(WriteFile(client, request.data(), static_cast<DWORD>(request.size()),
                                  &written, nullptr));
            expected.push_back(code);
            held.push_back(client);
        }
    };

    // Warm up with every kind of client, so that what the first of each creates once (inside
    // the system's pipe code, for instance) does not count as growth.
    const Kind kinds[] = {Kind::Request, Kind::LeaveAtOnce, Kind::WriteAndLeave, Kind::Silent,
                          Kind::Request, Kind::NeverReads,  Kind::Request};
    for (size_t i = 0; i < 3; ++i) {
        for (Kind kind : kinds) {
            runStep(kind, 0, 0);
        }
        runStep(Kind::Request, 0, 18000);
        runStep(Kind::Request, 0, 100);
    }
    ASSERT_FALSE(HasFatalFailure());
    window.Pump();
    long baseline = tvtest::CountProcessHandles();
    ASSERT_GT(baseline, 0);

    DWORD start = GetTickCount();
    for (size_t step = 0; step < plan.size(); ++step) {
        runStep(plan[step], step, 0);
        ASSERT_FALSE(HasFatalFailure());
        if (step % 50 == 0) {
            window.Pump();
        }
        if (step % 2500 == 0) {
            std::printf("step %zu: %ld handles, %lu ms\n", step, tvtest::CountProcessHandles(),
                        GetTickCount() - start);
        }
    }
    for (HANDLE handle : held) {
        CloseHandle(handle);
    }
    std::printf("%zu requests (%zu over 16384 bytes) and %zu misbehaving clients in %lu ms\n",
                served, refusedLong, misbehaving, GetTickCount() - start);
    EXPECT_GT(refusedLong, 1000u);

    // Still answering, and every accepted notification posted exactly once, in order.
    tvsim::Bytes last(4, 0);
    PutCode(last, 0x1001);
    tvsim::Bytes reply;
    DWORD error = 0;
    ASSERT_TRUE(tvsim::TimedCall(kBoardPath, last, reply, 10000, error));
    EXPECT_EQ(1u, tvsim::WordAt(reply, 0));
    expected.push_back(0x1001);
    ASSERT_TRUE(window.WaitFor(expected.size(), 10000))
        << window.Pump().size() << " of " << expected.size();
    const auto& messages = window.Settle(500);
    std::vector<WPARAM> posted;
    for (const auto& message : messages) {
        posted.push_back(message.wParam);
    }
    EXPECT_EQ(expected.size(), posted.size());
    EXPECT_TRUE(expected == posted) << "posted codes differ from the accepted requests";

    long after = tvtest::CountProcessHandles();
    std::printf("handles: %ld before, %ld after\n", baseline, after);
    EXPECT_LE(after, baseline + 2);
    server.Stop();
}

TEST(PipeClientRobustness, ManyCallsLeaveNoThreadOrHandleBehind)
{
    tvtest::RunningPeer card;
    ASSERT_TRUE(tvtest::StartCardSim(card));
    tv::QemPipeClient& client = tv::QemPipeClient::Instance();
    DWORD bits = 0;
    DWORD milliwatts = 0;
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(client.GetCardCapabilities(bits, milliwatts));
    }
    long baseline = tvtest::CountProcessHandles();
    ASSERT_GT(baseline, 0);
    ASSERT_TRUE(card.Control().Send("fail 0x10001002"));
    for (int i = 0; i < 1000; ++i) {
        int mode = 0;
        if (i % 2) {
            ASSERT_TRUE(client.GetCardCapabilities(bits, milliwatts)) << i;
        } else {
            ASSERT_FALSE(client.GetCardMode(mode)) << i;
        }
    }
    long after = tvtest::CountProcessHandles();
    std::printf("handles: %ld before, %ld after 1000 calls\n", baseline, after);
    EXPECT_LE(after, baseline + 2);
    EXPECT_EQ(1020, card.Control().Count());
}

} // namespace
