#include "platform/GpuDevice.h"

bool GpuDevicePresent() {
  return true;
}
