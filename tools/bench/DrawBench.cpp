// The drawing benchmark: a busy play frame of the game's own play pictures composited by the
// sprite engine on the 800 x 600 back surface, and the colour-keyed sprites alone against
// SDL's run-length blitter, wholly inside the surface and hanging over its edges.
#include <cmath>
#include <cstring>
#include <exception>
#include <iterator>
#include <memory>

#include "engine/DXDraws.h"
#include "engine/DXImageList.h"
#include "engine/DXSprite.h"
#include "platform/fake/FakePlatform.h"
#include "platform/sdl/SdlReferenceBlitter.h"
#include "tools/bench/Bench.h"

namespace {

// The play pictures of the playable folder: the busy frame draws the game's own art.
constexpr const char* kPlayPack = TB_BENCH_GAME_DIR "/Data/Res/Res2.dxg";

// The colour-keyed kinds of a busy play frame: hunters, birds, dogs, bonuses, explosions.
constexpr const char* kKeyedNames[] = {"Hunter1",   "MBird",   "MDog",     "BScore",
                                       "Explosion", "Hunter2", "MBirdEat", "BLife",
                                       "MDogFall",  "Hunter3", "BRocket",  "PlayerExplosion"};

// A small deterministic generator, so every run draws the same scene.
struct TLcg {
  uint32_t State;
  uint32_t Next() {
    State = State * 1664525u + 1013904223u;
    return State >> 8;
  }
  int32_t Below(int32_t N) { return static_cast<int32_t>(Next() % static_cast<uint32_t>(N)); }
};

// Sprites of the busy frame: each moves a little every frame and wraps around the screen.
class TWalker : public TImageSprite {
 public:
  TWalker(TSprite* Parent, double Vx, double Vy) : TImageSprite(Parent), FVx(Vx), FVy(Vy) {}
  void MoveSelf(int32_t Ticks) override {
    TImageSprite::MoveSelf(Ticks);
    X += FVx * Ticks;
    Y += FVy * Ticks;
    if (X < -Width) X += 800 + Width;
    if (X > 800) X -= 800 + Width;
    if (Y < -Height) Y += 600 + Height;
    if (Y > 600) Y -= 600 + Height;
  }

 private:
  double FVx, FVy;
};

class TBullet final : public TWalker {
 public:
  TBullet(TSprite* Parent, double Vx, double Vy, int32_t Angle)
      : TWalker(Parent, Vx, Vy), FAngle(Angle) {}
  void DrawSelf() override {
    if (Image() == nullptr || Engine()->Surface() == nullptr) return;
    Image()->DrawRotated(*Engine()->Surface(), RoundEven(X), RoundEven(Y), Width, Height, 0, 0.5,
                         0.5, FAngle);
  }
  void MoveSelf(int32_t Ticks) override {
    TWalker::MoveSelf(Ticks);
    FAngle = (FAngle + 3) & 255;
  }

 private:
  int32_t FAngle;
};

class TFader final : public TWalker {
 public:
  using TWalker::TWalker;
  void DrawSelf() override {
    if (Image() == nullptr || Engine()->Surface() == nullptr) return;
    Image()->DrawBlended(*Engine()->Surface(), GetBounds(), 0, 140);
  }
};

class TScroller final : public TBackgroundSprite {
 public:
  TScroller(TSprite* Parent, double Speed) : TBackgroundSprite(Parent), FSpeed(Speed) {}
  void MoveSelf(int32_t) override {
    X += FSpeed;
    if (Image() != nullptr && X < -Image()->Width()) X += Image()->Width();
  }

 private:
  double FSpeed;
};

struct TDrawScene {
  TFakePlatform Platform;
  TDXDraw Display{Platform};
  TDXImageList Images;
  TDXSpriteEngine Sprites;
  std::vector<TImageSprite*> Keyed;

  bool Loaded = false;

