#include "platform/GpuDevice.h"

#include <unistd.h>

#include <filesystem>
#include <string>

bool GpuDevicePresent() {
  std::error_code Ec;
  for (const auto& Entry : std::filesystem::directory_iterator("/dev/dri", Ec)) {
    const std::string Name = Entry.path().filename().string();
    if ((Name.rfind("renderD", 0) == 0 || Name.rfind("card", 0) == 0) &&
        access(Entry.path().c_str(), R_OK | W_OK) == 0)
      return true;
  }
  return false;
}
