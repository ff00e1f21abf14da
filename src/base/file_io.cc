#include "base/file_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "base/platform.h"

namespace ts {

namespace {

// Appends the file to `out` (a string or bytes), never more than `limit` + 1 bytes of it.
template <typename Buffer>
ReadResult readInto(const std::string& path, Buffer& out, std::string* reason, std::size_t limit) {
  errno = 0;
  std::FILE* file = platform::openFile(path, "rb");
  if (file == nullptr) {
    if (reason != nullptr) *reason = std::strerror(errno != 0 ? errno : ENOENT);
    return ReadResult::kUnreadable;
  }
  // A regular file's size is known: one above the limit is refused unread, and room for the
  // rest is made at once so that the text is not moved again and again as it grows. A pipe or
  // a device is read until it ends or passes the limit.
  std::error_code error;
  const std::filesystem::path name = platform::fileSystemPath(path);
  if (std::filesystem::is_regular_file(name, error)) {
    const std::uintmax_t size = std::filesystem::file_size(name, error);
    if (!error && size > limit) {
      std::fclose(file);
      return ReadResult::kTooLarge;
    }
    if (!error && size < out.max_size() - out.size()) {
      out.reserve(out.size() + static_cast<std::size_t>(size));
    }
  }
  const std::size_t start = out.size();
  char buffer[1 << 16];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    // Refused before the bytes past the limit take memory.
    if (out.size() - start + n > limit) {
      std::fclose(file);
      return ReadResult::kTooLarge;
    }
    out.insert(out.end(), buffer, buffer + n);
  }
  const bool ok = std::ferror(file) == 0;
  if (!ok && reason != nullptr) *reason = std::strerror(errno != 0 ? errno : EIO);
  std::fclose(file);
  return ok ? ReadResult::kRead : ReadResult::kUnreadable;
}

}  // namespace

ReadResult readFile(const std::string& path, std::string& text, std::string* reason,
                    std::size_t limit) {
  return readInto(path, text, reason, limit);
}

ReadResult readFile(const std::string& path, Bytes& bytes, std::string* reason, std::size_t limit) {
  return readInto(path, bytes, reason, limit);
}

bool writeWholeFile(const std::string& path, const Bytes& bytes, std::string& reason) {
  errno = 0;
  std::FILE* file = platform::openFile(path, "wb");
  if (file == nullptr) {
    reason = std::strerror(errno);
    return false;
  }
  const bool written =
      std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0;
  const int writeError = errno;
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    reason = std::strerror(written ? errno : writeError);
    return false;
  }
  return true;
}

namespace {

// Smaller files are read: mapping them saves nothing worth a mapping of its own.
constexpr std::size_t kSmallestMappedFile = std::size_t{64} * 1024;

}  // namespace

FileText::~FileText() { release(); }

void FileText::release() {
  if (mapped_ != nullptr) platform::unmapFile(mapped_, mappedSize_);
  mapped_ = nullptr;
  mappedSize_ = 0;
  copy_.clear();
}

ReadResult FileText::load(const std::string& path, std::size_t limit, std::string* reason) {
  release();
  bool tooLarge = false;
  mapped_ = platform::mapRegularFile(path, kSmallestMappedFile, limit, mappedSize_, tooLarge);
  if (tooLarge) return ReadResult::kTooLarge;
  if (mapped_ != nullptr) return ReadResult::kRead;
  const ReadResult result = readFile(path, copy_, reason, limit);
  if (result != ReadResult::kRead) std::string().swap(copy_);
  return result;
}

void FileText::releasePages(std::size_t begin, std::size_t end) const {
  if (mapped_ != nullptr && begin < end && end <= mappedSize_) {
    platform::releaseMappedPages(mapped_, begin, end);
  }
}

namespace {

std::string tooLargeForALevel(std::size_t limit) {
  return "larger than " + std::to_string(limit / (1024 * 1024)) + " MiB (" + std::to_string(limit) +
         " bytes), the most a level file may hold";
}

}  // namespace

ReadResult loadLevelFile(const std::string& path, FileText& file, std::string& reason,
                         std::size_t limit) {
  const ReadResult status = file.load(path, limit, &reason);
  if (status == ReadResult::kTooLarge) reason = tooLargeForALevel(limit);
  return status;
}

ReadResult readLevelFile(const std::string& path, Bytes& bytes, std::string& reason,
                         std::size_t limit) {
  bytes.clear();
  const ReadResult status = readFile(path, bytes, &reason, limit);
  if (status == ReadResult::kTooLarge) {
    Bytes().swap(bytes);
    reason = tooLargeForALevel(limit);
  } else if (status == ReadResult::kUnreadable) {
    bytes.clear();
  }
  return status;
}

}  // namespace ts
