// The test equipment's own promises: a hung test ends its program with its name told, and the
// processes a test started end with their test program, however it ends.
#include "sim/peers/PeerControl.h"
#include "tests/support/Peers.h"
#include "tests/support/Support.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const char kControl[] = "tetravolt equipment control";
const char kHungTest[] = "Hung.DISABLED_StartsAPeerAndWaitsForever";

// Run only by the tests below, in a second copy of this program.
TEST(Hung, DISABLED_StartsAPeerAndWaitsForever)
{
    tvtest::RunningPeer peer;
    ASSERT_TRUE(peer.Start("cardsim.exe", kControl));
    std::printf("peer running\n");
    Sleep(INFINITE);
}

// A second copy of this program running the hung test, its output going to a file.
class HungCopy
{
public:
    // limitSeconds: the watchdog's limit in the copy ("0": none).
    bool Start(const char* limitSeconds)
    {
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        m_output =
            CreateFileA((m_dir.Path() + "output.txt").c_str(), GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS, 0, nullptr);
        if (m_output == INVALID_HANDLE_VALUE) {
            return false;
        }
        char self[MAX_PATH] = "";
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        std::string line = std::string("\"") + self +
                           "\" --gtest_also_run_disabled_tests --gtest_filter=" + kHungTest;
        std::vector<char> mutableLine(line.begin(), line.end());
        mutableLine.push_back('\0');
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = nullptr;
        startup.hStdOutput = m_output;
        startup.hStdError = m_output;
        PROCESS_INFORMATION info = {};
        SetEnvironmentVariableA("TV_TEST_LIMIT_S", limitSeconds);
        bool started = tvtest::StartInTestJob(self, mutableLine.data(), TRUE, CREATE_NO_WINDOW,
                                              tvtest::StageDir().c_str(), startup, info);
        SetEnvironmentVariableA("TV_TEST_LIMIT_S", nullptr);
        if (!started) {
            return false;
        }
        CloseHandle(info.hThread);
        m_process = info.hProcess;
        return true;
    }
    ~HungCopy()
    {
        if (m_process) {
            TerminateProcess(m_process, 1);
            WaitForSingleObject(m_process, 5000);
            CloseHandle(m_process);
        }
        if (m_output != INVALID_HANDLE_VALUE) {
            CloseHandle(m_output);
        }
        // Whatever happened, no peer may stay behind for the next tests.
        tvsim::PeerControl(kControl).Send("quit", nullptr, 1000);
    }
    HANDLE Handle() const { return m_process; }
    // Exit code, or -1 while it runs after timeoutMs.
    long Wait(DWORD timeoutMs) const
    {
        if (WaitForSingleObject(m_process, timeoutMs) != WAIT_OBJECT_0) {
            return -1;
        }
        DWORD code = 0;
        GetExitCodeProcess(m_process, &code);
        return static_cast<long>(code);
    }
    std::string Output() const
    {
        std::string text;
        HANDLE file = CreateFileA((m_dir.Path() + "output.txt").c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return text;
        }
        char buffer[4096];
        DWORD read = 0;
        while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
            text.append(buffer, read);
        }
        CloseHandle(file);
        return text;
    }

private:
    tvtest::TempDir m_dir;
    HANDLE m_output = INVALID_HANDLE_VALUE;
    HANDLE m_process = nullptr;
};

bool PeerAnswers()
{
    return tvsim::PeerControl(kControl).Send("ping", nullptr, 1000);
}

TEST(Watchdog, EndsAHungTestProgramAndTellsTheTest)
{
    HungCopy copy;
    // Long enough for the peer to start also on a busy machine.
    ASSERT_TRUE(copy.Start("10"));
    DWORD start = GetTickCount();
    EXPECT_EQ(3, copy.Wait(90000)) << copy.Output();
    EXPECT_GE(GetTickCount() - start, 9900u);
    std::string output = copy.Output();
    EXPECT_NE(std::string::npos, output.find("peer running")) << output;
    EXPECT_NE(std::string::npos,
              output.find(std::string("[ WATCHDOG ] ") + kHungTest + " still runs after 10 s"))
        << output;
    EXPECT_TRUE(tvtest::WaitUntil([] { return !PeerAnswers(); }, 10000))
        << "the peer outlived its test program";
}

TEST(StartedProcesses, EndWithTheirTestProgramWhenItIsKilled)
{
    HungCopy copy;
    ASSERT_TRUE(copy.Start("0"));
    ASSERT_TRUE(tvtest::WaitUntil(PeerAnswers, 30000)) << copy.Output();
    // As CTest ends a program on its time-out.
    ASSERT_TRUE(TerminateProcess(copy.Handle(), 9));
    EXPECT_EQ(9, copy.Wait(10000));
    EXPECT_TRUE(tvtest::WaitUntil([] { return !PeerAnswers(); }, 10000))
        << "the peer outlived its test program";
}

} // namespace
