#include "tools/dxpack/Raster.h"

#include <cairo.h>
#include <librsvg/rsvg.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace dxpack {

namespace {

struct TSurfaceFree {
  void operator()(cairo_surface_t* S) const { cairo_surface_destroy(S); }
};
struct TCairoFree {
  void operator()(cairo_t* C) const { cairo_destroy(C); }
};
struct TObjectFree {
  void operator()(void* O) const { g_object_unref(O); }
};
using TSurfacePtr = std::unique_ptr<cairo_surface_t, TSurfaceFree>;
using TCairoPtr = std::unique_ptr<cairo_t, TCairoFree>;

// Largest picture the builder accepts; keeps a typo in a width attribute from eating memory.
constexpr double MaxSide = 8192;

}  // namespace

uint32_t AvoidKey(uint32_t Rgb, uint32_t Key) {
  Rgb &= 0xFFFFFFu;
  if (Rgb != (Key & 0xFFFFFFu)) return Rgb;
  uint32_t Blue = Rgb & 0xFFu;
  return (Rgb & 0xFFFF00u) | (Blue == 0xFF ? Blue - 1 : Blue + 1);
}

bool RasteriseSvg(const std::string& SvgText, const std::string& FileName, uint32_t Key,
                  TImage& Image, std::string& Error) {
  GError* GErr = nullptr;
  std::unique_ptr<RsvgHandle, TObjectFree> Handle(rsvg_handle_new_from_data(
      reinterpret_cast<const guint8*>(SvgText.data()), SvgText.size(), &GErr));
  if (!Handle) {
    Error = FileName + ": not a readable SVG (" + (GErr ? GErr->message : "unknown error") + ")";
    if (GErr) g_error_free(GErr);
    return false;
  }
  rsvg_handle_set_dpi(Handle.get(), 96);
  gdouble W = 0, H = 0;
  if (!rsvg_handle_get_intrinsic_size_in_pixels(Handle.get(), &W, &H)) {
    Error = FileName + ": the svg element needs width and height in pixels";
    return false;
  }
  if (W < 1 || H < 1 || W > MaxSide || H > MaxSide || W != std::floor(W) || H != std::floor(H)) {
    Error = FileName + ": picture size " + std::to_string(W) + " x " + std::to_string(H) +
            " is not a whole number of pixels between 1 and 8192";
    return false;
  }
  const int32_t IW = static_cast<int32_t>(W), IH = static_cast<int32_t>(H);
  TSurfacePtr Surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, IW, IH));
  if (cairo_surface_status(Surface.get()) != CAIRO_STATUS_SUCCESS) {
    Error = FileName + ": cannot make a drawing surface";
    return false;
  }
  {
    TCairoPtr Cr(cairo_create(Surface.get()));
    RsvgRectangle Viewport{0, 0, W, H};
    if (!rsvg_handle_render_document(Handle.get(), Cr.get(), &Viewport, &GErr)) {
      Error = FileName + ": cannot render (" + (GErr ? GErr->message : "unknown error") + ")";
      if (GErr) g_error_free(GErr);
      return false;
    }
  }
  cairo_surface_flush(Surface.get());
  const unsigned char* Data = cairo_image_surface_get_data(Surface.get());
  const int Stride = cairo_image_surface_get_stride(Surface.get());
  Image.Width = IW;
  Image.Height = IH;
  Image.Rgb.assign(static_cast<size_t>(IW) * IH, Key & 0xFFFFFFu);
  for (int32_t Y = 0; Y < IH; ++Y) {
    const uint32_t* Row = reinterpret_cast<const uint32_t*>(Data + static_cast<size_t>(Y) * Stride);
    for (int32_t X = 0; X < IW; ++X) {
      // Cairo's ARGB32 is premultiplied: undo it for every pixel that stays.
      const uint32_t P = Row[X];
      const uint32_t A = P >> 24;
      if (A < 128) continue;
      auto Un = [A](uint32_t C) { return std::min<uint32_t>(255, (C * 255 + A / 2) / A); };
      const uint32_t R = Un((P >> 16) & 0xFF), G = Un((P >> 8) & 0xFF), B = Un(P & 0xFF);
      Image.At(X, Y) = AvoidKey((R << 16) | (G << 8) | B, Key);
    }
  }
  return true;
}

bool WritePng(const std::string& Path, int32_t Width, int32_t Height,
              const std::vector<uint32_t>& Argb, std::string& Error) {
  TSurfacePtr Surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, Width, Height));
  if (cairo_surface_status(Surface.get()) != CAIRO_STATUS_SUCCESS) {
    Error = Path + ": cannot make a " + std::to_string(Width) + " x " + std::to_string(Height) +
            " picture";
    return false;
  }
  cairo_surface_flush(Surface.get());
  unsigned char* Data = cairo_image_surface_get_data(Surface.get());
  const int Stride = cairo_image_surface_get_stride(Surface.get());
  for (int32_t Y = 0; Y < Height; ++Y) {
    uint32_t* Row = reinterpret_cast<uint32_t*>(Data + static_cast<size_t>(Y) * Stride);
    for (int32_t X = 0; X < Width; ++X) {
      const uint32_t P = Argb[static_cast<size_t>(Y) * Width + X];
      const uint32_t A = P >> 24;
      auto Pre = [A](uint32_t C) { return (C * A + 127) / 255; };
      Row[X] =
          (A << 24) | (Pre((P >> 16) & 0xFF) << 16) | (Pre((P >> 8) & 0xFF) << 8) | Pre(P & 0xFF);
    }
  }
  cairo_surface_mark_dirty(Surface.get());
  if (cairo_surface_write_to_png(Surface.get(), Path.c_str()) != CAIRO_STATUS_SUCCESS) {
    Error = Path + ": cannot write the PNG file";
    return false;
  }
  return true;
}

}  // namespace dxpack
