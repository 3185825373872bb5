#pragma once
// Start-up loading of the image packs: a missing or damaged pack must end the program with
// one message naming the file and the reason, never with an uncaught engine error.

#include <cstdint>
#include <string>

// The menu pack (menus and dialogs) and the play pack, relative to the data root.
inline constexpr const char* kMenuPack = "Data/Res/Res1.dxg";
inline constexpr const char* kPlayPack = "Data/Res/Res2.dxg";

class TDXImageList;
class TDXWaveList;

// Loads FileName into List. False with Message "FILE cannot be loaded: reason" when the
// file cannot be opened, is not a pack, or holds no pictures; List is then left empty.
bool LoadImagePack(TDXImageList& List, const std::string& FileName, std::string& Message);

// Reads FileName's structure into List (every item, the pictures left to decode later, see
// TPictureCollection::OpenFile): false with Message as LoadImagePack gives it.
bool OpenImagePack(TDXImageList& List, const std::string& FileName, std::string& Message);
// Decodes the next pictures of a pack opened by OpenImagePack, about MaxPixels pixels of
// them; true when the last one is in. A damaged picture raises an error whose message
// names the file: "FILE cannot be loaded: reason", the list then left empty.
bool DecodeImagePack(TDXImageList& List, const std::string& FileName, int64_t MaxPixels);

// Loads the sound pack FileName into List, the same way: false with Message "FILE cannot
// be loaded: reason" when the file cannot be opened, is not a sound pack, holds a damaged
// wave or no sounds at all; List is then left empty.
bool LoadSoundPack(TDXWaveList& List, const std::string& FileName, std::string& Message);
