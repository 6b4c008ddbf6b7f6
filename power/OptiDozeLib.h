#pragma once
// The idle-doze facade over the maker's "OptiDoze.dll" (screen off and on) and, on Windows major
// version 6, "vvc.dll" (sound mute). An absent library makes every operation do nothing.
#include "power/MakerAbi.h"
#include "lumo/System/Source/Owners.h"
#include "power/WindowsVersion.h"

#include <string>

namespace tv {

class OptiDozeLib
{
public:
    static constexpr char kLibraryName[] = "OptiDoze.dll";
    static constexpr char kVistaLibraryName[] = "vvc.dll";

    // Loads from programFolder (with its trailing backslash); version decides on vvc.dll.
    OptiDozeLib(const std::string& programFolder, WindowsMajorVersionSource version);
    ~OptiDozeLib();
    OptiDozeLib(const OptiDozeLib&) = delete;
    OptiDozeLib& operator=(const OptiDozeLib&) = delete;

    // Over the program's folder and the real Windows version, created on first use.
    static OptiDozeLib& Instance();

    // Loaded, resolved and initialised.
    bool IsPresent() const { return m_present; }
    // Taken once after the library's init: the capability item exists; the K-Fan items work.
    bool HasCapabilityItem() const { return m_capabilityItem; }
    bool IsKFanThreeSupported() const { return m_kFanThree; }
    // The screen is off through ScreenOff.
    bool IsSleeping() const { return m_sleeping; }

    bool ScreenOff();
    bool ScreenOn();
    bool Mute();
    bool Unmute();

private:
    struct Exports
    {
        maker::NoArgFn init = nullptr;
        maker::OutIntFn isSupport = nullptr;
        maker::OutIntFn optiGearIsSupport = nullptr;
        maker::OutIntFn checkReboot = nullptr;
        maker::NoArgFn enable = nullptr;
        maker::NoArgFn disable = nullptr;
        maker::NoArgFn wake = nullptr;
        maker::NoArgFn sleep = nullptr;
        maker::IntFn sound = nullptr;
        maker::IntFn screen = nullptr;
        maker::OutIntFn getLevel = nullptr;
        maker::IntFn setLevel = nullptr;
        maker::NoArgFn isOptiDoze = nullptr;
        maker::NoArgFn isThermostatSupported = nullptr;
        maker::NoArgFn optiHushIsSupport = nullptr;
        maker::OutIntFn getPowerButtonSetting = nullptr;
        maker::IntFn setPowerButtonSetting = nullptr;
        maker::GetItemFn getItem = nullptr;
        maker::SetItemFn setItem = nullptr;
        maker::IntFn isItemSupported = nullptr;
        maker::NoArgFn isKFanThreeSupported = nullptr;
    };

    bool Load(const std::string& folder);
    bool ResolveExports();
    bool Sound(bool on);

    lumo::ModuleHandle m_vvc;
    lumo::ModuleHandle m_module;
    Exports m_entry;
    maker::IntFn m_setMute = nullptr;
    bool m_vista = false;
    bool m_present = false;
    bool m_capabilityItem = false;
    bool m_kFanThree = false;
    bool m_sleeping = false;
};

} // namespace tv
