// RandomTest.cpp — the generator's exact sequence, range and float bounds.
#include "core/Random.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

// The recurrence written out independently in 64-bit arithmetic.
struct TReference {
  uint64_t Seed;
  int32_t Next(int32_t n) {
    Seed = (Seed * 134775813ull + 1ull) & 0xFFFFFFFFull;
    return n <= 0 ? 0 : static_cast<int32_t>((static_cast<uint64_t>(n) * Seed) >> 32);
  }
};

}  // namespace

TEST(Random, KnownSequence) {
  SetRandomSeed(12345);
  EXPECT_EQ(Random(100), 38);
  EXPECT_EQ(Random(1000), 289);
  EXPECT_EQ(Random(6), 0);
  EXPECT_EQ(Random(std::numeric_limits<int32_t>::max()), 1188868577);
  EXPECT_EQ(Random(1), 0);
  EXPECT_EQ(RandSeed, 2721613530u);
}

TEST(Random, MatchesReferenceOverManyDraws) {
  for (uint32_t seed : {0u, 1u, 0xDEADBEEFu, 0xFFFFFFFFu}) {
    SetRandomSeed(seed);
    TReference ref{seed};
    for (int i = 0; i < 1000; ++i) {
      const int32_t n = (i % 7 == 0) ? 1 + i * 9973 : 1 + i % 50;
      const int32_t r = Random(n);
      ASSERT_EQ(r, ref.Next(n)) << "seed " << seed << " draw " << i;
      ASSERT_GE(r, 0);
      ASSERT_LT(r, n);
    }
  }
}

TEST(Random, EmptyRangeGivesZeroButStillAdvances) {
  SetRandomSeed(7);
  EXPECT_EQ(Random(0), 0);
  EXPECT_EQ(Random(-5), 0);
  TReference ref{7};
  ref.Next(0);
  ref.Next(0);
  EXPECT_EQ(RandSeed, ref.Seed);
}

TEST(Random, FloatStaysBelowOne) {
  SetRandomSeed(0x4D60AE66u);  // the next seed is 0xFFFFFFFF, which rounds to 1.0f
  const float top = RandomFloat();
  EXPECT_EQ(RandSeed, 0xFFFFFFFFu);
  EXPECT_LT(top, 1.0f);
  EXPECT_GT(top, 0.9999f);

  SetRandomSeed(0x26B05733u);  // next seed is 0
  EXPECT_EQ(RandomFloat(), 0.0f);

  SetRandomSeed(0);  // next seed is 1
  EXPECT_EQ(RandomFloat(), 0x1p-32f);
}
