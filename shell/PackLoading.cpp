#include "shell/PackLoading.h"

#include <exception>
#include <stdexcept>

#include "engine/DXImageList.h"
#include "engine/DXSounds.h"

namespace {

// Loads one pack into a collection; a pack that fails to read, or reads but holds nothing
// (it would only fail later, at the first look-up), leaves the collection empty and says why.
template <typename TCollection, typename TLoad>
bool LoadPack(TCollection& Items, const std::string& FileName, const char* What,
              std::string& Message, TLoad&& Load) {
  try {
    Load();
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
  return LoadPack(List.Items(), FileName, "pictures", Message,
                  [&] { List.Items().LoadFromFile(FileName); });
}

bool OpenImagePack(TDXImageList& List, const std::string& FileName, std::string& Message) {
  return LoadPack(List.Items(), FileName, "pictures", Message,
                  [&] { List.Items().OpenFile(FileName); });
}

bool DecodeImagePack(TDXImageList& List, const std::string& FileName, int64_t MaxPixels) {
  try {
    return List.Items().DecodePictures(MaxPixels);
  } catch (const std::exception& Ex) {
    throw std::runtime_error(FileName + " cannot be loaded: " + Ex.what());
  }
}

bool LoadSoundPack(TDXWaveList& List, const std::string& FileName, std::string& Message) {
  return LoadPack(List.Items(), FileName, "sounds", Message,
                  [&] { List.Items().LoadFromFile(FileName); });
}
