#include "base/tick_count.h"

#include <gtest/gtest.h>

using tick_count::Extend;
using tick_count::kWrap;

TEST(TickCount, CarriesOverEachWrapAndNeverGoesBack)
{
    EXPECT_EQ(Extend(0, 0), 0u);
    EXPECT_EQ(Extend(0, 1000), 1000u);
    // The 32-bit tick wrapped between two calls: the count goes on.
    EXPECT_EQ(Extend(kWrap - 10, 5), kWrap + 5);
    EXPECT_EQ(Extend(3 * kWrap + 0xFFFFFF00u, 0x100), 4 * kWrap + 0x100);
    // A tick read before the last one was given out stays at that one.
    EXPECT_EQ(Extend(kWrap + 5000, 4000), kWrap + 5000);
    // Just after a wrap, a tick read just before it is behind too.
    EXPECT_EQ(Extend(kWrap + 5, 0xFFFFFFF0u), kWrap + 5);
    // Half a wrap behind is taken for the next wrap.
    EXPECT_EQ(Extend(kWrap / 2 + 100, 99), kWrap + 99);
}
