#include "ipc/SysCtrlPipeClient.h"

#include "ipc/PipeProtocol.h"

namespace tv {
namespace {

volatile LONG g_sysCtrlPipeFree = 1;

} // namespace

SysCtrlPipeClient::SysCtrlPipeClient()
    : PipeClient({pipe::kSysCtrlPipe, kReplySize,
                  "CallSysCtrlService Failed, the previous request is not completed yet.",
                  "CallSysCtrlService Failed, Waiting error or Timeout.", &g_sysCtrlPipeFree})
{}

SysCtrlPipeClient& SysCtrlPipeClient::Instance()
{
    static SysCtrlPipeClient instance;
    return instance;
}

bool SysCtrlPipeClient::GetOverclockState(DWORD& word0, DWORD& word1)
{
    const DWORD request[] = {pipe::kGetOverclockState};
    std::vector<BYTE> reply;
    if (!TransactWords(request, 1, 8, reply)) {
        return false;
    }
    word0 = PayloadWord(reply, 0);
    word1 = PayloadWord(reply, 1);
    return true;
}

} // namespace tv
