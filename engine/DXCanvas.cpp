#include "engine/DXCanvas.h"

TFontHandle TDXCanvas::CurrentFont() {
  FAcquired = true;
  auto Key = std::make_tuple(FFont.Name, FFont.Size, FFont.Bold);
  auto It = FOpened.find(Key);
  if (It != FOpened.end()) return It->second;
  TFontHandle Handle = FFonts.OpenFont(FFont.Name, FFont.Size, FFont.Bold);
  FOpened.emplace(Key, Handle);
  return Handle;
}

int32_t TDXCanvas::TextWidth(const std::string& Text) {
  int32_t W = 0, H = 0;
  FFonts.TextExtent(CurrentFont(), Text, W, H);
  return W;
}

int32_t TDXCanvas::TextHeight(const std::string& Text) {
  int32_t W = 0, H = 0;
  FFonts.TextExtent(CurrentFont(), Text, W, H);
  return H;
}

void TDXCanvas::TextOut(int32_t X, int32_t Y, const std::string& Text) {
  TFontHandle Font = CurrentFont();
  if (Text.empty() || FSurface.Empty() || Font == 0) return;
  FFonts.DrawText(Font, Text, FFont.Color & 0x00FFFFFFu, FSurface.Pixels(), FSurface.Width(),
                  FSurface.Height(), FSurface.PitchBytes(), X, Y);
}
