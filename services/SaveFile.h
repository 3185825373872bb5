#pragma once
// The save files' plumbing: whether a file can be read, reading a small text file into its
// lines, and replacing a file atomically (a temporary file beside it is written, flushed to
// the disk and renamed over it), so a full disk or a crash while saving never leaves a
// half-written file: the previous one stays whole.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// True when Name is not empty and names a file that can be opened for reading; any failure
// gives false and is not reported.
bool FileReadable(const std::string& Name);

// The lines of a text file, each without its line end (CR LF or LF). A last line without
// a line end still counts. Nothing when the file cannot be read or is larger than MaxBytes
// (a save file is a few hundred bytes; a huge one is not ours).
std::optional<std::vector<std::string>> ReadTextLines(const std::string& Name,
                                                      size_t MaxBytes = 64 * 1024);

// One replacement, in two steps so that two files can be replaced together: Prepare writes
// and flushes the temporary file (creating the folder when it is missing), Commit renames
// it over the target. A replacement that is never committed removes its temporary file.
class TAtomicFile {
 public:
  explicit TAtomicFile(std::string Name) : FName(std::move(Name)) {}
  ~TAtomicFile();
  TAtomicFile(const TAtomicFile&) = delete;
  TAtomicFile& operator=(const TAtomicFile&) = delete;

  // False when the folder cannot be made or the temporary file cannot be written whole.
  bool Prepare(const std::string& Content);
  // False when the rename fails; the target is then the previous file.
  bool Commit();

 private:
  std::string FName;
  std::string FTarget;  // FName, or the file it links to
  std::string FTemp;    // empty once committed or discarded
};

// Prepare and Commit in one.
bool ReplaceFile(const std::string& Name, const std::string& Content);

// Text for one line of a save file: a line break inside it would shift every line after
// it, so line breaks are dropped.
std::string OneLine(const std::string& Text);

// Whole decimal numbers of the save files: an optional "-" and digits, within 32 bits,
// optionally with blanks around them. A blank line reads as 0, as a missing line does.
// Nothing for anything else.
std::optional<int32_t> ParseSaveNumber(const std::string& Line);
