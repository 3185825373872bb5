// The system's requests to end the program, and the one-copy lock of a save folder.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/FolderLock.h"
#include "platform/SessionEnd.h"

namespace fs = std::filesystem;

// A termination signal is noted for the frame loop instead of ending the process; the
// interrupt and the hang-up are caught the same way (each test runs in its own process).
TEST(SessionEnd, ATerminationSignalIsNotedNotObeyed) {
  InstallSessionEndHandlers([] {});
  EXPECT_FALSE(SessionEndRequested());
  std::raise(SIGTERM);
  EXPECT_TRUE(SessionEndRequested());
  std::raise(SIGINT);
  EXPECT_TRUE(SessionEndRequested()) << "still alive after SIGINT";
  SessionEndDone();
}

TEST(FolderLock, OneHolderPerFolderAndTheFileIsLeftAlone) {
  const fs::path D = fs::path(TB_BINARY_DIR) / "test-scratch" / "folderlock";
  fs::remove_all(D);
  const std::string Lock = (D / "Data/Save/lock").string();
  std::string Error;
  TFolderLock First;
  ASSERT_EQ(First.Take(Lock, Error), TFolderLock::TResult::Held) << Error;
  std::ofstream(Lock) << "the player's";
  TFolderLock Second;
  EXPECT_EQ(Second.Take(Lock, Error), TFolderLock::TResult::Busy);
  First.Release();
  EXPECT_EQ(Second.Take(Lock, Error), TFolderLock::TResult::Held) << Error;
  std::ifstream In(Lock);
  std::stringstream Text;
  Text << In.rdbuf();
  EXPECT_EQ(Text.str(), "the player's") << "taking the lock writes nothing";

  // A folder that cannot be made: no lock, and a reason.
  std::ofstream(D / "file") << "x";
  TFolderLock Third;
  EXPECT_EQ(Third.Take((D / "file/Save/lock").string(), Error), TFolderLock::TResult::Failed);
  EXPECT_FALSE(Error.empty());
}
