#include "platform/replay/ReplayTape.h"

#include <algorithm>
#include <cstring>

#include "platform/replay/ReplayBytes.h"

namespace {

// Which fields of an event follow its kind: only those that are not at their defaults.
enum : uint8_t {
  efKey = 1 << 0,
  efShift = 1 << 1,
  efChar = 1 << 2,
  efX = 1 << 3,
  efY = 1 << 4,
  efButton = 1 << 5,
  efClicks = 1 << 6,
  efRepeat = 1 << 7,
};

constexpr uint8_t KLastEventKind = static_cast<uint8_t>(TEventKind::Restored);

}  // namespace

size_t TFrameAnswers::Size() const {
  return Ticks.size() + Events.size() + KeyTables.size() + Foreground.size() + FullScreen.size() +
         Present.size() + CursorPos.size() + ClientOrigin.size() + RefreshRate.size() +
         PacedRate.size() + ShowCursor.size() + JoystickCount.size() + OpenFont.size() +
         DisplayModes.size() + Placement.size() + CreateWindow.size() + JoystickOpen.size() +
         JoystickRead.size() + Uploads.size();
}

void TTapeWriter::Ticks(uint32_t Now) {
  TVarintWriter W(FTape);
  W.Byte(static_cast<uint8_t>(TTapeTag::Ticks));
  // The wrap-around difference, read back as signed: a clock that went back stays small.
  W.Signed(static_cast<int32_t>(Now - FLastTicks));
  FLastTicks = Now;
}

void TTapeWriter::Event(const TPlatformEvent* E) {
  TVarintWriter W(FTape);
  if (E == nullptr) {
    W.Byte(static_cast<uint8_t>(TTapeTag::NoEvent));
    return;
  }
  W.Byte(static_cast<uint8_t>(TTapeTag::Event));
  W.Byte(static_cast<uint8_t>(E->Kind));
  uint8_t Fields = 0;
  if (E->Key != 0) Fields |= efKey;
  if (E->Shift != 0) Fields |= efShift;
  if (E->Char != 0) Fields |= efChar;
  if (E->X != 0) Fields |= efX;
  if (E->Y != 0) Fields |= efY;
  if (E->Button != 0) Fields |= efButton;
  if (E->Clicks != 1) Fields |= efClicks;
  if (E->Repeat) Fields |= efRepeat;
  W.Byte(Fields);
  if (Fields & efKey) W.Signed(E->Key);
  if (Fields & efShift) W.Unsigned(E->Shift);
  if (Fields & efChar) W.Byte(E->Char);
  if (Fields & efX) W.Signed(E->X);
  if (Fields & efY) W.Signed(E->Y);
  if (Fields & efButton) W.Signed(E->Button);
  if (Fields & efClicks) W.Signed(E->Clicks);
}

void TTapeWriter::KeyTable(const uint8_t Table[256]) {
  TVarintWriter W(FTape);
  W.Byte(static_cast<uint8_t>(TTapeTag::KeyTable));
  uint32_t Changed = 0;
  for (int32_t I = 0; I < 256; ++I) Changed += Table[I] != FKeys[I];
  W.Unsigned(Changed);
  for (int32_t I = 0; I < 256; ++I) {
    if (Table[I] == FKeys[I]) continue;
    W.Byte(static_cast<uint8_t>(I));
    W.Byte(Table[I]);
    FKeys[I] = Table[I];
  }
}

void TTapeWriter::Flag(TTapeTag Tag, bool Value) {
  FTape.push_back(static_cast<uint8_t>(Tag));
  FTape.push_back(Value ? 1 : 0);
}

void TTapeWriter::Number(TTapeTag Tag, int32_t Value) {
  TVarintWriter W(FTape);
  W.Byte(static_cast<uint8_t>(Tag));
  W.Signed(Value);
}

void TTapeWriter::Point(TTapeTag Tag, int32_t X, int32_t Y) {
  TVarintWriter W(FTape);
  W.Byte(static_cast<uint8_t>(Tag));
  W.Signed(X);
  W.Signed(Y);
}

void TTapeWriter::DisplayModes(const std::vector<TDisplayMode>& Modes) {
  TVarintWriter W(FTape);
  W.Byte(static_cast<uint8_t>(TTapeTag::DisplayModes));
  W.Unsigned(Modes.size());
  for (const TDisplayMode& M : Modes) {
    W.Signed(M.Width);
    W.Signed(M.Height);
    W.Signed(M.BitCount);
    W.Signed(M.RefreshRate);
  }
}

void TTapeWriter::Placement(const TWindowPlacement& P) {
  TVarintWriter W(FTape);
  W.Byte(static_cast<uint8_t>(TTapeTag::Placement));
  W.Signed(P.X);
  W.Signed(P.Y);
  W.Signed(P.Width);
  W.Signed(P.Height);
}

void TTapeWriter::CreateWindow(bool Ok, const std::string& Error) {
  TVarintWriter W(FTape);
  W.Byte(static_cast<uint8_t>(TTapeTag::CreateWindow));
  W.Byte(Ok ? 1 : 0);
  W.Text(Ok ? std::string() : Error);
}

