// The file-system primitives the level writer relies on, on every system: a finished file
// replaces the earlier one whole, a new file never opens a name already taken, and the lock
// lets one holder in at a time and hands over to a waiter when released.
#include "base/file_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "testing/read_file.h"
#include "testing/scratch_folder.h"

namespace ts::files {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

class Scratch : public testing::ScratchFolder {
 public:
  Scratch() : ScratchFolder("tunnelsmith-fs-") {}

  [[nodiscard]] std::string at(const std::string& name) const { return (root() / name).string(); }
  [[nodiscard]] std::size_t count() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(root()), {}));
  }
};

TEST(FileSystem, NewFileReplacesTheTargetWholeAndNeverReusesAName) {
  Scratch scratch;
  const std::string target = scratch.at("LairMap.kld");
  std::ofstream(target, std::ios::binary) << "old";
  std::string reason;
  NewFile first;
  NewFile second;
  ASSERT_TRUE(first.create(target, reason)) << reason;
  // A name that is taken, here by the first file, is never opened again.
  ASSERT_TRUE(second.create(target, reason)) << reason;
  EXPECT_NE(first.path(), second.path());
  const std::string bytes("new\r\n\0\n", 7);
  ASSERT_TRUE(
      first.write(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), reason));
  ASSERT_TRUE(first.close(reason)) << reason;
  EXPECT_EQ(testing::readFile(target), "old");
  EXPECT_EQ(entryAt(first.path()), Entry::kFile);

  ASSERT_TRUE(moveEntry(first.path(), target, reason)) << reason;
  EXPECT_EQ(testing::readFile(target), bytes);
  EXPECT_EQ(entryAt(first.path()), Entry::kNone);
  ASSERT_TRUE(second.close(reason));
  EXPECT_TRUE(removeEntry(second.path()));
  EXPECT_TRUE(removeEntry(second.path()));  // nothing there is no failure
  EXPECT_EQ(namesIn(scratch.at("")), std::vector<std::string>{"LairMap.kld"});
}

TEST(ProcessLock, OneHolderAtATimeAndAWaiterTakesOverOnRelease) {
  Scratch scratch;
  const std::string path = scratch.at("Lair.tunnelsmith-lock");
  std::string reason;
  ProcessLock holder;
  ASSERT_EQ(holder.acquire(path, milliseconds(1000), reason), ProcessLock::Outcome::kLocked);
  ProcessLock impatient;
  EXPECT_EQ(impatient.acquire(path, milliseconds(50), reason), ProcessLock::Outcome::kTimedOut);

  // The waiter already holds the lock file open when the holder lets go and removes it.
  std::thread letGo([&] {
    std::this_thread::sleep_for(milliseconds(200));
    holder.release();
  });
  ProcessLock waiter;
  const ProcessLock::Outcome outcome = waiter.acquire(path, milliseconds(10000), reason);
  letGo.join();
  ASSERT_EQ(outcome, ProcessLock::Outcome::kLocked);
  EXPECT_EQ(impatient.acquire(path, milliseconds(50), reason), ProcessLock::Outcome::kTimedOut);
  waiter.release();
  EXPECT_EQ(scratch.count(), 0u);  // released, the lock leaves nothing behind
  EXPECT_EQ(impatient.acquire(path, milliseconds(50), reason), ProcessLock::Outcome::kLocked);
}

}  // namespace
}  // namespace ts::files
