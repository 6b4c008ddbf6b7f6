#pragma once
// Client of the system-control service's pipe "KALDO SYSTEM CONTROL PIPE" (process-wide, one
// call at a time; a call blocks its caller for at most 10 000 ms).
#include "ipc/PipeClient.h"

namespace tv {

class SysCtrlPipeClient : public PipeClient
{
public:
    static constexpr DWORD kReplySize = 4096;

    static SysCtrlPipeClient& Instance();

    // Request 0x80000001: word0 is the overclocking state. True only for a status-1 reply with
    // at least both words; the out values are left alone otherwise.
    bool GetOverclockState(DWORD& word0, DWORD& word1);

private:
    SysCtrlPipeClient();
};

} // namespace tv
