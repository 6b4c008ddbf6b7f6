#pragma once
// Client of the graphics-card utility's pipe "KALDO QEM VGA PIPE" (process-wide, one call at a
// time; a call blocks its caller for at most 10 000 ms).
#include "ipc/PipeClient.h"

namespace tv {

class QemPipeClient : public PipeClient
{
public:
    static constexpr DWORD kReplySize = 256;

    static QemPipeClient& Instance();

    // Each returns true only for a status-1 reply carrying at least the payload it needs; the
    // out values are left alone otherwise.
    // mode: 0x4000, 0, 1, 2, 0x8000, or a board Auto choice 0 or 1 with bit 31 set.
    bool SetCardMode(int mode);
    bool GetCardMode(int& mode);
    // bits: bit 0 saving feature, bit 1 power monitoring, bit 2 Auto supported.
    bool GetCardCapabilities(DWORD& bits, DWORD& milliwatts);
    // value: the card's saving in that mode, in units of 0.0001 of its power.
    bool GetCardSaving(int mode, DWORD& value);

private:
    QemPipeClient();
};

} // namespace tv
