#pragma once
// Named images cut into patterns, the collection that holds them and the image-list
// component bound to the display. Pictures are decoded to 32-bit surfaces when loaded and
// kept for the item's whole life, so that its blocks can always be rebuilt.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "engine/DXHashCollection.h"
#include "engine/DXSurface.h"
#include "engine/DXTypes.h"

class TDXDraw;
class TPictureCollection;

class EPictureCollectionError : public EDXError {
 public:
  using EDXError::EDXError;
};

// A decoded picture: its pixels as XRGB8888 and the bit depth it was stored with.
struct TPicture {
  TDirectDrawSurface Pixels;
  int32_t SourceBitCount = 0;
  bool Empty() const { return Pixels.Empty(); }
};

// Where the patterns of an item lie: the rectangles of the picture copied into blocks, and
// for every pattern (row-major) its rectangle within its block and that block's number.
struct TPatternPlace {
  TRect Rect;
  int32_t Block = -1;
};
struct TPatternLayout {
  std::vector<TRect> Blocks;
  std::vector<TPatternPlace> Patterns;
};
// Video-memory items are cut into blocks of about 512 x 512 pixels, rounded to whole
// pattern strides so that no pattern crosses a block edge; system-memory items and items
// of a single pattern keep one block. Pattern sizes of 0 mean the picture's size.
TPatternLayout ComputePatternLayout(int32_t PictureWidth, int32_t PictureHeight,
                                    int32_t PatternWidth, int32_t PatternHeight, int32_t SkipWidth,
                                    int32_t SkipHeight, bool SystemMemory);

// 0x00BBGGRR (the stored colour) to our surfaces' 0x00RRGGBB.
inline uint32_t ColorToPixel(uint32_t Color) {
  return ((Color & 0xFFu) << 16) | (Color & 0xFF00u) | ((Color >> 16) & 0xFFu);
}

// Decodes the "Picture.Data" bytes of a pack item: the picture kind's name as a short
// string, then its data ("TDIB": a device-independent bitmap; "TBitmap": a 32-bit length
// and a ".bmp" file). Zero bytes, or a kind without a decoder, give an empty picture.
// Raises EInvalidGraphic or EReadError on damaged data.
void DecodePictureData(std::span<const uint8_t> Data, TPicture& Picture);

class TPictureCollectionItem : public THashCollectionItem {
 public:
  explicit TPictureCollectionItem(TPictureCollection& Collection);

  // Stored properties.
  int32_t PatternHeight = 0;
  int32_t PatternWidth = 0;
  TPicture Picture;
  int32_t SkipHeight = 0;
  int32_t SkipWidth = 0;
  bool SystemMemory = false;
  bool Transparent = true;
  uint32_t TransparentColor() const { return FTransparentColor; }  // 0x00BBGGRR
  void SetTransparentColor(uint32_t Color);

  bool Initialized() const { return FInitialized; }
  int32_t Width() const;
  int32_t Height() const;
  int32_t PatternCount() const;
  TRect PatternRect(int32_t Index) const;                       // (0, 0, 0, 0) outside the range
  const TDirectDrawSurface* PatternBlock(int32_t Index) const;  // nullptr outside
  int32_t BlockCount() const { return FPictureIsBlock ? 1 : static_cast<int32_t>(FBlocks.size()); }

  void Draw(TDirectDrawSurface& Dest, int32_t X, int32_t Y, int32_t PatternIndex) const;
  void DrawBlended(TDirectDrawSurface& Dest, const TRect& DestRect, int32_t PatternIndex,
                   int32_t Alpha) const;
  void DrawRotated(TDirectDrawSurface& Dest, int32_t X, int32_t Y, int32_t Width, int32_t Height,
                   int32_t PatternIndex, double CenterX, double CenterY, int32_t Angle) const;

  // Driven by the collection.
  void Initialize();
  void Finalize();
  void Restore();

 private:
  const TPatternPlace* Place(int32_t Index) const;
  void ReleaseBlocks();
  TPictureCollection& FOwner;
  uint32_t FTransparentColor = 0;
  bool FInitialized = false;
  std::vector<std::unique_ptr<TDirectDrawSurface>> FBlocks;
  // One block that would be the whole picture is the picture itself, keyed, not a copy.
  bool FPictureIsBlock = false;
  std::vector<TPatternPlace> FPatterns;
};

class TPictureCollection : public THashCollection {
 public:
  TPictureCollection();
  ~TPictureCollection() override;
  TPictureCollectionItem& Add();
  // Raises EPictureCollectionError "List index out of bounds (%d)" outside 0 .. Count - 1.
  TPictureCollectionItem& Items(int32_t Index) const;
  // Raises EPictureCollectionError "Image '%s' not found".
  TPictureCollectionItem& Find(const std::string& Name) const;

  // Raises EFOpenError when the file cannot be read, EReadError ("Invalid stream format",
  // "Property %s does not exist", ...) or EInvalidGraphic ("DIB is invalid") when the
  // pack is damaged; the collection is then left empty.
  void LoadFromFile(const std::string& FileName);
  void LoadFromStream(std::span<const uint8_t> Bytes);

  // Loading a pack in steps, so that a program can show its first pictures before a large
  // pack is decoded whole. OpenFile reads the pack's structure: every item with its name
  // and properties, in the pack's order, the pictures still empty. It raises what
  // LoadFromFile raises for a file that cannot be read or a damaged stream, and then
  // leaves the collection empty. DecodePictures decodes the pictures still pending in the
  // pack's order, one at least and then until MaxPixels pixels were decoded in this call,
  // and builds each item at once when the display is initialized; true when none is left.
  // A damaged picture raises as LoadFromFile does and empties the collection.
  void OpenFile(const std::string& FileName);
  bool DecodePictures(int64_t MaxPixels);
  // Decodes the named item's picture now, when it is still pending; false when no item of
  // that name exists.
  bool DecodePicture(const std::string& Name);
  bool PicturesPending() const { return FPending != nullptr; }
  // Empties the collection, and forgets the pictures not decoded yet.
  void Clear();

  // Raises "%s cannot be initialized" when Display is not initialized.
  void Initialize(TDXDraw& Display);
  void Finalize();
  void Restore();
  TDXDraw* DXDraw() const { return FDXDraw; }
  bool DisplayInitialized() const;

  uint8_t ColorTable[1024] = {};

 private:
  // Properties of one entry into a new item; the picture too unless Pictures is given,
  // which then receives the span of its stored picture (empty when it has none).
  TPictureCollectionItem& LoadItem(const struct TStreamCollectionItem& Entry,
                                   std::span<const uint8_t>* Picture = nullptr);
  void DecodePending(size_t Index);
  // The opened file and, for each item whose picture is still to be decoded, its index and
  // stored bytes (which point into the file).
  struct TPendingPictures;
  // The pack's structure and items; the pictures too, unless Pending is given, which then
  // receives each item's stored picture to decode later.
  void ReadPack(std::span<const uint8_t> Bytes, TPendingPictures* Pending);
  TDXDraw* FDXDraw = nullptr;
  std::unique_ptr<TPendingPictures> FPending;
};

// The form component: owns its collection and follows the display's events.
class TDXImageList {
 public:
  TDXImageList() = default;
  ~TDXImageList();
  TDXImageList(const TDXImageList&) = delete;
  TDXImageList& operator=(const TDXImageList&) = delete;

  TPictureCollection& Items() { return FItems; }
  TDXDraw* DXDraw() const { return FDXDraw; }
  void SetDXDraw(TDXDraw* Display);

 private:
  TPictureCollection FItems;
  TDXDraw* FDXDraw = nullptr;
};
