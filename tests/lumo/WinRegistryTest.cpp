#include "lumo/System/Source/WinRegistry.h"
#include "tests/support/Support.h"

#include <cstring>

namespace {

using lumo::WinRegistry;
using tvtest::CleanRegistryTest;

constexpr char kKey[] = "Software\\KALDO\\Opti Gear3";
constexpr char kSubKey[] = "Software\\KALDO\\Opti Gear3\\Advance";

class WinRegistryTest : public CleanRegistryTest
{};

TEST_F(WinRegistryTest, OpenWithoutCreateFailsOnMissingKeyAndCreateMakesTheWholePath)
{
    WinRegistry reg;
    EXPECT_FALSE(reg.Open(HKEY_LOCAL_MACHINE, kSubKey, false));
    EXPECT_FALSE(reg.IsOpen());
    ASSERT_TRUE(reg.Open(HKEY_LOCAL_MACHINE, kSubKey, true));
    EXPECT_TRUE(reg.IsOpen());
    reg.Close();
    EXPECT_FALSE(reg.IsOpen());
    EXPECT_TRUE(tvtest::KeyExists(kSubKey));
    WinRegistry again;
    EXPECT_TRUE(again.Open(HKEY_LOCAL_MACHINE, kSubKey, false));
}

TEST_F(WinRegistryTest, DwordRoundTripAndMissingValue)
{
    WinRegistry reg;
    ASSERT_TRUE(reg.Open(HKEY_LOCAL_MACHINE, kKey, true));
    EXPECT_TRUE(reg.WriteDword("LastMode", 0x8000));
    DWORD value = 7;
    EXPECT_TRUE(reg.ReadDword("LastMode", value));
    EXPECT_EQ(0x8000u, value);
    value = 7;
    EXPECT_FALSE(reg.ReadDword("NoSuchValue", value));
    EXPECT_EQ(7u, value) << "a failed read leaves the caller's default";
    EXPECT_EQ(0x8000u, tvtest::ReadRawDword(kKey, "LastMode", 0));
}

TEST_F(WinRegistryTest, DwordOfAnotherTypeOrSizeReadsAsAbsent)
{
    const unsigned char twoBytes[2] = {1, 0};
    const unsigned char eightBytes[8] = {1, 0, 0, 0, 0, 0, 0, 0};
    const DWORD one = 1;
    ASSERT_TRUE(tvtest::WriteRawString(kKey, "AsString", REG_SZ, "1"));
    ASSERT_TRUE(tvtest::WriteRaw(kKey, "AsBinary", REG_BINARY, &one, sizeof one));
    ASSERT_TRUE(tvtest::WriteRaw(kKey, "Short", REG_DWORD, twoBytes, sizeof twoBytes));
    ASSERT_TRUE(tvtest::WriteRaw(kKey, "Long", REG_DWORD, eightBytes, sizeof eightBytes));
    ASSERT_TRUE(tvtest::WriteRaw(kKey, "BigEndian", REG_DWORD_BIG_ENDIAN, &one, sizeof one));

    WinRegistry reg;
    ASSERT_TRUE(reg.Open(HKEY_LOCAL_MACHINE, kKey, false));
    for (const char* name : {"AsString", "AsBinary", "Short", "Long", "BigEndian"}) {
        DWORD value = 0xABCD;
        EXPECT_FALSE(reg.ReadDword(name, value)) << name;
        EXPECT_EQ(0xABCDu, value) << name;
    }
}

TEST_F(WinRegistryTest, KeyNamesAreCaseInsensitive)
{
    WinRegistry writer;
    ASSERT_TRUE(writer.Open(HKEY_LOCAL_MACHINE, "Software\\KALDO\\OPTI GEAR3", true));
    ASSERT_TRUE(writer.WriteDword("Threshold1", 42));
    writer.Close();
    WinRegistry reader;
    ASSERT_TRUE(reader.Open(HKEY_LOCAL_MACHINE, kKey, false));
    DWORD value = 0;
    EXPECT_TRUE(reader.ReadDword("threshold1", value));
    EXPECT_EQ(42u, value);
}

TEST_F(WinRegistryTest, StringAcceptsTheThreeStringTypesWithoutExpansion)
{
    const char* runOnce = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce\\";
    WinRegistry reg;
    ASSERT_TRUE(reg.Open(HKEY_LOCAL_MACHINE, runOnce, true));
    struct Case
    {
        DWORD type;
        std::string stored;
        std::string expected;
    } cases[] = {
        {REG_SZ, "C:\\Setup\\setup.exe /finish", "C:\\Setup\\setup.exe /finish"},
        {REG_EXPAND_SZ, "%SystemRoot%\\setup.exe", "%SystemRoot%\\setup.exe"},
        {REG_MULTI_SZ, std::string("first\0second\0", 14), "first"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(tvtest::WriteRaw(runOnce, "Tetravolt Install", c.type, c.stored.data(),
                                     static_cast<DWORD>(c.stored.size() + 1)));
        std::string text = "unchanged";
        EXPECT_TRUE(reg.ReadString("Tetravolt Install", text)) << c.type;
        EXPECT_EQ(c.expected, text) << c.type;
    }
    ASSERT_TRUE(tvtest::WriteRawDword(runOnce, "Tetravolt Install", 1));
    std::string text = "unchanged";
    EXPECT_FALSE(reg.ReadString("Tetravolt Install", text));
    EXPECT_EQ("unchanged", text);
    EXPECT_FALSE(reg.ReadString("Missing", text));
}

TEST_F(WinRegistryTest, EightByteItemsReadOnlyWhenExactlyEightBytesAreStored)
{
    WinRegistry reg;
    ASSERT_TRUE(reg.Open(HKEY_LOCAL_MACHINE, "Software\\KALDO\\Opti Gear3\\QEM\\MB", true));
    ASSERT_TRUE(reg.WriteDouble("TotalSaving", 12.625));
    double saving = 0;
    EXPECT_TRUE(reg.ReadDouble("TotalSaving", saving));
    EXPECT_EQ(12.625, saving);

    tvtest::RawValue raw = tvtest::ReadRaw("Software\\KALDO\\Opti Gear3\\QEM\\MB", "TotalSaving");
    ASSERT_TRUE(raw.exists);
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), raw.type);
    ASSERT_EQ(8u, raw.data.size());
    double stored;
    std::memcpy(&stored, raw.data.data(), 8);
    EXPECT_EQ(12.625, stored) << "little-endian IEEE double";

