#pragma once
// The text-drawing context on a surface: a font (face, size in points at 96 DPI, bold,
// colour) and text output with a clear brush. All of the game's text goes through the back
// surface's canvas, which the frame hands back with Release() once per frame.

#include <cstdint>
#include <map>
#include <string>
#include <tuple>

#include "engine/DXSurface.h"
#include "platform/Platform.h"

struct TDXFont {
  std::string Name = "MS Sans Serif";
  int32_t Size = 8;  // points
  bool Bold = false;
  uint32_t Color = 0;  // 0x00RRGGBB
};

enum class TDXBrushStyle { Solid, Clear };

class TDXCanvas final {
 public:
  TDXCanvas(TDirectDrawSurface& Surface, IFontSystem& Fonts) : FSurface(Surface), FFonts(Fonts) {}
  TDXCanvas(const TDXCanvas&) = delete;
  TDXCanvas& operator=(const TDXCanvas&) = delete;

  TDXFont& Font() {
    FAcquired = true;
    return FFont;
  }
  const TDXFont& Font() const { return FFont; }
  // Only a clear brush is drawn: text never paints a background box.
  TDXBrushStyle BrushStyle = TDXBrushStyle::Clear;

  int32_t TextWidth(const std::string& Text);
  int32_t TextHeight(const std::string& Text);
  // Draws Text with its top-left corner at (X, Y) in the current font and colour, clipped
  // to the surface.
  void TextOut(int32_t X, int32_t Y, const std::string& Text);

  // Hands the context back. The font setting stays; the next use acquires it again.
  void Release() { FAcquired = false; }
  bool Acquired() const { return FAcquired; }

 private:
  TFontHandle CurrentFont();

  TDirectDrawSurface& FSurface;
  IFontSystem& FFonts;
  TDXFont FFont;
  bool FAcquired = false;
  // Opened faces by (name, size, bold): opening is slow on the real platform, and a frame
  // switches between a handful of text styles many times.
  std::map<std::tuple<std::string, int32_t, bool>, TFontHandle> FOpened;
};
