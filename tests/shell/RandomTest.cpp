#include "platform/RandomGenerator.h"
#include "shell/ShuffleTable.h"

#include <gtest/gtest.h>
#include <set>

namespace zeb {
namespace {

TEST(RandomGenerator, EachDrawMultipliesTheSeedBy51891ModuloTwoToThe32) {
    RandomGenerator r(1);
    EXPECT_DOUBLE_EQ(r.Draw(), 51891.0 / 4294967295.0);
    EXPECT_EQ(r.State(), 51891u);
    EXPECT_DOUBLE_EQ(r.Draw(), 2692675881.0 / 4294967295.0); // 51891^2 wraps
    EXPECT_EQ(r.State(), 2692675881u);
    EXPECT_EQ(r.Index(5000), 2058); // 1768067499 / (2^32 - 1) * 5000
}

TEST(RandomGenerator, IndexNeverReachesTheItemCount) {
    // 303762309 * 51891 = 2^32 - 1 (mod 2^32): the draw is exactly 1.0.
    RandomGenerator r(303762309u);
    EXPECT_EQ(r.Index(7), 6);
    RandomGenerator again(303762309u);
    EXPECT_DOUBLE_EQ(again.Draw(), 1.0);
    RandomGenerator zeroItems(5);
    EXPECT_EQ(zeroItems.Index(0), 0);
    EXPECT_EQ(zeroItems.Index(-4), 0);
}

TEST(RandomGenerator, IndicesSpreadOverTheWholeRange) {
    RandomGenerator r(TickCountSeed() | 1u);
    std::set<int> seen;
    for (int i = 0; i < 2000; ++i) {
        int v = r.Index(10);
        ASSERT_GE(v, 0);
        ASSERT_LT(v, 10);
        seen.insert(v);
    }
    EXPECT_EQ(seen.size(), 10u);
}

TEST(ShuffleTable, IsAPermutationOfTheFirst5000Indices) {
    RandomGenerator r(123457u);
    ShuffleTable table(r);
    std::set<int> values;
    int moved = 0;
    for (int slot = 0; slot < ShuffleTable::kSize; ++slot) {
        values.insert(table[slot]);
        moved += table[slot] != slot;
    }
    EXPECT_EQ(values.size(), 5000u);
    EXPECT_EQ(*values.begin(), 0);
    EXPECT_EQ(*values.rbegin(), 4999);
    EXPECT_GT(moved, 4000); // 7500 random swaps leave few entries in place
}

TEST(ShuffleTable, FollowsTheSeedAndUses15000Draws) {
    RandomGenerator a(99u), b(99u), c(100u);
    ShuffleTable ta(a), tb(b), tc(c);
    bool sameAsB = true, sameAsC = true;
    for (int slot = 0; slot < ShuffleTable::kSize; ++slot) {
        sameAsB = sameAsB && ta[slot] == tb[slot];
        sameAsC = sameAsC && ta[slot] == tc[slot];
    }
    EXPECT_TRUE(sameAsB);
    EXPECT_FALSE(sameAsC);
    RandomGenerator reference(99u);
    for (int i = 0; i < 2 * ShuffleTable::kSwaps; ++i)
        reference.Draw();
    EXPECT_EQ(a.State(), reference.State());
}

} // namespace
} // namespace zeb
