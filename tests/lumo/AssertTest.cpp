#include "lumo/System/Source/Assert.h"
#include "lumo/System/Source/MessageBox.h"
#include "tests/support/Support.h"

#include <gtest/gtest.h>

namespace {

TEST(AssertDeathTest, ReportsConditionUnitAndLineThenEndsTheProcess)
{
    EXPECT_DEATH(LUMO_ASSERT(1 + 1 == 3), "Assertion failed: 1 \\+ 1 == 3, file "
                                          "tests/lumo/AssertTest.cpp, line \\d+");
}

TEST(Assert, HoldingConditionDoesNothing)
{
    int evaluated = 0;
    LUMO_ASSERT(++evaluated == 1);
    EXPECT_EQ(1, evaluated);
}

TEST(MessageBoxHook, RecorderSeesTheBoxAndAnswersForTheUser)
{
    tvtest::MessageBoxRecorder recorder(IDYES);
    EXPECT_EQ(IDYES,
              lumo::ShowMessageBox(nullptr, "Can not load Calibrate.dll", "Opti Gear3", MB_OK));
    auto boxes = recorder.Boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("Can not load Calibrate.dll", boxes[0].text);
    EXPECT_EQ("Opti Gear3", boxes[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK), boxes[0].type);
}

} // namespace
