// The parts of the file-system layer that are the same on every system; the rest is in
// file_system_posix.cc and file_system_windows.cc.
#include "base/file_system.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <random>
#include <system_error>

#include "base/platform.h"

namespace ts {

std::string platform::errorText(int error) { return std::strerror(error != 0 ? error : EIO); }

std::string platform::randomPart(std::size_t length) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  // Seeded once per process from the system's random source and the clock.
  static std::mt19937_64 generator = [] {
    std::random_device device;
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    std::seed_seq seed{device(),
                       device(),
                       device(),
                       device(),
                       static_cast<unsigned>(now),
                       static_cast<unsigned>(now >> 32)};
    return std::mt19937_64(seed);
  }();
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 2);
  std::string part(length, ' ');
  for (char& c : part) c = kAlphabet[pick(generator)];
  return part;
}

std::filesystem::path platform::fileSystemPath(const std::string& path) {
  return std::filesystem::path(
      std::u8string(reinterpret_cast<const char8_t*>(path.data()), path.size()));
}

namespace files {

std::filesystem::path pathOf(const std::string& utf8) { return platform::fileSystemPath(utf8); }

std::string inFolder(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder == ".") return name;
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

namespace {

// Null while the system's own operations are in use.
Operations* replacement = nullptr;

// The folder that holds `path`: "." for a bare name.
std::string folderOf(const std::string& path) {
  const std::u8string parent = pathOf(path).parent_path().u8string();
  if (parent.empty()) return ".";
  return std::string(reinterpret_cast<const char*>(parent.data()), parent.size());
}

}  // namespace

Operations& operations() { return replacement != nullptr ? *replacement : systemOperations(); }

UsingOperations::UsingOperations(Operations& operations) : previous_(replacement) {
  replacement = &operations;
}

UsingOperations::~UsingOperations() { replacement = previous_; }

NewFile::~NewFile() {
  std::string ignored;
  static_cast<void>(close(ignored));
}

bool NewFile::create(const std::string& target, std::string& reason) {
  std::string ignored;
  static_cast<void>(close(ignored));
  // A name already taken, by anyone, is never opened: another is drawn.
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string path = target + kTemporaryMark + platform::randomPart(kRandomPartLength);
    switch (operations().create(path, handle_, reason)) {
      case Operations::Created::kCreated:
        path_ = std::move(path);
        return true;
      case Operations::Created::kNameTaken:
        continue;
      case Operations::Created::kFailed:
        handle_ = kClosed;
        return false;
    }
  }
  reason = platform::errorText(EEXIST);
  return false;
}

bool NewFile::write(const std::uint8_t* data, std::size_t size, std::string& reason) {
  return operations().write(handle_, data, size, reason);
}

bool NewFile::flush(std::string& reason) { return operations().flush(handle_, reason); }

bool NewFile::close(std::string& reason) {
  if (handle_ == kClosed) return true;
  const std::intptr_t file = handle_;
  handle_ = kClosed;
  return operations().close(file, reason);
}

bool moveEntry(const std::string& from, const std::string& to, std::string& reason) {
  return operations().move(from, to, reason);
}

bool removeEntry(const std::string& path) { return operations().remove(path); }

bool flushFolder(const std::string& folder, std::string& reason) {
  return operations().flushFolder(folder.empty() ? "." : folder, reason);
}

bool replaceFile(const std::string& target, std::string_view bytes,
                 std::optional<std::filesystem::perms> permissions, std::string& reason) {
  NewFile file;
  if (!file.create(target, reason)) return false;
  const std::string temporary = file.path();
  bool done = file.write(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), reason);
  if (done && permissions) {
    std::error_code ignored;
    std::filesystem::permissions(pathOf(temporary), *permissions, ignored);
  }
  // The data is on disk before the name points at it: a rename that outlives a power loss
  // never shows an empty or partly written file.
  done = done && file.flush(reason) && file.close(reason) && moveEntry(temporary, target, reason);
  if (!done) {
    std::string ignored;
    static_cast<void>(file.close(ignored));
    removeEntry(temporary);
    return false;
  }
  return flushFolder(folderOf(target), reason);
}

}  // namespace files
}  // namespace ts
