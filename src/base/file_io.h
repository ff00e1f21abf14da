// Whole-file reading and writing for the driver and the tools. Every read is bounded: a map
// text or level file larger than the limit is refused without reading more than the limit, so
// that a character device or a pipe that never ends cannot exhaust memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "base/le_encoding.h"

namespace ts {

// The largest file any tool reads: far beyond the largest valid level (a full 999 by 1000 grid
// with 200,000 placed entries is about 10 MiB of text).
inline constexpr std::size_t kMaxInputSize = std::size_t{256} * 1024 * 1024;

enum class ReadResult { kRead, kUnreadable, kTooLarge };

// Appends a whole file to `text` or `bytes`. kUnreadable when it cannot be opened or read (a
// directory, say), with the reason in `reason` if given; kTooLarge when it holds more than
// `limit` bytes, in which case at most `limit` + 1 bytes were read.
[[nodiscard]] ReadResult readFile(const std::string& path, std::string& text,
                                  std::string* reason = nullptr, std::size_t limit = kMaxInputSize);
[[nodiscard]] ReadResult readFile(const std::string& path, Bytes& bytes,
                                  std::string* reason = nullptr, std::size_t limit = kMaxInputSize);
// The same, true only when the whole file was read.
[[nodiscard]] inline bool readWholeFile(const std::string& path, std::string& text,
                                        std::string* reason = nullptr) {
  return readFile(path, text, reason) == ReadResult::kRead;
}
[[nodiscard]] inline bool readWholeFile(const std::string& path, Bytes& bytes,
                                        std::string* reason = nullptr) {
  return readFile(path, bytes, reason) == ReadResult::kRead;
}

// A level file's bytes, as the inspector and the decompiler read them: readFile, with the bytes
// dropped and `reason` saying why when the file was not read whole.
[[nodiscard]] ReadResult readLevelFile(const std::string& path, Bytes& bytes, std::string& reason,
                                       std::size_t limit = kMaxInputSize);

// Creates or truncates `path` and writes `bytes`; on failure false, with the reason.
[[nodiscard]] bool writeWholeFile(const std::string& path, const Bytes& bytes, std::string& reason);

// A file's whole text for reading once. A large regular file is mapped into memory where the
// system allows it, so that its bytes are neither copied nor given fresh memory; any other
// file is read into memory.
class FileText {
 public:
  FileText() = default;
  FileText(const FileText&) = delete;
  FileText& operator=(const FileText&) = delete;
  ~FileText();

  // kUnreadable when the file cannot be opened or read (a directory, say); kTooLarge above
  // `limit` bytes. The text is empty unless the file was read.
  // With `reason`, says there why a file that is not read could not be.
  [[nodiscard]] ReadResult load(const std::string& path, std::size_t limit = kMaxInputSize,
                                std::string* reason = nullptr);
  [[nodiscard]] std::string_view text() const {
    return mapped_ != nullptr ? std::string_view(mapped_, mappedSize_) : std::string_view(copy_);
  }
  [[nodiscard]] std::span<const std::uint8_t> bytes() const {
    const std::string_view all = text();
    return {reinterpret_cast<const std::uint8_t*>(all.data()), all.size()};
  }
  // The bytes [begin, end) will not be read again soon: a mapped file gives back the memory of
  // the pages that hold them, so that reading a large file once from start to end keeps only a
  // few pages. They stay readable (read from the file again).
  void releasePages(std::size_t begin, std::size_t end) const;

 private:
  void release();

  const char* mapped_ = nullptr;
  std::size_t mappedSize_ = 0;
  std::string copy_;
};

// A level file as readLevelFile reads it, with the same reasons, but mapped where the system
// allows it, for a tool that reads it from start to end (the inspector's --diff) and gives back
// with FileText::releasePages what it has read.
[[nodiscard]] ReadResult loadLevelFile(const std::string& path, FileText& file, std::string& reason,
                                       std::size_t limit = kMaxInputSize);

}  // namespace ts
