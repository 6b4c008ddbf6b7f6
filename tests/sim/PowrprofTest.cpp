// The recording powrprof.dll of the test prefix: the system folder's Powrprof.dll is the full
// stand-in of this process's bitness (not Wine's), records active-scheme reads and switches, and
// its variant without PowerEnumerate really lacks that entry. Every test frees the library again,
// so that the variant can be switched.
#include "sim/board/Powrprof.h"
#include "tests/sim/SimTest.h"

using simboard::Library;
using simboard::PowrprofVariant;

namespace {

typedef DWORD(WINAPI* GetActiveFn)(HKEY, GUID**);
typedef DWORD(WINAPI* SetActiveFn)(HKEY, const GUID*);
typedef BOOLEAN(WINAPI* GetIndexFn)(UINT*);
typedef BOOLEAN(WINAPI* SetIndexFn)(UINT, void*, void*);
typedef DWORD(WINAPI* EnumerateFn)(HKEY, const GUID*, const GUID*, DWORD, ULONG, UCHAR*, DWORD*);

const GUID kHighPerformance = {
    0x8C5E7FDA, 0xE8BF, 0x4A96, {0x9A, 0x85, 0xA6, 0xE2, 0x3A, 0x8C, 0x63, 0x5C}};
const GUID kBalanced = {
    0x381B4222, 0xF694, 0x41F0, {0x96, 0x85, 0xFF, 0x5B, 0xB2, 0x60, 0xDF, 0x2E}};
const GUID kPowerSaver = {
    0xA1841308, 0x3541, 0x4FAB, {0xBC, 0x81, 0xF7, 0x15, 0x56, 0xF2, 0x0B, 0x4A}};

const char* const kGuidEntries[] = {"PowerDuplicateScheme",
                                    "PowerReadFriendlyName",
                                    "PowerWriteFriendlyName",
                                    "PowerRestoreDefaultPowerSchemes",
                                    "PowerRestoreIndividualDefaultPowerScheme",
                                    "PowerGetActiveScheme",
                                    "PowerSetActiveScheme",
                                    "PowerDeleteScheme",
                                    "PowerReadDescription",
                                    "PowerWriteDescription",
                                    "PowerImportPowerScheme",
                                    "PowerEnumerate",
                                    "PowerWriteACValueIndex",
                                    "PowerReadACValueIndex"};

class PowrprofTest : public simtest::BoardTest
{
protected:
    void SetUp() override
    {
        simtest::BoardTest::SetUp();
        ASSERT_EQ(GetModuleHandleA("powrprof.dll"), nullptr)
            << "an earlier test kept Powrprof.dll loaded";
    }
};

TEST_F(PowrprofTest, SystemFolderHoldsTheFullStandIn)
{
    PowrprofVariant variant;
    ASSERT_TRUE(simboard::InstalledPowrprof(&variant)) << simboard::PowrprofPath();
    EXPECT_EQ(variant, PowrprofVariant::Full);

    simtest::Module powrprof(simboard::PowrprofPath());
    ASSERT_TRUE(powrprof.Loaded());
    for (const char* name : kGuidEntries) {
        EXPECT_NE(GetProcAddress(powrprof.Handle(), name), nullptr) << name;
    }
    EXPECT_NE(GetProcAddress(powrprof.Handle(), "GetActivePwrScheme"), nullptr);
    EXPECT_NE(GetProcAddress(powrprof.Handle(), "SetActivePwrScheme"), nullptr);
    // The two remaining entries of the GUID interface come from Wine's user32.
    HMODULE user32 = GetModuleHandleA("user32.dll");
    EXPECT_NE(GetProcAddress(user32, "RegisterPowerSettingNotification"), nullptr);
    EXPECT_NE(GetProcAddress(user32, "UnregisterPowerSettingNotification"), nullptr);

    // What answers is the stand-in, inside this process: its call reaches the journal.
    GUID* active = nullptr;
    ASSERT_EQ(powrprof.Entry<GetActiveFn>("PowerGetActiveScheme")(nullptr, &active), 0u);
    LocalFree(active);
    simboard::Journal journal = simboard::ReadJournal();
    ASSERT_EQ(journal.Calls(Library::Powrprof).size(), 1u);
    EXPECT_EQ(journal.entries.back().processId, GetCurrentProcessId());
}

TEST_F(PowrprofTest, RecordsSchemeReadsAndSwitches)
{
    simtest::Module powrprof(simboard::PowrprofPath());
    auto getActive = powrprof.Entry<GetActiveFn>("PowerGetActiveScheme");
    auto setActive = powrprof.Entry<SetActiveFn>("PowerSetActiveScheme");
    auto getIndex = powrprof.Entry<GetIndexFn>("GetActivePwrScheme");
    auto setIndex = powrprof.Entry<SetIndexFn>("SetActivePwrScheme");
    ASSERT_TRUE(getActive && setActive && getIndex && setIndex);

    GUID* active = nullptr;
    ASSERT_EQ(getActive(nullptr, &active), 0u);
    ASSERT_NE(active, nullptr);
    EXPECT_TRUE(IsEqualGUID(*active, kPowerSaver));
    EXPECT_EQ(setActive(nullptr, &kBalanced), 0u);
    EXPECT_EQ(setActive(nullptr, active), 0u); // the saved one back
    LocalFree(active);
    EXPECT_EQ(setActive(nullptr, &kHighPerformance), 0u);
    GUID unknown = kBalanced;
    unknown.Data4[7] ^= 1;
    EXPECT_EQ(setActive(nullptr, &unknown), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_NE(setActive(nullptr, nullptr), 0u);
    GUID current;
    ASSERT_TRUE(simboard::GetActiveScheme(&current));
    EXPECT_TRUE(IsEqualGUID(current, kHighPerformance));

    UINT index = 99;
    EXPECT_TRUE(getIndex(&index));
    EXPECT_EQ(index, 0u);
    EXPECT_TRUE(setIndex(3, nullptr, nullptr));
    EXPECT_FALSE(setIndex(6, nullptr, nullptr));
    EXPECT_TRUE(getIndex(&index));
    EXPECT_EQ(index, 3u);

    std::vector<std::string> texts;
    for (const simboard::JournalEntry& entry : simboard::ReadJournal().Calls(Library::Powrprof)) {
        texts.push_back(entry.Text());
    }
    EXPECT_EQ(texts, (std::vector<std::string>{
                         "powrprof PowerGetActiveScheme() = 0 -> 0xA1841308",
                         "powrprof PowerSetActiveScheme(0x381B4222) = 0",
                         "powrprof PowerSetActiveScheme(0xA1841308) = 0",
                         "powrprof PowerSetActiveScheme(0x8C5E7FDA) = 0",
                         "powrprof PowerSetActiveScheme(0x381B4222) = 2",
                         "powrprof PowerSetActiveScheme(0) = 87",
                         "powrprof GetActivePwrScheme() = 1 -> 0",
                         "powrprof SetActivePwrScheme(3) = 1",
                         "powrprof SetActivePwrScheme(6) = 0",
                         "powrprof GetActivePwrScheme() = 1 -> 3",
                     }));
}

TEST_F(PowrprofTest, EnumerateListsTheThreeSchemes)
{
    simtest::Module powrprof(simboard::PowrprofPath());
    auto enumerate = powrprof.Entry<EnumerateFn>("PowerEnumerate");
    ASSERT_NE(enumerate, nullptr);
    const DWORD accessScheme = 16;
    std::vector<GUID> schemes;
    for (ULONG i = 0;; ++i) {
        GUID scheme;
        DWORD size = sizeof scheme;
        DWORD result = enumerate(nullptr, nullptr, nullptr, accessScheme, i,
                                 reinterpret_cast<UCHAR*>(&scheme), &size);
        if (result == ERROR_NO_MORE_ITEMS) {
            break;
        }
        ASSERT_EQ(result, 0u);
        ASSERT_LT(i, 10u);
        schemes.push_back(scheme);
    }
    ASSERT_EQ(schemes.size(), 3u);
    EXPECT_TRUE(IsEqualGUID(schemes[1], kBalanced));
    DWORD size = 4;
    UCHAR small[4];
    EXPECT_EQ(enumerate(nullptr, nullptr, nullptr, accessScheme, 0, small, &size),
              static_cast<DWORD>(ERROR_MORE_DATA));
    EXPECT_EQ(size, sizeof(GUID));
}

TEST_F(PowrprofTest, VariantWithoutEnumerateLacksIt)
{
    simtest::Module noEnumerate(simboard::PowrprofVariantPath(PowrprofVariant::NoEnumerate));
    simtest::Module full(simboard::PowrprofVariantPath(PowrprofVariant::Full));
    ASSERT_TRUE(noEnumerate.Loaded() && full.Loaded());
    for (const char* name : kGuidEntries) {
        bool enumerate = std::string(name) == "PowerEnumerate";
        EXPECT_EQ(GetProcAddress(noEnumerate.Handle(), name) == nullptr, enumerate) << name;
        EXPECT_NE(GetProcAddress(full.Handle(), name), nullptr) << name;
    }
    EXPECT_NE(GetProcAddress(noEnumerate.Handle(), "GetActivePwrScheme"), nullptr);
    EXPECT_NE(GetProcAddress(noEnumerate.Handle(), "SetActivePwrScheme"), nullptr);
}

TEST_F(PowrprofTest, InstallingTheVariantForTheNextLoad)
{
    {
        simboard::ScopedPowrprof variant(PowrprofVariant::NoEnumerate);
        ASSERT_TRUE(variant.Installed()) << variant.Error();
        PowrprofVariant installed;
        ASSERT_TRUE(simboard::InstalledPowrprof(&installed));
        EXPECT_EQ(installed, PowrprofVariant::NoEnumerate);
        {
            simtest::Module powrprof(simboard::PowrprofPath());
            ASSERT_TRUE(powrprof.Loaded());
            EXPECT_EQ(GetProcAddress(powrprof.Handle(), "PowerEnumerate"), nullptr);
            EXPECT_NE(GetProcAddress(powrprof.Handle(), "PowerGetActiveScheme"), nullptr);
            // Loaded: no switching now.
            std::string error;
            EXPECT_FALSE(simboard::InstallPowrprof(PowrprofVariant::Full, &error));
            EXPECT_NE(error.find("already loaded"), std::string::npos) << error;
        }
    }
    PowrprofVariant installed;
    ASSERT_TRUE(simboard::InstalledPowrprof(&installed));
    EXPECT_EQ(installed, PowrprofVariant::Full);
    simtest::Module powrprof(simboard::PowrprofPath());
    EXPECT_NE(GetProcAddress(powrprof.Handle(), "PowerEnumerate"), nullptr);
}

} // namespace
