#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/DXImageList.h"

namespace {

TPictureCollectionItem& AddNamed(TPictureCollection& C, const std::string& Name) {
  TPictureCollectionItem& Item = C.Add();
  Item.SetName(Name);
  return Item;
}

}  // namespace

TEST(HashCollection, HashOfNames) {
  struct Case {
    std::string Name;
    uint8_t Hash;
  };
  const std::vector<Case> Cases = {
      {"player", 53},  // 96 + 'p' + 'e' = 309
      {"PLAYER", 53},  // lower-cased first
      {"", 0},
      {"a", 16},                             // length 1: only the length counts
      {"ab", (32 + 'a' + 'a') & 0xFF},       // second-to-last of "ab" is 'a'
      {"\xC4x", (32 + 0xE4 + 0xE4) & 0xFF},  // Latin-1 capital folded too
  };
  for (const Case& C : Cases) EXPECT_EQ(THashCollection::HashName(C.Name), C.Hash) << C.Name;
}

TEST(HashCollection, FindIgnoresCaseAndLastNamedWins) {
  TPictureCollection C;
  TPictureCollectionItem& Player = AddNamed(C, "Player");
  AddNamed(C, "Sky");
  EXPECT_EQ(&C.Find("PLAYER"), &Player);
  EXPECT_EQ(&C.Find("player"), &Player);

  // A later item of the same name hides the first.
  TPictureCollectionItem& Second = AddNamed(C, "player");
  EXPECT_EQ(&C.Find("Player"), &Second);

  // Renaming the first item back to the name puts it in front again.
  Player.SetName("Other");
  Player.SetName("PLAYER");
  EXPECT_EQ(&C.Find("Player"), &Player);

  // Renamed away, the item is no longer found by its old name.
  Player.SetName("Gone");
  EXPECT_EQ(&C.Find("player"), &Second);
  EXPECT_EQ(&C.Find("gone"), &Player);
}

TEST(HashCollection, UnknownNameRaisesWithTheName) {
  TPictureCollection C;
  AddNamed(C, "Player");
  try {
    C.Find("Nobody");
    FAIL() << "no error";
  } catch (const EPictureCollectionError& E) {
    EXPECT_STREQ(E.what(), "Image 'Nobody' not found");
  }
  // Same bucket as "player" but a different name.
  EXPECT_EQ(THashCollection::HashName("pXXXeX"), THashCollection::HashName("player"));
  EXPECT_THROW(C.Find("pXXXeX"), EPictureCollectionError);
}

TEST(HashCollection, CachedIndicesFollowDeleteAndMove) {
  TPictureCollection C;
  for (const char* N : {"A", "B", "Cc", "Dd", "Ee"}) AddNamed(C, N);
  C.Delete(1);  // B
  ASSERT_EQ(C.Count(), 4);
  EXPECT_THROW(C.Find("B"), EPictureCollectionError);
  for (int32_t I = 0; I < C.Count(); ++I) EXPECT_EQ(C.Items(I).Index(), I);
  EXPECT_EQ(C.Find("Ee").Index(), 3);
  EXPECT_EQ(C.Find("Ee").Name(), "Ee");

  C.Move(3, 0);  // Ee to the front
  EXPECT_EQ(C.Find("Ee").Index(), 0);
  EXPECT_EQ(C.Find("A").Index(), 1);
  EXPECT_EQ(C.Find("Dd").Index(), 3);

  C.Delete(-1);  // out of range: nothing
  C.Delete(4);
  EXPECT_EQ(C.Count(), 4);
  EXPECT_THROW(C.Items(4), EPictureCollectionError);
  C.Clear();
  EXPECT_EQ(C.Count(), 0);
  EXPECT_EQ(C.IndexOf("A"), -1);
}

TEST(HashCollection, ManyItemsInOneBucketAreAllFound) {
  // Names of equal length, first and second-to-last letters share one bucket.
  TPictureCollection C;
  std::vector<std::string> Names;
  for (char M = 'a'; M <= 'z'; ++M) Names.push_back(std::string("x") + M + "yz");
  for (const auto& N : Names) AddNamed(C, N);
  C.Delete(10);
  for (size_t I = 0; I < Names.size(); ++I) {
    if (I == 10) {
      EXPECT_EQ(C.IndexOf(Names[I]), -1);
    } else {
      EXPECT_EQ(C.Find(Names[I]).Name(), Names[I]);
    }
  }
}
