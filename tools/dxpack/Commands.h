#pragma once
// The user commands of dxpack. Each answers false with Error naming the file and the fault.

#include <string>

namespace dxpack {

bool CommandBuild(const std::string& Manifest, const std::string& Out, std::string& Error);
bool CommandList(const std::string& Pack, std::string& Out, std::string& Error);
bool CommandExtract(const std::string& Pack, const std::string& Dir, std::string& Error);
bool CommandSheet(const std::string& Pack, const std::string& OutPng, std::string& Error);
// Rasterises one SVG with the palette exactly as the build would, key shown as magenta.
bool CommandRender(const std::string& Palette, const std::string& Svg, const std::string& OutPng,
                   std::string& Error);

}  // namespace dxpack
