#include "engine/DXHashCollection.h"

#include <utility>

namespace {

// Names are 8-bit (Latin-1) text: fold ASCII and the Latin-1 capitals.
unsigned char FoldCase(unsigned char C) {
  if (C >= 'A' && C <= 'Z') return static_cast<unsigned char>(C + 32);
  if (C >= 0xC0 && C <= 0xDE && C != 0xD7) return static_cast<unsigned char>(C + 32);
  return C;
}

}  // namespace

bool SameText(const std::string& A, const std::string& B) {
  if (A.size() != B.size()) return false;
  for (size_t I = 0; I < A.size(); ++I) {
    if (FoldCase(static_cast<unsigned char>(A[I])) != FoldCase(static_cast<unsigned char>(B[I])))
      return false;
  }
  return true;
}

void THashCollectionItem::SetName(const std::string& Name) {
  if (FCollection == nullptr) {
    FName = Name;
    FHash = THashCollection::HashName(Name);
    return;
  }
  // Renaming always moves the item to the head of its (possibly new) chain, so that the
  // item given a name last is the one found by it.
  FCollection->Unlink(*this);
  FName = Name;
  FHash = THashCollection::HashName(Name);
  FCollection->Link(*this);
}

THashCollection::~THashCollection() = default;

uint8_t THashCollection::HashName(const std::string& Name) {
  const size_t Length = Name.size();
  uint32_t H = static_cast<uint32_t>(Length) << 4;
  if (Length >= 2) {
    H += FoldCase(static_cast<unsigned char>(Name[0]));
    H += FoldCase(static_cast<unsigned char>(Name[Length - 2]));
  }
  return static_cast<uint8_t>(H & 0xFFu);
}

THashCollectionItem* THashCollection::ItemAt(int32_t Index) const {
  if (Index < 0 || Index >= Count()) return nullptr;
  return FItems[static_cast<size_t>(Index)].get();
}

int32_t THashCollection::IndexOf(const std::string& Name) const {
  for (const THashCollectionItem* Item = FBuckets[HashName(Name)]; Item != nullptr;
       Item = Item->FNextInChain) {
    if (SameText(Item->FName, Name)) return Item->FIndex;
  }
  return -1;
}

void THashCollection::Delete(int32_t Index) {
  if (Index < 0 || Index >= Count()) return;
  Unlink(*FItems[static_cast<size_t>(Index)]);
  FItems.erase(FItems.begin() + Index);
  for (size_t I = static_cast<size_t>(Index); I < FItems.size(); ++I) FItems[I]->FIndex -= 1;
}

void THashCollection::Move(int32_t CurIndex, int32_t NewIndex) {
  if (CurIndex < 0 || CurIndex >= Count() || NewIndex < 0 || NewIndex >= Count() ||
      CurIndex == NewIndex)
    return;
  std::unique_ptr<THashCollectionItem> Item = std::move(FItems[static_cast<size_t>(CurIndex)]);
  FItems.erase(FItems.begin() + CurIndex);
  FItems.insert(FItems.begin() + NewIndex, std::move(Item));
  const int32_t From = CurIndex < NewIndex ? CurIndex : NewIndex;
  const int32_t To = CurIndex < NewIndex ? NewIndex : CurIndex;
  for (int32_t I = From; I <= To; ++I) FItems[static_cast<size_t>(I)]->FIndex = I;
}

void THashCollection::Clear() {
  // Last first, so that no cached index ever has to be shifted.
  while (!FItems.empty()) Delete(Count() - 1);
}

THashCollectionItem& THashCollection::AddItem(std::unique_ptr<THashCollectionItem> Item) {
  THashCollectionItem& Ref = *Item;
  Ref.FCollection = this;
  Ref.FIndex = Count();
  Ref.FHash = HashName(Ref.FName);
  FItems.push_back(std::move(Item));
  Link(Ref);
  return Ref;
}

void THashCollection::Link(THashCollectionItem& Item) {
  THashCollectionItem*& Head = FBuckets[Item.FHash];
  Item.FPrevInChain = nullptr;
  Item.FNextInChain = Head;
  if (Head != nullptr) Head->FPrevInChain = &Item;
  Head = &Item;
}

void THashCollection::Unlink(THashCollectionItem& Item) {
  if (Item.FPrevInChain != nullptr)
    Item.FPrevInChain->FNextInChain = Item.FNextInChain;
  else if (FBuckets[Item.FHash] == &Item)
    FBuckets[Item.FHash] = Item.FNextInChain;
  if (Item.FNextInChain != nullptr) Item.FNextInChain->FPrevInChain = Item.FPrevInChain;
  Item.FPrevInChain = nullptr;
  Item.FNextInChain = nullptr;
}
