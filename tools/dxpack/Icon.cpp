#include "tools/dxpack/Icon.h"

#include <cairo.h>
#include <librsvg/rsvg.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "tools/dxpack/Files.h"
#include "tools/dxpack/Palette.h"

namespace dxpack {

namespace {

// Resolves the palette names of Svg into Resolved.
bool ResolveSource(const std::string& PalettePath, const std::string& Svg, std::string& Resolved,
                   std::string& Error) {
  TPalette Palette;
  std::string Text;
  return LoadPalette(PalettePath, Palette, Error) && ReadFileText(Svg, Text, Error) &&
         SubstituteTokens(Text, Palette, Svg, Resolved, Error);
}

}  // namespace

bool CommandIcon(const std::string& PalettePath, const std::string& Svg, const std::string& Out,
                 int32_t Size, std::string& Error) {
  std::string Resolved;
  if (!ResolveSource(PalettePath, Svg, Resolved, Error)) return false;
  if (Size == 0) {
    // The scalable icon: the source with its colours filled in.
    return WriteFileAtomic(Out, std::vector<uint8_t>(Resolved.begin(), Resolved.end()), Error);
  }
  if (Size < 16 || Size > 1024) {
    Error = "icon size " + std::to_string(Size) + " is not between 16 and 1024";
    return false;
  }
  GError* GErr = nullptr;
  RsvgHandle* Handle = rsvg_handle_new_from_data(reinterpret_cast<const guint8*>(Resolved.data()),
                                                 Resolved.size(), &GErr);
  if (!Handle) {
    Error = Svg + ": not a readable SVG (" + (GErr ? GErr->message : "unknown error") + ")";
    if (GErr) g_error_free(GErr);
    return false;
  }
  std::unique_ptr<RsvgHandle, void (*)(void*)> HandleOwner(Handle, g_object_unref);
  std::unique_ptr<cairo_surface_t, void (*)(cairo_surface_t*)> Surface(
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, Size, Size), cairo_surface_destroy);
  if (cairo_surface_status(Surface.get()) != CAIRO_STATUS_SUCCESS) {
    Error = Out + ": cannot make a drawing surface";
    return false;
  }
  {
    // Icons keep their soft edges and see-through corners: no colour key here.
    std::unique_ptr<cairo_t, void (*)(cairo_t*)> Cr(cairo_create(Surface.get()), cairo_destroy);
    RsvgRectangle Viewport{0, 0, static_cast<double>(Size), static_cast<double>(Size)};
    if (!rsvg_handle_render_document(Handle, Cr.get(), &Viewport, &GErr)) {
      Error = Svg + ": cannot render (" + (GErr ? GErr->message : "unknown error") + ")";
      if (GErr) g_error_free(GErr);
      return false;
    }
  }
  cairo_surface_flush(Surface.get());
  const std::string Temp = Out + ".part";
  if (cairo_surface_write_to_png(Surface.get(), Temp.c_str()) != CAIRO_STATUS_SUCCESS ||
      std::rename(Temp.c_str(), Out.c_str()) != 0) {
    std::remove(Temp.c_str());
    Error = Out + ": cannot write the PNG file";
    return false;
  }
  return true;
}

}  // namespace dxpack
