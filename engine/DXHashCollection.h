#pragma once
// A collection of named items with a 256-bucket name hash: case-insensitive look-up, where
// of several items with one name the one added (or renamed) last is found. Base of the
// image and sound collections.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Names are 8-bit (Latin-1) text compared without regard to case: ASCII and the Latin-1
// capitals fold to lower case. Item names, property names and colour names all compare so.
bool SameText(const std::string& A, const std::string& B);

class THashCollection;

class THashCollectionItem {
 public:
  virtual ~THashCollectionItem() = default;
  const std::string& Name() const { return FName; }
  void SetName(const std::string& Name);  // re-hashes; the item goes to its chain's head
  int32_t Index() const { return FIndex; }
  THashCollection* Collection() const { return FCollection; }

 private:
  friend class THashCollection;
  std::string FName;
  THashCollection* FCollection = nullptr;
  int32_t FIndex = -1;
  uint8_t FHash = 0;
  THashCollectionItem* FPrevInChain = nullptr;
  THashCollectionItem* FNextInChain = nullptr;
};

class THashCollection {
 public:
  virtual ~THashCollection();
  // Lower-cased name: (length << 4), plus the first and second-to-last characters when
  // the length is at least 2, low 8 bits.
  static uint8_t HashName(const std::string& Name);

  int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
  THashCollectionItem* ItemAt(int32_t Index) const;  // nullptr outside 0 .. Count - 1
  // Index of the item found by name, -1 when there is none.
  int32_t IndexOf(const std::string& Name) const;
  void Delete(int32_t Index);
  // Moves the item at CurIndex to NewIndex; the cached indices between follow.
  void Move(int32_t CurIndex, int32_t NewIndex);
  void Clear();

 protected:
  THashCollectionItem& AddItem(std::unique_ptr<THashCollectionItem> Item);

 private:
  friend class THashCollectionItem;
  void Link(THashCollectionItem& Item);
  void Unlink(THashCollectionItem& Item);
  std::vector<std::unique_ptr<THashCollectionItem>> FItems;
  std::array<THashCollectionItem*, 256> FBuckets{};
};
