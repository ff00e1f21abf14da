// The file-system layer on POSIX systems: O_EXCL | O_NOFOLLOW for new files, flock for the lock,
// rename for moves, fsync for a file's data and for a folder's names.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <thread>

#include "base/file_system.h"
#include "base/platform.h"

namespace ts::files {

namespace {

using platform::errorText;

int descriptor(std::intptr_t handle) { return static_cast<int>(handle); }

// fsync rather than fdatasync: replaceFile gives a new file its permissions before flushing it,
// and fdatasync may leave them out.
bool flushDescriptor(int fd, std::string& reason) {
  while (::fsync(fd) != 0) {
    if (errno == EINTR) continue;
    // A file system that cannot flush (EINVAL, ENOTSUP) promises nothing more with a retry;
    // failing every run there would make the compiler useless on it.
    if (errno == EINVAL || errno == ENOTSUP) return true;
    reason = errorText(errno);
    return false;
  }
  return true;
}

class SystemOperations final : public Operations {
 public:
  Created create(const std::string& path, std::intptr_t& file, std::string& reason) override {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0) {
      file = fd;
      return Created::kCreated;
    }
    if (errno == EEXIST) return Created::kNameTaken;
    reason = errorText(errno);
    return Created::kFailed;
  }

  bool write(std::intptr_t file, const std::uint8_t* data, std::size_t size,
             std::string& reason) override {
    while (size > 0) {
      const ::ssize_t n = ::write(descriptor(file), data, size);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        reason = errorText(n < 0 ? errno : ENOSPC);
        return false;
      }
      data += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }

  bool flush(std::intptr_t file, std::string& reason) override {
    return flushDescriptor(descriptor(file), reason);
  }

  bool close(std::intptr_t file, std::string& reason) override {
    if (::close(descriptor(file)) != 0) {
      reason = errorText(errno);
      return false;
    }
    return true;
  }

  bool move(const std::string& from, const std::string& to, std::string& reason) override {
    if (std::rename(from.c_str(), to.c_str()) == 0) return true;
    reason = errorText(errno);
    return false;
  }

  bool remove(const std::string& path) override {
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
  }

  bool flushFolder(const std::string& folder, std::string& reason) override {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
      // A folder that lets others add files but not list them cannot be opened to be flushed;
      // its names last as long as the file system makes them last.
      if (errno == EACCES || errno == EPERM) return true;
      reason = errorText(errno);
      return false;
    }
    const bool flushed = flushDescriptor(fd, reason);
    ::close(fd);
    return flushed;
  }
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
  for (int planted = 0;;) {
    const int fd =
        ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0) {
      // A link planted at the lock's name is removed, never followed; the lock file is then
      // made anew.
      if (errno == ELOOP && planted++ < 8 && entryAt(path) == Entry::kOther) {
        systemOperations().remove(path);
        continue;
      }
      reason = errorText(errno);
      return Outcome::kFailed;
    }
    struct stat held {};
    if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
      ::close(fd);
      if (planted++ < 8 && entryAt(path) == Entry::kOther && systemOperations().remove(path)) {
        continue;
      }
      reason = errorText(EINVAL);
      return Outcome::kFailed;
    }
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      if (errno != EWOULDBLOCK && errno != EINTR) {
        reason = errorText(errno);
        ::close(fd);
        return Outcome::kFailed;
      }
      if (std::chrono::steady_clock::now() >= deadline) {
        ::close(fd);
        return Outcome::kTimedOut;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // The holder before us removes the lock file as it lets go; a lock on a file that no longer
    // has the name locks nothing, so the name is opened again.
    struct stat named {};
    if (::lstat(path.c_str(), &named) == 0 && named.st_dev == held.st_dev &&
        named.st_ino == held.st_ino) {
      handle_ = fd;
      path_ = path;
      return Outcome::kLocked;
    }
    ::close(fd);
  }
}

void ProcessLock::release() {
  if (handle_ == kClosed) return;
  // Removed while still held, so that no one waiting can take a lock on the removed file
  // unnoticed (see acquire).
  ::unlink(path_.c_str());
  ::close(descriptor(handle_));
  handle_ = kClosed;
}

Entry entryAt(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return Entry::kNone;
  if (S_ISREG(info.st_mode)) return Entry::kFile;
  if (S_ISDIR(info.st_mode)) return Entry::kDirectory;
  return Entry::kOther;
}

std::vector<std::string> namesIn(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(dir);
  return names;
}

}  // namespace ts::files
