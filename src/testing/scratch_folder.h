// Test helper: a fresh folder of its own under the system's temporary folder, and one that is
// removed with all it holds when the test is done with it.
#pragma once

#include <filesystem>
#include <string>

namespace ts::testing {

// A new, empty folder named `prefix` and a random number; empty when none could be made.
std::filesystem::path freshFolder(const std::string& prefix);

// A fresh folder for one test, removed with its contents on destruction.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& prefix) : root_(freshFolder(prefix)) {}
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // Empty when no folder could be made.
  [[nodiscard]] const std::filesystem::path& root() const { return root_; }

 private:
  std::filesystem::path root_;
};

}  // namespace ts::testing
