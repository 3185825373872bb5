// The sprite tree, its walks, the engine root and the display-bound component.
#include "engine/DXSprite.h"

#include <algorithm>
#include <string>

#include "engine/DXDraws.h"

// ---- TSprite ----------------------------------------------------------------------------

TSprite::TSprite(TSprite* Parent) : FParent(Parent) {
  if (FParent != nullptr) {
    FParent->Add(*this);
    auto* Root = dynamic_cast<TSpriteEngine*>(FParent);
    FEngine = Root != nullptr ? Root : FParent->FEngine;
    if (FEngine != nullptr) ++FEngine->FSpriteCount;
  }
}

TSprite::~TSprite() {
  Clear();
  if (FParent != nullptr) {
    if (FEngine != nullptr) {
      --FEngine->FSpriteCount;
      auto& Dead = FEngine->FDeadSprites;
      // FreeDead destroys from the back, so look there first.
      auto It = std::find(Dead.rbegin(), Dead.rend(), this);
      if (It != Dead.rend()) Dead.erase(std::next(It).base());
      if (FEngine->FSeeker == this) FEngine->FSeeker = nullptr;
    }
    FParent->Remove(*this);
  }
  FLists.reset();
}

void TSprite::Add(TSprite& Child) {
  if (!FLists) FLists = std::make_unique<TChildLists>();
  FLists->Children.push_back(&Child);
  InsertByZ(Child);
}

void TSprite::Remove(TSprite& Child) {
  if (!FLists) return;
  auto& C = FLists->Children;
  auto& D = FLists->DrawOrder;
  // Clear removes the last child, so search from the back.
  if (auto It = std::find(C.rbegin(), C.rend(), &Child); It != C.rend())
    C.erase(std::next(It).base());
  if (auto It = std::find(D.begin(), D.end(), &Child); It != D.end()) D.erase(It);
  if (C.empty()) FLists.reset();
}

// Binary search for the first sibling whose Z is not below the new one's: the sprite goes
// before every sibling of greater or equal Z, so of equal Z the newest is drawn first.
void TSprite::InsertByZ(TSprite& Child) {
  auto& D = FLists->DrawOrder;
  int32_t Low = 0;
  int32_t High = static_cast<int32_t>(D.size()) - 1;
  while (Low <= High) {
    const int32_t Mid = Low + (High - Low) / 2;
    // Compared, not subtracted: the difference of two Z values can overflow.
    if (D[static_cast<size_t>(Mid)]->FZ < Child.FZ)
      Low = Mid + 1;
    else
      High = Mid - 1;
  }
  D.insert(D.begin() + Low, &Child);
}

void TSprite::CollideWith(TSprite&, bool&) {}
void TSprite::DrawSelf() {}
void TSprite::MoveSelf(int32_t) {}

TRect TSprite::GetBounds() const {
  return Bounds(RoundEven(AbsoluteX()), RoundEven(AbsoluteY()), Width, Height);
}

bool TSprite::TestHit(TSprite&) {
  return true;
}

void TSprite::Move(int32_t Ticks) {
  if (!CanMove) return;
  MoveSelf(Ticks);
  // Children added during the walk are not moved by it. A child removed during the walk
  // (which the rules forbid) ends it instead of reading past the list.
  const int32_t N = Count();
  for (int32_t I = 0; I < N && I < Count(); ++I)
    FLists->Children[static_cast<size_t>(I)]->Move(Ticks);
}

void TSprite::Draw() {
  if (!Visible) return;
  if (FEngine != nullptr) {
    if (RectsOverlap(FEngine->FSurfaceBounds, GetBounds())) {
      DrawSelf();
      ++FEngine->FDrawnCount;
    }
  }
  const int32_t N = Count();
  for (int32_t I = 0; I < N && I < Count(); ++I) FLists->DrawOrder[static_cast<size_t>(I)]->Draw();
}

int32_t TSprite::Collide() {
  if (FEngine == nullptr || FIsDead || !CanCollide) return 0;
  TSpriteEngine& E = *FEngine;
  // A Collide made from inside a CollideWith must not leave the outer search with the
  // inner one's seeker and counts.
  const int32_t OuterCount = E.FHitCount;
  const bool OuterDone = E.FHitDone;
  const TRect OuterRect = E.FSeekerRect;
  TSprite* OuterSeeker = E.FSeeker;
  ++E.FCollideDepth;

  E.FHitCount = 0;
  E.FHitDone = false;
  E.FSeekerRect = GetBounds();
  E.FSeeker = this;
  const int32_t N = E.Count();
  for (int32_t I = 0; I < N && I < E.Count(); ++I) E.Visit(E.Items(I));
  const int32_t Hits = E.FHitCount;

  if (--E.FCollideDepth > 0) {
    E.FHitCount = OuterCount;
    E.FHitDone = OuterDone;
    E.FSeekerRect = OuterRect;
    E.FSeeker = OuterSeeker;
  }
  return Hits;
}

