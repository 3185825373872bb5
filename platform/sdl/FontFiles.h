#pragma once
// Which font file serves a face the game's text styles name. Linux (posix/FontFiles.cpp):
// fontconfig, with the game's alias file on top of the system's configuration. Windows
// (windows/FontFiles.cpp), which has no fontconfig: the same alias file's rules (see
// FontAliases.h) over the fonts shipped in the Fonts folder beside it.

#include <memory>
#include <string>

class TFontFiles {
 public:
  // ConfigFile: the alias file, Data/fonts.conf (it need not exist).
  explicit TFontFiles(const std::string& ConfigFile);
  ~TFontFiles();
  TFontFiles(const TFontFiles&) = delete;
  TFontFiles& operator=(const TFontFiles&) = delete;

  struct TMatch {
    std::string Path;    // empty when no file serves the face
    int Index = 0;       // the face's index in a collection file
    bool IsBold = false; // the file is a bold cut (else a bold face is emboldened)
  };
  TMatch Match(const std::string& Face, bool Bold);

 private:
  struct TState;
  std::unique_ptr<TState> F;
};
