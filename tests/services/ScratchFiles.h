#pragma once
// Files for tests of saving: a fresh folder per test below the build's scratch area, and a
// file's whole content.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

// An empty folder test-scratch/Suite/Name in the build tree; whatever an earlier run left
// there is removed first.
inline std::filesystem::path ScratchFolder(const std::string& Suite, const std::string& Name) {
  const std::filesystem::path D =
      std::filesystem::path(TB_BINARY_DIR) / "test-scratch" / Suite / Name;
  std::filesystem::remove_all(D);
  std::filesystem::create_directories(D);
  return D;
}

// The file's bytes; empty when it cannot be read.
inline std::string ReadAll(const std::filesystem::path& P) {
  std::ifstream In(P, std::ios::binary);
  std::stringstream S;
  S << In.rdbuf();
  return S.str();
}
