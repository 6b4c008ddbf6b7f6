// OptiGear.dll stand-in: the power-gear library over the simulated board. Every call is journaled.
#include "sim/board/BoardLogic.h"
#include "sim/board/Call.h"
#include "sim/libs/ItemCalls.h"
#include "sim/libs/MakerExport.h"

using simboard::Access;
using simboard::BoardState;
using simboard::CallRecord;
using simboard::Field;
using simboard::Library;

namespace {

// A byte-boolean capability answer taken from a field; a board the library does not support
// answers nothing.
BOOL8 Answer(const char* function, Field field)
{
    return static_cast<BOOL8>(simboard::JournaledCall(
        Library::OptiGear, function, {}, 0, [&](BoardState& state, CallRecord& call) {
            call.result = simboard::CapabilityAnswer(state, field) ? 1 : 0;
        }));
}

template <typename Body>
BOOL8 Journaled(const char* function, std::initializer_list<int32_t> args, Body body)
{
    return static_cast<BOOL8>(simboard::JournaledCall(Library::OptiGear, function, args, 0, body));
}

} // namespace

MAKER_EXPORT BOOL8 MAKER_CALL OptiGearInit()
{
    return Journaled("OptiGearInit", {}, [](BoardState& state, CallRecord& call) {
        call.result = simboard::FieldValue(state, Field::Init) ? 1 : 0;
    });
}

MAKER_EXPORT BOOL8 MAKER_CALL OptiGearIsSupport(int* supported)
{
    return simlibs::IsSupportCall(Library::OptiGear, supported);
}

MAKER_EXPORT BOOL8 MAKER_CALL OptiGearCheckOC(int* overclocked)
{
    return Journaled("OptiGearCheckOC", {}, [&](BoardState& state, CallRecord& call) {
        if (!overclocked || simboard::FieldValue(state, Field::CheckOCFails)) {
            return;
        }
        *overclocked = simboard::FieldValue(state, Field::CheckOC);
        call.result = 1;
        call.Out(*overclocked);
    });
}

MAKER_EXPORT BOOL8 MAKER_CALL OptiGearGetLevel(int* level)
{
    return Journaled("OptiGearGetLevel", {}, [&](BoardState& state, CallRecord& call) {
        if (!level || !simboard::BoardSupported(state) ||
            simboard::FieldValue(state, Field::GetLevelFails)) {
            return;
        }
        *level = simboard::FieldValue(state, Field::Level);
        call.result = 1;
        call.Out(*level);
    });
}

MAKER_EXPORT BOOL8 MAKER_CALL OptiGearSetLevel(int level)
{
    return Journaled("OptiGearSetLevel", {level}, [&](BoardState& state, CallRecord& call) {
        if (!simboard::BoardSupported(state) || simboard::FieldValue(state, Field::SetLevelFails) ||
            !simboard::IsValidLevel(level)) {
            return;
        }
        simboard::SetGearLevel(state, level);
        call.result = 1;
    });
}

MAKER_EXPORT BOOL8 MAKER_CALL OptiGearCheckReboot(int* reboot)
{
    return Journaled("OptiGearCheckReboot", {}, [&](BoardState& state, CallRecord& call) {
        if (!reboot || !simboard::BoardSupported(state)) {
            return;
        }
        *reboot = simboard::FieldValue(state, Field::CheckReboot);
        call.result = 1;
        call.Out(*reboot);
    });
}

MAKER_EXPORT BOOL8 MAKER_CALL IsOptiDozeSupported()
{
    return Answer("IsOptiDozeSupported", Field::IsOptiDozeSupported);
}

MAKER_EXPORT BOOL8 MAKER_CALL IsFanControlSupported()
{
    return Answer("IsFanControlSupported", Field::IsFanControlSupported);
}

MAKER_EXPORT BOOL8 MAKER_CALL IsOptiBoostSupported()
{
    return Answer("IsOptiBoostSupported", Field::IsOptiBoostSupported);
}

MAKER_EXPORT BOOL8 MAKER_CALL IsOptiBoostTwoSupported()
{
    return Answer("IsOptiBoostTwoSupported", Field::IsOptiBoostTwoSupported);
}

