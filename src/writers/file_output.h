// Where a level file's bytes go while a writer assembles them. A writer appends records to
// `bytes()` and calls `checkpoint()` between records. An output that keeps the whole file in
// memory never hands anything on; one that writes to disk hands each full block on and
// assembles the next in the same memory, so that a large file never needs memory of its size.
#pragma once

#include <algorithm>
#include <cstddef>
#include <limits>
#include <utility>

#include "base/le_encoding.h"

namespace ts {

class FileOutput {
 public:
  // Without a block size the whole file stays in memory.
  explicit FileOutput(std::size_t blockSize = std::numeric_limits<std::size_t>::max())
      : blockSize_(blockSize) {}
  FileOutput(const FileOutput&) = delete;
  FileOutput& operator=(const FileOutput&) = delete;
  virtual ~FileOutput() = default;

  [[nodiscard]] Bytes& bytes() { return bytes_; }

  // The file will hold `length` bytes: room for all of them, or for a block and its last
  // record.
  void expect(std::size_t length) {
    bytes_.reserve(keepsWholeFile() ? length : std::min(length, blockSize_ + kRecordRoom));
  }

  // Hands the assembled bytes on once they fill a block.
  void checkpoint() {
    if (bytes_.size() >= blockSize_) flush();
  }

  // Hands on whatever is assembled: the block is due or the file is complete. An output that
  // keeps the whole file keeps it.
  void flush() {
    if (bytes_.empty() || keepsWholeFile()) return;
    handOn(bytes_);
    handedOn_ += bytes_.size();
    bytes_.clear();
  }

  [[nodiscard]] bool keepsWholeFile() const {
    return blockSize_ == std::numeric_limits<std::size_t>::max();
  }

  // Bytes of the file so far, handed on or not.
  [[nodiscard]] std::size_t size() const { return handedOn_ + bytes_.size(); }

 protected:
  // Forgets the file so far, keeping the memory, for the next file.
  void restart() {
    handedOn_ = 0;
    bytes_.clear();
  }

  // Receives one block of the file, in order; never called for an output that keeps the whole
  // file.
  virtual void handOn(const Bytes& block) { static_cast<void>(block); }

 private:
  // Room beyond a block for the record that completes it (a map row is at most 3,996 bytes).
  static constexpr std::size_t kRecordRoom = std::size_t{64} * 1024;

  std::size_t blockSize_;
  std::size_t handedOn_ = 0;
  Bytes bytes_;
};

// The whole file that `write` assembles into an output kept in memory.
template <typename Write>
[[nodiscard]] Bytes wholeFile(Write write) {
  FileOutput file;
  write(file);
  return std::move(file.bytes());
}

}  // namespace ts
