#include <gtest/gtest.h>

#include "engine/DXSurface.h"

TEST(Surface, NonPositiveSizeGivesEmptySurface) {
  TDirectDrawSurface s(10, 0);
  EXPECT_TRUE(s.Empty());
  EXPECT_EQ(s.Width(), 0);
  s.SetSize(3, 2);
  s.Fill(0x123456);
  EXPECT_EQ(s.Pixel(2, 1), 0x123456u);
  EXPECT_EQ(s.PitchBytes(), 12);
}
