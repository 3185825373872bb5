// Uploads per address and minute: a sliding minute per address, addresses apart.
#include <gtest/gtest.h>

#include "server/UploadLimit.h"

TEST(UploadLimit, SlidingMinutePerAddress) {
  TUploadLimit Limit(3);
  const int64_t T0 = 1000000;
  EXPECT_TRUE(Limit.Allow("10.0.0.1", T0));
  EXPECT_TRUE(Limit.Allow("10.0.0.1", T0 + 10000));
  EXPECT_TRUE(Limit.Allow("10.0.0.1", T0 + 20000));
  EXPECT_FALSE(Limit.Allow("10.0.0.1", T0 + 30000));
  EXPECT_TRUE(Limit.Allow("10.0.0.2", T0 + 30000));  // another address has its own count
  EXPECT_FALSE(Limit.Allow("10.0.0.1", T0 + 59999));
  // A minute after the first upload, one place is free again; refusals were not counted.
  EXPECT_TRUE(Limit.Allow("10.0.0.1", T0 + 60000));
  EXPECT_FALSE(Limit.Allow("10.0.0.1", T0 + 60001));
  EXPECT_TRUE(Limit.Allow("10.0.0.1", T0 + 70000));
  // Quiet addresses are forgotten and come back with a full minute.
  for (int I = 0; I < 3; ++I) EXPECT_TRUE(Limit.Allow("10.0.0.2", T0 + 500000 + I));
}
