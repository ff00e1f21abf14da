#include "fix.h"

#include <filesystem>
#include <optional>

#include "base/file_system.h"

namespace ts::check {

bool rewriteMap(const std::string& path, std::string_view original, std::string_view text,
                bool backup, std::string& reason) {
  std::optional<std::filesystem::perms> permissions;
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(files::pathOf(path), error);
  if (!error) permissions = status.permissions();
  if (backup && !files::replaceFile(path + ".orig", original, permissions, reason)) return false;
  return files::replaceFile(path, text, permissions, reason);
}

}  // namespace ts::check
