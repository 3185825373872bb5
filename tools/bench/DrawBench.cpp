// The drawing benchmark: a busy play frame composited by the sprite engine on the 800 x 600
// back surface, and the colour-keyed sprites alone against SDL's run-length blitter.
#include <cmath>
#include <cstring>
#include <memory>

#include "engine/DXDraws.h"
#include "engine/DXImageList.h"
#include "engine/DXSprite.h"
#include "platform/fake/FakePlatform.h"
#include "platform/sdl/SdlReferenceBlitter.h"
#include "tools/bench/Bench.h"

namespace {

constexpr int32_t kSpriteW = 120, kSpriteH = 90, kSpriteFrames = 4;

// A small deterministic generator, so every run draws the same scene.
struct TLcg {
  uint32_t State;
  uint32_t Next() {
    State = State * 1664525u + 1013904223u;
    return State >> 8;
  }
  int32_t Below(int32_t N) { return static_cast<int32_t>(Next() % static_cast<uint32_t>(N)); }
};

uint32_t Rgb(int R, int G, int B) {
  auto C = [](int V) { return static_cast<uint32_t>(std::clamp(V, 0, 255)); };
  return (C(R) << 16) | (C(G) << 8) | C(B);
}

TPictureCollectionItem& NewItem(TPictureCollection& Images, const char* Name, int32_t W, int32_t H,
                                int32_t PatternW, int32_t PatternH) {
  TPictureCollectionItem& Item = Images.Add();
  Item.SetName(Name);
  Item.Picture.Pixels.SetSize(W, H);
  Item.PatternWidth = PatternW;
  Item.PatternHeight = PatternH;
  return Item;  // transparent with black as the key, as the packs' items are
}

// Sky: a vertical gradient with soft cloud bands, no key pixel anywhere.
void PaintSky(TDirectDrawSurface& S) {
  for (int32_t Y = 0; Y < S.Height(); ++Y)
    for (int32_t X = 0; X < S.Width(); ++X) {
      const double Cloud = std::max(0.0, std::sin(X * 0.017) * std::sin(Y * 0.031 + X * 0.004));
      S.Row(Y)[X] = Rgb(90 + Y / 6 + static_cast<int>(Cloud * 120),
                        150 + Y / 8 + static_cast<int>(Cloud * 90), 235);
    }
}

// Hills: a rolling ridge with key-coloured sky above it.
void PaintHills(TDirectDrawSurface& S, double Phase, int Green) {
  for (int32_t X = 0; X < S.Width(); ++X) {
    const double Ridge =
        S.Height() *
        (0.35 + 0.25 * std::sin(X * 2 * M_PI / S.Width() * 2 + Phase) + 0.08 * std::sin(X * 0.05));
    for (int32_t Y = 0; Y < S.Height(); ++Y)
      S.Row(Y)[X] = Y < Ridge ? 0u : Rgb(40, Green - Y / 3, 30);
  }
}

// A cartoon creature per pattern: an elliptic body of about half the box with eye and beak
// holes and a wing that flaps across the frames.
void PaintCreatures(TDirectDrawSurface& S, int Hue) {
  for (int32_t F = 0; F < S.Width() / kSpriteW; ++F)
    for (int32_t Y = 0; Y < kSpriteH; ++Y)
      for (int32_t X = 0; X < kSpriteW; ++X) {
        const double U = (X - 60.0) / 46.0, V = (Y - 48.0) / 34.0;
        const double Wing = (X - 55.0) / 30.0,
                     WingV = (Y - 30.0 + 8 * std::sin(F * M_PI / 2)) / 12.0;
        const bool Body = U * U + V * V < 1.0;
        const bool WingIn = Wing * Wing + WingV * WingV < 1.0;
        const double Ex = (X - 85.0) / 6.0, Ey = (Y - 38.0) / 6.0;
        const bool Eye = Ex * Ex + Ey * Ey < 1.0;
        const bool Beak = X > 100 && std::abs(Y - 52) < (110 - X) / 2;
        uint32_t P = 0;
        if ((Body || WingIn) && !Eye) P = Rgb(Hue + X / 2, 180 - Y, 60 + F * 20);
        if (Beak) P = Rgb(250, 170, 20);
        S.Row(Y)[F * kSpriteW + X] = P;
      }
}

void PaintBullet(TDirectDrawSurface& S) {
  for (int32_t Y = 0; Y < S.Height(); ++Y)
    for (int32_t X = 0; X < S.Width(); ++X) {
      const double U = (X - 7.5) / 8.0, V = (Y - 3.5) / 4.0;
      S.Row(Y)[X] = U * U + V * V < 1.0 ? Rgb(255, 220 - X * 8, 40) : 0u;
    }
}

void PaintGlow(TDirectDrawSurface& S) {
  for (int32_t Y = 0; Y < S.Height(); ++Y)
    for (int32_t X = 0; X < S.Width(); ++X) {
      const double D = std::hypot(X - 31.5, Y - 31.5) / 32.0;
      S.Row(Y)[X] = D < 1.0 ? Rgb(255, static_cast<int>(255 * (1 - D)), 120) : 0u;
    }
}

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

