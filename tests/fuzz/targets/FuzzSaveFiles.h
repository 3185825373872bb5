#pragma once
// The save-file fuzz targets read their input from a real file, as the game does: this
// writes it to a scratch file of the process (removed when the process ends) and answers
// its name.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

class TFuzzScratchFile {
 public:
  explicit TFuzzScratchFile(const char* What)
      : Name((std::filesystem::temp_directory_path() /
              ("tb-fuzz-" + std::string(What) + "-" + std::to_string(static_cast<long>(getpid()))))
                 .string()) {}
  ~TFuzzScratchFile() { std::remove(Name.c_str()); }
  const std::string Name;
};

inline std::string WriteFuzzInput(const char* What, const uint8_t* Data, size_t Size) {
  static const TFuzzScratchFile File(What);
  // A new file each time: truncating one that has data makes the file system write it out.
  std::remove(File.Name.c_str());
  std::FILE* F = std::fopen(File.Name.c_str(), "wb");
  if (F == nullptr) __builtin_trap();
  if (Size > 0 && std::fwrite(Data, 1, Size, F) != Size) __builtin_trap();
  std::fclose(F);
  return File.Name;
}
