// Test helper: a fresh folder of its own under the system's temporary folder.
#pragma once

#include <filesystem>
#include <string>

namespace ts::testing {

// A new, empty folder named `prefix` and a random number; empty when none could be made.
std::filesystem::path freshFolder(const std::string& prefix);

}  // namespace ts::testing
