#include "tools/dxpack/Files.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace dxpack {

namespace fs = std::filesystem;

bool ReadFileBytes(const std::string& Path, std::vector<uint8_t>& Bytes, std::string& Error) {
  std::error_code Ec;
  if (fs::is_directory(Path, Ec)) {
    Error = Path + ": is a folder, not a file";
    return false;
  }
  std::ifstream In(Path, std::ios::binary);
  if (!In) {
    Error =
        Path + ": cannot open (" + std::error_code(errno, std::generic_category()).message() + ")";
    return false;
  }
  Bytes.assign(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
  if (In.bad()) {
    Error = Path + ": read error";
    return false;
  }
  return true;
}

bool ReadFileText(const std::string& Path, std::string& Text, std::string& Error) {
  std::vector<uint8_t> Bytes;
  if (!ReadFileBytes(Path, Bytes, Error)) return false;
  Text.assign(Bytes.begin(), Bytes.end());
  return true;
}

bool WriteFileAtomic(const std::string& Path, const std::vector<uint8_t>& Bytes,
                     std::string& Error) {
  std::error_code Ec;
  const fs::path Target(Path);
  if (Target.has_parent_path()) fs::create_directories(Target.parent_path(), Ec);
  if (Ec) {
    Error = Target.parent_path().string() + ": cannot make the folder (" + Ec.message() + ")";
    return false;
  }
  const std::string Temp = Path + ".part";
  {
    std::ofstream Out(Temp, std::ios::binary | std::ios::trunc);
    if (!Out) {
      Error = Path + ": cannot write (" +
              std::error_code(errno, std::generic_category()).message() + ")";
      return false;
    }
    Out.write(reinterpret_cast<const char*>(Bytes.data()),
              static_cast<std::streamsize>(Bytes.size()));
    Out.flush();
    if (!Out) {
      Error = Path + ": write error";
      Out.close();
      fs::remove(Temp, Ec);
      return false;
    }
  }
  fs::rename(Temp, Target, Ec);
  if (Ec) {
    Error = Path + ": cannot replace (" + Ec.message() + ")";
    fs::remove(Temp, Ec);
    return false;
  }
  return true;
}

std::string SafeFileName(const std::string& Name) {
  std::string Out;
  for (unsigned char C : Name) Out += (std::isalnum(C) || C == '-' || C == '_') ? char(C) : '_';
  return Out.empty() ? std::string("_") : Out;
}

}  // namespace dxpack
