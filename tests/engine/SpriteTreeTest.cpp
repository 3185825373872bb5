// The tree logic of the sprite engine: ordering, lists, destruction, the dead list and the
// three walks, on plain sprites that record what happens to them.

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/DXSprite.h"

namespace {

using TLog = std::vector<std::string>;

// A sprite that writes its name into a log for every call it receives.
class TNamed : public TSprite {
 public:
  TNamed(TSprite* Parent, std::string Name, TLog* Log = nullptr)
      : TSprite(Parent), Name(std::move(Name)), FLog(Log) {}
  ~TNamed() override { Note("~"); }
  void MoveSelf(int32_t Ticks) override {
    Note("move");
    if (OnMove) OnMove(Ticks);
  }
  void DrawSelf() override { Note("draw"); }
  void CollideWith(TSprite& Other, bool& Done) override {
    Note("hit " + static_cast<TNamed&>(Other).Name);
    if (OnHit) OnHit(Other, Done);
  }
  bool TestHit(TSprite& Other) override {
    return Refuse.empty() || Refuse != static_cast<TNamed&>(Other).Name;
  }
  std::string Name;
  std::function<void(int32_t)> OnMove;
  std::function<void(TSprite&, bool&)> OnHit;
  std::string Refuse;  // TestHit is false against the sprite of this name

