// Whole-file reading and writing for the driver and the tools.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "writers/le_encoding.h"

namespace ts {

// Appends a whole file to `text` or `bytes`; false when it cannot be opened or read (a
// directory, say), with the reason in `reason` if given.
[[nodiscard]] bool readWholeFile(const std::string& path, std::string& text,
                                 std::string* reason = nullptr);
[[nodiscard]] bool readWholeFile(const std::string& path, Bytes& bytes,
                                 std::string* reason = nullptr);
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

  // False when the file cannot be opened or read (a directory, say).
  [[nodiscard]] bool load(const std::string& path);
  [[nodiscard]] std::string_view text() const {
    return mapped_ != nullptr ? std::string_view(mapped_, mappedSize_) : std::string_view(copy_);
  }

 private:
  void release();

  const char* mapped_ = nullptr;
  std::size_t mappedSize_ = 0;
  std::string copy_;
};

}  // namespace ts
