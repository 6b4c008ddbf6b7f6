#include "sim/board/Library.h"

#include <strings.h>

namespace simboard {

namespace {

const Library kLibraries[] = {Library::OptiGear,          Library::OptiDoze, Library::Vvc,
                              Library::KdSpindownTimeout, Library::KdIo,     Library::KdAcpi,
                              Library::Powrprof};

} // namespace

const char* LibraryName(Library library)
{
    switch (library) {
    case Library::OptiGear:
        return "OptiGear";
    case Library::OptiDoze:
        return "OptiDoze";
    case Library::Vvc:
        return "vvc";
    case Library::KdSpindownTimeout:
        return "KdSpindownTimeout";
    case Library::KdIo:
        return "KdIo";
    case Library::KdAcpi:
        return "kdacpi";
    case Library::Powrprof:
        return "powrprof";
    default:
        return "?";
    }
}

bool FindLibrary(const std::string& name, Library* library)
{
    for (Library candidate : kLibraries) {
        if (strcasecmp(name.c_str(), LibraryName(candidate)) == 0) {
            *library = candidate;
            return true;
        }
    }
    return false;
}

std::vector<Library> Libraries()
{
    return std::vector<Library>(std::begin(kLibraries), std::end(kLibraries));
}

const std::vector<std::string>& Exports(Library library)
{
    static const std::vector<std::string> optiGear = {"OptiGearInit",
                                                      "OptiGearIsSupport",
                                                      "OptiGearCheckOC",
                                                      "OptiGearGetLevel",
                                                      "OptiGearSetLevel",
                                                      "OptiGearCheckReboot",
                                                      "IsOptiDozeSupported",
                                                      "IsFanControlSupported",
                                                      "IsOptiBoostSupported",
                                                      "IsOptiBoostTwoSupported",
                                                      "IsOptiBoostThreeSupported",
                                                      "IsHxRemoteSupported",
                                                      "IsOptiNitroSupported",
                                                      "IsThermostatSupported",
                                                      "IsOptiGearTwoSupported",
                                                      "IsKFanThreeSupported",
                                                      "OptiGearButtonEnable",
                                                      "OptiGearGetItem",
                                                      "OptiGearSetItem",
                                                      "SetItemEx",
                                                      "IsItemSupported",
                                                      "GetStringList",
                                                      "GetItemDefaultValue",
                                                      "GetItemInformation"};
    static const std::vector<std::string> optiDoze = {"OptiDozeInit",
                                                      "OptiDozeIsSupport",
                                                      "OptiGearIsSupport",
                                                      "OptiDozeCheckReboot",
                                                      "OptiDozeEnable",
                                                      "OptiDozeDisable",
                                                      "OptiDozeWake",
                                                      "OptiDozeSleep",
                                                      "OptiDozeSound",
                                                      "OptiDozeScreen",
                                                      "GetLevel",
                                                      "SetLevel",
                                                      "IsOptiDoze",
                                                      "IsThermostatSupported",
                                                      "OptiHushIsSupport",
                                                      "GetPowerButtonSetting",
                                                      "SetPowerButtonSetting",
                                                      "OptiDozeGetItem",
                                                      "OptiDozeSetItem",
                                                      "IsItemSupported",
                                                      "IsKFanThreeSupported"};
    static const std::vector<std::string> vvc = {"VISTA_SetMute"};
    static const std::vector<std::string> spindown = {"KdGetSpindownTimeout",
                                                      "KdSetSpindownTimeout"};
    static const std::vector<std::string> kdio = {"KDIO_Open", "KDIO_Close"};
    static const std::vector<std::string> kdacpi = {"#1", "#4", "#6", "#7", "#9", "#10"};
    static const std::vector<std::string> powrprof = {"PowerGetActiveScheme",
                                                      "PowerSetActiveScheme",
                                                      "GetActivePwrScheme",
                                                      "SetActivePwrScheme",
                                                      "PowerEnumerate",
                                                      "PowerReadFriendlyName",
                                                      "PowerReadDescription",
                                                      "PowerWriteFriendlyName",
                                                      "PowerWriteDescription",
                                                      "PowerDuplicateScheme",
                                                      "PowerDeleteScheme",
                                                      "PowerImportPowerScheme",
                                                      "PowerWriteACValueIndex",
                                                      "PowerReadACValueIndex",
                                                      "PowerRestoreDefaultPowerSchemes",
                                                      "PowerRestoreIndividualDefaultPowerScheme"};
    static const std::vector<std::string> none;
    switch (library) {
    case Library::OptiGear:
        return optiGear;
    case Library::OptiDoze:
        return optiDoze;
    case Library::Vvc:
        return vvc;
    case Library::KdSpindownTimeout:
        return spindown;
    case Library::KdIo:
        return kdio;
    case Library::KdAcpi:
        return kdacpi;
    case Library::Powrprof:
        return powrprof;
    default:
        return none;
    }
}

bool IsExport(Library library, const std::string& function)
{
    for (const std::string& name : Exports(library)) {
        if (name == function) {
            return true;
        }
    }
    return false;
}

} // namespace simboard
