#pragma once
// The board-item and support calls that OptiGear.dll and OptiDoze.dll both export, each journaled
// under the library that was called.
#include "sim/board/BoardLogic.h"
#include "sim/board/Call.h"
#include "sim/libs/MakerExport.h"

namespace simlibs {

inline BOOL8 GetItemCall(simboard::Library library, const char* function, int item, int* value)
{
    return static_cast<BOOL8>(simboard::JournaledCall(
        library, function, {item}, 0, [&](simboard::BoardState& state, simboard::CallRecord& call) {
            int32_t reading;
            if (!value || !simboard::ReadItem(state, static_cast<uint32_t>(item), &reading,
                                              simboard::Access::Library)) {
                return;
            }
            *value = reading;
            call.result = 1;
            call.Out(reading);
        }));
}

inline BOOL8 SetItemCall(simboard::Library library, const char* function, int item, int value)
{
    return static_cast<BOOL8>(simboard::JournaledCall(
        library, function, {item, value}, 0,
        [&](simboard::BoardState& state, simboard::CallRecord& call) {
            call.result = simboard::WriteItem(state, static_cast<uint32_t>(item), value,
                                              simboard::Access::Library)
                              ? 1
                              : 0;
        }));
}

inline BOOL8 IsItemSupportedCall(simboard::Library library, int item)
{
    return static_cast<BOOL8>(simboard::JournaledCall(
        library, "IsItemSupported", {item}, 0,
        [&](simboard::BoardState& state, simboard::CallRecord& call) {
            call.result = simboard::IsItemSupported(state, static_cast<uint32_t>(item)) ? 1 : 0;
        }));
}

// The power-gear library's support word, which both libraries answer.
inline BOOL8 IsSupportCall(simboard::Library library, int* value)
{
    return static_cast<BOOL8>(simboard::JournaledCall(
        library, "OptiGearIsSupport", {}, 0,
        [&](simboard::BoardState& state, simboard::CallRecord& call) {
            if (!value || simboard::FieldValue(state, simboard::Field::IsSupportFails)) {
                return;
            }
            *value = simboard::FieldValue(state, simboard::Field::IsSupport);
            call.result = 1;
            call.Out(*value);
        }));
}

} // namespace simlibs
