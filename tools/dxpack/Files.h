#pragma once
// Small file helpers of dxpack.

#include <cstdint>
#include <string>
#include <vector>

namespace dxpack {

bool ReadFileBytes(const std::string& Path, std::vector<uint8_t>& Bytes, std::string& Error);
bool ReadFileText(const std::string& Path, std::string& Text, std::string& Error);
// Writes beside Path first and renames, so a failed build never leaves half a pack; makes
// the folders above Path.
bool WriteFileAtomic(const std::string& Path, const std::vector<uint8_t>& Bytes,
                     std::string& Error);
// An item name turned into a file name that stays inside its folder: every character but
// letters, digits, '-' and '_' becomes '_' (so "../x" cannot climb out).
std::string SafeFileName(const std::string& Name);

}  // namespace dxpack
