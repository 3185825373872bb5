#include "platform/fake/FakePlatform.h"

#include <algorithm>
#include <cstring>

bool TFakeWindow::CreateMainWindow(const std::string& NewTitle, int32_t Width, int32_t Height,
                                   std::string& Error) {
  if (CreateFails) {
    Error = CreateError;
    return false;
  }
  Created = true;
  Title = NewTitle;
  ClientWidth = Width;
  ClientHeight = Height;
  Placement.Width = Width;
  Placement.Height = Height;
  return true;
}

bool TFakeWindow::SetFullScreen(bool On) {
  if (On && FullScreenFails) return false;
  if (On != FullScreen) ++FullScreenSwitches;
  FullScreen = On;
  return true;
}

int32_t TFakeWindow::ShowCursor(bool Show) {
  CursorCalls.push_back(Show);
  CursorCounter += Show ? 1 : -1;
  return CursorCounter;
}

void TFakeWindow::SetCursorPos(int32_t X, int32_t Y) {
  Warps.push_back({X, Y});
  CursorX = X;
  CursorY = Y;
}

bool TFakeWindow::Present(const uint32_t* Pixels, int32_t Width, int32_t Height, int32_t PitchBytes,
                          bool WaitVBlank) {
  if (!Pixels || Width <= 0 || Height <= 0) return false;
  LastPresented.Width = Width;
  LastPresented.Height = Height;
  LastPresented.WaitVBlank = WaitVBlank;
  ++Presents;
  if (!KeepPictures) return true;
  LastPresented.Pixels.resize(static_cast<size_t>(Width) * Height);
  const auto* Row = reinterpret_cast<const uint8_t*>(Pixels);
  for (int32_t Y = 0; Y < Height; ++Y, Row += PitchBytes)
    std::memcpy(&LastPresented.Pixels[static_cast<size_t>(Y) * Width], Row,
                static_cast<size_t>(Width) * 4);
  return true;
}

bool TFakeWindow::PollEvent(TPlatformEvent& Event) {
  if (Events.empty()) return false;
  Event = Events.front();
  Events.pop_front();
  return true;
}

void TFakeWindow::PushKey(TEventKind Kind, int32_t Key, uint32_t Shift) {
  TPlatformEvent E;
  E.Kind = Kind;
  E.Key = Key;
  E.Shift = Shift;
  Events.push_back(E);
}

void TFakeKeyboard::ReadKeyTable(uint8_t Table[256]) {
  ++Reads;
  std::memcpy(Table, Keys, 256);
}

bool TFakeJoystick::Open(int32_t Index, TJoystickCaps& OutCaps) {
  if (!Present || Index != 0) return false;
  Opened = true;
  OutCaps = Caps;
  return true;
}

bool TFakeJoystick::Read(TJoystickPosition& Out) {
  ++Reads;
  if (!Opened || ReadFails) return false;
  Out = Position;
  return true;
}

TFontHandle TFakeFonts::OpenFont(const std::string& Face, int32_t Size, bool Bold) {
  Opened.push_back({Face, Size, Bold});
  return static_cast<TFontHandle>(Opened.size());
}

void TFakeFonts::TextExtent(TFontHandle Font, const std::string& Text, int32_t& Width,
                            int32_t& Height) {
  Width = Height = 0;
  if (Font <= 0 || Font > static_cast<TFontHandle>(Opened.size())) return;
  const int32_t Size = Opened[Font - 1].Size;
  for (char C : Text) {
    auto It = CharWidths.find(static_cast<uint8_t>(C));
    Width += It != CharWidths.end() ? It->second : Size / 2;
  }
  Height = Size;
}

void TFakeFonts::DrawText(TFontHandle Font, const std::string& Text, uint32_t Colour,
                          uint32_t* Pixels, int32_t Width, int32_t Height, int32_t PitchBytes,
                          int32_t X, int32_t Y) {
  Drawn.push_back({Font, Text, Colour, X, Y});
  int32_t W = 0, H = 0;
  TextExtent(Font, Text, W, H);
  const int32_t X0 = std::max(X, 0), X1 = std::min(X + W, Width);
  const int32_t Y0 = std::max(Y, 0), Y1 = std::min(Y + H, Height);
  for (int32_t Py = Y0; Py < Y1; ++Py) {
    auto* Row = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(Pixels) +
                                            static_cast<size_t>(Py) * PitchBytes);
    for (int32_t Px = X0; Px < X1; ++Px) Row[Px] = Colour;
  }
}

uint32_t TFakeMusicPlayer::SongLoadFromFile(const std::string& FileName) {
  if (LoadFails) return 0;
  Loaded.push_back(FileName);
  return static_cast<uint32_t>(Loaded.size());
}