// One sprite of the collision search (called on the engine). HitDone only stops the
// descent into the children of the sprite just visited; the search goes on.
void TSprite::Visit(TSprite& S) {
  if (!S.CanCollide) return;
  TSpriteEngine& E = static_cast<TSpriteEngine&>(*this);
  TSprite* Seeker = E.FSeeker;
  if (Seeker == nullptr) return;
  if (&S != Seeker && RectsOverlap(S.GetBounds(), E.FSeekerRect) && Seeker->TestHit(S) &&
      S.TestHit(*Seeker)) {
    ++E.FHitCount;
    Seeker->CollideWith(S, E.FHitDone);
    if (!Seeker->CanCollide || Seeker->FIsDead) E.FHitDone = true;
  }
  if (E.FHitDone) return;
  const int32_t N = S.Count();
  for (int32_t I = 0; I < N && I < S.Count(); ++I)
    Visit(*S.FLists->Children[static_cast<size_t>(I)]);
}

void TSprite::MarkDead() {
  if (FEngine == nullptr || FIsDead) return;
  FIsDead = true;
  FEngine->FDeadSprites.push_back(this);
}

void TSprite::Clear() {
  while (Count() > 0) delete &Items(Count() - 1);
}

int32_t TSprite::Count() const {
  return FLists ? static_cast<int32_t>(FLists->Children.size()) : 0;
}

TSprite& TSprite::Items(int32_t Index) const {
  if (!FLists)
    throw ESpriteError("Index of the list exceeds the range. (" + std::to_string(Index) + ")");
  if (Index < 0 || Index >= Count())
    throw ESpriteError("List index out of bounds (" + std::to_string(Index) + ")");
  return *FLists->Children[static_cast<size_t>(Index)];
}

double TSprite::AbsoluteX() const {
  return FParent != nullptr ? X + FParent->AbsoluteX() : X;
}
double TSprite::AbsoluteY() const {
  return FParent != nullptr ? Y + FParent->AbsoluteY() : Y;
}

void TSprite::SetZ(int32_t Value) {
  if (Value == FZ) return;
  FZ = Value;
  if (FParent == nullptr || !FParent->FLists) return;
  auto& D = FParent->FLists->DrawOrder;
  if (auto It = std::find(D.begin(), D.end(), this); It != D.end()) D.erase(It);
  FParent->InsertByZ(*this);
}

std::span<TSprite* const> TSprite::Children() const {
  if (!FLists) return {};
  return FLists->Children;
}

std::span<TSprite* const> TSprite::DrawOrder() const {
  if (!FLists) return {};
  return FLists->DrawOrder;
}

// ---- TSpriteEngine ------------------------------------------------------------------------

TSpriteEngine::TSpriteEngine() : TSprite(nullptr) {}

TSpriteEngine::~TSpriteEngine() {
  // The sprites go while the dead list still exists: their destructors leave it.
  Clear();
}

void TSpriteEngine::FreeDead() {
  while (!FDeadSprites.empty()) delete FDeadSprites.back();
}

void TSpriteEngine::Draw() {
  FDrawnCount = 0;
  TSprite::Draw();
}

void TSpriteEngine::SetSurface(TDirectDrawSurface* Surface) {
  FSurface = Surface;
  if (Surface == nullptr) return;
  FSurfaceBounds = TRect{0, 0, Surface->Width(), Surface->Height()};
  Width = Surface->Width();
  Height = Surface->Height();
}

// ---- TDXSpriteEngine ----------------------------------------------------------------------

TDXSpriteEngine::~TDXSpriteEngine() {
  SetDXDraw(nullptr);
}

void TDXSpriteEngine::SetDXDraw(TDXDraw* Display) {
  if (Display == FDXDraw) return;
  TDXDraw* Previous = FDXDraw;
  FDXDraw = Display;
  if (Previous != nullptr) Previous->RemoveListener(this);  // tells us finalized, if it was
  if (FDXDraw == nullptr) return;
  TDXDraw* Bound = FDXDraw;
  FDXDraw->AddListener(this, [this, Bound](TDXDrawNotifyType NotifyType) {
    switch (NotifyType) {
      case dxntDestroying:
        // Unbinding sends us the finalize events, so the engine drops the surface too.
        if (FDXDraw == Bound) SetDXDraw(nullptr);
        break;
      case dxntInitialize:
        FEngine.SetSurface(Bound->Surface());
        break;
      case dxntFinalize:
        FEngine.SetSurface(nullptr);
        break;
      default:
        break;
    }
  });
}

void TDXSpriteEngine::Draw() {
  if (FDXDraw != nullptr && FDXDraw->Initialized()) FEngine.Draw();
}
