// Opening and mapping files on POSIX systems.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>

#include "base/platform.h"

namespace ts::platform {

std::FILE* openFile(const std::string& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

const char* mapRegularFile(const std::string& path, std::size_t smallest, std::size_t limit,
                           std::size_t& size, bool& tooLarge) {
  // Only a regular file is opened here. Opening a pipe, even for a moment, would let its writer
  // start writing into it; closing it then would cost the writer its reader, and the map read
  // afterwards would be cut short.
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
  if (static_cast<std::uintmax_t>(info.st_size) > limit) {
    tooLarge = true;
    return nullptr;
  }
  if (static_cast<std::uintmax_t>(info.st_size) < smallest) return nullptr;
  // Non-blocking, in case the name was given to a pipe since: that is not waited for here.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return nullptr;
  const char* mapped = nullptr;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
      static_cast<std::uintmax_t>(info.st_size) > limit) {
    tooLarge = true;
  } else if (S_ISREG(info.st_mode) && static_cast<std::uintmax_t>(info.st_size) >= smallest) {
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

void unmapFile(const char* mapped, std::size_t size) { ::munmap(const_cast<char*>(mapped), size); }

void releaseMappedPages(const char* mapped, std::size_t begin, std::size_t end) {
  const long page = ::sysconf(_SC_PAGESIZE);
  if (page <= 0) return;
  const auto pageSize = static_cast<std::size_t>(page);
  // The mapping starts on a page; only the pages wholly inside the range are given back.
  const std::size_t first = (begin + pageSize - 1) / pageSize * pageSize;
  const std::size_t last = end / pageSize * pageSize;
  if (first >= last) return;
  // A read-only private mapping that was never written: the pages come back from the file.
  ::madvise(const_cast<char*>(mapped) + first, last - first, MADV_DONTNEED);
}

}  // namespace ts::platform
