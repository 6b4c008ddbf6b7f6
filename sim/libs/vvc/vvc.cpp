// vvc.dll stand-in: the Vista mute switch of the simulated board, journaled.
#include "sim/board/BoardLogic.h"
#include "sim/board/Call.h"
#include "sim/libs/MakerExport.h"

MAKER_EXPORT BOOL8 MAKER_CALL VISTA_SetMute(int mute)
{
    return static_cast<BOOL8>(
        simboard::JournaledCall(simboard::Library::Vvc, "VISTA_SetMute", {mute}, 0,
                                [&](simboard::BoardState& state, simboard::CallRecord& call) {
                                    if (mute != 0 && mute != 1) {
                                        return;
                                    }
                                    simboard::FieldRef(state, simboard::Field::Mute) = mute;
                                    call.result = 1;
                                }));
}
