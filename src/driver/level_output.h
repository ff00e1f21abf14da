// Writing the six level files into a folder all together or not at all, safely in a folder
// that other people may control. Each file is built in a temporary file created exclusively
// under an unpredictable name beside its target, and all six are moved into place only once
// every one is complete. Runs writing the same level into the same folder take turns, and a
// run cleans up what an interrupted run of the same level left behind.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_system.h"
#include "driver/compile.h"
#include "model/problems.h"

namespace ts {

struct OutputOptions {
  // How long to wait for another run that is writing the same level into the same folder.
  std::chrono::milliseconds lockPatience{30000};
  // Called at each step of writing and installing, with the step's name; tests use it to
  // interrupt a run at every step.
  std::function<void(std::string_view step)> onStep;
};

// Names the writer gives its own files beside a level's files.
[[nodiscard]] std::string lockName(std::string_view level);       // "<level>.tunnelsmith-lock"
[[nodiscard]] std::string journalName(std::string_view level);    // "<level>.tunnelsmith-install"
[[nodiscard]] std::string backupName(const std::string& target);  // "<target>.tunnelsmith-old"

// Brings `folder` back to one complete set of the level's files after an interrupted run, or
// a power loss during one: a committed install (one with a journal) is finished, and
// temporary files are removed, as are backups left beside their level files. Returns what was
// done ("finished its install, removed 2 leftover files"), or an empty text when nothing was
// found.
// REQUIRES: the level's lock is held; `names` are the level's six file names.
std::string recoverInterruptedRun(const std::string& folder, std::string_view level,
                                  const std::vector<std::string>& names);

class AllOrNothingFiles : public LevelFileSink {
 public:
  explicit AllOrNothingFiles(std::string folder = ".", OutputOptions options = {});
  AllOrNothingFiles(const AllOrNothingFiles&) = delete;
  AllOrNothingFiles& operator=(const AllOrNothingFiles&) = delete;
  // Temporaries are left only by a run that did not install its files; they are removed here.
  ~AllOrNothingFiles() override;

  void announce(std::string_view level, const std::vector<std::string>& names) override;
  FileOutput& open(const std::string& name) override;
  void close() override;

  // After every file was built: moves them into place, or prints why no level file was
  // written. Either way a line about an interrupted earlier run is printed first, if one was
  // cleaned up.
  bool install(ProblemSink& problems);

  // The file names as announced, without the folder.
  [[nodiscard]] const std::vector<std::string>& names() const { return names_; }

 private:
  class TemporaryOutput;

  void failAt(std::size_t index, const std::string& name, const std::string& reason);
  void step(std::string_view name) const;
  void removeTemporaries();
  [[nodiscard]] std::string path(const std::string& name) const;
  bool writeJournal();
  void dropJournal();
  void moveIntoPlace();

  std::string folder_;
  OutputOptions options_;
  std::string level_;
  std::vector<std::string> names_;
  std::vector<std::string> temporaries_;  // names within the folder, one per file opened so far
  files::NewFile current_;                // the temporary being written
  std::unique_ptr<TemporaryOutput> output_;
  files::ProcessLock lock_;
  std::string journal_;    // path of the committed journal, while it exists
  std::string cleanedUp_;  // what was cleaned up after an interrupted run
  bool lockTimedOut_ = false;
  std::size_t opened_ = 0;
  std::size_t failedIndex_ = kNoFailure;  // 0: the map file; past the files: the writer's own
  std::string failedName_;
  std::string failedReason_;

  static constexpr std::size_t kNoFailure = static_cast<std::size_t>(-1);
};

}  // namespace ts
