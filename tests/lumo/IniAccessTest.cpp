#include "lumo/System/Source/IniAccess.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace {

using lumo::IniAccess;

TEST(IniAccess, ReadsKeysAndGivesTheDefaultForMissingOnes)
{
    tvtest::TempDir dir;
    dir.WriteFile("a.ini", "[Translations]\r\nOK=Okay\r\nEmpty=\r\n");
    IniAccess ini;
    ASSERT_TRUE(ini.Open(dir.Path() + "a.ini"));
    std::string text;
    EXPECT_TRUE(ini.Read("Translations", "OK", "Error 737", text));
    EXPECT_EQ("Okay", text);
    EXPECT_TRUE(ini.Read("Translations", "ok", "Error 737", text)) << "keys ignore case";
    EXPECT_EQ("Okay", text);
    EXPECT_TRUE(ini.Read("Translations", "Missing", "Error 737", text));
    EXPECT_EQ("Error 737", text);
    EXPECT_TRUE(ini.Read("Translations", "Empty", "Error 737", text));
    EXPECT_EQ("", text);
    EXPECT_TRUE(ini.Read("Other", "OK", "Error 737", text));
    EXPECT_EQ("Error 737", text);
}

TEST(IniAccess, MissingFileOpensAndReadsTheDefault)
{
    tvtest::TempDir dir;
    IniAccess ini;
    ASSERT_TRUE(ini.Open(dir.Path() + "none.ini"));
    EXPECT_TRUE(ini.IsOpen());
    std::string text;
    EXPECT_TRUE(ini.Read("Languages", "0409", "Error 737", text));
    EXPECT_EQ("Error 737", text);
    ini.Close();
    EXPECT_FALSE(ini.IsOpen());
    ini.Close(); // closing twice is harmless
}

TEST(IniAccess, TextsAroundAndBeyondTheFirstBufferComeBackWhole)
{
    tvtest::TempDir dir;
    std::string file = "[S]\r\n";
    for (size_t length : {126u, 127u, 128u, 129u, 255u, 256u, 1000u, 5000u}) {
        file += "K" + std::to_string(length) + "=" + std::string(length, 'x') + "\r\n";
    }
    dir.WriteFile("long.ini", file);
    IniAccess ini;
    ASSERT_TRUE(ini.Open(dir.Path() + "long.ini"));
    for (size_t length : {126u, 127u, 128u, 129u, 255u, 256u, 1000u, 5000u}) {
        std::string text;
        EXPECT_TRUE(ini.Read("S", ("K" + std::to_string(length)).c_str(), "", text));
        EXPECT_EQ(length, text.size()) << length;
        EXPECT_EQ(std::string(length, 'x'), text);
    }
}

TEST(IniAccess, NullKeyListsTheSectionsKeys)
{
    tvtest::TempDir dir;
    dir.WriteFile("k.ini", "[Languages]\r\n0409=English\r\n07=Deutsch\r\n");
    IniAccess ini;
    ASSERT_TRUE(ini.Open(dir.Path() + "k.ini"));
    std::string keys;
    EXPECT_TRUE(ini.Read("Languages", nullptr, "", keys));
    EXPECT_EQ(std::string("0409\0"
                          "07\0",
                          8),
              keys);
}

TEST(IniAccessDeathTest, OpeningAnOpenObjectIsAProgrammingError)
{
    EXPECT_DEATH(
        {
            IniAccess ini;
            ini.Open("a.ini");
            ini.Open("b.ini");
        },
        "Assertion failed: !IsOpen\\(\\), file lumo/System/Source/IniAccess.cpp, line \\d+");
}

} // namespace
