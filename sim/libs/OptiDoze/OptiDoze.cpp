// OptiDoze.dll stand-in: screen, sound and doze switches of the simulated board; the capability
// answers and the hardware items are the board's. Every call is journaled.
#include "sim/board/BoardLogic.h"
#include "sim/board/Call.h"
#include "sim/libs/ItemCalls.h"
#include "sim/libs/MakerExport.h"

using simboard::BoardState;
using simboard::CallRecord;
using simboard::Field;
using simboard::Library;

namespace {

template <typename Body>
BOOL8 Journaled(const char* function, std::initializer_list<int32_t> args, Body body)
{
    return static_cast<BOOL8>(simboard::JournaledCall(Library::OptiDoze, function, args, 0, body));
}

BOOL8 Answer(const char* function, Field field)
{
    return Journaled(function, {}, [&](BoardState& state, CallRecord& call) {
        call.result = simboard::FieldValue(state, field) ? 1 : 0;
    });
}

// The capability queries it shares with the power-gear library answer as that one does.
BOOL8 Capability(const char* function, Field field)
{
    return Journaled(function, {}, [&](BoardState& state, CallRecord& call) {
        call.result = simboard::CapabilityAnswer(state, field) ? 1 : 0;
    });
}

BOOL8 Read(const char* function, Field field, int* value)
{
    return Journaled(function, {}, [&](BoardState& state, CallRecord& call) {
        if (!value) {
            return;
        }
        *value = simboard::FieldValue(state, field);
        call.result = 1;
        call.Out(*value);
    });
}

BOOL8 Store(const char* function, Field field, int value)
{
    return Journaled(function, {value}, [&](BoardState& state, CallRecord& call) {
        simboard::FieldRef(state, field) = value;
        call.result = 1;
    });
}

// A switch that only knows 0 and 1.
BOOL8 Switch(const char* function, Field field, int value)
{
    return Journaled(function, {value}, [&](BoardState& state, CallRecord& call) {
        if (value != 0 && value != 1) {
            return;
        }
        simboard::FieldRef(state, field) = value;
        call.result = 1;
    });
}

BOOL8 Flag(const char* function, Field field, int value)
{
    return Journaled(function, {}, [&](BoardState& state, CallRecord& call) {
        simboard::FieldRef(state, field) = value;
        call.result = 1;
    });
}

} // namespace

MAKER_EXPORT BOOL8 MAKER_CALL OptiDozeInit()
{
    return Journaled("OptiDozeInit", {}, [](BoardState&, CallRecord& call) { call.result = 1; });
}

MAKER_EXPORT BOOL8 MAKER_CALL OptiDozeIsSupport(int* value)
{
    return Read("OptiDozeIsSupport", Field::DozeSupport, value);
}

MAKER_EXPORT BOOL8 MAKER_CALL OptiGearIsSupport(int* value)
{
    return simlibs::IsSupportCall(Library::OptiDoze, value);
}

MAKER_EXPORT BOOL8 MAKER_CALL OptiDozeCheckReboot(int* value)
{
    return Read("OptiDozeCheckReboot", Field::DozeCheckReboot, value);
}

MAKER_EXPORT BOOL8 MAKER_CALL OptiDozeEnable()
{
    return Flag("OptiDozeEnable", Field::DozeEnabled, 1);
}

MAKER_EXPORT BOOL8 MAKER_CALL OptiDozeDisable()
{
    return Flag("OptiDozeDisable", Field::DozeEnabled, 0);
}

MAKER_EXPORT BOOL8 MAKER_CALL OptiDozeWake()
{
    return Flag("OptiDozeWake", Field::DozeSleeping, 0);
}

MAKER_EXPORT BOOL8 MAKER_CALL OptiDozeSleep()
{
    return Flag("OptiDozeSleep", Field::DozeSleeping, 1);
}

MAKER_EXPORT BOOL8 MAKER_CALL OptiDozeScreen(int on)
{
    return Switch("OptiDozeScreen", Field::Screen, on);
}

MAKER_EXPORT BOOL8 MAKER_CALL OptiDozeSound(int on)
{
    return Switch("OptiDozeSound", Field::Sound, on);
}

MAKER_EXPORT BOOL8 MAKER_CALL GetLevel(int* value)
{
    return Read("GetLevel", Field::DozeLevel, value);
}

MAKER_EXPORT BOOL8 MAKER_CALL SetLevel(int value)
{
    return Store("SetLevel", Field::DozeLevel, value);
}

MAKER_EXPORT BOOL8 MAKER_CALL IsOptiDoze()
{
    return Answer("IsOptiDoze", Field::IsOptiDoze);
}

MAKER_EXPORT BOOL8 MAKER_CALL IsThermostatSupported()
{
    return Capability("IsThermostatSupported", Field::IsThermostatSupported);
}

MAKER_EXPORT BOOL8 MAKER_CALL OptiHushIsSupport()
{
    return Answer("OptiHushIsSupport", Field::OptiHushIsSupport);
}

MAKER_EXPORT BOOL8 MAKER_CALL IsKFanThreeSupported()
{
    return Capability("IsKFanThreeSupported", Field::IsKFanThreeSupported);
}

MAKER_EXPORT BOOL8 MAKER_CALL GetPowerButtonSetting(int* value)
{
    return Read("GetPowerButtonSetting", Field::PowerButton, value);
}

MAKER_EXPORT BOOL8 MAKER_CALL SetPowerButtonSetting(int value)
{
    return Store("SetPowerButtonSetting", Field::PowerButton, value);
}

MAKER_EXPORT BOOL8 MAKER_CALL OptiDozeGetItem(int item, int* value)
{
    return simlibs::GetItemCall(Library::OptiDoze, "OptiDozeGetItem", item, value);
}

MAKER_EXPORT BOOL8 MAKER_CALL OptiDozeSetItem(int item, int value)
{
    return simlibs::SetItemCall(Library::OptiDoze, "OptiDozeSetItem", item, value);
}

MAKER_EXPORT BOOL8 MAKER_CALL IsItemSupported(int item)
{
    return simlibs::IsItemSupportedCall(Library::OptiDoze, item);
}
