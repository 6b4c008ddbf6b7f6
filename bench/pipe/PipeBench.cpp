// What the thread-per-call design of the card-pipe client costs: calls per second through
// QemPipeClient and through bare CallNamedPipeA, to the same cardsim.exe, measured in turns.
#include "ipc/QemPipeClient.h"
#include "lumo/System/Source/ProgramDir.h"
#include "sim/peers/PeerControl.h"

#include <windows.h>
#include <cstdio>
#include <string>

namespace {

const char kCardPath[] = "\\\\.\\pipe\\KALDO QEM VGA PIPE";
const char kControl[] = "tetravolt cardsim bench control";
constexpr DWORD kTurnMs = 1500;
constexpr int kTurns = 4;

struct Tally
{
    unsigned long calls = 0;
    unsigned long failures = 0;
    double seconds = 0;
    double PerSecond() const { return seconds > 0 ? calls / seconds : 0; }
};

double Now()
{
    LARGE_INTEGER counter;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool ThroughClient()
{
    DWORD bits = 0;
    DWORD milliwatts = 0;
    return tv::QemPipeClient::Instance().GetCardCapabilities(bits, milliwatts) && bits == 7;
}

bool Bare()
{
    DWORD request = 0x10001003;
    unsigned char reply[256];
    DWORD read = 0;
    return CallNamedPipeA(kCardPath, &request, sizeof request, reply, sizeof reply, &read,
                          NMPWAIT_WAIT_FOREVER) &&
           read >= 12 && reply[0] == 1 && reply[4] == 7;
}

template <typename Call> void Turn(Tally& tally, Call call, DWORD ms)
{
    double start = Now();
    double end = start + ms / 1000.0;
    double now = start;
    while (now < end) {
        ++tally.calls;
        tally.failures += call() ? 0 : 1;
        now = Now();
    }
    tally.seconds += now - start;
}

} // namespace

int main()
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::string program = lumo::ProgramDirectory() + "cardsim.exe";
    std::string line = "\"" + program + "\" --control \"" + kControl + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::printf("cannot start %s (GetLastError %lu)\n", program.c_str(), GetLastError());
        return 1;
    }
    CloseHandle(process.hThread);
    tvsim::PeerControl control(kControl);
    if (!control.WaitReady(15000)) {
        std::printf("cardsim.exe does not answer\n");
        TerminateProcess(process.hProcess, 1);
        return 1;
    }

    Tally client;
    Tally bare;
    Turn(client, ThroughClient, 300);
    Turn(bare, Bare, 300);
    client = Tally();
    bare = Tally();
    // Alternate, so that a busy moment of the machine hits both alike.
    for (int i = 0; i < kTurns; ++i) {
        Turn(client, ThroughClient, kTurnMs);
        Turn(bare, Bare, kTurnMs);
    }
    control.Send("quit");
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hProcess);

    std::printf("card pipe, capability request to cardsim.exe, %d-bit, %d turns of %lu ms each\n",
                static_cast<int>(sizeof(void*) * 8), kTurns, static_cast<unsigned long>(kTurnMs));
    std::printf("  QemPipeClient   %8.0f calls/s  (%lu calls, %lu failed)\n", client.PerSecond(),
                client.calls, client.failures);
    std::printf("  CallNamedPipeA  %8.0f calls/s  (%lu calls, %lu failed)\n", bare.PerSecond(),
                bare.calls, bare.failures);
    if (bare.PerSecond() > 0) {
        std::printf("  ratio QemPipeClient / CallNamedPipeA = %.2f (%.0f us more per call)\n",
                    client.PerSecond() / bare.PerSecond(),
                    1e6 / client.PerSecond() - 1e6 / bare.PerSecond());
    }
    return client.failures || bare.failures ? 1 : 0;
}