void TTapeWriter::JoystickOpen(bool Ok, const TJoystickCaps& C) {
  TVarintWriter W(FTape);
  W.Byte(static_cast<uint8_t>(TTapeTag::JoystickOpen));
  W.Byte(Ok ? 1 : 0);
  if (!Ok) return;
  for (uint32_t V : {C.XMin, C.XMax, C.YMin, C.YMax, C.ZMin, C.ZMax}) W.Unsigned(V);
  W.Signed(C.NumButtons);
}

void TTapeWriter::JoystickRead(bool Ok, const TJoystickPosition& P) {
  TVarintWriter W(FTape);
  W.Byte(static_cast<uint8_t>(TTapeTag::JoystickRead));
  W.Byte(Ok ? 1 : 0);
  if (!Ok) return;
  for (uint32_t V : {P.X, P.Y, P.Z, P.Buttons}) W.Unsigned(V);
}

void TTapeReader::ReadFrame(const uint8_t* Data, size_t Size, TFrameAnswers& Out) {
  TVarintReader R(Data, Size);
  auto U32 = [&R] { return static_cast<uint32_t>(R.Unsigned()); };
  while (!R.AtEnd()) {
    const uint8_t Tag = R.Byte();
    switch (static_cast<TTapeTag>(Tag)) {
      case TTapeTag::Ticks:
        FLastTicks += static_cast<uint32_t>(R.Int());
        Out.Ticks.push_back(FLastTicks);
        break;
      case TTapeTag::Event: {
        TPlatformEvent E;
        const uint8_t Kind = R.Byte();
        if (Kind > KLastEventKind)
          throw EReplayError("damaged: an event of unknown kind " + std::to_string(Kind));
        E.Kind = static_cast<TEventKind>(Kind);
        const uint8_t Fields = R.Byte();
        if (Fields & efKey) E.Key = R.Int();
        if (Fields & efShift) E.Shift = U32();
        if (Fields & efChar) E.Char = R.Byte();
        if (Fields & efX) E.X = R.Int();
        if (Fields & efY) E.Y = R.Int();
        if (Fields & efButton) E.Button = R.Int();
        if (Fields & efClicks) E.Clicks = R.Int();
        E.Repeat = (Fields & efRepeat) != 0;
        Out.Events.push_back(E);
        break;
      }
      case TTapeTag::NoEvent:
        Out.Events.push_back(std::nullopt);
        break;
      case TTapeTag::KeyTable: {
        for (size_t N = R.Count(); N > 0; --N) {
          const uint8_t Index = R.Byte();
          FKeys[Index] = R.Byte();
        }
        Out.KeyTables.push_back(FKeys);
        break;
      }
      case TTapeTag::Foreground:
        Out.Foreground.push_back(R.Byte() != 0);
        break;
      case TTapeTag::FullScreen:
        Out.FullScreen.push_back(R.Byte() != 0);
        break;
      case TTapeTag::Present:
        Out.Present.push_back(R.Byte() != 0);
        break;
      case TTapeTag::CursorPos: {
        const int32_t X = R.Int();
        Out.CursorPos.push_back({X, R.Int()});
        break;
      }
      case TTapeTag::ClientOrigin: {
        const int32_t X = R.Int();
        Out.ClientOrigin.push_back({X, R.Int()});
        break;
      }
      case TTapeTag::Upload:
        Out.Uploads.push_back(R.Byte() != 0);
        break;
      case TTapeTag::RefreshRate:
        Out.RefreshRate.push_back(R.Int());
        break;
      case TTapeTag::PacedRate:
        Out.PacedRate.push_back(R.Int());
        break;
      case TTapeTag::ShowCursor:
        Out.ShowCursor.push_back(R.Int());
        break;
      case TTapeTag::JoystickCount:
        Out.JoystickCount.push_back(R.Int());
        break;
      case TTapeTag::OpenFont:
        Out.OpenFont.push_back(R.Int());
        break;
      case TTapeTag::DisplayModes: {
        std::vector<TDisplayMode> Modes(R.Count());
        for (TDisplayMode& M : Modes) {
          M.Width = R.Int();
          M.Height = R.Int();
          M.BitCount = R.Int();
          M.RefreshRate = R.Int();
        }
        Out.DisplayModes.push_back(std::move(Modes));
        break;
      }
      case TTapeTag::Placement: {
        TWindowPlacement P;
        P.X = R.Int();
        P.Y = R.Int();
        P.Width = R.Int();
        P.Height = R.Int();
        Out.Placement.push_back(P);
        break;
      }
      case TTapeTag::CreateWindow: {
        const bool Ok = R.Byte() != 0;
        Out.CreateWindow.push_back({Ok, R.Text()});
        break;
      }
      case TTapeTag::JoystickOpen: {
        TJoystickCaps C;
        const bool Ok = R.Byte() != 0;
        if (Ok) {
          for (uint32_t* V : {&C.XMin, &C.XMax, &C.YMin, &C.YMax, &C.ZMin, &C.ZMax}) *V = U32();
          C.NumButtons = R.Int();
        }
        Out.JoystickOpen.push_back({Ok, C});
        break;
      }
      case TTapeTag::JoystickRead: {
        TJoystickPosition P;
        const bool Ok = R.Byte() != 0;
        if (Ok)
          for (uint32_t* V : {&P.X, &P.Y, &P.Z, &P.Buttons}) *V = U32();
        Out.JoystickRead.push_back({Ok, P});
        break;
      }
      default:
        throw EReplayError("damaged: unknown entry " + std::to_string(Tag) +
                           " in the recorded input");
    }
  }
}
