// The few file-system operations the level writer needs in a folder that other people may
// control: a new file created exclusively under an unpredictable name, never through a link;
// a lock held between processes, which the system drops when a process dies; and moves,
// removals and listings that never follow a link.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace ts::files {

// A UTF-8 path as std::filesystem takes it on every system (on Windows a plain std::string
// would be read in the system's code page).
[[nodiscard]] std::filesystem::path pathOf(const std::string& utf8);

// The path of `name` inside `folder` ("." for the current folder gives `name` itself).
[[nodiscard]] std::string inFolder(const std::string& folder, const std::string& name);

// Marks the names of temporary files: "<target>.tunnelsmith-tmp.XXXXXX".
inline constexpr const char* kTemporaryMark = ".tunnelsmith-tmp.";
inline constexpr std::size_t kRandomPartLength = 6;

// Paths are UTF-8 on every system. Each system has its own implementation of what follows
// (file_system_posix.cc, file_system_windows.cc) with the same guarantees.

// A file created for writing beside `target`, exclusively, under a name no one can guess
// beforehand, with the permissions a plain new file gets (0666 less the umask on POSIX). A link
// or file planted at any name is never opened.
class NewFile {
 public:
  NewFile() = default;
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;
  ~NewFile();

  // False, with the reason, when no such file could be created.
  [[nodiscard]] bool create(const std::string& target, std::string& reason);
  // False, with the reason, when the bytes could not all be written.
  [[nodiscard]] bool write(const std::uint8_t* data, std::size_t size, std::string& reason);
  // Closes the file; false, with the reason, when its last bytes could not be written.
  [[nodiscard]] bool close(std::string& reason);
  [[nodiscard]] bool isOpen() const { return handle_ != kClosed; }
  [[nodiscard]] const std::string& path() const { return path_; }

 private:
  // The system's handle of the open file: a descriptor on POSIX, a HANDLE on Windows.
  static constexpr std::intptr_t kClosed = -1;
  std::intptr_t handle_ = kClosed;
  std::string path_;
};

// An advisory lock on `path` (flock on POSIX, LockFileEx on Windows), held until release() or
// destruction. The lock file is created if
// need be and removed on release; a process that dies loses its lock at once, so a crash never
// leaves a lock behind that blocks later runs.
class ProcessLock {
 public:
  ProcessLock() = default;
  ProcessLock(const ProcessLock&) = delete;
  ProcessLock& operator=(const ProcessLock&) = delete;
  ~ProcessLock() { release(); }

  enum class Outcome { kLocked, kTimedOut, kFailed };
  // Waits at most `patience` for the lock; kFailed with the reason when the lock file cannot
  // be had at all.
  [[nodiscard]] Outcome acquire(const std::string& path, std::chrono::milliseconds patience,
                                std::string& reason);
  void release();

 private:
  static constexpr std::intptr_t kClosed = -1;
  std::intptr_t handle_ = kClosed;
  std::string path_;
};

// What stands at a path, without following a link.
enum class Entry { kNone, kFile, kDirectory, kOther };
[[nodiscard]] Entry entryAt(const std::string& path);

// Renames `from` to `to`, replacing whatever file or link stands at `to` (never writing
// through it) in one step; false, with the reason, on failure.
[[nodiscard]] bool moveEntry(const std::string& from, const std::string& to, std::string& reason);
// Removes a file or link (never a folder); true when nothing stands there afterwards.
bool removeEntry(const std::string& path);
// The names in a folder, without "." and "..".
[[nodiscard]] std::vector<std::string> namesIn(const std::string& folder);

}  // namespace ts::files