 private:
  void Note(const std::string& What) {
    if (FLog) FLog->push_back(What + " " + Name);
  }
  TLog* FLog;
};

std::string Names(std::span<TSprite* const> List) {
  std::string S;
  for (TSprite* P : List) S += static_cast<TNamed*>(P)->Name;
  return S;
}

// Z ordering: each step is "+n" (a new child named n, Z 0) or "n=z" (SetZ); after the steps
// the draw order and the (unchanged) insertion order are checked.
struct TZCase {
  const char* Name;
  std::vector<std::string> Steps;
  std::string DrawOrder;
  std::string Children;
};
// Test listings name the case, not its bytes.
void PrintTo(const TZCase& C, std::ostream* Os) {
  *Os << C.Name;
}

class ZOrder : public ::testing::TestWithParam<TZCase> {};

TEST_P(ZOrder, FollowsTheInsertionRule) {
  TSpriteEngine E;
  std::map<std::string, TNamed*> ByName;
  for (const std::string& Step : GetParam().Steps) {
    if (Step[0] == '+') {
      const std::string N = Step.substr(1);
      ByName[N] = new TNamed(&E, N);
    } else {
      const size_t Eq = Step.find('=');
      ByName[Step.substr(0, Eq)]->SetZ(std::stoi(Step.substr(Eq + 1)));
    }
  }
  EXPECT_EQ(Names(E.DrawOrder()), GetParam().DrawOrder);
  EXPECT_EQ(Names(E.Children()), GetParam().Children);
}

INSTANTIATE_TEST_SUITE_P(
    Sprites, ZOrder,
    ::testing::Values(
        TZCase{"EqualZNewestFirst", {"+a", "+b", "+c"}, "cba", "abc"},
        TZCase{"RaisedGoesLast", {"+a", "+b", "+c", "b=1"}, "cab", "abc"},
        TZCase{"BackToEqualGoesBeneath", {"+a", "+b", "+c", "b=1", "b=0"}, "bca", "abc"},
        TZCase{"SameValueKeepsPlace", {"+a", "+b", "+c", "c=0", "a=0"}, "cba", "abc"},
        TZCase{"LandsBeforeEqual",
               {"+p", "p=1", "+q", "q=5", "+r", "r=9", "+n", "n=5"},
               "pnqr",
               "pqrn"},
        TZCase{"Negative", {"+a", "+b", "b=-3", "+c", "c=-1"}, "bca", "abc"},
        // Z values whose difference does not fit in 32 bits still order correctly.
        TZCase{"Extremes",
               {"+a", "a=2147483647", "+b", "b=-2147483648", "+c", "c=2147483647", "+d", "d=-5"},
               "bdca",
               "abcd"}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST(SpriteLists, ExistOnlyWithChildren) {
  TSpriteEngine E;
  EXPECT_FALSE(E.HasChildLists());
  auto* A = new TNamed(&E, "a");
  auto* B = new TNamed(&E, "b");
  EXPECT_TRUE(E.HasChildLists());
  EXPECT_FALSE(A->HasChildLists());
  EXPECT_EQ(&E.Items(1), B);
  try {
    E.Items(2);
    ADD_FAILURE() << "no error";
  } catch (const ESpriteError& Err) {
    EXPECT_STREQ(Err.what(), "List index out of bounds (2)");
  }
  delete A;
  delete B;
  EXPECT_FALSE(E.HasChildLists());
  EXPECT_EQ(E.Count(), 0);
  EXPECT_TRUE(E.DrawOrder().empty());
  for (int32_t Index : {0, -1, 7}) {
    try {
      E.Items(Index);
      ADD_FAILURE() << "no error for " << Index;
    } catch (const ESpriteError& Err) {
      EXPECT_EQ(std::string(Err.what()),
                "Index of the list exceeds the range. (" + std::to_string(Index) + ")");
    }
  }
  // The next insertion creates the lists again.
  new TNamed(&E, "c");
  EXPECT_EQ(Names(E.DrawOrder()), "c");
}

TEST(SpriteTree, EngineLinksCountsAndPositions) {
  TSpriteEngine E;
  E.X = 10;
  E.Y = -4;
  auto* A = new TNamed(&E, "a");
  auto* A1 = new TNamed(A, "a1");
  auto* A11 = new TNamed(A1, "a11");
  EXPECT_EQ(E.Engine(), nullptr);
  EXPECT_EQ(A->Engine(), &E);
  EXPECT_EQ(A11->Engine(), &E);
  EXPECT_EQ(A11->Parent(), A1);
  EXPECT_EQ(E.SpriteCount(), 3);
  EXPECT_EQ(E.Count(), 1);
  A->X = 1.5;
  A1->X = 2;
  A11->X = 0.25;
  A11->Y = 3;
  EXPECT_DOUBLE_EQ(A11->AbsoluteX(), 13.75);  // the engine's own position moves the world
  EXPECT_DOUBLE_EQ(A11->AbsoluteY(), -1);
  EXPECT_TRUE(A11->CanCollide && A11->CanMove && A11->Visible);
  delete A1;
  EXPECT_EQ(E.SpriteCount(), 1);
  EXPECT_FALSE(A->HasChildLists());
}

TEST(SpriteTree, DestroysChildrenLastFirst) {
  TLog Log;
  {
    TSpriteEngine E;
    auto* A = new TNamed(&E, "a", &Log);
    new TNamed(A, "a1", &Log);
    new TNamed(A, "a2", &Log);
    auto* B = new TNamed(&E, "b", &Log);
    new TNamed(B, "b1", &Log);
    B->SetZ(-1);  // draw order does not matter for destruction
    new TNamed(&E, "c", &Log);
  }
  // A sprite's own destructor body runs first, then its children go, last one first.
  EXPECT_EQ(Log, (TLog{"~ c", "~ b", "~ b1", "~ a", "~ a2", "~ a1"}));
}

TEST(DeadList, MarkOnceFreeInReverse) {
  TLog Log;
  TSpriteEngine E;
  auto* A = new TNamed(&E, "a", &Log);
  auto* B = new TNamed(&E, "b", &Log);
  auto* C = new TNamed(&E, "c", &Log);
  auto* C1 = new TNamed(C, "c1", &Log);
  B->MarkDead();
  A->MarkDead();
  B->MarkDead();
  C1->MarkDead();
  E.MarkDead();  // the engine cannot be marked
  EXPECT_TRUE(B->IsDead());
  EXPECT_FALSE(E.IsDead());
  EXPECT_EQ(E.DeadSprites(), (std::vector<TSprite*>{B, A, C1}));
  // Marked sprites stay in the tree and keep moving until freed.
  E.Move(1);
  EXPECT_EQ(Log, (TLog{"move a", "move b", "move c", "move c1"}));
  Log.clear();
  delete C;  // takes the marked c1 with it
  EXPECT_EQ(E.DeadSprites(), (std::vector<TSprite*>{B, A}));
  Log.clear();
  E.FreeDead();
  EXPECT_EQ(Log, (TLog{"~ a", "~ b"}));
  EXPECT_TRUE(E.DeadSprites().empty());
  EXPECT_EQ(E.SpriteCount(), 0);
  E.FreeDead();  // nothing left: harmless
}

TEST(Walks, MoveSkipsStoppedSubtreesAndNewChildren) {
  TLog Log;
  TSpriteEngine E;
  auto* A = new TNamed(&E, "a", &Log);
  new TNamed(A, "a1", &Log);
  auto* B = new TNamed(&E, "b", &Log);
  new TNamed(B, "b1", &Log);
  auto* C = new TNamed(&E, "c", &Log);
  B->CanMove = false;
  // c spawns a sibling and a child while moving: the sibling comes after the engine took its
  // count and waits for the next walk; the child is there before c takes its own count.
  C->OnMove = [&](int32_t) {
    if (C->Count() == 0) {
      new TNamed(&E, "d", &Log);
      new TNamed(C, "c1", &Log);
    }
  };
  E.Move(7);
  EXPECT_EQ(Log, (TLog{"move a", "move a1", "move c", "move c1"}));
  Log.clear();
  E.Move(7);
  EXPECT_EQ(Log, (TLog{"move a", "move a1", "move c", "move c1", "move d"}));
}

TEST(Walks, DrawCullsInvisibleAndOffSurface) {
  TLog Log;
  TSpriteEngine E;
  TDirectDrawSurface Surface(100, 50);
  E.SetSurface(&Surface);
  auto Add = [&](TSprite* Parent, const char* N, double X, double Y, int32_t W, int32_t H) {
    auto* S = new TNamed(Parent, N, &Log);
    S->X = X;
    S->Y = Y;
    S->Width = W;
    S->Height = H;
    return S;
  };
  Add(&E, "a", 0, 0, 10, 10);
  Add(&E, "t", -10, 0, 10, 10);            // right edge touches the surface: culled
  auto* P = Add(&E, "p", 200, 0, 10, 10);  // off the surface: culled, its child still drawn
  Add(P, "q", -195, 5, 10, 10);
  auto* H = Add(&E, "h", 5, 5, 10, 10);
  Add(H, "h1", 0, 0, 10, 10);
  H->Visible = false;
  Add(&E, "z", 0, 0, 0, 10);       // no area: never overlaps
  Add(&E, "e", 99.5, 49.5, 1, 1);  // rounds to 100, 50 (ties to even): off the surface
  Add(&E, "f", 98.5, 48.5, 1, 1);  // rounds to 98, 48
  auto* Top = Add(&E, "b", 90, 40, 20, 20);
  Top->SetZ(-1);
  E.Draw();
  EXPECT_EQ(Log, (TLog{"draw b", "draw f", "draw q", "draw a"}));
  EXPECT_EQ(E.DrawnCount(), 4);
  Log.clear();
  E.Draw();
  EXPECT_EQ(E.DrawnCount(), 4);  // reset by every engine draw, not accumulated
}

// Collide: the seeker s is a child of the engine unless the case nests it; every sprite is
// 10 x 10 at the given position.
struct TCollideCase {
  const char* Name;
  std::vector<std::pair<std::string, std::pair<int, int>>> Sprites;  // name, position
  std::function<void(std::map<std::string, TNamed*>&)> Setup;
  int32_t Hits;
  TLog Calls;  // the seeker's CollideWith calls in order
};
// Test listings name the case, not its bytes.
void PrintTo(const TCollideCase& C, std::ostream* Os) {
  *Os << C.Name;
}

class CollideCounts : public ::testing::TestWithParam<TCollideCase> {};

TEST_P(CollideCounts, MatchTable) {
  const TCollideCase& C = GetParam();
  TLog Log;
  TSpriteEngine E;
  std::map<std::string, TNamed*> S;
  S["s"] = new TNamed(&E, "s", &Log);
  S["s"]->Width = S["s"]->Height = 10;
  for (const auto& [N, Pos] : C.Sprites) {
    // "x.y" makes y a child of x.
    const size_t Dot = N.find('.');
    TSprite* Parent = Dot == std::string::npos ? static_cast<TSprite*>(&E) : S[N.substr(0, Dot)];
    const std::string Own = Dot == std::string::npos ? N : N.substr(Dot + 1);
    auto* P = new TNamed(Parent, Own, &Log);
    P->X = Pos.first - (Parent == &E ? 0 : Parent->AbsoluteX());
    P->Y = Pos.second - (Parent == &E ? 0 : Parent->AbsoluteY());
    P->Width = P->Height = 10;
    S[Own] = P;
  }
  if (C.Setup) C.Setup(S);
  Log.clear();
  EXPECT_EQ(S["s"]->Collide(), C.Hits);
  TLog Calls;
  for (const std::string& L : Log)
    if (L.ends_with(" s")) Calls.push_back(L.substr(0, L.size() - 2));
  EXPECT_EQ(Calls, C.Calls);
}

INSTANTIATE_TEST_SUITE_P(
    Sprites, CollideCounts,
    ::testing::Values(
        TCollideCase{"OverlapAndTouch",
                     {{"a", {5, 5}}, {"b", {10, 0}}, {"c", {0, -10}}},
                     nullptr,
                     1,
                     {"hit a"}},
        TCollideCase{"ChildrenSearched", {{"a", {50, 50}}, {"a.b", {3, 3}}}, nullptr, 1, {"hit b"}},
        TCollideCase{"NotCollidableHidesSubtree",
                     {{"a", {0, 0}}, {"a.b", {3, 3}}, {"c", {1, 1}}},
                     [](auto& S) { S["a"]->CanCollide = false; },
                     1,
                     {"hit c"}},
        TCollideCase{"EitherTestHitCanRefuse",
                     {{"a", {0, 0}}, {"b", {1, 1}}, {"c", {2, 2}}},
                     [](auto& S) {
                       S["s"]->Refuse = "a";
                       S["b"]->Refuse = "s";
                     },
                     1,
                     {"hit c"}},
        // The seeker dies on the first hit: the search still goes on over the engine's
        // children, and every overlap is reported.
        TCollideCase{"DeadSeekerStillHits",
                     {{"a", {1, 1}}, {"b", {2, 2}}},
                     [](auto& S) {
                       TNamed* Seeker = S["s"];
                       Seeker->OnHit = [Seeker](TSprite&, bool&) { Seeker->MarkDead(); };
                     },
                     2,
                     {"hit a", "hit b"}},
        // Done stops only the descent into the children of the sprite just hit.
        TCollideCase{"DoneStopsDescentOnly",
                     {{"a", {1, 1}}, {"a.a1", {2, 2}}, {"b", {3, 3}}, {"b.b1", {4, 4}}},
                     [](auto& S) {
                       S["s"]->OnHit = [](TSprite& O, bool& Done) {
                         Done = static_cast<TNamed&>(O).Name == "a";
                       };
                     },
                     3,
                     {"hit a", "hit b", "hit b1"}},
        TCollideCase{"DoneStaysSetForLaterSiblings",
                     {{"a", {1, 1}}, {"a.a1", {2, 2}}, {"b", {3, 3}}, {"b.b1", {4, 4}}},
                     [](auto& S) { S["s"]->OnHit = [](TSprite&, bool& Done) { Done = true; }; },
                     2,
                     {"hit a", "hit b"}},
        TCollideCase{"DeadTargetsStillHit",
                     {{"a", {1, 1}}},
                     [](auto& S) { S["a"]->MarkDead(); },
                     1,
                     {"hit a"}},
        TCollideCase{
            "DeadSeekerFindsNothing", {{"a", {1, 1}}}, [](auto& S) { S["s"]->MarkDead(); }, 0, {}},
        TCollideCase{"StoppedSeekerFindsNothing",
                     {{"a", {1, 1}}},
                     [](auto& S) { S["s"]->CanCollide = false; },
                     0,
                     {}}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST(Walks, CollideOnTheEngineFindsNothing) {
  TSpriteEngine E;
  auto* A = new TNamed(&E, "a");
  A->Width = A->Height = 10;
  EXPECT_EQ(E.Collide(), 0);
}

TEST(Walks, CollideLeavesItsStateForTheCaller) {
  TSpriteEngine E;
  auto* S = new TNamed(&E, "s");
  auto* A = new TNamed(&E, "a");
  auto* B = new TNamed(&E, "b");
  for (TNamed* P : {S, A, B}) P->Width = P->Height = 10;
  B->X = 100;
  // a, hit by s, looks for its own hits from inside s's reaction.
  S->OnHit = [&](TSprite& O, bool&) {
    if (&O == A) A->Collide();
  };
  EXPECT_EQ(S->Collide(), 1);
  EXPECT_EQ(E.Seeker(), S);
  EXPECT_EQ(E.HitCount(), 1);
  EXPECT_EQ(E.SeekerRect(), Bounds(0, 0, 10, 10));
  delete S;
  EXPECT_EQ(E.Seeker(), nullptr);  // no pointer to a destroyed sprite is kept
}

}  // namespace
