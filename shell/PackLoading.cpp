#include "shell/PackLoading.h"

#include <exception>

#include "engine/DXImageList.h"
#include "engine/DXSounds.h"

bool LoadImagePack(TDXImageList& List, const std::string& FileName, std::string& Message) {
  try {
    List.Items().LoadFromFile(FileName);
  } catch (const std::exception& Ex) {
    List.Items().Clear();
    Message = FileName + " cannot be loaded: " + Ex.what();
    return false;
  }
  // A pack that reads but holds nothing would only fail later, at the first picture looked up.
  if (List.Items().Count() == 0) {
    Message = FileName + " cannot be loaded: the pack holds no pictures";
    return false;
  }
  return true;
}

bool LoadSoundPack(TDXWaveList& List, const std::string& FileName, std::string& Message) {
  try {
    List.Items().LoadFromFile(FileName);
  } catch (const std::exception& Ex) {
    List.Items().Clear();
    Message = FileName + " cannot be loaded: " + Ex.what();
    return false;
  }
  if (List.Items().Count() == 0) {
    Message = FileName + " cannot be loaded: the pack holds no sounds";
    return false;
  }
  return true;
}
