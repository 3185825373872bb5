#include "shell/TextStyles.h"

#include "engine/DXCanvas.h"
#include "engine/DXTypes.h"

// The font names are mapped to installed faces by the fonts.conf in Data/.
const std::array<TTextStyle, 17> TextStyles = {{
    {"", 0, false, 0, 0, 0},
    {"Freeset", 24, false, 0, 0, 0},           // 1 exit questions
    {"Freeset", 15, false, 0, 0, 0},           // 2 high-score rows
    {"Freeset", 18, false, 0, 0, 0},           // 3 clear-table question
    {"Freeset", 16, false, 0, 0, 0},           // 4 options labels, unselected values
    {"Freeset", 36, false, 244, 9, 9},         // 5 pause, level and game-over banners
    {"Freeset", 18, false, 255, 255, 255},     // 6 in-game level number
    {"Freeset", 18, false, 255, 255, 255},     // 7 in-game score
    {"DS Crystal", 16, false, 255, 255, 255},  // 8
    {"Freeset", 17, false, 0, 0, 0},           // 9 name-entry texts
    {"Freeset", 18, false, 0, 0, 0},           // 10 the typed name
    {"Freeset", 18, false, 0, 0, 0},           // 11 send question, "Sending results..."
    {"Courier", 12, false, 0, 0, 0},           // 12
    {"FreeSet", 16, false, 255, 0, 0},         // 13 options: selected values, boss key
    {"FreeSet", 16, false, 0, 0, 0},           // 14 help titles
    {"FreeSet", 14, false, 0, 0, 0},           // 15 help captions
    {"FreeSet", 13, false, 0, 0, 0},           // 16 help body
}};

void SetTextStyle(TDXCanvas& Canvas, int32_t Style) {
  if (Style < 1 || Style > 16) return;
  const TTextStyle& S = TextStyles[static_cast<size_t>(Style)];
  TDXFont& F = Canvas.Font();
  F.Name = S.Font;
  F.Size = S.Size;
  F.Bold = S.Bold;
  F.Color = (uint32_t{S.R} << 16) | (uint32_t{S.G} << 8) | S.B;
  Canvas.BrushStyle = TDXBrushStyle::Clear;
}

int32_t TextWidth(TDXCanvas& Canvas, const std::string& Text) {
  return Canvas.TextWidth(Text);
}

int32_t TextHeight(TDXCanvas& Canvas, const std::string& Text) {
  return Canvas.TextHeight(Text);
}

int32_t TextWidthIn(TDXCanvas& Canvas, const std::string& Text, int32_t Style) {
  SetTextStyle(Canvas, Style);
  return Canvas.TextWidth(Text);
}

void DrawText(TDXCanvas& Canvas, const std::string& Text, int32_t X, int32_t Y, bool CentreX,
              bool CentreY) {
  double Left = X, Top = Y;
  if (CentreX) Left -= Canvas.TextWidth(Text) / 2.0;
  if (CentreY) Top -= Canvas.TextHeight(Text) / 2.0;
  Canvas.TextOut(Trunc(Left), Trunc(Top), Text);
}
