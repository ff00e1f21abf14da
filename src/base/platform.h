// What the base layer asks of the operating system beyond the file-system operations of
// file_system.h, implemented once per system (file_io_posix.cc, file_io_windows.cc). Paths are
// UTF-8 everywhere; the Windows implementation converts them to UTF-16 at the system call.
#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <string>

namespace ts::platform {

// Opens a file with std::fopen's `mode` ("rb", "wb"); null with errno set when it cannot.
[[nodiscard]] std::FILE* openFile(const std::string& path, const char* mode);

// The path for std::filesystem: the bytes are UTF-8 on every system.
[[nodiscard]] std::filesystem::path fileSystemPath(const std::string& path);

// Maps a regular file of at least `smallest` bytes read-only and sets `size`; null when it is
// not one or cannot be mapped, and the caller reads it instead. Sets `tooLarge` for a regular
// file above `limit`. Never waits for a pipe or a device.
[[nodiscard]] const char* mapRegularFile(const std::string& path, std::size_t smallest,
                                         std::size_t limit, std::size_t& size, bool& tooLarge);
// Gives back what mapRegularFile mapped.
void unmapFile(const char* mapped, std::size_t size);
// Gives back the memory that holds the whole pages of [begin, end) of what mapRegularFile
// mapped (`mapped` being its start), as the system allows: the bytes stay readable and are
// read from the file again when they are.
void releaseMappedPages(const char* mapped, std::size_t begin, std::size_t end);

// The text of a C library error number, as strerror gives it; EIO's for 0.
[[nodiscard]] std::string errorText(int error);

// Letters and digits drawn from the system's random source, for names no one can guess.
[[nodiscard]] std::string randomPart(std::size_t length);

}  // namespace ts::platform
