#pragma once
// The desktop icon: one SVG source in palette colours, rendered with its alpha kept.

#include <cstdint>
#include <string>

namespace dxpack {

// Renders Svg, scaled to fit, as a Size x Size PNG with straight transparency into Out; with
// Size 0 writes the source itself with its palette names resolved (the scalable icon).
bool CommandIcon(const std::string& Palette, const std::string& Svg, const std::string& Out,
                 int32_t Size, std::string& Error);

}  // namespace dxpack
