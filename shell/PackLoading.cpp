#include "shell/PackLoading.h"

#include <exception>

#include "engine/DXImageList.h"
#include "engine/DXSounds.h"

namespace {

// Loads one pack into a collection; a pack that fails to read, or reads but holds nothing
// (it would only fail later, at the first look-up), leaves the collection empty and says why.
template <typename TCollection>
bool LoadPack(TCollection& Items, const std::string& FileName, const char* What,
              std::string& Message) {
  try {
    Items.LoadFromFile(FileName);
  } catch (const std::exception& Ex) {
    Items.Clear();
    Message = FileName + " cannot be loaded: " + Ex.what();
    return false;
  }
  if (Items.Count() == 0) {
    Message = FileName + " cannot be loaded: the pack holds no " + What;
    return false;
  }
  return true;
}

}  // namespace

bool LoadImagePack(TDXImageList& List, const std::string& FileName, std::string& Message) {
  return LoadPack(List.Items(), FileName, "pictures", Message);
}

bool LoadSoundPack(TDXWaveList& List, const std::string& FileName, std::string& Message) {
  return LoadPack(List.Items(), FileName, "sounds", Message);
}
