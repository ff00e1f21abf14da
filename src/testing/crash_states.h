// Test helper: what a power loss could leave of a run's files. A RecordingOperations stands in
// for the system while a run writes into a folder, does everything through the system and logs
// each change; forEachCrashState then builds, from the folder's files before the run and that
// log, every state of the folder that a crash at any point of the run could leave on disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_system.h"

namespace ts::testing {

// One change a run made, with names within its folder.
struct FileOperation {
  enum class Kind { kCreate, kWrite, kFlush, kMove, kRemove, kFlushFolder, kStep };
  Kind kind = Kind::kStep;
  std::size_t file = 0;  // kCreate, kWrite, kFlush: the file, numbered from 0 as created
  std::string name;      // kCreate, kMove (from), kRemove; kStep: the run's own name of the step
  std::string to;        // kMove
  std::string bytes;     // kWrite
};

// A folder's files: each name with its bytes.
using FolderFiles = std::map<std::string, std::string>;

class RecordingOperations : public files::Operations {
 public:
  // Records changes in `folder` (as the run names it); a change elsewhere fails the test.
  explicit RecordingOperations(std::string folder) : folder_(std::move(folder)) {}

  // Leaves out every flush, neither made nor logged: the run as it was before flushing.
  bool skipFlushes = false;
  // The first move onto this name fails, as one the file system refuses.
  std::string refuseMoveTo;

  // Logs a step of the run (OutputOptions::onStep), to say where a crash state comes from.
  void step(std::string_view name);
  [[nodiscard]] const std::vector<FileOperation>& log() const { return log_; }

  Created create(const std::string& path, std::intptr_t& file, std::string& reason) override;
  bool write(std::intptr_t file, const std::uint8_t* data, std::size_t size,
             std::string& reason) override;
  bool flush(std::intptr_t file, std::string& reason) override;
  bool close(std::intptr_t file, std::string& reason) override;
  bool move(const std::string& from, const std::string& to, std::string& reason) override;
  bool remove(const std::string& path) override;
  bool flushFolder(const std::string& folder, std::string& reason) override;

 private:
  [[nodiscard]] std::string nameOf(const std::string& path) const;

  std::string folder_;
  std::vector<FileOperation> log_;
  std::map<std::intptr_t, std::size_t> open_;  // system handle -> file number
  std::size_t created_ = 0;
};

// The folder as a killed process leaves it: `start`, then the first `count` operations of
// `log`, every one of them whole (the system keeps what a process handed it).
[[nodiscard]] FolderFiles afterOperations(const FolderFiles& start,
                                          const std::vector<FileOperation>& log, std::size_t count);
// The number of operations up to and including the step named `step`; the whole log if none.
[[nodiscard]] std::size_t throughStep(const std::vector<FileOperation>& log, std::string_view step);

struct CrashState {
  std::string when;    // where the crash came and what it lost, for messages
  FolderFiles files;   // what the folder then holds
  bool atEnd = false;  // the crash came after the run's last change
};

// Calls `visit` once for each distinct state a power loss could leave, from the folder holding
// `start` (all on disk) and a run that made the changes in `log`, until `visit` returns false.
// Every state a crash after the last change could leave is visited marked atEnd, even when it
// was visited before. Returns the number of distinct states. The model is in crash_states.cc.
std::size_t forEachCrashState(const FolderFiles& start, const std::vector<FileOperation>& log,
                              const std::function<bool(const CrashState&)>& visit);

}  // namespace ts::testing
