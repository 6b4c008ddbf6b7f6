// KdSpindownTimeout.dll stand-in: keeps the disk spin-down time (seconds, 0 = never) on the
// simulated board; the journal shows the value, not the pointer.
#include "sim/board/BoardLogic.h"
#include "sim/board/Call.h"
#include "sim/libs/MakerExport.h"

#include <windows.h>

using simboard::BoardState;
using simboard::CallRecord;
using simboard::Field;

MAKER_EXPORT BOOL8 MAKER_CALL KdGetSpindownTimeout(DWORD* seconds)
{
    return static_cast<BOOL8>(simboard::JournaledCall(
        simboard::Library::KdSpindownTimeout, "KdGetSpindownTimeout", {}, 0,
        [&](BoardState& state, CallRecord& call) {
            if (!seconds) {
                return;
            }
            *seconds = static_cast<DWORD>(simboard::FieldValue(state, Field::SpindownSeconds));
            call.result = 1;
            call.Out(static_cast<int32_t>(*seconds));
        }));
}

MAKER_EXPORT BOOL8 MAKER_CALL KdSetSpindownTimeout(DWORD* seconds)
{
    if (!seconds) {
        return static_cast<BOOL8>(simboard::JournaledCall(simboard::Library::KdSpindownTimeout,
                                                          "KdSetSpindownTimeout", {}, 0,
                                                          [](BoardState&, CallRecord&) {}));
    }
    int32_t value = static_cast<int32_t>(*seconds);
    return static_cast<BOOL8>(
        simboard::JournaledCall(simboard::Library::KdSpindownTimeout, "KdSetSpindownTimeout",
                                {value}, 0, [&](BoardState& state, CallRecord& call) {
                                    simboard::FieldRef(state, Field::SpindownSeconds) = value;
                                    call.result = 1;
                                }));
}
