// Building one map: the checker's report, then, for a map without errors, the six level files
// written all together into the output folder, exactly as the compiler writes them.
#pragma once

#include <cstddef>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "model/vocabulary.h"

namespace ts::check {
class Renderer;
}  // namespace ts::check

namespace ts::build {

enum class Outcome {
  kBuilt,       // all six files were written
  kNotBuilt,    // errors (or warnings with --werror), a level name built twice, a write failure
  kUnreadable,  // the map file could not be read
};

// Builds the maps of one run into one folder, each when asked, and remembers which level each
// map last wrote, so that two maps never replace each other's files.
class MapBuilder {
 public:
  // The checker's diagnostics are printed as the checker prints them, with each source line
  // and a caret, in colour when `color`.
  MapBuilder(std::ostream& out, std::vector<std::string> paths, std::string folder, bool werror,
             bool color);
  MapBuilder(const MapBuilder&) = delete;
  MapBuilder& operator=(const MapBuilder&) = delete;
  ~MapBuilder();

  // Checks and builds the map paths[index], printing the checker's diagnostics and one line on
  // what became of it, which starts with `prefix` (the time, when watching).
  Outcome build(std::size_t index, std::string_view prefix = {});

  [[nodiscard]] const std::vector<std::string>& paths() const { return paths_; }

 private:
  // The problems found in a map so far.
  struct Counts {
    std::size_t errors = 0;
    std::size_t warnings = 0;
  };

  void say(std::string_view prefix, const std::string& text);
  [[nodiscard]] std::string clashWith(std::size_t index, const std::string& level) const;
  // Reads the map into `text`; false after saying why it could not.
  bool readMap(const std::string& path, std::string_view prefix, std::string& text);
  // Prints the checker's diagnostics of the map and counts them.
  Counts check(const std::string& path, const std::string& text);
  // Compiles the checked map and installs its files, unless another map of the run built the
  // same level.
  Outcome compileAndInstall(std::size_t index, std::string_view prefix, const std::string& text,
                            Counts counts);
  // Says that the map was not built, and why.
  Outcome notBuilt(std::string_view prefix, const std::string& path, Counts counts);

  std::ostream& out_;
  std::unique_ptr<check::Renderer> renderer_;
  std::vector<std::string> paths_;
  std::string folder_;
  bool werror_;
  NameMaps names_;
  std::vector<std::string> levels_;  // the level each map last wrote; empty while none
};

}  // namespace ts::build
