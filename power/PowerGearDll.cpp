#include "power/PowerGearDll.h"

#include "ipc/SysCtrlPipeClient.h"
#include "lumo/System/Source/MessageBox.h"
#include "lumo/System/Source/ProgramDir.h"
#include "lumo/System/Source/TraceLog.h"
#include "lumo/System/Source/WinRegistry.h"
#include "power/GearItems.h"
#include "shell/base/RegistrySchema.h"

#include <memory>
#include <type_traits>

namespace tv {
namespace {

constexpr char kLoadErrorCaption[] = "LoadLibrary Error";
constexpr int kAutoLevel = 0x8000;
// Turbo and Auto; boards without a gear engine cannot go from them to another level directly.
constexpr int kFirstHighLevel = 256;

void ShowFailure(const char* text)
{
    lumo::ShowMessageBox(nullptr, text, "", MB_OK);
}

} // namespace

PowerGearDll::PowerGearDll(std::string programFolder, std::string subFolder)
    : m_folder(std::move(programFolder)), m_subFolder(std::move(subFolder))
{}

PowerGearDll::~PowerGearDll() = default;

std::string PowerGearDll::LibraryPath() const
{
    std::string path = m_folder;
    if (!m_subFolder.empty()) {
        path += m_subFolder + "\\";
    }
    return path + kLibraryName;
}

bool PowerGearDll::Load()
{
    const bool loaded = LoadQuietly();
    TellLoadFailure();
    return loaded;
}

void PowerGearDll::TellLoadFailure(bool aside)
{
    if (m_failureText.empty()) {
        return;
    }
    const std::string text = m_failureText;
    m_failureText.clear();
    if (aside) {
        lumo::ShowMessageBoxAside(text.c_str(), kLoadErrorCaption);
    } else {
        lumo::ShowMessageBox(nullptr, text.c_str(), kLoadErrorCaption, MB_OK);
    }
}

bool PowerGearDll::LoadQuietly()
{
    if (m_module) {
        return true;
    }
    const std::string path = LibraryPath();
    if (!lumo::FileExists(path)) {
        m_failureText = "Can not find " + path;
        return false;
    }
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) {
        TraceLog("[PowerGearDll::Load] LoadLibrary failed! GetLastError returned %lu",
                 GetLastError());
        m_failureText = "Can not load " + path + ". Program will abort";
        return false;
    }
    m_module.Reset(module);
    if (const char* missing = ResolveExports()) {
        // A library of another make or version: nothing of it can be trusted, so none of it is
        // used; told as a library that does not load.
        TraceLog("[PowerGearDll::Load] %s has no export %s", path.c_str(), missing);
        m_entry = Exports();
        m_module.Reset();
        m_failureText = "Can not load " + path + ". Program will abort";
        return false;
    }
    m_entry.init();
    m_supportLevel = GradeSupportLevel();
    TraceLog("[PowerGearDll::Load] %s support level %d", path.c_str(), m_supportLevel);
    return true;
}

const char* PowerGearDll::ResolveExports()
{
    const char* missingExport = nullptr;
    auto resolve = [&](auto& slot, const char* name) {
        slot = maker::Entry<std::remove_reference_t<decltype(slot)>>(m_module.Get(), name);
        if (!slot && !missingExport) {
            missingExport = name;
        }
    };
    resolve(m_entry.init, "OptiGearInit");
    resolve(m_entry.isSupport, "OptiGearIsSupport");
    resolve(m_entry.checkOC, "OptiGearCheckOC");
    resolve(m_entry.getLevel, "OptiGearGetLevel");
    resolve(m_entry.setLevel, "OptiGearSetLevel");
    resolve(m_entry.checkReboot, "OptiGearCheckReboot");
    resolve(m_entry.isOptiDozeSupported, "IsOptiDozeSupported");
    resolve(m_entry.isFanControlSupported, "IsFanControlSupported");
    resolve(m_entry.isOptiBoostSupported, "IsOptiBoostSupported");
    resolve(m_entry.isOptiBoostTwoSupported, "IsOptiBoostTwoSupported");
    resolve(m_entry.isOptiBoostThreeSupported, "IsOptiBoostThreeSupported");
    resolve(m_entry.isHxRemoteSupported, "IsHxRemoteSupported");
    resolve(m_entry.isOptiNitroSupported, "IsOptiNitroSupported");
    resolve(m_entry.isThermostatSupported, "IsThermostatSupported");
    resolve(m_entry.isOptiGearTwoSupported, "IsOptiGearTwoSupported");
    resolve(m_entry.isKFanThreeSupported, "IsKFanThreeSupported");
    resolve(m_entry.buttonEnable, "OptiGearButtonEnable");
    resolve(m_entry.getItem, "OptiGearGetItem");
    resolve(m_entry.setItem, "OptiGearSetItem");
    resolve(m_entry.setItemEx, "SetItemEx");
    resolve(m_entry.isItemSupported, "IsItemSupported");
    resolve(m_entry.getStringList, "GetStringList");
    resolve(m_entry.getItemDefaultValue, "GetItemDefaultValue");
    resolve(m_entry.getItemInformation, "GetItemInformation");
    return missingExport;
}

