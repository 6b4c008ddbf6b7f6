#pragma once
// What the simulated graphics-card utility knows and how it answers the card pipe.
#include "sim/peers/kit/MessagePipeServer.h"

#include <windows.h>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace tvsim {

class CardState
{
public:
    CardState();

    // The reply to one card-pipe request: status word, then payload. Honours the configured
    // failures, short payloads and padding (the delay is the caller's).
    Bytes Answer(const Bytes& request);

    // Settings, from the command line or the control pipe.
    void SetCapabilities(DWORD bits);
    void SetPower(DWORD milliwatts);
    void SetSaving(DWORD mode, DWORD value);
    // The mode's saving request is answered with status 0 until a value is set again.
    void RemoveSaving(DWORD mode);
    void SetMode(DWORD mode);
    void SetDelay(DWORD ms);
    DWORD Delay() const;
    // code: a request code, or all (every request).
    void SetFail(bool all, DWORD code);
    void ClearFail();
    void SetShort(bool all, DWORD code, DWORD payloadBytes);
    void ClearShort();
    void SetPadding(DWORD bytes);
    // The saving modes that exist: 0x4000, 0, 1, 2.
    static bool IsSavingMode(DWORD mode);

    // One line per setting, for "show".
    std::string Describe() const;

private:
    mutable std::mutex m_lock;
    DWORD m_capabilities = 7;
    DWORD m_power = 35000;
    std::map<DWORD, DWORD> m_saving;
    DWORD m_mode = 0;
    DWORD m_delay = 0;
    bool m_failAll = false;
    std::set<DWORD> m_failCodes;
    bool m_shortAll = false;
    DWORD m_shortAllBytes = 0;
    std::map<DWORD, DWORD> m_shortCodes;
    DWORD m_padding = 0;
};

} // namespace tvsim
