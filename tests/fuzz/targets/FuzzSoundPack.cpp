// Fuzz target: a sound pack read into a wave list bound to a ready device (the real mixer,
// rendered offline), so that every item's wave is parsed and its buffer made from whatever
// format the bytes give; then every item is played and a little of the mix rendered.
#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/DXSounds.h"
#include "platform/fake/FakeAudio.h"
#include "platform/fake/FakePlatform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  static TFakeAudio Audio;
  static TFakeClock Clock;
  static TDXSound Sound(Audio, Clock);
  if (!Sound.Initialized()) Sound.Initialize();
  TDXWaveList List;
  List.SetDXSound(&Sound);
  try {
    List.Items().LoadFromStream(std::span<const uint8_t>(Data, Size));
  } catch (const EDXError&) {
    return 0;
  }
  for (int32_t I = 0; I < List.Items().Count(); ++I) {
    TWaveCollectionItem& Item = List.Items().Items(I);
    Item.Play(false);
    Item.Play(false);
  }
  Audio.Render(512);
  return 0;
}
