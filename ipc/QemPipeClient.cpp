#include "ipc/QemPipeClient.h"

#include "ipc/PipeProtocol.h"

namespace tv {
namespace {

volatile LONG g_cardPipeFree = 1;

} // namespace

QemPipeClient::QemPipeClient()
    : PipeClient({pipe::kCardPipe, kReplySize,
                  "[QemPipeClient::Call] Failed, the previous request is not completed yet.",
                  "[QemPipeClient::Call] Failed, Waiting error or Timeout.", &g_cardPipeFree})
{}

QemPipeClient& QemPipeClient::Instance()
{
    static QemPipeClient instance;
    return instance;
}

bool QemPipeClient::SetCardMode(int mode)
{
    const DWORD request[] = {pipe::kSetCardMode, static_cast<DWORD>(mode)};
    std::vector<BYTE> reply;
    return TransactWords(request, 2, 0, reply);
}

bool QemPipeClient::GetCardMode(int& mode)
{
    const DWORD request[] = {pipe::kGetCardMode};
    std::vector<BYTE> reply;
    if (!TransactWords(request, 1, 4, reply)) {
        return false;
    }
    mode = static_cast<int>(PayloadWord(reply, 0));
    return true;
}

bool QemPipeClient::GetCardCapabilities(DWORD& bits, DWORD& milliwatts)
{
    const DWORD request[] = {pipe::kGetCardCapabilities};
    std::vector<BYTE> reply;
    if (!TransactWords(request, 1, 8, reply)) {
        return false;
    }
    bits = PayloadWord(reply, 0);
    milliwatts = PayloadWord(reply, 1);
    return true;
}

bool QemPipeClient::GetCardSaving(int mode, DWORD& value)
{
    const DWORD request[] = {pipe::kGetCardSaving, static_cast<DWORD>(mode)};
    std::vector<BYTE> reply;
    if (!TransactWords(request, 2, 4, reply)) {
        return false;
    }
    value = PayloadWord(reply, 0);
    return true;
}

} // namespace tv
