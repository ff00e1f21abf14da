// The file-system layer on Windows: CreateFileW with CREATE_NEW for new files, FlushFileBuffers
// for their data, LockFileEx for the lock, MoveFileExW with MOVEFILE_REPLACE_EXISTING and
// MOVEFILE_WRITE_THROUGH for moves. A link (a reparse point) is never opened through: it is
// seen, moved or removed as itself.
#include <thread>

#include "base/file_system.h"
#include "base/platform.h"
#include "base/windows_text.h"

namespace ts::files {

namespace {

HANDLE handleOf(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

std::string lastErrorText() { return platform::errorText(platform::errorNumber(::GetLastError())); }

// Everyone may go on reading the file, and renaming or removing it, while it is open: as on
// POSIX systems, where an open file does not hold its name.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The identity of an open file, the same for every handle on it.
struct FileIdentity {
  DWORD volume = 0;
  DWORD high = 0;
  DWORD low = 0;
  bool operator==(const FileIdentity&) const = default;
};

bool identify(HANDLE file, FileIdentity& identity, DWORD* attributes = nullptr) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileInformationByHandle(file, &info) == 0) return false;
  identity = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
  if (attributes != nullptr) *attributes = info.dwFileAttributes;
  return true;
}

// Whether `path` names, without following a link, the file `held` is open on.
bool namesFile(const std::string& path, const FileIdentity& held) {
  const HANDLE named = ::CreateFileW(platform::wide(path).c_str(), 0, kShareAll, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (named == INVALID_HANDLE_VALUE) return false;
  FileIdentity identity;
  const bool same = identify(named, identity) && identity == held;
  ::CloseHandle(named);
  return same;
}

// A move replaces `to`, and is on disk before it returns. Windows has no call that flushes a
// folder's names as POSIX systems fsync a folder; what it offers is the order. NTFS writes
// changes to names through its log in the order they are made, and MoveFileExW with
// MOVEFILE_WRITE_THROUGH does not return until the move is on disk: by then every name made,
// moved or removed before it is on disk too. flushFolder has nothing left to do.
bool moveFile(const std::string& from, const std::string& to, std::string& reason) {
  // A link at `to` is replaced as itself, never written through.
  if (::MoveFileExW(platform::wide(from).c_str(), platform::wide(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0) {
    return true;
  }
  reason = lastErrorText();
  return false;
}

bool removeFile(const std::string& path) {
  const std::wstring name = platform::wide(path);
  const DWORD attributes = ::GetFileAttributesW(name.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  // A link to a folder is removed as a folder would be; a real folder never is.
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
           ::RemoveDirectoryW(name.c_str()) != 0;
  }
  if (::DeleteFileW(name.c_str()) != 0) return true;
  const DWORD error = ::GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

class SystemOperations final : public Operations {
 public:
  Created create(const std::string& path, std::intptr_t& file, std::string& reason) override {
    const HANDLE created =
        ::CreateFileW(platform::wide(path).c_str(), GENERIC_WRITE, kShareAll, nullptr, CREATE_NEW,
                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (created != INVALID_HANDLE_VALUE) {
      file = reinterpret_cast<std::intptr_t>(created);
      return Created::kCreated;
    }
    // CREATE_NEW fails for any name already taken, by a file or a link.
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return Created::kNameTaken;
    reason = platform::errorText(platform::errorNumber(error));
    return Created::kFailed;
  }

  bool write(std::intptr_t file, const std::uint8_t* data, std::size_t size,
             std::string& reason) override {
    while (size > 0) {
      const DWORD chunk = size > (DWORD{1} << 30) ? (DWORD{1} << 30) : static_cast<DWORD>(size);
      DWORD written = 0;
      if (::WriteFile(handleOf(file), data, chunk, &written, nullptr) == 0 || written == 0) {
        reason = written == 0 && ::GetLastError() == ERROR_SUCCESS ? platform::errorText(ENOSPC)
                                                                   : lastErrorText();
        return false;
      }
      data += written;
      size -= written;
    }
    return true;
  }

  bool flush(std::intptr_t file, std::string& reason) override {
    if (::FlushFileBuffers(handleOf(file)) != 0) return true;
    reason = lastErrorText();
    return false;
  }

  bool close(std::intptr_t file, std::string& reason) override {
    if (::CloseHandle(handleOf(file)) != 0) return true;
    reason = lastErrorText();
    return false;
  }

  bool move(const std::string& from, const std::string& to, std::string& reason) override {
    return moveFile(from, to, reason);
  }

  bool remove(const std::string& path) override { return removeFile(path); }

  // Every move was on disk before it returned (see moveFile).
  bool flushFolder(const std::string&, std::string&) override { return true; }
};

}  // namespace

Operations& systemOperations() {
  static SystemOperations system;
  return system;
}

ProcessLock::Outcome ProcessLock::acquire(const std::string& path,
                                          std::chrono::milliseconds patience, std::string& reason) {
  release();
  const auto deadline = std::chrono::steady_clock::now() + patience;
  const std::wstring name = platform::wide(path);
  for (int planted = 0;;) {
    const HANDLE file =
        ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, OPEN_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      reason = lastErrorText();
      return Outcome::kFailed;
    }
    // A link planted at the lock's name was opened as itself: it is removed, never followed,
    // and the lock file is made anew.
    FileIdentity held;
    DWORD attributes = 0;
    if (!identify(file, held, &attributes) ||
        (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
      ::CloseHandle(file);
      if (planted++ < 8 && entryAt(path) == Entry::kOther && removeFile(path)) continue;
      reason = platform::errorText(EINVAL);
      return Outcome::kFailed;
    }
    OVERLAPPED whole{};
    while (::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                        &whole) == 0) {
      const DWORD error = ::GetLastError();
      if (error != ERROR_LOCK_VIOLATION && error != ERROR_IO_PENDING) {
        reason = platform::errorText(platform::errorNumber(error));
        ::CloseHandle(file);
        return Outcome::kFailed;
      }
      if (std::chrono::steady_clock::now() >= deadline) {
        ::CloseHandle(file);
        return Outcome::kTimedOut;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // The holder before us takes the lock file's name away as it lets go; a lock on a file that
    // no longer has the name locks nothing, so the name is opened again.
    if (namesFile(path, held)) {
      handle_ = reinterpret_cast<std::intptr_t>(file);
      path_ = path;
      return Outcome::kLocked;
    }
    ::CloseHandle(file);
  }
}

void ProcessLock::release() {
  if (handle_ == kClosed) return;
  // The name is taken away while the lock is still held, so that no one waiting can take a lock
  // on the old file unnoticed (see acquire). A removed file keeps its name on Windows until its
  // last handle is closed, and a waiter holds one, so the file is first renamed out of the way,
  // then removed (it goes when the last waiter closes it).
  const std::string aside = path_ + kTemporaryMark + platform::randomPart(kRandomPartLength);
  // Nothing depends on this move lasting: it need not be write-through.
  if (::MoveFileExW(platform::wide(path_).c_str(), platform::wide(aside).c_str(), 0) != 0) {
    removeFile(aside);
  } else {
    removeFile(path_);
  }
  ::CloseHandle(handleOf(handle_));
  handle_ = kClosed;
}

Entry entryAt(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(platform::wide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return Entry::kNone;
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return Entry::kOther;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return Entry::kDirectory;
  if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) return Entry::kOther;
  return Entry::kFile;
}

std::vector<std::string> namesIn(const std::string& folder) {
  std::vector<std::string> names;
  const std::string pattern = inFolder(folder.empty() ? "." : folder, "*");
  WIN32_FIND_DATAW found{};
  const HANDLE search = ::FindFirstFileW(platform::wide(pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = platform::utf8(found.cFileName);
    if (name != "." && name != "..") names.push_back(name);
  } while (::FindNextFileW(search, &found) != 0);
  ::FindClose(search);
  return names;
}

}  // namespace ts::files
