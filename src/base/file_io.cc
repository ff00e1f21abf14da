#include "base/file_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#if __has_include(<sys/mman.h>) && __has_include(<sys/stat.h>) && __has_include(<fcntl.h>) && \
    __has_include(<unistd.h>)
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#define TUNNELSMITH_CAN_MAP_FILES 1
#endif

namespace ts {

namespace {

// Appends the file to `out` (a string or bytes), never more than `limit` + 1 bytes of it.
template <typename Buffer>
ReadResult readInto(const std::string& path, Buffer& out, std::string* reason, std::size_t limit) {
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    if (reason != nullptr) *reason = std::strerror(errno != 0 ? errno : ENOENT);
    return ReadResult::kUnreadable;
  }
  // A regular file's size is known: one above the limit is refused unread, and room for the
  // rest is made at once so that the text is not moved again and again as it grows. A pipe or
  // a device is read until it ends or passes the limit.
  std::error_code error;
  if (std::filesystem::is_regular_file(path, error)) {
    const std::uintmax_t size = std::filesystem::file_size(path, error);
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
  std::FILE* file = std::fopen(path.c_str(), "wb");
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

#ifdef TUNNELSMITH_CAN_MAP_FILES
// Maps a regular file of at least kSmallestMappedFile bytes read-only and sets `size`; null
// when it is not one or cannot be mapped, and the caller reads it instead. Sets `tooLarge`
// for a regular file above `limit`.
const char* mapRegularFile(const std::string& path, std::size_t limit, std::size_t& size,
                           bool& tooLarge) {
  // Non-blocking, so that a pipe without a writer is not waited for here; it is read below.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return nullptr;
  struct stat info {};
  const char* mapped = nullptr;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
      static_cast<std::uintmax_t>(info.st_size) > limit) {
    tooLarge = true;
  } else if (S_ISREG(info.st_mode) &&
             static_cast<std::uintmax_t>(info.st_size) >= kSmallestMappedFile) {
    const auto length = static_cast<std::size_t>(info.st_size);
    void* at = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE, fd, 0);
    if (at != MAP_FAILED) {
      mapped = static_cast<const char*>(at);
      size = length;
    }
  }
  ::close(fd);
  return mapped;
}
#endif

}  // namespace

FileText::~FileText() { release(); }

void FileText::release() {
#ifdef TUNNELSMITH_CAN_MAP_FILES
  if (mapped_ != nullptr) ::munmap(const_cast<char*>(mapped_), mappedSize_);
#endif
  mapped_ = nullptr;
  mappedSize_ = 0;
  copy_.clear();
}

ReadResult FileText::load(const std::string& path, std::size_t limit) {
  release();
#ifdef TUNNELSMITH_CAN_MAP_FILES
  bool tooLarge = false;
  mapped_ = mapRegularFile(path, limit, mappedSize_, tooLarge);
  if (tooLarge) return ReadResult::kTooLarge;
  if (mapped_ != nullptr) return ReadResult::kRead;
#endif
  const ReadResult result = readFile(path, copy_, nullptr, limit);
  if (result != ReadResult::kRead) std::string().swap(copy_);
  return result;
}

}  // namespace ts
