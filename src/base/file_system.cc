// The parts of the file-system layer that are the same on every system; the rest is in
// file_system_posix.cc and file_system_windows.cc.
#include "base/file_system.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <random>

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

}  // namespace files
}  // namespace ts
