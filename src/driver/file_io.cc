#include "driver/file_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace ts {

bool readWholeFile(const std::string& path, std::string& text) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  // Room for the whole file at once when its size is known, so that the text is not moved
  // again and again as it grows.
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (!error && size < text.max_size()) text.reserve(static_cast<std::size_t>(size));
  char buffer[1 << 16];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
  const bool ok = std::ferror(file) == 0;
  std::fclose(file);
  return ok;
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

}  // namespace ts
