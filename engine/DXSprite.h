#pragma once
// The sprite tree: every moving and drawn thing of the game hangs below one TSpriteEngine.
// Once per frame the tree is drawn in Z order, moved by the frame's lag, searched for hits
// by sprites that call Collide from their MoveSelf, and then the sprites marked dead are
// destroyed. A sprite never frees itself during a walk: MarkDead, then FreeDead afterwards.
//
// Ownership: a sprite created with a parent belongs to that parent and is destroyed with
// it (children last-first), by FreeDead, or by delete. Create such sprites on the heap,
// `new TMySprite(&Parent)` or CreateSprite<TMySprite>(Parent); the tree deletes them. The
// engine itself (no parent) is an ordinary object.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "engine/DXSurface.h"
#include "engine/DXTypes.h"

class TDXDraw;
class TPictureCollectionItem;
class TSpriteEngine;

class ESpriteError : public EDXError {
 public:
  using EDXError::EDXError;
};

class TSprite {
 public:
  // Appends the sprite to Parent's children (and its draw order by Z), when there is one.
  explicit TSprite(TSprite* Parent);
  // Destroys the children (last first), then leaves the parent and the engine's dead list.
  virtual ~TSprite();
  TSprite(const TSprite&) = delete;
  TSprite& operator=(const TSprite&) = delete;

  // Reaction to a confirmed hit found by this sprite's Collide; setting Done stops the
  // search from descending into Other's children.
  virtual void CollideWith(TSprite& Other, bool& Done);
  virtual void DrawSelf();
  virtual void MoveSelf(int32_t Ticks);
  // Bounds(round(AbsoluteX), round(AbsoluteY), Width, Height).
  virtual TRect GetBounds() const;
  // Fine test after the rectangles overlap.
  virtual bool TestHit(TSprite& Other);

  // The three walks.
  void Move(int32_t Ticks);
  void Draw();
  int32_t Collide();

  void MarkDead();
  void Clear();
  int32_t Count() const;
  // Raises ESpriteError "Index of the list exceeds the range. (%d)" without children, and
  // "List index out of bounds (%d)" outside an existing list.
  TSprite& Items(int32_t Index) const;
  double AbsoluteX() const;
  double AbsoluteY() const;
  void SetZ(int32_t Value);

  TSpriteEngine* Engine() const { return FEngine; }
  TSprite* Parent() const { return FParent; }
  bool IsDead() const { return FIsDead; }
  int32_t Z() const { return FZ; }
  // Children in insertion order and in drawing order (ascending Z); empty without children.
  std::span<TSprite* const> Children() const;
  std::span<TSprite* const> DrawOrder() const;
  // Whether the child lists exist (only while there is at least one child).
  bool HasChildLists() const { return FLists != nullptr; }

  bool CanCollide = true;
  bool CanMove = true;
  bool Visible = true;
  double X = 0;  // relative to the parent
  double Y = 0;
  int32_t Width = 0;
  int32_t Height = 0;

 private:
  struct TChildLists {
    std::vector<TSprite*> Children;
    std::vector<TSprite*> DrawOrder;
  };
  void Add(TSprite& Child);
  void Remove(TSprite& Child);
  void InsertByZ(TSprite& Child);
  void Visit(TSprite& S);

  TSpriteEngine* FEngine = nullptr;
  TSprite* FParent = nullptr;
  std::unique_ptr<TChildLists> FLists;
  bool FIsDead = false;
  int32_t FZ = 0;
};

// Creates a sprite of type T owned by Parent; the tree destroys it.
template <class T, class... TArgs>
T& CreateSprite(TSprite& Parent, TArgs&&... Args) {
  return *new T(&Parent, std::forward<TArgs>(Args)...);
}

class TSpriteEngine : public TSprite {
 public:
  TSpriteEngine();
  ~TSpriteEngine() override;

  // Destroys the sprites marked dead, the last marked first.
  void FreeDead();
  // Resets DrawnCount, then draws the whole tree.
  void Draw();
  // The drawing target; SurfaceBounds and the engine's size follow a non-null surface and
  // keep their last value when it goes away.
  virtual void SetSurface(TDirectDrawSurface* Surface);

  int32_t SpriteCount() const { return FSpriteCount; }
  int32_t DrawnCount() const { return FDrawnCount; }
  TDirectDrawSurface* Surface() const { return FSurface; }
  const TRect& SurfaceBounds() const { return FSurfaceBounds; }
  // State of the Collide call in progress.
  int32_t HitCount() const { return FHitCount; }
  bool HitDone() const { return FHitDone; }
  const TRect& SeekerRect() const { return FSeekerRect; }
  TSprite* Seeker() const { return FSeeker; }
  // Marked sprites not yet destroyed, in marking order.
  const std::vector<TSprite*>& DeadSprites() const { return FDeadSprites; }

