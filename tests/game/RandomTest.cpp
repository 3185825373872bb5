// The program's one random generator: a seed replays the same numbers, every draw lies in
// its range, and the values are spread evenly.
#include <gtest/gtest.h>

#include <vector>

#include "game/Random.h"

TEST(Random, ASeedReplaysTheSameNumbers) {
  TRandom A(77), B(77), C(78);
  std::vector<int32_t> Ra, Rb, Rc;
  for (int32_t I = 0; I < 200; ++I) {
    Ra.push_back(A.Below(20000));
    Rb.push_back(B.Below(20000));
    Rc.push_back(C.Below(20000));
  }
  EXPECT_EQ(Ra, Rb);
  EXPECT_NE(Ra, Rc);
  A.SetSeed(77);
  EXPECT_EQ(A.Below(20000), Ra[0]);
}

TEST(Random, DrawsStayBelowNAndCoverTheRangeEvenly) {
  TRandom R(5);
  std::vector<int32_t> Counts(24, 0);
  for (int32_t I = 0; I < 24000; ++I) {
    const int32_t V = R.Below(24);
    ASSERT_GE(V, 0);
    ASSERT_LT(V, 24);
    ++Counts[static_cast<size_t>(V)];
  }
  for (const int32_t C : Counts) {
    EXPECT_GT(C, 850);
    EXPECT_LT(C, 1150);
  }
  EXPECT_EQ(R.Below(1), 0);
  EXPECT_EQ(R.Below(0), 0);
  EXPECT_EQ(R.Below(-3), 0);
}
