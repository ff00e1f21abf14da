// The few file-system operations the level writer needs in a folder that other people may
// control: a new file created exclusively under an unpredictable name, never through a link;
// a lock held between processes, which the system drops when a process dies; moves, removals
// and listings that never follow a link; and flushes that put a file's data, and a folder's
// names, on disk before the next step, so that a power loss never undoes them out of order.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
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

// Everything that changes what a folder holds on disk, as one interface: the system's own
// (systemOperations()), or one that a test puts in its place to record a run and work out what
// a power loss at any point could leave (UsingOperations). NewFile, moveEntry, removeEntry,
// flushFolder and replaceFile go through the one in use; looking (entryAt, namesIn) and the
// lock, whose file holds nothing, go to the system directly.
class Operations {
 public:
  Operations() = default;
  Operations(const Operations&) = delete;
  Operations& operator=(const Operations&) = delete;
  virtual ~Operations() = default;

  enum class Created { kCreated, kNameTaken, kFailed };
  // Creates `path` for writing, exclusively and never through a link, and sets `file`;
  // kNameTaken when anything at all stands at `path`.
  virtual Created create(const std::string& path, std::intptr_t& file, std::string& reason) = 0;
  virtual bool write(std::intptr_t file, const std::uint8_t* data, std::size_t size,
                     std::string& reason) = 0;
  // Returns once the bytes written to `file` are on disk (not the file's name: see flushFolder).
  virtual bool flush(std::intptr_t file, std::string& reason) = 0;
  virtual bool close(std::intptr_t file, std::string& reason) = 0;
  // See moveEntry and removeEntry.
  virtual bool move(const std::string& from, const std::string& to, std::string& reason) = 0;
  virtual bool remove(const std::string& path) = 0;
  // Returns once every name made, moved or removed in `folder` so far is on disk.
  virtual bool flushFolder(const std::string& folder, std::string& reason) = 0;
};

// The system's own operations.
[[nodiscard]] Operations& systemOperations();
// The operations in use: the system's, unless a UsingOperations has put others in their place.
[[nodiscard]] Operations& operations();

// Puts `replacement` in the system's place for as long as it lives; for tests, which run one
// thread at a time through these operations.
class UsingOperations {
 public:
  explicit UsingOperations(Operations& replacement);
  UsingOperations(const UsingOperations&) = delete;
  UsingOperations& operator=(const UsingOperations&) = delete;
  ~UsingOperations();

 private:
  Operations* previous_;
};

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
  // Puts the bytes written so far on disk, so that they are there before the file is renamed
  // into place; false, with the reason, when the system could not.
  [[nodiscard]] bool flush(std::string& reason);
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
// Puts on disk every name made, moved or removed in `folder` so far: a rename is not lasting
// until then. POSIX systems flush the folder itself; Windows has no such call, and there every
// move is made write-through instead (see file_system_windows.cc). A file system that cannot
// flush a folder, or a folder that may be written but not opened, counts as flushed. False,
// with the reason, when the system failed to.
[[nodiscard]] bool flushFolder(const std::string& folder, std::string& reason);

// Replaces `target` with a file holding `bytes`, as every tool replaces what it writes: a
// NewFile beside `target` takes the bytes (and `permissions`, if given), is flushed, renamed
// over `target` (a link there is replaced, never written through) and its folder flushed, so
// that even after a power loss `target` is either the earlier file or the new one, whole.
// False, with the reason, when the new file could not be written or flushed (`target` is then
// as it was), or when the folder could not be flushed after the rename (`target` is then the
// new file, which a power loss might still undo).
[[nodiscard]] bool replaceFile(const std::string& target, std::string_view bytes,
                               std::optional<std::filesystem::perms> permissions,
                               std::string& reason);
// The names in a folder, without "." and "..".
[[nodiscard]] std::vector<std::string> namesIn(const std::string& folder);

}  // namespace ts::files
