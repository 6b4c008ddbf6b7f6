#pragma once
// The power-gear facade over the maker's "OptiGear.dll".
#include "power/MakerAbi.h"
#include "lumo/System/Source/Owners.h"
#include "power/PowerGear.h"

#include <string>

namespace tv {

class PowerGearDll : public PowerGear
{
public:
    static constexpr char kLibraryName[] = "OptiGear.dll";
    // The sub-folder of implementations other than the first.
    static constexpr char kSubFolder[] = "OptiGear";

    // programFolder with its trailing backslash; subFolder empty for the library beside the
    // program. Nothing is loaded before Load().
    PowerGearDll(std::string programFolder, std::string subFolder);
    ~PowerGearDll() override;

    // A missing file, a failed load and a library without all its exports each show their box
    // and leave the library unsupported.
    bool Load() override;
    // Load without the box; TellLoadFailure shows it (once), on the calling thread or, aside, on
    // a thread of its own that the caller does not wait for. The process-wide facade is first
    // reached inside the one-time initialisation of other process-wide objects, where a box's
    // message loop must not run on the caller's thread: a timer or a peer's message handled in
    // it would reach those objects again and wait for their initialisation for ever.
    bool LoadQuietly();
    void TellLoadFailure(bool aside = false);
    bool IsSupported() override;
    bool CheckOC() override;
    int GetLevel() override;
    bool SetLevel(int level) override;
    bool SetLevelItem(int level) override;
    bool CheckReboot(int& reboot) override;
    bool IsOptiDozeSupported() override;
    bool IsFanControlSupported() override;
    bool IsOptiBoostSupported() override;
    bool IsOptiBoostTwoSupported() override;
    bool IsOptiBoostThreeSupported() override;
    bool IsHxRemoteSupported() override;
    bool IsOptiNitroSupported() override;
    bool IsThermostatSupported() override;
    bool HasBasicGearEngine() override;
    bool HasGearEngine() override;
    bool HasFullGearEngine() override;
    bool IsCapabilityWordEight() override;
    bool IsKFanThreeSupported() override;
    bool ButtonEnable() override;
    bool GetItem(int item, int& value) override;
    bool SetItem(int item, int value) override;
    bool IsItemSupported(int item) override;
    bool SetItemEx(int item, int a, int b) override;
    void SetThreshold(int t1, int t2, int t3) override;
    bool GetStringList(int a, int b, int c, int d) override;
    bool GetItemDefaultValue(int item, int& value) override;
    bool GetItemInformation(int item, int& value) override;
    std::string LibraryPath() const override;

    bool IsLoaded() const { return static_cast<bool>(m_module); }
    // 0 (unsupported) to 4, graded once after the library's init.
    int SupportLevel() const { return m_supportLevel; }

private:
    struct Exports
    {
        maker::NoArgFn init = nullptr;
        maker::OutIntFn isSupport = nullptr;
        maker::OutIntFn checkOC = nullptr;
        maker::OutIntFn getLevel = nullptr;
        maker::IntFn setLevel = nullptr;
        maker::OutIntFn checkReboot = nullptr;
        maker::NoArgFn isOptiDozeSupported = nullptr;
        maker::NoArgFn isFanControlSupported = nullptr;
        maker::NoArgFn isOptiBoostSupported = nullptr;
        maker::NoArgFn isOptiBoostTwoSupported = nullptr;
        maker::NoArgFn isOptiBoostThreeSupported = nullptr;
        maker::NoArgFn isHxRemoteSupported = nullptr;
        maker::NoArgFn isOptiNitroSupported = nullptr;
        maker::NoArgFn isThermostatSupported = nullptr;
        maker::NoArgFn isOptiGearTwoSupported = nullptr;
        maker::NoArgFn isKFanThreeSupported = nullptr;
        maker::NoArgFn buttonEnable = nullptr;
        maker::GetItemFn getItem = nullptr;
        maker::SetItemFn setItem = nullptr;
        maker::SetItemExFn setItemEx = nullptr;
        maker::IntFn isItemSupported = nullptr;
        maker::FourIntFn getStringList = nullptr;
        maker::GetItemFn getItemDefaultValue = nullptr;
        maker::GetItemFn getItemInformation = nullptr;
    };

    // Null when every export is there, else the first missing one.
    const char* ResolveExports();
    int GradeSupportLevel();

    std::string m_failureText;
    bool Call(maker::NoArgFn entry) const;
    // Level calls on a library that reports no support do nothing.
    bool LevelCallsAllowed(const char* operation);
    // Turbo and Auto are left through High performance first on boards without a gear engine.
    void LeaveHighLevelFirst();
    // The open guard: true when the gear engine is (now) open.
    bool OpenGuard();
    bool IsOptiGearOpen(int& open);
    bool EnableOptiGear();
    // After the level call: thresholds for Auto, closing the engine again for High performance.
    void AfterLevelChange(int level, bool engineOpen);
    bool ChangeLevel(int level, bool throughItem);

    std::string m_folder;
    std::string m_subFolder;
    lumo::ModuleHandle m_module;
    Exports m_entry;
    int m_supportLevel = 0;
};

} // namespace tv
