#include "tests/support/Peers.h"

namespace tvtest {

bool RunningPeer::Start(const std::string& program, const std::string& controlName,
                        const std::string& arguments)
{
    Stop();
    m_control = tvsim::PeerControl(controlName);
    if (m_control.Send("ping", nullptr, 1000)) {
        // Left over by an earlier test that did not end cleanly.
        m_control.Send("quit", nullptr, 1000);
        if (!WaitUntil([&] { return !m_control.Send("ping", nullptr, 500); }, 10000)) {
            ADD_FAILURE() << "a running " << program << " does not quit";
            return false;
        }
    }
    std::string line = "--control \"" + controlName + "\"";
    if (!arguments.empty()) {
        line += " " + arguments;
    }
    if (!m_process.Start(program, line)) {
        ADD_FAILURE() << "cannot start " << program << ", GetLastError " << GetLastError();
        return false;
    }
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 15000) {
        if (m_control.Send("ping", nullptr, 1000)) {
            return true;
        }
        if (!m_process.Running()) {
            ADD_FAILURE() << program << " " << line << " ended with " << m_process.Wait(0);
            return false;
        }
        Sleep(50);
    }
    ADD_FAILURE() << program << " does not answer on its control pipe";
    m_process.Kill();
    return false;
}

long RunningPeer::Stop()
{
    if (!m_process.Handle()) {
        return -1;
    }
    long code = -1;
    if (m_process.Running()) {
        m_control.Send("quit", nullptr, 2000);
    }
    code = m_process.Wait(10000);
    m_process.Kill();
    return code;
}

} // namespace tvtest
