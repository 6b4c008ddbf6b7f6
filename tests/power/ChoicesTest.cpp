// Gear levels and their profiles, and the timeout choice lists with their mappings.
#include "power/GearLevel.h"
#include "power/TimeoutChoices.h"

#include <gtest/gtest.h>

namespace {

TEST(GearLevel, OnlyAutoHighPerformanceAndMaxPowerSavingAreApplied)
{
    EXPECT_EQ(tv::NormalizeGearLevel(1), 2);
    EXPECT_EQ(tv::NormalizeGearLevel(0x4000), 0);
    EXPECT_EQ(tv::NormalizeGearLevel(7), 0);
    EXPECT_EQ(tv::NormalizeGearLevel(-1), 0);
    EXPECT_EQ(tv::NormalizeGearLevel(0), 0);
    EXPECT_EQ(tv::NormalizeGearLevel(2), 2);
    EXPECT_EQ(tv::NormalizeGearLevel(0x8000), 0x8000);
    EXPECT_EQ(tv::NormalizeGearLevel(0x8011), 0);
}

TEST(GearLevel, ProfileIndexAndBack)
{
    EXPECT_EQ(tv::ProfileIndexFromGearLevel(0x4000), 0);
    EXPECT_EQ(tv::ProfileIndexFromGearLevel(0), 1);
    EXPECT_EQ(tv::ProfileIndexFromGearLevel(1), 2);
    EXPECT_EQ(tv::ProfileIndexFromGearLevel(2), 3);
    EXPECT_EQ(tv::ProfileIndexFromGearLevel(0x8000), 4);
    EXPECT_EQ(tv::ProfileIndexFromGearLevel(3), 1);
    EXPECT_EQ(tv::GearLevelFromProfileIndex(0), 0x4000);
    EXPECT_EQ(tv::GearLevelFromProfileIndex(1), 0);
    EXPECT_EQ(tv::GearLevelFromProfileIndex(3), 2);
    EXPECT_EQ(tv::GearLevelFromProfileIndex(4), 0);
    EXPECT_EQ(tv::GearLevelFromProfileIndex(-1), 0);
}

TEST(GearLevel, TrayMenuNames)
{
    EXPECT_STREQ(tv::kModeNames[tv::ModeNameIndex(0x8000)], "Auto");
    EXPECT_STREQ(tv::kModeNames[tv::ModeNameIndex(0x4000)], "Turbo");
    EXPECT_STREQ(tv::kModeNames[tv::ModeNameIndex(0)], "High performance");
    EXPECT_STREQ(tv::kModeNames[tv::ModeNameIndex(1)], "Medium power saving");
    EXPECT_STREQ(tv::kModeNames[tv::ModeNameIndex(2)], "Max power saving");
    EXPECT_STREQ(tv::kModeNames[tv::ModeNameIndex(9)], "High performance");
}

std::string Text(const tv::TimeoutChoice& choice)
{
    return tv::TimeoutChoiceText(choice, [](const char* key) {
        std::string text = key;
        // A translation that moves the number, to show where %1 goes.
        if (text == "After %1 mins") {
            return std::string("Nach %1 Minuten");
        }
        return text;
    });
}

std::vector<std::string> Texts(const std::vector<tv::TimeoutChoice>& choices)
{
    std::vector<std::string> texts;
    for (const auto& choice : choices) {
        texts.push_back(Text(choice));
    }
    return texts;
}

TEST(TimeoutChoices, FullListInOrderWithItsTexts)
{
    auto choices = tv::DozeTimeoutChoices();
    EXPECT_EQ(Texts(choices),
              (std::vector<std::string>{"After 1 min", "Nach 3 Minuten", "Nach 5 Minuten",
                                        "Nach 10 Minuten", "Nach 15 Minuten", "Nach 20 Minuten",
                                        "Nach 25 Minuten", "Nach 30 Minuten", "Nach 45 Minuten",
                                        "After 1 hour", "After 2 hours", "After 3 hours",
                                        "After 4 hours", "After 5 hours", "Never"}));
    std::vector<int32_t> seconds;
    for (const auto& choice : choices) {
        seconds.push_back(choice.seconds);
    }
    EXPECT_EQ(seconds, (std::vector<int32_t>{60, 180, 300, 600, 900, 1200, 1500, 1800, 2700, 3600,
                                             7200, 10800, 14400, 18000, 0}));
}

TEST(TimeoutChoices, SpinDownListDependsOnTheWindowsVersion)
{
    EXPECT_EQ(tv::SpinDownTimeoutChoices(6).size(), 15u);
    EXPECT_EQ(tv::SpinDownTimeoutChoices(-1).size(), 15u) << "version unknown";
    auto xp = tv::SpinDownTimeoutChoices(5);
    ASSERT_EQ(xp.size(), 14u);
    EXPECT_EQ(Text(xp.front()), "Nach 3 Minuten");
    EXPECT_EQ(tv::SpinDownTimeoutChoices(10).size(), 14u);
}

TEST(TimeoutChoices, StoredSpinDownTimeToEntryAtTheBoundaries)
{
    auto vista = tv::SpinDownTimeoutChoices(6);
    auto xp = tv::SpinDownTimeoutChoices(5);
    auto shown = [](const std::vector<tv::TimeoutChoice>& list, int32_t seconds) {
        return Text(list[tv::SpinDownChoiceForTimeout(list, seconds)]);
    };
    EXPECT_EQ(shown(vista, 100), "After 1 min");
    EXPECT_EQ(shown(xp, 100), "Never");
    EXPECT_EQ(shown(vista, 59), "Never");
    EXPECT_EQ(shown(vista, 0), "Never");
    EXPECT_EQ(shown(vista, -5), "Never");
    EXPECT_EQ(shown(vista, 60), "After 1 min");
    EXPECT_EQ(shown(vista, 179), "After 1 min");
    EXPECT_EQ(shown(xp, 179), "Never");
    EXPECT_EQ(shown(vista, 180), "Nach 3 Minuten");
    EXPECT_EQ(shown(xp, 180), "Nach 3 Minuten");
    EXPECT_EQ(shown(vista, 299), "Nach 3 Minuten");
    EXPECT_EQ(shown(vista, 3599), "Nach 45 Minuten");
    EXPECT_EQ(shown(vista, 3600), "After 1 hour");
    EXPECT_EQ(shown(vista, 14400), "After 4 hours");
    EXPECT_EQ(shown(xp, 17999), "After 4 hours");
    EXPECT_EQ(shown(vista, 18000), "After 5 hours");
    EXPECT_EQ(shown(xp, 1000000), "After 5 hours");

    EXPECT_EQ(tv::SpinDownTimeoutFromChoice(vista, 0), 60);
    EXPECT_EQ(tv::SpinDownTimeoutFromChoice(xp, 0), 180);
    EXPECT_EQ(tv::SpinDownTimeoutFromChoice(xp, 13), 0);
    EXPECT_EQ(tv::SpinDownTimeoutFromChoice(xp, 99), 0);
}

TEST(TimeoutChoices, IdleTimesAreStoredInMilliseconds)
{
    auto list = tv::DozeTimeoutChoices();
    EXPECT_EQ(tv::DozeTimeoutFromChoice(5), 1200000);
    EXPECT_EQ(tv::DozeTimeoutFromChoice(14), 0);
    EXPECT_EQ(Text(list[tv::DozeChoiceForTimeout(59999)]), "Never");
    EXPECT_EQ(Text(list[tv::DozeChoiceForTimeout(60000)]), "After 1 min");
    EXPECT_EQ(Text(list[tv::DozeChoiceForTimeout(1200000)]), "Nach 20 Minuten");
    EXPECT_EQ(Text(list[tv::DozeChoiceForTimeout(1499999)]), "Nach 20 Minuten");
    EXPECT_EQ(Text(list[tv::DozeChoiceForTimeout(18000000)]), "After 5 hours");
}

} // namespace
