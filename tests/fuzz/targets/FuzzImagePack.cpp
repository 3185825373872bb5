// Fuzz target: an image pack read into an image list bound to a ready display, so that every
// item's blocks and patterns are built from whatever sizes the bytes give, then every item
// drawn plainly, blended and rotated. A damaged pack must end in the engine's own error.
#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/DXDraws.h"
#include "engine/DXImageList.h"
#include "platform/fake/FakePlatform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  static TFakePlatform Platform;
  static TDXDraw Display(Platform);
  if (!Display.Initialized()) Display.Initialize();
  TDXImageList List;
  List.SetDXDraw(&Display);
  try {
    List.Items().LoadFromStream(std::span<const uint8_t>(Data, Size));
  } catch (const EDXError&) {
    return 0;
  }
  TDirectDrawSurface& Dest = *Display.Surface();
  for (int32_t I = 0; I < List.Items().Count(); ++I) {
    const TPictureCollectionItem& Item = List.Items().Items(I);
    const int32_t Last = Item.PatternCount() - 1;
    Item.Draw(Dest, 10, 20, 0);
    Item.Draw(Dest, -3, 590, Last);
    Item.DrawBlended(Dest, Bounds(5, 5, 40, 30), 0, 128);
    Item.DrawRotated(Dest, 400, 300, 48, 32, Last, 0.5, 0.5, 40);
  }
  return 0;
}
