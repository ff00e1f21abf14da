#include "fix.h"

#include <cstdint>
#include <filesystem>
#include <optional>

#include "base/file_system.h"

namespace ts::check {

namespace {

// Writes `bytes` to a new file beside `target` and renames it over `target`.
bool place(const std::string& target, std::string_view bytes,
           std::optional<std::filesystem::perms> permissions, std::string& reason) {
  files::NewFile file;
  if (!file.create(target, reason)) return false;
  const std::string temp = file.path();
  bool done =
      file.write(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), reason) &&
      file.close(reason);
  if (done && permissions) {
    std::error_code ignored;
    std::filesystem::permissions(files::pathOf(temp), *permissions, ignored);
  }
  done = done && files::moveEntry(temp, target, reason);
  if (!done) files::removeEntry(temp);
  return done;
}

}  // namespace

bool rewriteMap(const std::string& path, std::string_view original, std::string_view text,
                bool backup, std::string& reason) {
  std::optional<std::filesystem::perms> permissions;
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(files::pathOf(path), error);
  if (!error) permissions = status.permissions();
  if (backup && !place(path + ".orig", original, permissions, reason)) return false;
  return place(path, text, permissions, reason);
}

}  // namespace ts::check
