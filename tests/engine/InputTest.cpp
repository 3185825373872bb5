#include <gtest/gtest.h>

#include "engine/DXInput.h"
#include "platform/fake/FakePlatform.h"

namespace {

constexpr int32_t VkLeft = 37, VkUp = 38, VkRight = 39, VkSpace = 32, VkP = 80;

struct TInputFixture {
  TFakePlatform P;
  TDXInput Input{P};
  TInputFixture() {
    Input.Keyboard.Assigns = MakeKeyAssigns({{isUp, VkUp},
                                             {isLeft, VkLeft},
                                             {isRight, VkRight},
                                             {InputButton(6), VkP},
                                             {InputButton(10), VkSpace}});
    Input.Initialize();
  }
  void Key(int32_t Vk, bool Down) { P.FakeKeyboard.SetKey(Vk, Down); }
};

}  // namespace

TEST(InputAssigns, TableIsThreeLittleEndianKeysPerState) {
  TKeyAssigns A = MakeKeyAssigns({{isUp, 38}, {isButton32, 0x01020304}});
  SetAssignedKey(A, InputButton(6), 2, 80);
  EXPECT_EQ(A.size(), 432u);
  EXPECT_EQ(A[0], 38);
  EXPECT_EQ(A[1], 0);
  // Button 6 is state 9: bytes 9 * 12 + 2 * 4.
  EXPECT_EQ(A[9 * 12 + 8], 80);
  EXPECT_EQ(A[35 * 12 + 0], 0x04);
  EXPECT_EQ(A[35 * 12 + 3], 0x01);
  EXPECT_EQ(AssignedKey(A, isButton32, 0), 0x01020304);
  EXPECT_EQ(AssignedKey(A, InputButton(6), 2), 80);
  EXPECT_EQ(AssignedKey(A, InputButton(6), 0), 0);
}

TEST(InputStates, FollowPressesAndReleases) {
  TInputFixture F;
  F.Key(VkLeft, true);
  F.Key(VkRight, true);  // both directions at once: the game resolves them
  F.Input.Update();
  EXPECT_EQ(F.Input.States, (TDXInputStates{isLeft, isRight}));
  F.Key(VkLeft, false);
  F.Input.Update();
  EXPECT_EQ(F.Input.States, (TDXInputStates{isRight}));
  EXPECT_TRUE(F.Input.Keyboard.Keys(VkRight));
  EXPECT_FALSE(F.Input.Keyboard.Keys(VkLeft));
}

TEST(InputStates, RemovedByTheGameStaysRemovedUntilPressedAgain) {
  TInputFixture F;
  F.Key(VkP, true);
  F.Input.Update();
  ASSERT_TRUE(F.Input.States.Has(InputButton(6)));
  F.Input.States.Remove(InputButton(6));  // the game took the press
  F.Input.Update();
  F.Input.Update();
  EXPECT_FALSE(F.Input.States.Has(InputButton(6)));  // still held, not back
  F.Key(VkP, false);
  F.Input.Update();
  F.Key(VkP, true);
  F.Input.Update();
  EXPECT_TRUE(F.Input.States.Has(InputButton(6)));
  // A state the game adds itself stays until the device changes it.
  F.Input.States.Add(isDown);
  F.Input.Update();
  EXPECT_TRUE(F.Input.States.Has(isDown));
}

TEST(InputStates, BackgroundWindowReleasesEverything) {
  TInputFixture F;
  F.Key(VkSpace, true);
  F.Input.Update();
  ASSERT_TRUE(F.Input.States.Has(InputButton(10)));
  F.P.FakeWindow.Foreground = false;
  F.Input.Update();
  EXPECT_TRUE(F.Input.States.Empty());
  EXPECT_FALSE(F.Input.Keyboard.Keys(VkSpace));
  // Without ActiveOnly the keys are read in the background too.
  F.Input.ActiveOnly = false;
  F.Input.Update();
  EXPECT_TRUE(F.Input.States.Has(InputButton(10)));
}

TEST(InputStates, OnlyKeysOneTo255CanFire) {
  TInputFixture F;
  TKeyAssigns A{};
  SetAssignedKey(A, isUp, 0, 0);
  SetAssignedKey(A, isDown, 0, 256 + VkUp);  // would alias Up if masked to a byte
  SetAssignedKey(A, isLeft, 0, -1);
  SetAssignedKey(A, isRight, 1, VkUp);  // a later slot still counts
  F.Input.Keyboard.Assigns = A;
  F.P.FakeKeyboard.Keys[0] = 0x80;
  F.P.FakeKeyboard.Keys[255] = 0x80;
  F.Key(VkUp, true);
  F.Input.Update();
  EXPECT_EQ(F.Input.States, (TDXInputStates{isRight}));
}