int PowerGearDll::GradeSupportLevel()
{
    int supported = 0;
    if (!m_entry.isSupport(&supported) || supported != 1) {
        return 0;
    }
    int word = 0;
    if (!m_entry.isItemSupported(item::kCapabilityWord) ||
        !m_entry.getItem(item::kCapabilityWord, &word)) {
        return 1;
    }
    const unsigned bits = static_cast<unsigned>(word);
    if (bits & 0xC) {
        return 4;
    }
    if (bits >= 2) {
        return 3;
    }
    return (bits & 1) ? 2 : 1;
}

bool PowerGearDll::Call(maker::NoArgFn entry) const
{
    return entry && entry() != 0;
}

bool PowerGearDll::IsSupported()
{
    return m_supportLevel != 0;
}

bool PowerGearDll::LevelCallsAllowed(const char* operation)
{
    if (IsSupported()) {
        return true;
    }
    TraceLog("[PowerGearDll::%s] no supported power-gear library, nothing done", operation);
    return false;
}

bool PowerGearDll::CheckOC()
{
    int overclocked = 0;
    if (m_entry.checkOC && m_entry.checkOC(&overclocked) && overclocked == 1) {
        return true;
    }
    DWORD state = 0;
    DWORD reserved = 0;
    if (SysCtrlPipeClient::Instance().GetOverclockState(state, reserved)) {
        return state != 1 && state != 2;
    }
    return false;
}

int PowerGearDll::GetLevel()
{
    int level = 0;
    if (!IsSupported() || !m_entry.getLevel(&level)) {
        return 0;
    }
    return level;
}

void PowerGearDll::LeaveHighLevelFirst()
{
    if (m_supportLevel < 3 && GetLevel() >= kFirstHighLevel) {
        ChangeLevel(0, false);
    }
}

bool PowerGearDll::IsOptiGearOpen(int& open)
{
    if (!GetItem(item::kGearEngineOpen, open)) {
        ShowFailure("[PowerGearDll::IsOptiGearOpen] Failed");
        return false;
    }
    return true;
}

bool PowerGearDll::EnableOptiGear()
{
    if (!SetItem(item::kGearEngineOpen, 1)) {
        ShowFailure("[PowerGearDll::EnableOptiGear] Failed");
        return false;
    }
    return true;
}

bool PowerGearDll::OpenGuard()
{
    int open = 0;
    if (IsOptiGearOpen(open) && open == 1) {
        return true;
    }
    return EnableOptiGear();
}

void PowerGearDll::AfterLevelChange(int level, bool engineOpen)
{
    if (level == kAutoLevel) {
        int t1, t2, t3;
        Thresholds().Get(t1, t2, t3);
        SetThreshold(t1, t2, t3);
    } else if (level == 0 && engineOpen && m_supportLevel != 4) {
        SetItem(item::kGearEngineOpen, 0);
    }
}

bool PowerGearDll::ChangeLevel(int level, bool throughItem)
{
    const bool engine = HasGearEngine();
    const bool open = engine && OpenGuard();
    const bool changed =
        throughItem ? m_entry.setItem(item::kGearLevel, level) != 0 : m_entry.setLevel(level) != 0;
    if (engine) {
        AfterLevelChange(level, open);
        if (!throughItem) {
            lumo::WinRegistry key;
            if (key.Open(reg::kRoot, reg::kMainKey, true)) {
                key.WriteDword(reg::kLastMode, static_cast<DWORD>(level));
            }
        }
    }
    return changed;
}

