#include "shell/base/Translate.h"
#include "lumo/System/Source/IniAccess.h"
#include "tests/support/Support.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace {

using tv::Translator;

constexpr LANGID kEnglishUs = 0x0409;
constexpr LANGID kGerman = 0x0407;
constexpr LANGID kSpanishModern = 0x0C0A;

// Every key the program looks up.
const char* const kProgramKeys[] = {"Mode Setting",
                                    "Current Status",
                                    "Tranquility",
                                    "Performance",
                                    "Reliability",
                                    "Convenience",
                                    "Energy Saved",
                                    "Setting",
                                    "Calibrate",
                                    "Current",
                                    "Exit",
                                    "Since",
                                    "Total reduced CO2 Emission",
                                    "Auto Mode",
                                    "High Performance Mode",
                                    "Max Power Saving Mode",
                                    "Clear CO2 Emission",
                                    "CanNotRunUnderBiosOc",
                                    "CanNotRunUnderApOc",
                                    "ConflictOptiSuite",
                                    "CanNotRunUnderVoltTurn",
                                    "OK",
                                    "Mode",
                                    "Auto",
                                    "Turbo",
                                    "High performance",
                                    "Medium power saving",
                                    "Max power saving",
                                    "Show tips",
                                    "AutoRun",
                                    "FirstRunQEM-4",
                                    "SetToAutoCalibrate",
                                    "BackToDefault",
                                    "ChangeSetting",
                                    "Yes",
                                    "No",
                                    "SetToHighPerformanceBeforeExit",
                                    "AreYouSure",
                                    "CalibrateAfterSetting",
                                    "InformCalibration",
                                    "Calibrating, please wait...",
                                    "Total",
                                    "Reduced CO2 Emission",
                                    "Current CPU Energy Saved",
                                    "Total CPU Energy Saved",
                                    "Medium Power Saving",
                                    "Cancel",
                                    "VGAWindow",
                                    "Current CPU Power",
                                    "Default",
                                    "vCore Voltage Downgrade",
                                    "VDDNB Voltage Downgrade",
                                    "CPU Loadline",
                                    "Turn Off hard disks",
                                    "Turn Off Screen",
                                    "Opti Doze Idle Time",
                                    "Fan Control",
                                    "Small",
                                    "Medium",
                                    "Heavy",
                                    "OFF",
                                    "Keep BIOS Setting",
                                    "Slow",
                                    "Quiet",
                                    "After 1 min",
                                    "After %1 mins",
                                    "After 1 hour",
                                    "After %1 hours",
                                    "Never",
                                    "KALDO Opti Suite required"};

const char* const kSymbolicKeys[] = {"FirstRunQEM-4",
                                     "SetToAutoCalibrate",
                                     "BackToDefault",
                                     "ChangeSetting",
                                     "SetToHighPerformanceBeforeExit",
                                     "AreYouSure",
                                     "CalibrateAfterSetting",
                                     "InformCalibration",
                                     "CanNotRunUnderBiosOc",
                                     "CanNotRunUnderApOc",
                                     "ConflictOptiSuite",
                                     "CanNotRunUnderVoltTurn",
                                     "VGAWindow"};

// A language tree of the test's own, so the shipped files are never touched.
class TranslateTree : public testing::Test
{
protected:
    void SetUp() override
    {
        dir.WriteFile("English\\English.ini",
                      "[Translations]\r\nOK=OK\r\nExit=Exit\r\nOnlyEnglish=From English\r\n"
                      "Marked=English text\r\n");
    }
    Translator Make() const { return Translator(dir.Path()); }

    tvtest::TempDir dir;
};

TEST_F(TranslateTree, MissingLanguageIndexChoosesEnglish)
{
    Translator t = Make();
    EXPECT_EQ("English", t.LanguageName(kGerman));
    EXPECT_EQ("Exit", t.Translate(kGerman, "Exit"));
}

TEST_F(TranslateTree, FourDigitEntryWinsOverThePrimaryOne)
{
    dir.WriteFile("KdMultiLang.ini", "[Languages]\r\n0409=Deutsch\r\n09=English\r\n");
    dir.WriteFile("Deutsch\\Deutsch.ini", "[Translations]\r\nExit=Beenden\r\n");
    Translator t = Make();
    EXPECT_EQ("Deutsch", t.LanguageName(kEnglishUs));
    EXPECT_EQ("Beenden", t.Translate(kEnglishUs, "Exit"));
    EXPECT_EQ("From English", t.Translate(kEnglishUs, "OnlyEnglish"))
        << "a key missing in the language falls back to English";
}

TEST_F(TranslateTree, PrimaryLanguageEntryIsUsedWhenTheFullIdIsMissing)
{
    dir.WriteFile("KdMultiLang.ini", "[Languages]\r\n0A=Espanol\r\n");
    dir.WriteFile("Espanol\\Espanol.ini", "[Translations]\r\nExit=Salir\r\n");
    Translator t = Make();
    EXPECT_EQ("Espanol", t.LanguageName(kSpanishModern));
    EXPECT_EQ("Salir", t.Translate(kSpanishModern, "Exit"));
    EXPECT_EQ("English", t.LanguageName(0x0411)) << "no entry for Japanese";
}

TEST_F(TranslateTree, StoredMarkerCountsAsMissing)
{
    dir.WriteFile("KdMultiLang.ini", "[Languages]\r\n07=Deutsch\r\n");
    dir.WriteFile("Deutsch\\Deutsch.ini", "[Translations]\r\nMarked=Error 737\r\n");
    EXPECT_EQ("English text", Make().Translate(kGerman, "Marked"));
}