  TDrawScene() {
    Images.SetDXDraw(&Display);
    Sprites.SetDXDraw(&Display);
    TPictureCollection& C = Images.Items();
    try {
      C.LoadFromFile(kPlayPack);
    } catch (const std::exception& E) {
      std::printf("  %s cannot be loaded (%s): build the game first\n", kPlayPack, E.what());
      return;
    }
    Display.Initialize();  // builds the items and hands the back surface to the engine
    Loaded = true;

    TSpriteEngine& E = Sprites.Engine();
    auto Strip = [&](const char* Name, int32_t Columns, double Y, int32_t Z, double Speed) {
      auto& B = CreateSprite<TScroller>(E, Speed);
      B.ResizeMap(Columns, 1);
      B.SetImage(&C.Find(Name));
      B.Y = Y;
      B.SetZ(Z);
    };
    Strip("SkyTile", 4, 0, 2, -1);
    Strip("Hills2", 2, 444, 4, -3);
    Strip("Hills1", 2, 494, 11, -4);
    TLcg Rng{7};
    for (int I = 0; I < 60; ++I) {
      auto& S = CreateSprite<TWalker>(E, (Rng.Below(9) - 4) * 0.7, (Rng.Below(5) - 2) * 0.4);
      TPictureCollectionItem& Item = C.Find(kKeyedNames[I % std::size(kKeyedNames)]);
      S.SetImage(&Item);
      S.X = Rng.Below(800 - Item.Width());
      S.Y = Rng.Below(600 - Item.Height());
      S.FrameCount = Item.PatternCount();
      S.LoopAnim = true;
      S.FrameSpeed = 0.1;
      S.SetZ(6);
      Keyed.push_back(&S);
    }
    for (int I = 0; I < 40; ++I) {
      auto& B = CreateSprite<TBullet>(E, 3.0 + Rng.Below(4), Rng.Below(3) - 1.0, Rng.Below(256));
      B.SetImage(&C.Find("GunBulletRed"));
      B.X = Rng.Below(800);
      B.Y = Rng.Below(600);
      B.SetZ(8);
    }
    for (int I = 0; I < 6; ++I) {
      auto& F = CreateSprite<TFader>(E, 1.0, 0.5);
      F.SetImage(&C.Find("Explosion"));
      F.X = Rng.Below(700);
      F.Y = Rng.Below(500);
      F.SetZ(9);
    }
  }
};

// The same colour-keyed patterns drawn by us and by SDL's run-length blitter; answers the
// median microseconds of each and whether the two left the same pixels.
struct TKeyedPlace {
  const TPictureCollectionItem* Item;
  int32_t Pattern, X, Y, Source;
};

struct TKeyedResult {
  double Ours = 0, Theirs = 0;
  double Ratio = 0;  // median of the frames' ratios
  bool Same = false;
};

TKeyedResult CompareKeyed(TDirectDrawSurface& Back, std::vector<TKeyedPlace>& Placed,
                          int32_t Frames) {
  TSdlReferenceBlitter Sdl(Back.Pixels(), Back.Width(), Back.Height(), Back.PitchBytes());
  for (TKeyedPlace& P : Placed) {
    const TDirectDrawSurface* Block = P.Item->PatternBlock(P.Pattern);
    const TRect R = P.Item->PatternRect(P.Pattern);
    P.Source = Sdl.AddSource(Block->Row(R.Top) + R.Left, R.Width(), R.Height(), Block->PitchBytes(),
                             Block->ColorKey());
  }
  TKeyedResult Result;
  auto DrawOurs = [&] {
    for (const TKeyedPlace& P : Placed) P.Item->Draw(Back, P.X, P.Y, P.Pattern);
  };
  auto DrawTheirs = [&] {
    for (const TKeyedPlace& P : Placed) Sdl.Blit(P.Source, P.X, P.Y);
  };
  // Taken in turn, frame by frame, in alternating order: the machine's other work then
  // slows both alike, and the ratio is the median of the frames' own ratios.
  std::vector<double> Ours, Theirs, Ratios;
  for (int32_t I = -20; I < Frames; ++I) {
    double T[2];
    for (int K = 0; K < 2; ++K) {
      const bool Mine = (K == 0) == (I % 2 == 0);
      const auto T0 = std::chrono::steady_clock::now();
      if (Mine)
        DrawOurs();
      else
        DrawTheirs();
      const auto T1 = std::chrono::steady_clock::now();
      T[Mine ? 0 : 1] = std::chrono::duration<double, std::micro>(T1 - T0).count();
    }
    if (I < 0) continue;  // warm-up
    Ours.push_back(T[0]);
    Theirs.push_back(T[1]);
    Ratios.push_back(T[1] > 0 ? T[0] / T[1] : 0);
  }
  auto Median = [](std::vector<double>& V) {
    std::nth_element(V.begin(), V.begin() + static_cast<long>(V.size() / 2), V.end());
    return V[V.size() / 2];
  };
  Result.Ours = Median(Ours);
  Result.Theirs = Median(Theirs);
  Result.Ratio = Median(Ratios);
  // The pixels: each drawn once on a black surface.
  Back.Fill(0);
  DrawOurs();
  std::vector<uint32_t> OurPixels(Back.Pixels(), Back.Pixels() + Back.Width() * Back.Height());
  Back.Fill(0);
  DrawTheirs();
  Result.Same = Sdl.Ok() && std::equal(OurPixels.begin(), OurPixels.end(), Back.Pixels());
  return Result;
}

void RunDraw(const TBenchOptions& Options) {
  TDrawScene Scene;
  if (!Scene.Loaded) return;
  TDirectDrawSurface& Back = *Scene.Display.Surface();

  // The whole busy frame: clear, then the tree in Z order. Moving happens between frames.
  int32_t Drawn = 0;
  const double Frame = MedianMicros(
      Options.Frames, [&](int32_t) { Scene.Sprites.Move(1); },
      [&](int32_t) {
        Back.Fill(0);
        Scene.Sprites.Draw();
        Drawn = Scene.Sprites.Engine().DrawnCount();
      });

  // The 60 colour-keyed sprites alone, wholly inside the surface.
  std::vector<TKeyedPlace> Inside, Clipped;
  TLcg Rng{99};
  for (TImageSprite* S : Scene.Keyed) {
    const TPictureCollectionItem* Item = S->Image();
    const int32_t W = Item->Width(), H = Item->Height();
    Inside.push_back(
        {Item, Rng.Below(Item->PatternCount()), Rng.Below(800 - W), Rng.Below(600 - H), -1});
  }
  // The same sprites hanging over every edge and corner of the surface: a third to two
  // thirds of each outside, in turn left, right, top, bottom and the four corners.
  for (size_t I = 0; I < Inside.size(); ++I) {
    TKeyedPlace P = Inside[I];
    const int32_t W = P.Item->Width(), H = P.Item->Height();
    const int32_t OutX = W / 3 + Rng.Below(W / 3 + 1), OutY = H / 3 + Rng.Below(H / 3 + 1);
    const int32_t Left = -OutX, Right = 800 - W + OutX, Top = -OutY, Bottom = 600 - H + OutY;
    switch (I % 8) {
      case 0:
        P.X = Left;
        break;
      case 1:
        P.X = Right;
        break;
      case 2:
        P.Y = Top;
        break;
      case 3:
        P.Y = Bottom;
        break;
      case 4:
        P.X = Left;
        P.Y = Top;
        break;
      case 5:
        P.X = Right;
        P.Y = Top;
        break;
      case 6:
        P.X = Left;
        P.Y = Bottom;
        break;
      default:
        P.X = Right;
        P.Y = Bottom;
        break;
    }
    Clipped.push_back(P);
  }
  const TKeyedResult Whole = CompareKeyed(Back, Inside, Options.Frames);
  const TKeyedResult Edges = CompareKeyed(Back, Clipped, Options.Frames);

  // The floor: one plain copy of the whole surface.
  TDirectDrawSurface Copy(800, 600);
  const double Floor = MedianMicros(Options.Frames, [&](int32_t) {
    std::memcpy(Copy.Pixels(), Back.Pixels(),
                static_cast<size_t>(Back.Width()) * Back.Height() * 4);
  });

  std::printf(
      "  busy frame of the play pictures: sky strip, 2 hill strips, 60 keyed (hunters, birds,\n"
      "  dogs, bonuses, explosions), 40 rotated gun bullets, 6 blended explosions (%d drawn)\n",
      Drawn);
  PrintFigure("busy frame (fill + draw)", Frame);
  PrintFigure("60 colour-keyed sprites, ours (opaque spans)", Whole.Ours);
  PrintFigure("60 colour-keyed sprites, SDL RLE blit", Whole.Theirs);
  PrintFigure("60 keyed sprites over the edges, ours", Edges.Ours);
  PrintFigure("60 keyed sprites over the edges, SDL RLE", Edges.Theirs);
  PrintFigure("plain copy of the 800x600 surface (floor)", Floor);
  PrintRatio("ours / SDL RLE (median of paired frames)", Whole.Ratio, "<= 1.0");
  PrintRatio("ours / SDL RLE, over the edges", Edges.Ratio, "<= 1.0");
  PrintRatio("busy frame / plain copy", Floor > 0 ? Frame / Floor : 0);
  PrintRatio("busy frame / 1 ms", Frame / 1000.0, "< 1");
  std::printf("  same pixels as SDL: %s; over the edges: %s\n", Whole.Same ? "yes" : "NO",
              Edges.Same ? "yes" : "NO");
}

}  // namespace

void AddDrawSections(std::vector<TBenchSection>& Sections) {
  Sections.push_back({"draw", RunDraw});
}
