// The scheduled tasks' names and the weekday of a trigger's day bit: plain functions, no
// scheduler needed.
#include <gtest/gtest.h>

#include "Frame/Task.h"

TEST(Task, WeekdayBitsAndTaskNames)
{
    struct Case {
        WORD bit;
        int weekday;
    };
    const Case cases[] = {{0x1, 0}, {0x2, 1}, {0x4, 2}, {0x8, 3}, {0x10, 4}, {0x20, 5},
                          {0x40, 6}, {0x80, 0}, {0x3, 0}, {0, 0}, {0xFFFF, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(WeekdayFromBit(c.bit), c.weekday) << c.bit;
    EXPECT_STREQ(FormatLogonDefragTaskName("DEFRAG", "bob"), "Velmora on user logon for DEFRAG - bob ");
    EXPECT_STREQ(FormatScanOnLogonTaskName("bob"), "Velmora on user logon - bob");
}