  TDrawScene() {
    Images.SetDXDraw(&Display);
    Sprites.SetDXDraw(&Display);
    TPictureCollection& C = Images.Items();
    PaintSky(NewItem(C, "SkyTile", 800, 600, 0, 0).Picture.Pixels);
    PaintHills(NewItem(C, "Hills2", 800, 156, 0, 0).Picture.Pixels, 0.0, 170);
    PaintHills(NewItem(C, "Hills1", 800, 106, 0, 0).Picture.Pixels, 1.3, 210);
    for (int I = 0; I < 3; ++I) {
      const char* Names[] = {"MBird", "MDuck", "MDog"};
      PaintCreatures(NewItem(C, Names[I], kSpriteW * kSpriteFrames, kSpriteH, kSpriteW, kSpriteH)
                         .Picture.Pixels,
                     80 + I * 60);
    }
    PaintBullet(NewItem(C, "Bullet", 16, 8, 0, 0).Picture.Pixels);
    PaintGlow(NewItem(C, "Glow", 64, 64, 0, 0).Picture.Pixels);
    Display.Initialize();  // builds the items and hands the back surface to the engine

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
      S.SetImage(&C.Items(3 + I % 3));
      S.X = Rng.Below(800 - kSpriteW);
      S.Y = Rng.Below(600 - kSpriteH);
      S.FrameCount = kSpriteFrames;
      S.LoopAnim = true;
      S.FrameSpeed = 0.1;
      S.SetZ(6);
      Keyed.push_back(&S);
    }
    for (int I = 0; I < 40; ++I) {
      auto& B = CreateSprite<TBullet>(E, 3.0 + Rng.Below(4), Rng.Below(3) - 1.0, Rng.Below(256));
      B.SetImage(&C.Find("Bullet"));
      B.X = Rng.Below(800);
      B.Y = Rng.Below(600);
      B.SetZ(8);
    }
    for (int I = 0; I < 6; ++I) {
      auto& F = CreateSprite<TFader>(E, 1.0, 0.5);
      F.SetImage(&C.Find("Glow"));
      F.X = Rng.Below(700);
      F.Y = Rng.Below(500);
      F.SetZ(9);
    }
  }
};

void RunDraw(const TBenchOptions& Options) {
  TDrawScene Scene;
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

  // The 60 colour-keyed sprites alone at their current places, ours and SDL's.
  struct TPlaced {
    const TPictureCollectionItem* Item;
    int32_t Pattern, X, Y, Source;
  };
  std::vector<TPlaced> Placed;
  TLcg Rng{99};
  for (TImageSprite* S : Scene.Keyed)
    Placed.push_back({S->Image(), Rng.Below(kSpriteFrames), Rng.Below(800 - kSpriteW),
                      Rng.Below(600 - kSpriteH), -1});
  TSdlReferenceBlitter Sdl(Back.Pixels(), Back.Width(), Back.Height(), Back.PitchBytes());
  for (TPlaced& P : Placed) {
    const TDirectDrawSurface* Block = P.Item->PatternBlock(P.Pattern);
    const TRect R = P.Item->PatternRect(P.Pattern);
    P.Source = Sdl.AddSource(Block->Row(R.Top) + R.Left, R.Width(), R.Height(), Block->PitchBytes(),
                             Block->ColorKey());
  }
  Back.Fill(0);
  const double Ours = MedianMicros(Options.Frames, [&](int32_t) {
    for (const TPlaced& P : Placed) P.Item->Draw(Back, P.X, P.Y, P.Pattern);
  });
  std::vector<uint32_t> OurPixels(Back.Pixels(), Back.Pixels() + 800 * 600);
  Back.Fill(0);
  const double Theirs = MedianMicros(Options.Frames, [&](int32_t) {
    for (const TPlaced& P : Placed) Sdl.Blit(P.Source, P.X, P.Y);
  });
  const bool Same = std::equal(OurPixels.begin(), OurPixels.end(), Back.Pixels());

  // The floor: one plain copy of the whole surface.
  TDirectDrawSurface Copy(800, 600);
  const double Floor = MedianMicros(Options.Frames, [&](int32_t) {
    std::memcpy(Copy.Pixels(), Back.Pixels(),
                static_cast<size_t>(Back.Width()) * Back.Height() * 4);
  });

  std::printf(
      "  busy frame: sky strip, 2 hill strips, 60 keyed 120x90, 40 rotated 16x8, "
      "6 blended 64x64 (%d drawn)\n",
      Drawn);
  PrintFigure("busy frame (fill + draw)", Frame);
  PrintFigure("60 colour-keyed sprites, ours (opaque spans)", Ours);
  PrintFigure(Sdl.Ok() ? "60 colour-keyed sprites, SDL RLE blit" : "SDL RLE blit (unavailable)",
              Theirs);
  PrintFigure("plain copy of the 800x600 surface (floor)", Floor);
  PrintRatio("ours / SDL RLE", Theirs > 0 ? Ours / Theirs : 0, "<= 1.25");
  PrintRatio("busy frame / plain copy", Floor > 0 ? Frame / Floor : 0);
  PrintRatio("busy frame / 1 ms", Frame / 1000.0, "< 1");
  std::printf("  same pixels as SDL: %s\n", Same ? "yes" : "NO");
}

}  // namespace

void AddDrawSections(std::vector<TBenchSection>& Sections) {
  Sections.push_back({"draw", RunDraw});
}
