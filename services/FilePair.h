#pragma once
// Two files replaced as one: whatever step of the replacement a crash or a power loss
// interrupts, the next start finds the whole previous pair or the whole new one.
//
// A save writes both new files beside their targets and flushes them, then puts a marker
// file in place (written beside, flushed, renamed: it is there whole or not at all) that
// names both new files with a hash of each. From the moment the marker is on the disk the
// new pair counts: the new files are renamed over the old ones, and the marker goes. The
// next start (RecoverFilePair) completes the renames of a marker it finds and rolls back
// (removes) new files that have no marker, and removes temporary files left by any save
// that was cut off.
//
// A target that is a symbolic link is written through to the file the link ends at; a
// replaced file keeps the permissions of the file it replaces.

#include <cstdint>
#include <functional>
#include <string>

struct TFileContent {
  std::string Name;
  std::string Content;
};

// The steps of one replacement, in order.
enum class TPairStep : uint8_t {
  WriteFirst,     // the first new file beside its target, flushed
  WriteSecond,    // the second
  FlushNewFiles,  // their folders' entries
  WriteMarker,    // the marker beside its place, flushed
  PlaceMarker,    // renamed into place: from here on the new pair counts
  FlushMarker,
  RenameFirst,
  RenameSecond,
  FlushTargets,
  RemoveMarker,
  FlushRemoval,
  Count,
};

// Asked before each step; false stops the replacement there and leaves the files as a
// crash at that moment would (a test's fault injection). Empty: no stop.
using TPairFault = std::function<bool(TPairStep)>;

enum class TPairResult : uint8_t {
  Replaced,        // both files replaced
  NothingChanged,  // a new file could not be written: both targets are as they were
  FirstOnly,       // the second rename failed (something stands in its way): the first
                   // target holds its new content, the second its old one
  Stopped,         // the fault hook stopped it
};

// Replaces First and Second (Error gets the reason of a failure). The marker's folder must
// be the save folder both belong to; folders that are missing are made.
TPairResult ReplaceFilePair(const TFileContent& First, const TFileContent& Second,
                            const std::string& MarkerName, std::string& Error,
                            const TPairFault& Fault = {});

// At start-up, before the files are read: a replacement whose marker is in place is
// completed, new files without one are removed, and so is every temporary file an
// interrupted save left beside the two targets or the marker. Running it again after a
// crash during it finishes the same work.
void RecoverFilePair(const std::string& FirstName, const std::string& SecondName,
                     const std::string& MarkerName);

// FNV-1a, 64 bits: the marker's check that a new file is the one it names.
uint64_t PairContentHash(const std::string& Content);
