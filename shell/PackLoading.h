#pragma once
// Start-up loading of the image packs: a missing or damaged pack must end the program with
// one message naming the file and the reason, never with an uncaught engine error.

#include <string>

class TDXImageList;
class TDXWaveList;

// Loads FileName into List. False with Message "FILE cannot be loaded: reason" when the
// file cannot be opened, is not a pack, or holds no pictures; List is then left empty.
bool LoadImagePack(TDXImageList& List, const std::string& FileName, std::string& Message);

// Loads the sound pack FileName into List, the same way: false with Message "FILE cannot
// be loaded: reason" when the file cannot be opened, is not a sound pack, holds a damaged
// wave or no sounds at all; List is then left empty.
bool LoadSoundPack(TDXWaveList& List, const std::string& FileName, std::string& Message);