    const unsigned char four[4] = {0, 0, 0x80, 0x3F};
    const unsigned char twelve[12] = {};
    const double asDword = 1.0;
    ASSERT_TRUE(tvtest::WriteRaw("Software\\KALDO\\Opti Gear3\\QEM\\MB", "Four", REG_BINARY, four,
                                 sizeof four));
    ASSERT_TRUE(tvtest::WriteRaw("Software\\KALDO\\Opti Gear3\\QEM\\MB", "Twelve", REG_BINARY,
                                 twelve, sizeof twelve));
    ASSERT_TRUE(tvtest::WriteRaw("Software\\KALDO\\Opti Gear3\\QEM\\MB", "Typed", REG_QWORD,
                                 &asDword, sizeof asDword));
    for (const char* name : {"Four", "Twelve", "Typed", "Missing"}) {
        double value = -1;
        EXPECT_FALSE(reg.ReadDouble(name, value)) << name;
        EXPECT_EQ(-1, value) << name;
        FILETIME time = {1, 2};
        EXPECT_FALSE(reg.ReadFileTime(name, time)) << name;
        EXPECT_EQ(1u, time.dwLowDateTime) << name;
    }
}

TEST_F(WinRegistryTest, FileTimeRoundTrip)
{
    WinRegistry reg;
    ASSERT_TRUE(reg.Open(HKEY_LOCAL_MACHINE, "Software\\KALDO\\Opti Gear3\\QEM\\MB", true));
    SYSTEMTIME local;
    GetLocalTime(&local);
    FILETIME now;
    ASSERT_TRUE(SystemTimeToFileTime(&local, &now));
    ASSERT_TRUE(reg.WriteFileTime("ResetTime", now));
    FILETIME back = {};
    ASSERT_TRUE(reg.ReadFileTime("ResetTime", back));
    EXPECT_EQ(now.dwLowDateTime, back.dwLowDateTime);
    EXPECT_EQ(now.dwHighDateTime, back.dwHighDateTime);
}

TEST_F(WinRegistryTest, BinaryRequiresBinaryTypeAndReportsSize)
{
    ASSERT_TRUE(tvtest::WriteRawDword(kKey, "Dword", 5));
    const unsigned char three[3] = {1, 2, 3};
    ASSERT_TRUE(tvtest::WriteRaw(kKey, "Three", REG_BINARY, three, sizeof three));
    WinRegistry reg;
    ASSERT_TRUE(reg.Open(HKEY_LOCAL_MACHINE, kKey, false));
    unsigned char buffer[8] = {};
    DWORD size = sizeof buffer;
    EXPECT_FALSE(reg.ReadBinary("Dword", buffer, size));
    size = sizeof buffer;
    EXPECT_TRUE(reg.ReadBinary("Three", buffer, size));
    EXPECT_EQ(3u, size);
    EXPECT_EQ(3, buffer[2]);
    size = 2;
    EXPECT_FALSE(reg.ReadBinary("Three", buffer, size)) << "a buffer too small fails";
}