MAKER_EXPORT BOOL8 MAKER_CALL IsOptiBoostThreeSupported()
{
    return Answer("IsOptiBoostThreeSupported", Field::IsOptiBoostThreeSupported);
}

MAKER_EXPORT BOOL8 MAKER_CALL IsHxRemoteSupported()
{
    return Answer("IsHxRemoteSupported", Field::IsHxRemoteSupported);
}

MAKER_EXPORT BOOL8 MAKER_CALL IsOptiNitroSupported()
{
    return Answer("IsOptiNitroSupported", Field::IsOptiNitroSupported);
}

MAKER_EXPORT BOOL8 MAKER_CALL IsThermostatSupported()
{
    return Answer("IsThermostatSupported", Field::IsThermostatSupported);
}

MAKER_EXPORT BOOL8 MAKER_CALL IsOptiGearTwoSupported()
{
    return Answer("IsOptiGearTwoSupported", Field::IsOptiGearTwoSupported);
}

MAKER_EXPORT BOOL8 MAKER_CALL IsKFanThreeSupported()
{
    return Answer("IsKFanThreeSupported", Field::IsKFanThreeSupported);
}

MAKER_EXPORT BOOL8 MAKER_CALL OptiGearButtonEnable()
{
    return Answer("OptiGearButtonEnable", Field::ButtonEnable);
}

MAKER_EXPORT BOOL8 MAKER_CALL OptiGearGetItem(int item, int* value)
{
    return simlibs::GetItemCall(Library::OptiGear, "OptiGearGetItem", item, value);
}

MAKER_EXPORT BOOL8 MAKER_CALL OptiGearSetItem(int item, int value)
{
    return simlibs::SetItemCall(Library::OptiGear, "OptiGearSetItem", item, value);
}

// The extended write stores its second value; the first selects a sub-function the board
// simulator does not tell apart.
MAKER_EXPORT BOOL8 MAKER_CALL SetItemEx(int item, int a, int b)
{
    return Journaled("SetItemEx", {item, a, b}, [&](BoardState& state, CallRecord& call) {
        call.result =
            simboard::WriteItem(state, static_cast<uint32_t>(item), b, Access::Library) ? 1 : 0;
    });
}

MAKER_EXPORT BOOL8 MAKER_CALL IsItemSupported(int item)
{
    return simlibs::IsItemSupportedCall(Library::OptiGear, item);
}

// No string lists on this board.
MAKER_EXPORT BOOL8 MAKER_CALL GetStringList(int a, int b, int c, int d)
{
    return Journaled("GetStringList", {a, b, c, d}, [](BoardState&, CallRecord&) {});
}

MAKER_EXPORT BOOL8 MAKER_CALL GetItemDefaultValue(int item, int* value)
{
    return Journaled("GetItemDefaultValue", {item}, [&](BoardState& state, CallRecord& call) {
        const simboard::ItemRecord* record = simboard::FindItem(state, static_cast<uint32_t>(item));
        if (!value || !record || !simboard::IsItemSupported(state, record->id)) {
            return;
        }
        *value = record->preset[0];
        call.result = 1;
        call.Out(*value);
    });
}

// Bit 0: supported, bit 1: readable, bit 2: writable, bit 3: banked by profile, bit 4: live.
MAKER_EXPORT BOOL8 MAKER_CALL GetItemInformation(int item, int* value)
{
    return Journaled("GetItemInformation", {item}, [&](BoardState& state, CallRecord& call) {
        const simboard::ItemRecord* record = simboard::FindItem(state, static_cast<uint32_t>(item));
        if (!value || !record || !simboard::BoardSupported(state)) {
            return;
        }
        *value = (record->supported ? 1 : 0) | (record->readFails ? 0 : 2) |
                 (record->writeFails ? 0 : 4) | (record->banked ? 8 : 0) |
                 (simboard::IsLiveItem(record->id) ? 16 : 0);
        call.result = 1;
        call.Out(*value);
    });
}