 private:
  friend class TSprite;
  int32_t FSpriteCount = 0;
  int32_t FHitCount = 0;
  bool FHitDone = false;
  int32_t FCollideDepth = 0;
  TRect FSeekerRect;
  TSprite* FSeeker = nullptr;
  std::vector<TSprite*> FDeadSprites;
  int32_t FDrawnCount = 0;
  TDirectDrawSurface* FSurface = nullptr;
  TRect FSurfaceBounds;
};

// Draws one pattern of an image item and animates through its patterns.
class TImageSprite : public TSprite {
 public:
  explicit TImageSprite(TSprite* Parent);

  void DrawSelf() override;
  void MoveSelf(int32_t Ticks) override;  // animation
  TRect GetBounds() const override;
  bool TestHit(TSprite& Other) override;
  // Image and the sprite's size: the item's width and height, 0 x 0 without an item.
  virtual void SetImage(TPictureCollectionItem* Item);

  TPictureCollectionItem* Image() const { return FImage; }
  // round(FramePos) + FirstPattern.
  int32_t FrameIndex() const;
  // GetBounds moved so that the item's pattern is centred in the sprite's box.
  TRect DrawRect() const;

  int32_t FrameCount = 0;
  bool LoopAnim = false;
  double FramePos = 0;
  double FrameSpeed = 0;  // frames per tick
  int32_t FirstPattern = 0;
  bool PixelExact = false;
  bool Tiled = false;  // the position wraps around the surface

 private:
  TPictureCollectionItem* FImage = nullptr;
};

// A map of Columns x Rows cells, each showing one pattern of an image item (negative =
// empty), optionally repeated without end.
class TBackgroundSprite : public TSprite {
 public:
  explicit TBackgroundSprite(TSprite* Parent);
  ~TBackgroundSprite() override;

  void DrawSelf() override;
  TRect GetBounds() const override;
  bool TestHit(TSprite& Other) override;

  // Every cell shows pattern 0 and is solid afterwards; a size of 0 or less gives 0 x 0.
  void ResizeMap(int32_t W, int32_t H);
  // Image, and the size item width * Columns x item height * Rows.
  void SetImage(TPictureCollectionItem* Item);
  TPictureCollectionItem* Image() const { return FImage; }

  int32_t Columns() const { return FColumns; }
  int32_t Rows() const { return FRows; }
  // -1 (and false) outside the map; writes outside the map are ignored.
  int32_t Cells(int32_t X, int32_t Y) const;
  bool SolidCells(int32_t X, int32_t Y) const;
  void SetCell(int32_t X, int32_t Y, int32_t Pattern);
  void SetSolidCell(int32_t X, int32_t Y, bool Solid);

  bool Tiled = false;

 private:
  bool CellSize(int32_t& Cw, int32_t& Ch) const;
  TPictureCollectionItem* FImage = nullptr;
  std::vector<uint8_t> FSolidCells;
  std::vector<int32_t> FCells;
  int32_t FColumns = 0;
  int32_t FRows = 0;
};

// The pixel test of two patterns placed at (X1, Y1) and (X2, Y2): whether an opaque pixel
// of one lies on an opaque pixel of the other. Without pixel data the answer is whether the
// pattern boxes overlap.
bool PatternsOverlap(const TPictureCollectionItem* A, int32_t PatternA, int32_t X1, int32_t Y1,
                     const TPictureCollectionItem* B, int32_t PatternB, int32_t X2, int32_t Y2);

// The form component: owns the engine and keeps its surface bound to the display's.
class TDXSpriteEngine {
 public:
  TDXSpriteEngine() = default;
  ~TDXSpriteEngine();
  TDXSpriteEngine(const TDXSpriteEngine&) = delete;
  TDXSpriteEngine& operator=(const TDXSpriteEngine&) = delete;

  TSpriteEngine& Engine() { return FEngine; }
  TDXDraw* DXDraw() const { return FDXDraw; }
  // Leaves the previous display's listeners and joins the new one's.
  void SetDXDraw(TDXDraw* Display);

  void Move(int32_t Ticks) { FEngine.Move(Ticks); }
  // Draws only while the bound display exists and is initialized.
  void Draw();
  void FreeDead() { FEngine.FreeDead(); }

 private:
  TSpriteEngine FEngine;
  TDXDraw* FDXDraw = nullptr;
};
