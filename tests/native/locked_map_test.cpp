#include "store/locked_map.h"

#include <gtest/gtest.h>

#include <thread>

TEST(LockedMap, FirstInsertWinsAndKeysComeInUnsignedByteOrder)
{
    LockedMap map;
    EXPECT_TRUE(map.Insert("b", "1"));
    EXPECT_FALSE(map.Insert("b", "2"));
    EXPECT_TRUE(map.Insert("\xE9", "high"));
    EXPECT_TRUE(map.Insert("a", "3"));
    EXPECT_TRUE(map.Insert("ab", "4"));

    std::string value;
    ASSERT_TRUE(map.Find("b", value));
    EXPECT_EQ(value, "1");
    EXPECT_FALSE(map.Find("c", value));

    std::vector<std::string> keys{"stale"};
    map.Keys(keys);
    EXPECT_EQ(keys, (std::vector<std::string>{"a", "ab", "b", "\xE9"}));

    map.Clear();
    map.Keys(keys);
    EXPECT_TRUE(keys.empty());
}

TEST(LockedMap, ConcurrentInsertsAndSnapshotsLoseNothing)
{
    LockedMap map;
    const int per_thread = 500;
    auto writer = [&map](int thread) {
        for (int i = 0; i < per_thread; ++i)
            map.Insert(std::to_string(thread) + "*" + std::to_string(i), "v");
    };
    auto reader = [&map] {
        std::vector<std::string> keys;
        for (int i = 0; i < 200; ++i)
            map.Keys(keys);
    };
    std::thread a(writer, 1), b(writer, 2), c(reader);
    a.join();
    b.join();
    c.join();

    std::vector<std::string> keys;
    map.Keys(keys);
    EXPECT_EQ(keys.size(), 2u * per_thread);
}
