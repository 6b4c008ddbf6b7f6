// peerwin.exe: a window of the given class and title, visible or hidden, that records what it
// receives at or above WM_USER, in order, and ends on request or with its parent.
#include "sim/peers/peerwin/PeerWindow.h"
#include "tests/sim/SimTest.h"

using simpeer::PeerMessage;
using simpeer::PeerWindow;

namespace {

std::vector<std::vector<int64_t>> Flat(const std::vector<PeerMessage>& messages)
{
    std::vector<std::vector<int64_t>> flat;
    for (const PeerMessage& message : messages) {
        flat.push_back({static_cast<int64_t>(message.message), static_cast<int64_t>(message.wParam),
                        message.lParam});
    }
    return flat;
}

TEST(PeerWinTest, VisibleWindowOfClassAndTitle)
{
    PeerWindow peer;
    ASSERT_TRUE(peer.Start("TApplication", "VoltTurn", true));
    EXPECT_EQ(FindWindowA("TApplication", "VoltTurn"), peer.Window());
    EXPECT_NE(GetWindowLongA(peer.Window(), GWL_STYLE) & WS_VISIBLE, 0);
    DWORD owner = 0;
    GetWindowThreadProcessId(peer.Window(), &owner);
    EXPECT_EQ(owner, peer.ProcessId());
    EXPECT_EQ(peer.Stop(), 0);
    EXPECT_EQ(FindWindowA("TApplication", "VoltTurn"), nullptr);
}

TEST(PeerWinTest, HiddenWindowIsFoundButNotVisible)
{
    PeerWindow peer;
    ASSERT_TRUE(peer.Start("TMainForm", "Opti Doze", false));
    HWND window = FindWindowA("TMainForm", "Opti Doze");
    EXPECT_EQ(window, peer.Window());
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE, 0);
}

TEST(PeerWinTest, RecordsUserMessagesInOrder)
{
    PeerWindow peer;
    ASSERT_TRUE(peer.Start("TMainForm", "Opti Suite", true, 7));
    HWND window = peer.Window();
    UINT broadcast = RegisterWindowMessageA("WM_KALDO_BROADCAST_MESSAGE");
    ASSERT_GE(broadcast, 0xC000u);

    EXPECT_EQ(tvtest::SendWithin(window, WM_USER + 16, 85, 1), 7);
    EXPECT_EQ(Flat(peer.Messages()), (std::vector<std::vector<int64_t>>{{1040, 85, 1}}));
    tvtest::SendWithin(window, WM_USER - 1, 1, 2); // below WM_USER: not recorded
    tvtest::SendWithin(window, WM_NULL, 0, 0);
    ASSERT_TRUE(PostMessageA(window, WM_USER + 1, 85, 0));
    ASSERT_TRUE(PostMessageA(window, WM_USER + 3, 0x1255, -1));
    ASSERT_TRUE(PostMessageA(window, broadcast, 0x55, 0x12345678));
    ASSERT_TRUE(peer.WaitForMessages(4, 10000));
    EXPECT_EQ(
        Flat(peer.Messages()),
        (std::vector<std::vector<int64_t>>{
            {1040, 85, 1}, {1025, 85, 0}, {1027, 0x1255, -1}, {broadcast, 0x55, 0x12345678}}));

    // Stamped from the board in the order they came.
    std::vector<PeerMessage> messages = peer.Messages();
    for (size_t i = 1; i < messages.size(); ++i) {
        EXPECT_TRUE(simboard::Before(messages[i - 1], messages[i])) << i;
        EXPECT_LE(messages[i - 1].ms, messages[i].ms);
    }

    peer.ClearMessages();
    EXPECT_TRUE(peer.Messages().empty());
    const uint32_t mark = simboard::LastSequence();
    tvtest::SendWithin(window, WM_USER + 3, 86, 0);
    EXPECT_EQ(Flat(peer.Messages()), (std::vector<std::vector<int64_t>>{{1027, 86, 0}}));
    EXPECT_EQ(peer.Messages().at(0).sequence, mark + 1);
}

TEST(PeerWinTest, EndsWithItsParent)
{
    PeerWindow parent;
    ASSERT_TRUE(parent.Start("TvPeerParent", "parent", false));
    std::string program = simtest::StagePath("peerwin.exe");
    std::string line = "\"" + program + "\" --class TvPeerChild --title child --hidden --parent " +
                       std::to_string(parent.ProcessId());
    std::vector<char> mutableLine(line.begin(), line.end());
    mutableLine.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    ASSERT_TRUE(tvtest::StartInTestJob(program.c_str(), mutableLine.data(), FALSE, 0, nullptr,
                                       startup, child));
    CloseHandle(child.hThread);
    EXPECT_NE(tvtest::WaitForWindow("TvPeerChild", "child", 10000), nullptr);
    EXPECT_EQ(parent.Stop(), 0);
    bool ended = WaitForSingleObject(child.hProcess, 10000) == WAIT_OBJECT_0;
    EXPECT_TRUE(ended);
    if (!ended) {
        TerminateProcess(child.hProcess, 1);
    }
    CloseHandle(child.hProcess);
}

TEST(PeerWinTest, UsageErrorWithoutClass)
{
    simtest::Captured run = simtest::RunCaptured(simtest::StagePath("peerwin.exe"), "--title x");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err.find("usage: peerwin"), 0u) << run.err;
    EXPECT_EQ(run.out, "");
}

TEST(PeerWinTest, HelpGoesToStandardOutput)
{
    for (const char* help : {"--help", "-h", "/?", "--class X --help"}) {
        simtest::Captured run = simtest::RunCaptured(simtest::StagePath("peerwin.exe"), help);
        EXPECT_EQ(run.exitCode, 0) << help;
        EXPECT_EQ(run.out.find("usage: peerwin"), 0u) << help << ": " << run.out;
        EXPECT_NE(run.out.find("--lifetime"), std::string::npos) << help;
        EXPECT_EQ(run.err, "") << help;
    }
    EXPECT_EQ(FindWindowA("X", nullptr), nullptr);
}

} // namespace