bool PowerGearDll::SetLevel(int level)
{
    if (!LevelCallsAllowed("SetLevel")) {
        return false;
    }
    LeaveHighLevelFirst();
    return ChangeLevel(level, false);
}

bool PowerGearDll::SetLevelItem(int level)
{
    if (!LevelCallsAllowed("SetLevelItem")) {
        return false;
    }
    LeaveHighLevelFirst();
    return ChangeLevel(level, true);
}

bool PowerGearDll::CheckReboot(int& reboot)
{
    return m_entry.checkReboot && m_entry.checkReboot(&reboot);
}

bool PowerGearDll::IsOptiDozeSupported()
{
    return Call(m_entry.isOptiDozeSupported);
}

bool PowerGearDll::IsFanControlSupported()
{
    return Call(m_entry.isFanControlSupported);
}

bool PowerGearDll::IsOptiBoostSupported()
{
    return Call(m_entry.isOptiBoostSupported);
}

bool PowerGearDll::IsOptiBoostTwoSupported()
{
    return Call(m_entry.isOptiBoostTwoSupported);
}

bool PowerGearDll::IsOptiBoostThreeSupported()
{
    return Call(m_entry.isOptiBoostThreeSupported);
}

bool PowerGearDll::IsHxRemoteSupported()
{
    return Call(m_entry.isHxRemoteSupported);
}

bool PowerGearDll::IsOptiNitroSupported()
{
    return Call(m_entry.isOptiNitroSupported);
}

bool PowerGearDll::IsThermostatSupported()
{
    return Call(m_entry.isThermostatSupported);
}

bool PowerGearDll::HasBasicGearEngine()
{
    return m_supportLevel == 2;
}

bool PowerGearDll::HasGearEngine()
{
    return m_supportLevel == 3 || m_supportLevel == 4;
}

bool PowerGearDll::HasFullGearEngine()
{
    return m_supportLevel == 4;
}

bool PowerGearDll::IsCapabilityWordEight()
{
    int word = 0;
    return m_supportLevel == 4 && GetItem(item::kCapabilityWord, word) && word == 8;
}

bool PowerGearDll::IsKFanThreeSupported()
{
    return Call(m_entry.isKFanThreeSupported);
}

bool PowerGearDll::ButtonEnable()
{
    return Call(m_entry.buttonEnable);
}

bool PowerGearDll::GetItem(int item, int& value)
{
    int read = 0;
    if (!m_entry.getItem || !m_entry.getItem(item, &read)) {
        return false;
    }
    value = read;
    return true;
}

bool PowerGearDll::SetItem(int item, int value)
{
    return m_entry.setItem && m_entry.setItem(item, value);
}

bool PowerGearDll::IsItemSupported(int item)
{
    return m_entry.isItemSupported && m_entry.isItemSupported(item);
}

bool PowerGearDll::SetItemEx(int item, int a, int b)
{
    return m_entry.setItemEx && m_entry.setItemEx(item, a, b);
}

void PowerGearDll::SetThreshold(int t1, int t2, int t3)
{
    if (!SetItem(item::kThreshold1, t1)) {
        ShowFailure("[PowerGearDll::SetThreshold] 0x0E0A0014 Failed");
    }
    if (!SetItem(item::kThreshold2, t2)) {
        ShowFailure("[PowerGearDll::SetThreshold] 0x0E0A0015 Failed");
    }
    if (!SetItem(item::kThreshold3, t3)) {
        ShowFailure("[PowerGearDll::SetThreshold] 0x0E0A0016 Failed");
    }
}

bool PowerGearDll::GetStringList(int a, int b, int c, int d)
{
    return m_entry.getStringList && m_entry.getStringList(a, b, c, d);
}

bool PowerGearDll::GetItemDefaultValue(int item, int& value)
{
    int read = 0;
    if (!m_entry.getItemDefaultValue || !m_entry.getItemDefaultValue(item, &read)) {
        return false;
    }
    value = read;
    return true;
}

bool PowerGearDll::GetItemInformation(int item, int& value)
{
    int read = 0;
    if (!m_entry.getItemInformation || !m_entry.getItemInformation(item, &read)) {
        return false;
    }
    value = read;
    return true;
}

} // namespace tv