TEST(InputJoystick, AxisConversionWithRangeAndDeadZone) {
  struct TCase {
    int64_t Deflection;  // from the centre
    int32_t Expected;
  };
  // Half-range 32767, dead zone 50 per cent, range 1000.
  const TCase Cases[] = {
      {0, 0},        {16383, 0},  {16384, 0},     {16385, 0},      {24575, 500},
      {32767, 1000}, {-16383, 0}, {-24575, -500}, {-32767, -1000}, {20000, 221},
  };
  for (const TCase& C : Cases) {
    const auto Raw = static_cast<uint32_t>(32767 + C.Deflection);
    EXPECT_EQ(JoystickAxis(Raw, 0, 65535, 1000, 50), C.Expected) << C.Deflection;
  }
}

TEST(InputJoystick, AxisConversionEdges) {
  struct TCase {
    const char* What;
    uint32_t Raw, Min, Max;
    int32_t Range, DeadZone, Expected;
  };
  const TCase Cases[] = {
      {"no dead zone, full deflection", 65535, 0, 65535, 1000, 0, 1000},
      {"dead zone 100: always centred", 65535, 0, 65535, 1000, 100, 0},
      {"limits not starting at 0 are centred on their own middle", 2000, 1000, 2000, 100, 0, 100},
      {"centre of offset limits", 1500, 1000, 2000, 100, 50, 0},
      {"empty axis", 5, 10, 10, 1000, 50, 0},
      {"raw past the limit stays in range", 90000, 0, 65535, 1000, 50, 1000},
      {"dead zone above 100 behaves as 100", 0, 0, 65535, 1000, 150, 0},
  };
  for (const TCase& C : Cases)
    EXPECT_EQ(JoystickAxis(C.Raw, C.Min, C.Max, C.Range, C.DeadZone), C.Expected) << C.What;
}

TEST(InputJoystick, StickAndButtonsFeedTheStates) {
  TFakePlatform P;
  P.FakeJoystick.Present = true;
  P.FakeJoystick.Caps.NumButtons = 4;
  TDXInput Input(P);
  Input.Initialize();
  ASSERT_TRUE(Input.Joystick.Initialized());
  P.FakeJoystick.Position = {0, 65535, 32767, 0b10011};  // left, down; buttons 0, 1, 4
  Input.Update();
  EXPECT_EQ(Input.Joystick.X(), -1000);
  EXPECT_EQ(Input.Joystick.Y(), 1000);
  // Button 4 is beyond the device's four buttons.
  EXPECT_EQ(Input.States, (TDXInputStates{isLeft, isDown, InputButton(1), InputButton(2)}));

  // A read that fails is retried after opening the device again; then nothing.
  P.FakeJoystick.ReadFails = true;
  Input.Update();
  EXPECT_TRUE(Input.States.Empty());
}

TEST(InputJoystick, NoJoystickIsNotAnError) {
  TFakePlatform P;
  TDXInput Input(P);
  Input.Joystick.ID = 0;
  EXPECT_NO_THROW(Input.Initialize());
  EXPECT_FALSE(Input.Joystick.Initialized());
  EXPECT_TRUE(Input.Keyboard.Initialized());
  Input.Update();
  EXPECT_EQ(P.FakeJoystick.Reads, 0);
}

TEST(InputJoystick, PluggedInLaterUnpluggedAndBackAgain) {
  TFakePlatform P;
  P.FakeJoystick.Caps.NumButtons = 4;
  TDXInput Input(P);
  Input.Initialize();
  EXPECT_FALSE(Input.Joystick.Initialized());
  P.FakeJoystick.Present = true;  // plugged in while the game runs
  P.FakeJoystick.Position = {0, 32767, 32767, 0b1};
  Input.Update();
  EXPECT_TRUE(Input.Joystick.Initialized());
  EXPECT_EQ(Input.States, (TDXInputStates{isLeft, InputButton(1)}));
  P.FakeJoystick.Present = false;  // pulled out: the device is gone, states released
  P.FakeJoystick.Opened = false;
  Input.Update();
  EXPECT_TRUE(Input.States.Empty());
  P.FakeJoystick.Present = true;  // and back
  P.FakeJoystick.Position = {65535, 32767, 32767, 0};
  Input.Update();
  EXPECT_EQ(Input.States, (TDXInputStates{isRight}));
}

TEST(InputJoystick, DisabledOrNegativeIdNeverLooksForOne) {
  for (bool Disabled : {true, false}) {
    TFakePlatform P;
    TDXInput Input(P);
    Input.Joystick.Enabled = !Disabled;
    Input.Joystick.ID = Disabled ? 0 : -1;
    Input.Initialize();
    P.FakeJoystick.Present = true;
    Input.Update();
    EXPECT_FALSE(Input.Joystick.Initialized());
    EXPECT_FALSE(P.FakeJoystick.Opened);
  }
}
