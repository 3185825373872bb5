#pragma once
// Files as the system keeps them: the one place that opens, maps, writes, replaces and
// flushes them, makes folders and reads the local time. The rest of the program calls only
// this header; platform/posix and platform/windows implement it. Names are UTF-8 on every
// system. Functions that can fail answer false and put the system's reason (its own words,
// without the file's name) in Error.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <limits>
#include <span>
#include <string>
#include <vector>

// A whole file for reading. A regular file is mapped into memory, so that reading it
// touches its pages where they already lie; anything else (a pipe, a file that cannot be
// mapped) is read in whole into memory of its own.
class TMappedFile {
 public:
  TMappedFile() = default;
  ~TMappedFile();
  TMappedFile(const TMappedFile&) = delete;
  TMappedFile& operator=(const TMappedFile&) = delete;

  // MapAhead maps every page at once (one call instead of a fault per page), for a file
  // that is read through at once; without it pages are mapped as they are first read.
  bool Open(const std::string& Name, bool MapAhead, std::string& Error);
  std::span<const uint8_t> Bytes() const { return FBytes; }

 private:
  void Close();

  void* FMapped = nullptr;
  size_t FMappedSize = 0;
  void* FMapping = nullptr;  // the mapping object, where the system has one
  std::vector<uint8_t> FRead;
  std::span<const uint8_t> FBytes;
};

// Reads a file from its start, at most MaxBytes of it (ask for one more than a format's
// limit to see that a file is over it).
bool ReadFileBytes(const std::string& Name, std::string& Bytes, std::string& Error,
                   size_t MaxBytes = std::numeric_limits<size_t>::max());

// True when Name is not empty and names a file (not a folder) that can be opened for
// reading; any failure gives false.
bool IsReadableFile(const std::string& Name);
// True when something (a file or a folder) has that name.
bool PathExists(const std::string& Name);
// Makes a folder and every missing folder above it; true when it is there afterwards.
bool MakeFolders(const std::string& Folder, std::string& Error);
// Removes a file; true when it is gone afterwards (also when it was never there).
bool RemoveFile(const std::string& Name);

// Writes Content as the whole of the file Name, created or truncated; not atomic.
bool WriteWholeFile(const std::string& Name, const std::string& Content, std::string& Error);

// The two steps of replacing a file atomically. WriteTempBeside writes Content into a new
// file with a unique name in Target's folder (the same file system, so that the rename is
// atomic) and flushes it to the disk; it answers that name, or an empty one on failure.
// The new file has the permissions of the file Target it will replace, or, when there is
// none, those a newly made file gets (the user's umask on POSIX systems).
std::string WriteTempBeside(const std::string& Target, const std::string& Content,
                            std::string& Error);
// Puts From in place of To in one step, replacing a file already there: a reader sees the
// old file or the new one, never a mixture.
bool RenameOver(const std::string& From, const std::string& To, std::string& Error);
// Flushes a folder's entries to the disk, so that a rename inside it survives a power loss.
void FlushFolder(const std::string& Folder);
// WriteTempBeside names its file Target + ".saving" + six letters or digits on every system,
// so that the next start can find what a cut-off save left.
// The temporary files WriteTempBeside made for Target (or an older build made beside it)
// that are still there: what a save cut off before its rename left. Only plain files of
// exactly that naming; a player's own "hs.backup" is not one.
std::vector<std::string> TempFilesBeside(const std::string& Target);
// The file a name stands for: a symbolic link followed to what it ends at (a relative link
// read from the link's folder), so that writing it replaces the target, not the link. The
// name itself when it is no link, or when links loop.
std::string ResolveLinks(const std::string& Name);

// The folder part of a file name ("" for a bare name); both / and the system's own
// separator count.
std::string FolderOf(const std::string& Name);

// The local time of a moment, as the system's time zone has it.
std::tm LocalTime(std::time_t Moment);
