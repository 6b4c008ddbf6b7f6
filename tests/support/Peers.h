#pragma once
// A pipe peer of the stage (cardsim.exe, sysctlsim.exe) running for the length of a test.
#include "sim/peers/PeerControl.h"
#include "tests/support/Support.h"

#include <string>

namespace tvtest {

class RunningPeer
{
public:
    RunningPeer() : m_control("") {}
    ~RunningPeer() { Stop(); }
    RunningPeer(const RunningPeer&) = delete;
    RunningPeer& operator=(const RunningPeer&) = delete;

    // Starts program from the stage with "--control controlName" and arguments, and waits until
    // it answers. A peer left over on the same control pipe is told to quit first.
    bool Start(const std::string& program, const std::string& controlName,
               const std::string& arguments = std::string());
    // Asks the peer to quit and waits for it (killing it after 10 s); its exit code, or -1.
    long Stop();
    bool Running() const { return m_process.Running(); }
    const tvsim::PeerControl& Control() const { return m_control; }
    DWORD Id() const { return m_process.Id(); }

private:
    Process m_process;
    tvsim::PeerControl m_control;
};

// The graphics-card utility and the system-control service on their usual control pipes.
inline bool StartCardSim(RunningPeer& peer, const std::string& arguments = std::string())
{
    return peer.Start("cardsim.exe", tvsim::kCardSimControl, arguments);
}
inline bool StartSysCtlSim(RunningPeer& peer, const std::string& arguments = std::string())
{
    return peer.Start("sysctlsim.exe", tvsim::kSysCtlSimControl, arguments);
}

} // namespace tvtest
