#include "driver/file_io.h"

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

// Appends the whole file to `out` (a string or bytes); on failure false, with the reason when
// asked for.
template <typename Buffer>
bool readInto(const std::string& path, Buffer& out, std::string* reason) {
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    if (reason != nullptr) *reason = std::strerror(errno != 0 ? errno : ENOENT);
    return false;
  }
  // Room for the whole file at once when its size is known, so that the text is not moved
  // again and again as it grows.
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (!error && size < out.max_size()) out.reserve(static_cast<std::size_t>(size));
  char buffer[1 << 16];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    out.insert(out.end(), buffer, buffer + n);
  }
  const bool ok = std::ferror(file) == 0;
  if (!ok && reason != nullptr) *reason = std::strerror(errno != 0 ? errno : EIO);
  std::fclose(file);
  return ok;
}

}  // namespace

bool readWholeFile(const std::string& path, std::string& text, std::string* reason) {
  return readInto(path, text, reason);
}

bool readWholeFile(const std::string& path, Bytes& bytes, std::string* reason) {
  return readInto(path, bytes, reason);
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
// when it is not one or cannot be mapped, and the caller reads it instead.
const char* mapRegularFile(const std::string& path, std::size_t& size) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info {};
  const char* mapped = nullptr;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
      static_cast<std::uintmax_t>(info.st_size) >= kSmallestMappedFile &&
      static_cast<std::uintmax_t>(info.st_size) < std::string_view().max_size()) {
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

bool FileText::load(const std::string& path) {
  release();
#ifdef TUNNELSMITH_CAN_MAP_FILES
  mapped_ = mapRegularFile(path, mappedSize_);
  if (mapped_ != nullptr) return true;
#endif
  return readWholeFile(path, copy_);
}

}  // namespace ts
