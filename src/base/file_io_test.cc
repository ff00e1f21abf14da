// Reading a map file whole: a large file mapped into memory and a small one read give exactly
// the file's bytes, and what cannot be read is refused.
#include "base/file_io.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "base/platform.h"
#include "testing/scratch_folder.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>
#endif

namespace ts {
namespace {

namespace fs = std::filesystem;

class Scratch : public testing::ScratchFolder {
 public:
  Scratch() : ScratchFolder("tunnelsmith-io-") {}

  [[nodiscard]] std::string write(const std::string& name, const std::string& bytes) const {
    const fs::path path = root() / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }
};

// Bytes of every value, no line end at the end.
std::string patterned(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) % 256);
  return bytes;
}

TEST(FileText, GivesExactlyTheFileOfAnySize) {
  Scratch scratch;
  ASSERT_FALSE(scratch.root().empty());
  // Around the size from which files are mapped, a page boundary, and well beyond.
  for (const std::size_t size :
       {std::size_t{0}, std::size_t{1}, std::size_t{4095}, std::size_t{65535}, std::size_t{65536},
        std::size_t{65537}, std::size_t{1} << 20, (std::size_t{1} << 20) + 3}) {
    SCOPED_TRACE(size);
    const std::string bytes = patterned(size);
    const std::string path = scratch.write("map" + std::to_string(size) + ".txt", bytes);
    FileText text;
    ASSERT_EQ(text.load(path), ReadResult::kRead);
    EXPECT_EQ(text.text().size(), size);
    EXPECT_TRUE(text.text() == bytes);
  }
}

TEST(FileText, ReloadingReplacesTheEarlierText) {
  Scratch scratch;
  const std::string large = scratch.write("large.txt", patterned(200000));
  const std::string small = scratch.write("small.txt", "Lair\nPlayers 2\n");
  FileText text;
  ASSERT_EQ(text.load(large), ReadResult::kRead);
  ASSERT_EQ(text.load(small), ReadResult::kRead);
  EXPECT_EQ(text.text(), "Lair\nPlayers 2\n");
  ASSERT_EQ(text.load(large), ReadResult::kRead);
  EXPECT_TRUE(text.text() == patterned(200000));
  // A failed load leaves no text behind.
  EXPECT_EQ(text.load((scratch.root() / "missing.txt").string()), ReadResult::kUnreadable);
  EXPECT_TRUE(text.text().empty());
}

TEST(FileText, RefusesWhatCannotBeRead) {
  Scratch scratch;
  fs::create_directory(scratch.root() / "maps");
  FileText text;
  EXPECT_EQ(text.load((scratch.root() / "maps").string()), ReadResult::kUnreadable);
  EXPECT_EQ(text.load((scratch.root() / "missing.txt").string()), ReadResult::kUnreadable);
  EXPECT_EQ(text.load(""), ReadResult::kUnreadable);
}

// A file read once from start to end gives back the pages it read; they stay readable. The
// loader for level files says why one is not read, as readLevelFile does.
TEST(FileText, ReleasedPagesStayReadableAndLevelFilesSayWhyTheyAreNotRead) {
  Scratch scratch;
  const std::string bytes = patterned((std::size_t{1} << 20) + 5);
  const std::string path = scratch.write("level.kld", bytes);
  FileText file;
  std::string reason;
  ASSERT_EQ(loadLevelFile(path, file, reason), ReadResult::kRead);
  ASSERT_EQ(file.bytes().size(), bytes.size());
  // Ranges that start and end inside pages, a whole file, and some beyond the end (ignored).
  for (const auto& [begin, end] : {std::pair<std::size_t, std::size_t>{10, 70000},
                                   {4096, 8192},
                                   {0, bytes.size()},
                                   {bytes.size() - 3, bytes.size() + 100}}) {
    file.releasePages(begin, end);
    EXPECT_TRUE(file.text() == bytes) << begin << ".." << end;
  }

  // The same reasons as readLevelFile's, for a small file that is read too.
  const std::string small = scratch.write("small.kld", "KLD");
  ASSERT_EQ(loadLevelFile(small, file, reason, 2), ReadResult::kTooLarge);
  Bytes read;
  std::string readReason;
  ASSERT_EQ(readLevelFile(small, read, readReason, 2), ReadResult::kTooLarge);
  EXPECT_EQ(reason, readReason);
  const std::string missing = (scratch.root() / "missing.kld").string();
  ASSERT_EQ(loadLevelFile(missing, file, reason), ReadResult::kUnreadable);
  ASSERT_EQ(readLevelFile(missing, read, readReason), ReadResult::kUnreadable);
  EXPECT_EQ(reason, readReason);
  EXPECT_FALSE(reason.empty());
}

#ifndef _WIN32
// A pipe is never opened to see whether it could be mapped: its writer, waiting for a reader,
// would start writing and lose its reader again (a fed map was cut short that way). It is read.
TEST(FileText, APipeIsReadWholeAndNotOpenedToBeMapped) {
  Scratch scratch;
  const std::string fifo = (scratch.root() / "feed").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::atomic<bool> opened = false;
  std::thread writer([&] {
    const int fd = ::open(fifo.c_str(), O_WRONLY);  // waits for a reader
    opened = true;
    if (fd >= 0) ::close(fd);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  std::size_t size = 0;
  bool tooLarge = false;
  EXPECT_EQ(platform::mapRegularFile(fifo, 0, 1000, size, tooLarge), nullptr);
  EXPECT_FALSE(tooLarge);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(opened) << "the writer found a reader";
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);  // lets the writer go
  writer.join();
  if (reader >= 0) ::close(reader);

  // Fed whole, larger than a mapped file's least size, it is read exactly.
  const std::string bytes = patterned(200000);
  std::thread feeder([&] { std::ofstream(fifo, std::ios::binary) << bytes; });
  FileText text;
  EXPECT_EQ(text.load(fifo), ReadResult::kRead);
  feeder.join();
  EXPECT_TRUE(text.text() == bytes);
}
#endif

}  // namespace
}  // namespace ts
