#include "testing/scratch_folder.h"

#include <random>
#include <system_error>

namespace ts::testing {

std::filesystem::path freshFolder(const std::string& prefix) {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::filesystem::path path =
        std::filesystem::temp_directory_path() / (prefix + std::to_string(random()));
    std::error_code error;
    if (std::filesystem::create_directory(path, error)) return path;
  }
  return {};
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  if (!root_.empty()) std::filesystem::remove_all(root_, ignored);
}

}  // namespace ts::testing
