#pragma once
// Contact sheet of an image pack: every item with its name, size and pattern count, its
// patterns laid out one by one and outlined, see-through (key) pixels as a checkerboard.

#include <string>

#include "tools/dxpack/PackReader.h"

namespace dxpack {

bool DrawSheet(const TPackContents& Pack, const std::string& OutPng, std::string& Error);

}  // namespace dxpack