TEST_F(WinRegistryTest, FlagWrittenThroughFlushPathIsSeenByOthers)
{
    {
        WinRegistry reg;
        ASSERT_TRUE(reg.Open(HKEY_LOCAL_MACHINE, kSubKey, true));
        ASSERT_TRUE(reg.WriteDword("Gear_Flag", 1));
        reg.FlushKey();
        EXPECT_EQ(1u, tvtest::ReadRawDword(kSubKey, "Gear_Flag", 0)) << "visible before close";
    }
    WinRegistry closed;
    closed.FlushKey(); // nothing open: nothing happens
    EXPECT_EQ(1u, tvtest::ReadRawDword(kSubKey, "Gear_Flag", 0));
}

TEST_F(WinRegistryTest, DeleteValueReportsWhetherSomethingWasDeleted)
{
    WinRegistry reg;
    ASSERT_TRUE(reg.Open(HKEY_LOCAL_MACHINE, kKey, true));
    ASSERT_TRUE(reg.WriteDword("Threshold2", 3));
    EXPECT_TRUE(reg.DeleteValue("Threshold2"));
    EXPECT_FALSE(reg.DeleteValue("Threshold2"));
    EXPECT_FALSE(tvtest::ReadRaw(kKey, "Threshold2").exists);
}

TEST_F(WinRegistryTest, OwnsHandleFlagDecidesWhetherCloseClosesTheHandle)
{
    ASSERT_TRUE(tvtest::WriteRawDword(kKey, "Value", 9));
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_ALL_ACCESS, &key));
    {
        WinRegistry borrowed;
        borrowed.Attach(key, false);
        DWORD value = 0;
        EXPECT_TRUE(borrowed.ReadDword("Value", value));
    }
    DWORD type, value, size = sizeof value;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "Value", nullptr, &type,
                                              reinterpret_cast<BYTE*>(&value), &size))
        << "a borrowed handle stays open";
    {
        WinRegistry owner;
        owner.Attach(key, true);
    }
    size = sizeof value;
    EXPECT_NE(ERROR_SUCCESS, RegQueryValueExA(key, "Value", nullptr, &type,
                                              reinterpret_cast<BYTE*>(&value), &size))
        << "an owned handle is closed with the object";
}

TEST_F(WinRegistryTest, EnumerationBuffersFollowTheLongestNames)
{
    ASSERT_TRUE(tvtest::WriteRawDword(kKey, "A", 1));
    ASSERT_TRUE(tvtest::WriteRawDword(kKey, "CalibrationNeeded", 1));
    ASSERT_TRUE(tvtest::WriteRawDword(kSubKey, "X", 1));
    WinRegistry reg;
    ASSERT_TRUE(reg.Open(HKEY_LOCAL_MACHINE, kKey, false));
    EXPECT_EQ(std::strlen("CalibrationNeeded") + 1, reg.ValueNameBuffer().size());
    EXPECT_EQ(std::strlen("Advance") + 1, reg.SubKeyNameBuffer().size());
    reg.Close();
    EXPECT_TRUE(reg.ValueNameBuffer().empty());
}

TEST_F(WinRegistryTest, ProgramKeysLiveInTheViewOfTheProgramsBitness)
{
    WinRegistry reg;
    ASSERT_TRUE(reg.Open(HKEY_LOCAL_MACHINE, kKey, true));
    ASSERT_TRUE(reg.WriteDword("NotFirstTime", 1));
    reg.Close();
    const bool is32 = sizeof(void*) == 4;
    EXPECT_EQ(is32, tvtest::ReadRaw(kKey, "NotFirstTime", KEY_WOW64_32KEY).exists &&
                        !tvtest::ReadRaw(kKey, "NotFirstTime", KEY_WOW64_64KEY).exists);
    EXPECT_EQ(!is32, tvtest::ReadRaw(kKey, "NotFirstTime", KEY_WOW64_64KEY).exists &&
                         !tvtest::ReadRaw(kKey, "NotFirstTime", KEY_WOW64_32KEY).exists);
}

TEST(WinRegistryDeathTest, OpeningAnOpenObjectIsAProgrammingError)
{
    EXPECT_DEATH(
        {
            WinRegistry reg;
            reg.Open(HKEY_LOCAL_MACHINE, "Software", false);
            reg.Open(HKEY_LOCAL_MACHINE, "Software", false);
        },
        "Assertion failed: !IsOpen\\(\\), file lumo/System/Source/WinRegistry.cpp, line \\d+");
}

} // namespace
