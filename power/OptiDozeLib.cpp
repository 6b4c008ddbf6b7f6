#include "power/OptiDozeLib.h"

#include "lumo/System/Source/MessageBox.h"
#include "lumo/System/Source/ProgramDir.h"
#include "lumo/System/Source/TraceLog.h"
#include "power/GearItems.h"

#include <type_traits>

namespace tv {
namespace {

constexpr char kLoadErrorCaption[] = "LoadLibrary Error";

HMODULE LoadOrShow(const std::string& path)
{
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) {
        TraceLog("[OptiDozeLib] LoadLibrary %s failed! GetLastError returned %lu", path.c_str(),
                 GetLastError());
        lumo::ShowMessageBoxAside(("Can not load " + path).c_str(), kLoadErrorCaption);
    }
    return module;
}

} // namespace

OptiDozeLib::OptiDozeLib(const std::string& programFolder, WindowsMajorVersionSource version)
{
    const int major = version ? version() : -1;
    m_vista = major == 6 || major < 0;
    m_present = Load(programFolder);
    if (!m_present) {
        m_setMute = nullptr;
        m_entry = Exports();
        m_vvc.Reset();
        m_module.Reset();
    }
}

OptiDozeLib::~OptiDozeLib() = default;

OptiDozeLib& OptiDozeLib::Instance()
{
    static OptiDozeLib* const instance =
        new OptiDozeLib(lumo::ProgramDirectory(), QueryWindowsMajorVersion);
    return *instance;
}

bool OptiDozeLib::Load(const std::string& folder)
{
    const std::string path = folder + kLibraryName;
    if (!lumo::FileExists(path)) {
        // Boards without the idle-doze feature come without the library.
        return false;
    }
    m_module.Reset(LoadOrShow(path));
    if (!m_module || !ResolveExports()) {
        return false;
    }
    if (m_vista) {
        const std::string vvcPath = folder + kVistaLibraryName;
        m_vvc.Reset(LoadOrShow(vvcPath));
        if (!m_vvc) {
            return false;
        }
        m_setMute = maker::Entry<maker::IntFn>(m_vvc.Get(), "VISTA_SetMute");
        if (!m_setMute) {
            TraceLog("[OptiDozeLib] %s has no export VISTA_SetMute", vvcPath.c_str());
            return false;
        }
    }
    m_entry.init();
    m_capabilityItem = m_entry.isItemSupported(item::kCapabilityWord) != 0;
    m_kFanThree = m_entry.isKFanThreeSupported() != 0;
    return true;
}

bool OptiDozeLib::ResolveExports()
{
    const char* missing = nullptr;
    auto resolve = [&](auto& slot, const char* name) {
        slot = maker::Entry<std::remove_reference_t<decltype(slot)>>(m_module.Get(), name);
        if (!slot && !missing) {
            missing = name;
        }
    };
    resolve(m_entry.init, "OptiDozeInit");
    resolve(m_entry.isSupport, "OptiDozeIsSupport");
    resolve(m_entry.optiGearIsSupport, "OptiGearIsSupport");
    resolve(m_entry.checkReboot, "OptiDozeCheckReboot");
    resolve(m_entry.enable, "OptiDozeEnable");
    resolve(m_entry.disable, "OptiDozeDisable");
    resolve(m_entry.wake, "OptiDozeWake");
    resolve(m_entry.sleep, "OptiDozeSleep");
    resolve(m_entry.sound, "OptiDozeSound");
    resolve(m_entry.screen, "OptiDozeScreen");
    resolve(m_entry.getLevel, "GetLevel");
    resolve(m_entry.setLevel, "SetLevel");
    resolve(m_entry.isOptiDoze, "IsOptiDoze");
    resolve(m_entry.isThermostatSupported, "IsThermostatSupported");
    resolve(m_entry.optiHushIsSupport, "OptiHushIsSupport");
    resolve(m_entry.getPowerButtonSetting, "GetPowerButtonSetting");
    resolve(m_entry.setPowerButtonSetting, "SetPowerButtonSetting");
    resolve(m_entry.getItem, "OptiDozeGetItem");
    resolve(m_entry.setItem, "OptiDozeSetItem");
    resolve(m_entry.isItemSupported, "IsItemSupported");
    resolve(m_entry.isKFanThreeSupported, "IsKFanThreeSupported");
    if (missing) {
        TraceLog("[OptiDozeLib] %s has no export %s, idle doze unavailable", kLibraryName, missing);
        return false;
    }
    return true;
}

bool OptiDozeLib::ScreenOff()
{
    if (!m_present) {
        return false;
    }
    m_sleeping = true;
    return m_entry.screen(0) != 0;
}

bool OptiDozeLib::ScreenOn()
{
    if (!m_present) {
        return false;
    }
    m_sleeping = false;
    return m_entry.screen(1) != 0;
}

bool OptiDozeLib::Sound(bool on)
{
    if (!m_present) {
        return false;
    }
    if (m_vista) {
        return m_setMute(on ? 0 : 1) != 0;
    }
    return m_entry.sound(on ? 1 : 0) != 0;
}

bool OptiDozeLib::Mute()
{
    return Sound(false);
}

bool OptiDozeLib::Unmute()
{
    return Sound(true);
}

} // namespace tv
