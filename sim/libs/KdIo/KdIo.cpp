// KdIo.dll stand-in: port I/O against the simulated super-I/O chip. Opening and closing are
// journaled; the port accesses are not (fan sequences make hundreds), the chip keeps its own
// history of register writes instead. Ports answer only between KDIO_Open and KDIO_Close, as the
// driver behind the real library does.
#include "sim/board/BoardLogic.h"
#include "sim/board/Call.h"
#include "sim/board/Chip.h"
#include "sim/libs/MakerExport.h"

#include <windows.h>
#include <cstring>

using simboard::BoardState;
using simboard::CallRecord;

namespace {

volatile LONG g_open = 0;

} // namespace

MAKER_EXPORT BOOL8 MAKER_CALL KDIO_Open(const char* systemFolder)
{
    return static_cast<BOOL8>(simboard::JournaledCall(
        simboard::Library::KdIo, "KDIO_Open", {}, 0, [&](BoardState& state, CallRecord& call) {
            if (!systemFolder || simboard::FieldValue(state, simboard::Field::KdIoOpenFails)) {
                return;
            }
            InterlockedExchange(&g_open, 1);
            std::strncpy(state.kdioFolder, systemFolder, simboard::kFolderSize - 1);
            state.kdioFolder[simboard::kFolderSize - 1] = '\0';
            call.result = 1;
        }));
}

MAKER_EXPORT BOOL8 MAKER_CALL KDIO_Close()
{
    return static_cast<BOOL8>(simboard::JournaledCall(
        simboard::Library::KdIo, "KDIO_Close", {}, 0, [](BoardState&, CallRecord& call) {
            call.result = InterlockedExchange(&g_open, 0) ? 1 : 0;
        }));
}

MAKER_EXPORT BYTE MAKER_CALL KDIO_InPortB(WORD port)
{
    if (!g_open) {
        return 0xFF;
    }
    simboard::BoardLock lock;
    return lock ? simboard::ChipIn(lock.State(), port) : 0xFF;
}

MAKER_EXPORT BOOL8 MAKER_CALL KDIO_OutPortB(WORD port, BYTE value)
{
    if (!g_open) {
        return 0;
    }
    simboard::BoardLock lock;
    if (!lock) {
        return 0;
    }
    simboard::ChipOut(lock.State(), port, value);
    return 1;
}
