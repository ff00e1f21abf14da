// Opening and mapping files on Windows, by their UTF-16 names.
#include <cstdint>

#include "base/platform.h"
#include "base/windows_text.h"

namespace ts::platform {

std::FILE* openFile(const std::string& path, const char* mode) {
  return ::_wfopen(wide(path).c_str(), wide(mode).c_str());
}

const char* mapRegularFile(const std::string& path, std::size_t smallest, std::size_t limit,
                           std::size_t& size, bool& tooLarge) {
  // Others may go on reading, writing, renaming or removing the file, as on POSIX systems.
  const HANDLE file = ::CreateFileW(wide(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  const char* mapped = nullptr;
  LARGE_INTEGER length{};
  // Only a file on a disk has a size; a pipe or a device is read.
  if (::GetFileType(file) == FILE_TYPE_DISK && ::GetFileSizeEx(file, &length) != 0) {
    const auto bytes = static_cast<std::uintmax_t>(length.QuadPart);
    if (bytes > limit) {
      tooLarge = true;
    } else if (bytes >= smallest) {
      const HANDLE mapping = ::CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
      if (mapping != nullptr) {
        // The view keeps the mapping alive once both handles are closed.
        if (const void* at = ::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0)) {
          mapped = static_cast<const char*>(at);
          size = static_cast<std::size_t>(bytes);
        }
        ::CloseHandle(mapping);
      }
    }
  }
  ::CloseHandle(file);
  return mapped;
}

void unmapFile(const char* mapped, std::size_t) { ::UnmapViewOfFile(mapped); }

void releaseMappedPages(const char* mapped, std::size_t begin, std::size_t end) {
  SYSTEM_INFO info{};
  ::GetSystemInfo(&info);
  const std::size_t page = info.dwPageSize;
  const std::size_t first = (begin + page - 1) / page * page;
  const std::size_t last = end / page * page;
  if (first >= last) return;
  // Unlocking pages that are not locked takes them out of the working set; the call reports
  // that they were not locked, which is expected.
  ::VirtualUnlock(const_cast<char*>(mapped) + first, last - first);
}

}  // namespace ts::platform
