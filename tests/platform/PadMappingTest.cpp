#include <gtest/gtest.h>

#include "platform/PadMapping.h"

TEST(PadMapping, StickDpadAndButtonsOnTheJoystickView) {
  struct TCase {
    const char* What;
    TPadReading Pad;
    uint32_t X, Y, Buttons;
  };
  auto Pad = [](auto Fill) {
    TPadReading R;
    Fill(R);
    return R;
  };
  const uint32_t Confirm = 1u << KJoystickConfirmBit;
  const TCase Cases[] = {
      {"at rest", TPadReading{}, 32768, 32768, 0},
      {"stick full left and up", Pad([](TPadReading& R) { R.LeftX = -32768, R.LeftY = -32768; }), 0,
       0, 0},
      {"stick full right and down", Pad([](TPadReading& R) { R.LeftX = 32767, R.LeftY = 32767; }),
       65535, 65535, 0},
      {"d-pad wins over the stick",
       Pad([](TPadReading& R) { R.LeftX = 32767, R.DpadLeft = true, R.DpadDown = true; }), 0, 65535,
       0},
      {"both d-pad sides leave the stick",
       Pad([](TPadReading& R) { R.LeftX = 100, R.DpadLeft = R.DpadRight = true; }), 32868, 32768,
       0},
      {"A fires and confirms", Pad([](TPadReading& R) { R.A = true; }), 32768, 32768, 1u | Confirm},
      {"X and Y fire", Pad([](TPadReading& R) { R.X = R.Y = true; }), 32768, 32768, 0b110},
      {"Start pauses", Pad([](TPadReading& R) { R.Start = true; }), 32768, 32768, 1u << 5},
      {"B says no and goes back", Pad([](TPadReading& R) { R.B = true; }), 32768, 32768,
       (1u << 7) | (1u << 8)},
      {"Back goes back", Pad([](TPadReading& R) { R.Back = true; }), 32768, 32768, 1u << 8},
  };
  for (const TCase& C : Cases) {
    const TJoystickPosition P = PadPosition(C.Pad);
    EXPECT_EQ(P.X, C.X) << C.What;
    EXPECT_EQ(P.Y, C.Y) << C.What;
    EXPECT_EQ(P.Z, 32767u) << C.What;
    EXPECT_EQ(P.Buttons, C.Buttons) << C.What;
  }
  EXPECT_LE(KJoystickConfirmBit, KPadButtonCount - 1);
}
