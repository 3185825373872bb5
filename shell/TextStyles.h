#pragma once
// The game's sixteen text styles and the text operations on the back surface's canvas.
// Every text of the menus, dialogs, screens and the in-game display is drawn through these.

#include <array>
#include <cstdint>
#include <string>

class TDXCanvas;

struct TTextStyle {
  const char* Font;
  int32_t Size;  // points
  bool Bold;
  uint8_t R, G, B;
};

// Index 1..16; entry 0 is unused.
extern const std::array<TTextStyle, 17> TextStyles;

// The canvas font takes the style's face, size and colour; the brush becomes clear so text
// never paints a box behind it. A style number outside 1..16 leaves the font alone.
void SetTextStyle(TDXCanvas& Canvas, int32_t Style);
int32_t TextWidth(TDXCanvas& Canvas, const std::string& Text);
int32_t TextHeight(TDXCanvas& Canvas, const std::string& Text);
// SetTextStyle(Style), then TextWidth: the style stays selected.
int32_t TextWidthIn(TDXCanvas& Canvas, const std::string& Text, int32_t Style);
// Draws Text in the current style with its top-left corner at (X, Y); with CentreX the text
// is centred on X, with CentreY on Y (half sizes in floating point, then truncated).
void DrawText(TDXCanvas& Canvas, const std::string& Text, int32_t X, int32_t Y, bool CentreX,
              bool CentreY);