TEST_F(TranslateTree, KeyFoundNowhereGivesTheMarker)
{
    EXPECT_EQ("Error 737", Make().Translate(kEnglishUs, "NoSuchKey"));
    EXPECT_EQ("Error 737", Make().Translate(kEnglishUs, nullptr));
}

TEST_F(TranslateTree, MissingLanguageFileFallsBackToEnglish)
{
    dir.WriteFile("KdMultiLang.ini", "[Languages]\r\n07=Deutsch\r\n");
    EXPECT_EQ("Deutsch", Make().LanguageName(kGerman));
    EXPECT_EQ("Exit", Make().Translate(kGerman, "Exit"));
}

TEST_F(TranslateTree, LongTranslationComesBackWhole)
{
    std::string text(300, 'w');
    dir.WriteFile("English\\English.ini", "[Translations]\r\nLong=" + text + "\r\n");
    EXPECT_EQ(text, Make().Translate(kEnglishUs, "Long"));
}

TEST_F(TranslateTree, LanguageNameThatLeavesTheFolderIsNotUsed)
{
    dir.WriteFile("KdMultiLang.ini", "[Languages]\r\n07=..\\..\\Windows\r\n0409=C:\\x\r\n");
    tvtest::TraceCapture trace;
    EXPECT_EQ("English", Make().LanguageName(kGerman));
    EXPECT_EQ("English", Make().LanguageName(kEnglishUs));
    EXPECT_TRUE(trace.Contains("is not usable"));
}

// The language files shipped in the stage.
class ShippedLanguages : public testing::Test
{
protected:
    Translator shipped{tvtest::StageDir() + "LangFiles\\"};
};

TEST_F(ShippedLanguages, EnglishHasEveryKeyTheProgramUses)
{
    for (const char* key : kProgramKeys) {
        std::string text = shipped.Translate(kEnglishUs, key);
        EXPECT_NE("Error 737", text) << key;
        EXPECT_FALSE(text.empty()) << key;
    }
    for (const char* key : kSymbolicKeys) {
        EXPECT_GT(shipped.Translate(kEnglishUs, key).size(), std::string(key).size())
            << key << " has a real sentence";
    }
    EXPECT_NE(std::string::npos,
              shipped.Translate(kEnglishUs, "CanNotRunUnderBiosOc").find("BIOS"));
}

TEST_F(ShippedLanguages, GermanIsCompleteAndChosenForGermanSystems)
{
    for (LANGID id : {kGerman, static_cast<LANGID>(0x0807), static_cast<LANGID>(0x0C07)}) {
        EXPECT_EQ("Deutsch", shipped.LanguageName(id)) << std::hex << id;
    }
    EXPECT_EQ("English", shipped.LanguageName(kEnglishUs));
    EXPECT_EQ("English", shipped.LanguageName(0x040C)) << "French falls back to English";
    // Read the German file itself: a key missing there would otherwise come back in English.
    lumo::IniAccess german;
    ASSERT_TRUE(german.Open(tvtest::StageDir() + "LangFiles\\Deutsch\\Deutsch.ini"));
    int differing = 0;
    for (const char* key : kProgramKeys) {
        std::string text;
        ASSERT_TRUE(german.Read("Translations", key, "", text));
        EXPECT_FALSE(text.empty()) << key << " is missing in German";
        EXPECT_EQ(text, shipped.Translate(kGerman, key)) << key;
        differing += text != shipped.Translate(kEnglishUs, key);
    }
    german.Close();
    EXPECT_GT(differing, 50) << "German texts are translations, not English fallbacks";
}

// The overclock notices double as the tray tooltip (127 characters at most), and the dialogs'
// message labels hold about four lines of bold text.
TEST_F(ShippedLanguages, TextsFitWhereTheyAreShown)
{
    for (LANGID id : {kEnglishUs, kGerman}) {
        for (const char* key : {"CanNotRunUnderBiosOc", "CanNotRunUnderApOc"}) {
            EXPECT_LE(shipped.Translate(id, key).size(), 127u) << key << " in " << std::hex << id;
        }
        for (const char* key : kSymbolicKeys) {
            // The card notice has a wider label of its own.
            const size_t most = std::string(key) == "VGAWindow" ? 220 : 175;
            EXPECT_LE(shipped.Translate(id, key).size(), most) << key << " in " << std::hex << id;
        }
    }
}

TEST_F(ShippedLanguages, GermanTextComesBackInItsAnsiCodePageByteForByte)
{
    EXPECT_EQ("Zuverl\xE4ssigkeit", shipped.Translate(kGerman, "Reliability"));
    EXPECT_EQ("L\xFC"
              "ftersteuerung",
              shipped.Translate(kGerman, "Fan Control"));
    EXPECT_EQ("Insgesamt vermiedener CO2-Aussto\xDF",
              shipped.Translate(kGerman, "Total reduced CO2 Emission"));
}

TEST_F(ShippedLanguages, KeysDifferingOnlyInCaseShareOneEntry)
{
    EXPECT_EQ(shipped.Translate(kEnglishUs, "Medium power saving"),
              shipped.Translate(kEnglishUs, "Medium Power Saving"));
}

TEST(Translate, UsesTheSystemDefaultLanguage)
{
    const Translator& t = Translator::Instance();
    EXPECT_EQ(tvtest::StageDir() + "LangFiles\\", t.LanguageRoot());
    EXPECT_EQ(t.Translate(GetSystemDefaultLangID(), "Exit"), tv::Translate("Exit"));
}

} // namespace
