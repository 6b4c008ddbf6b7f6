#include "sim/board/Fields.h"

#include <cstring>
#include <strings.h>

namespace simboard {

namespace {

#define FIELD(name)                                                                                \
    {                                                                                              \
        Field::name, #name                                                                         \
    }
const FieldInfo kFields[] = {
    FIELD(Level),
    FIELD(IsSupport),
    FIELD(IsSupportFails),
    FIELD(CheckOC),
    FIELD(CheckOCFails),
    FIELD(GetLevelFails),
    FIELD(SetLevelFails),
    FIELD(CheckReboot),
    FIELD(Init),
    FIELD(IsOptiDozeSupported),
    FIELD(IsFanControlSupported),
    FIELD(IsOptiBoostSupported),
    FIELD(IsOptiBoostTwoSupported),
    FIELD(IsOptiBoostThreeSupported),
    FIELD(IsHxRemoteSupported),
    FIELD(IsOptiNitroSupported),
    FIELD(IsThermostatSupported),
    FIELD(IsOptiGearTwoSupported),
    FIELD(IsKFanThreeSupported),
    FIELD(ButtonEnable),
    FIELD(DozeSupport),
    FIELD(IsOptiDoze),
    FIELD(OptiHushIsSupport),
    FIELD(DozeCheckReboot),
    FIELD(DozeEnabled),
    FIELD(DozeSleeping),
    FIELD(Screen),
    FIELD(Sound),
    FIELD(DozeLevel),
    FIELD(PowerButton),
    FIELD(Mute),
    FIELD(SpindownSeconds),
    FIELD(KdIoOpenFails),
    FIELD(CpuLoad),
    FIELD(IdleMilliwatts),
    FIELD(FullMilliwatts),
    FIELD(TurboPercent),
    FIELD(MediumPercent),
    FIELD(SavingPercent),
    FIELD(SchemeIndex),
    FIELD(KdAcpiReadFails),
    FIELD(KdAcpiValueNull),
};
#undef FIELD

static_assert(sizeof kFields / sizeof kFields[0] == static_cast<size_t>(Field::Count),
              "every field has a name");

} // namespace

const FieldInfo* FieldTable(uint32_t* count)
{
    *count = static_cast<uint32_t>(Field::Count);
    return kFields;
}

bool FindField(const char* name, Field* field)
{
    for (const FieldInfo& info : kFields) {
        if (strcasecmp(info.name, name) == 0) {
            *field = info.field;
            return true;
        }
    }
    return false;
}

const char* FieldName(Field field)
{
    for (const FieldInfo& info : kFields) {
        if (info.field == field) {
            return info.name;
        }
    }
    return "?";
}

} // namespace simboard
