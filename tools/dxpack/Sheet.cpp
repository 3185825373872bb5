#include "tools/dxpack/Sheet.h"

#include <cairo.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace dxpack {

namespace {

constexpr int Margin = 12;  // around the sheet and between items
constexpr int Gap = 4;      // between patterns; the outline sits in it
constexpr int LabelH = 20;
constexpr int MinSheetW = 1024;

struct TCell {
  int X = 0, Y = 0, W = 0, H = 0;
  int PerRow = 1;
};

void Checker(cairo_t* Cr, int X, int Y, int W, int H) {
  cairo_save(Cr);
  cairo_rectangle(Cr, X, Y, W, H);
  cairo_clip(Cr);
  cairo_set_source_rgb(Cr, 0.90, 0.91, 0.93);
  cairo_paint(Cr);
  cairo_set_source_rgb(Cr, 0.78, 0.80, 0.83);
  for (int Yy = 0; Yy < H; Yy += 8)
    for (int Xx = ((Yy / 8) % 2) * 8; Xx < W; Xx += 16) cairo_rectangle(Cr, X + Xx, Y + Yy, 8, 8);
  cairo_fill(Cr);
  cairo_restore(Cr);
}

}  // namespace

bool DrawSheet(const TPackContents& Pack, const std::string& OutPng, std::string& Error) {
  int SheetW = MinSheetW;
  for (const TPackPicture& P : Pack.Pictures)
    SheetW = std::max(SheetW, P.ItemWidth + 2 * Margin + 2 * Gap);
  const int Inner = SheetW - 2 * Margin;

  // Measure labels with a scratch surface, then lay cells out on shelves.
  cairo_surface_t* Scratch = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
  cairo_t* M = cairo_create(Scratch);
  cairo_select_font_face(M, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_font_size(M, 12);
  std::vector<TCell> Cells(Pack.Pictures.size());
  std::vector<std::string> Labels(Pack.Pictures.size());
  int X = Margin, Y = Margin, ShelfH = 0;
  for (size_t I = 0; I < Pack.Pictures.size(); ++I) {
    const TPackPicture& P = Pack.Pictures[I];
    char Buf[300];
    std::snprintf(Buf, sizeof Buf, "%s  %dx%d  x%zu", P.Name.c_str(), P.ItemWidth, P.ItemHeight,
                  P.Patterns.size());
    Labels[I] = Buf;
    cairo_text_extents_t Ext;
    cairo_text_extents(M, Buf, &Ext);
    const int N = std::max<int>(1, static_cast<int>(P.Patterns.size()));
    TCell& C = Cells[I];
    C.PerRow = std::max(1, std::min(N, (Inner - Gap) / std::max(1, P.ItemWidth + Gap)));
    const int Rows = (N + C.PerRow - 1) / C.PerRow;
    C.W = std::max(C.PerRow * (P.ItemWidth + Gap) + Gap, static_cast<int>(Ext.x_advance) + 4);
    C.W = std::min(C.W, Inner);
    C.H = LabelH + Rows * (P.ItemHeight + Gap) + Gap;
    if (X > Margin && X + C.W > SheetW - Margin) {
      X = Margin;
      Y += ShelfH + Margin;
      ShelfH = 0;
    }
    C.X = X;
    C.Y = Y;
    X += C.W + Margin;
    ShelfH = std::max(ShelfH, C.H);
  }
  cairo_destroy(M);
  cairo_surface_destroy(Scratch);
  const int SheetH = Y + ShelfH + Margin;

  cairo_surface_t* Sheet = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, SheetW, SheetH);
  if (cairo_surface_status(Sheet) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(Sheet);
    Error = OutPng + ": cannot make a " + std::to_string(SheetW) + " x " + std::to_string(SheetH) +
            " sheet";
    return false;
  }
  cairo_t* Cr = cairo_create(Sheet);
  cairo_set_source_rgb(Cr, 0.17, 0.19, 0.22);
  cairo_paint(Cr);
  cairo_select_font_face(Cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_font_size(Cr, 12);
  for (size_t I = 0; I < Pack.Pictures.size(); ++I) {
    const TPackPicture& P = Pack.Pictures[I];
    const TCell& C = Cells[I];
    cairo_set_source_rgb(Cr, 1, 1, 1);
    cairo_move_to(Cr, C.X + 2, C.Y + 14);
    cairo_show_text(Cr, Labels[I].c_str());
    if (P.Rgb.empty()) continue;
    // The picture with its key made see-through.
    cairo_surface_t* Pic = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, P.Width, P.Height);
    cairo_surface_flush(Pic);
    unsigned char* Data = cairo_image_surface_get_data(Pic);
    const int Stride = cairo_image_surface_get_stride(Pic);
    for (int Yy = 0; Yy < P.Height; ++Yy) {
      uint32_t* Row = reinterpret_cast<uint32_t*>(Data + static_cast<size_t>(Yy) * Stride);
      for (int Xx = 0; Xx < P.Width; ++Xx) {
        const uint32_t V = P.Rgb[static_cast<size_t>(Yy) * P.Width + Xx];
        Row[Xx] = (P.Transparent && V == P.KeyRgb) ? 0u : (0xFF000000u | V);
      }
    }
    cairo_surface_mark_dirty(Pic);
    for (size_t K = 0; K < P.Patterns.size(); ++K) {
      const TRect& R = P.Patterns[K];
      const int Dx = C.X + Gap + static_cast<int>(K % C.PerRow) * (P.ItemWidth + Gap);
      const int Dy = C.Y + LabelH + Gap + static_cast<int>(K / C.PerRow) * (P.ItemHeight + Gap);
      Checker(Cr, Dx, Dy, R.Width(), R.Height());
      cairo_save(Cr);
      cairo_rectangle(Cr, Dx, Dy, R.Width(), R.Height());
      cairo_clip(Cr);
      cairo_set_source_surface(Cr, Pic, Dx - R.Left, Dy - R.Top);
      cairo_pattern_set_filter(cairo_get_source(Cr), CAIRO_FILTER_NEAREST);
      cairo_paint(Cr);
      cairo_restore(Cr);
      // One-pixel outline just outside the pattern.
      cairo_set_source_rgb(Cr, 1.0, 0.45, 0.15);
      cairo_set_line_width(Cr, 1);
      cairo_rectangle(Cr, Dx - 0.5, Dy - 0.5, R.Width() + 1, R.Height() + 1);
      cairo_stroke(Cr);
    }
    cairo_surface_destroy(Pic);
  }
  cairo_destroy(Cr);
  cairo_surface_flush(Sheet);
  const bool Ok = cairo_surface_write_to_png(Sheet, OutPng.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(Sheet);
  if (!Ok) Error = OutPng + ": cannot write the PNG file";
  return Ok;
}

}  // namespace dxpack
