// A power loss at any point of a run leaves what the next run turns into one complete set of
// level files: the earlier set or the new one, every file whole, and nothing else. Each run is
// recorded, every state a crash could leave on disk is built from the record
// (testing/crash_states.h), and the next run's start, which cleans up after an interrupted run,
// is run on each. Without its flushes the same run leaves states that no next run can mend.
#include "testing/crash_states.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>

#include "base/file_system.h"
#include "driver/compile.h"
#include "driver/level_output.h"
#include "testing/read_file.h"
#include "testing/scratch_folder.h"

namespace ts {
namespace {

namespace fs = std::filesystem;
using testing::FileOperation;
using testing::FolderFiles;

std::string lair1Text() { return testing::readExample("lair1.txt"); }

// Another version of the same level, whose files differ from lair1's but for the level
// information file, which holds nothing the changes touch.
std::string otherLair1Text() {
  std::string text = lair1Text();
  for (const auto& [from, to] :
       {std::pair<std::string, std::string>{"#..ggg.....#", "#..ggg..g..#"},
        {"TROLL 3 3", "TROLL 4 3"},
        {"GOLD1 5000", "GOLD1 6000"},
        {"TRIGGER_TIME 600", "TRIGGER_TIME 700"},
        {"TROLL 5\n", "TROLL 6\n"}}) {
    const std::size_t at = text.find(from);
    if (at == std::string::npos) {
      ADD_FAILURE() << "lair1.txt has no " << from;
      continue;
    }
    text.replace(at, from.size(), to);
  }
  return text;
}

FolderFiles compiledSet(const std::string& text) {
  const CompileResult compiled = compileMap(text);
  EXPECT_TRUE(compiled.valid) << compiled.console;
  FolderFiles files;
  for (const LevelFile& file : compiled.files) {
    files[file.name] = std::string(file.bytes.begin(), file.bytes.end());
  }
  return files;
}

class Scratch : public ts::testing::ScratchFolder {
 public:
  Scratch() : ScratchFolder("tunnelsmith-crash-") {}

  [[nodiscard]] std::string path() const { return root().string(); }
  // Makes the folder hold exactly `files`, writing only what it does not hold already (for
  // speed: files are slow under Wine).
  void hold(const FolderFiles& files) {
    for (const auto& [name, bytes] : held_) {
      if (files.count(name) == 0) fs::remove(root() / name);
    }
    for (const auto& [name, bytes] : files) {
      const auto was = held_.find(name);
      if (was == held_.end() || was->second != bytes) {
        std::ofstream(root() / name, std::ios::binary | std::ios::trunc) << bytes;
      }
    }
    held_ = files;
  }
  [[nodiscard]] FolderFiles files() {
    held_.clear();
    for (const auto& entry : fs::directory_iterator(root())) {
      held_[entry.path().filename().string()] = testing::readFile(entry.path());
    }
    return held_;
  }

 private:
  FolderFiles held_;  // what the folder holds, as far as this knows
};

struct Recorded {
  std::vector<FileOperation> log;
  bool written = false;
  FolderFiles after;
};

// Records a run that compiles `text` into a folder holding `start`.
Recorded record(const FolderFiles& start, const std::string& text, bool skipFlushes,
                const std::string& refuseMoveTo = {}) {
  static const NameMaps names;
  Scratch folder;
  folder.hold(start);
  ts::testing::RecordingOperations recorder(folder.path());
  recorder.skipFlushes = skipFlushes;
  recorder.refuseMoveTo = refuseMoveTo;
  Recorded recorded;
  {
    files::UsingOperations recording(recorder);
    OutputOptions options;
    options.onStep = [&](std::string_view step) { recorder.step(step); };
    std::ostringstream console;
    ProblemSink problems(&console);
    AllOrNothingFiles output(folder.path(), options);
    recorded.written = compileMap(text, names, problems, output) && output.install(problems);
  }
  recorded.log = recorder.log();
  recorded.after = folder.files();
  return recorded;
}

// What `folder` holds once it was left as `state` and the next run has started in it.
FolderFiles recovered(Scratch& folder, const FolderFiles& state,
                      const std::vector<std::string>& names) {
  folder.hold(state);
  {
    // What the next run does need not last here: its flushes are left out, for speed.
    ts::testing::RecordingOperations unflushed(folder.path());
    unflushed.skipFlushes = true;
    files::UsingOperations quick(unflushed);
    AllOrNothingFiles next(folder.path());
    next.announce("Lair1", names);
  }  // and lets go of the level's lock, which removes the lock file
  return folder.files();
}

// "\n  name (n bytes)" for each file of a set, for failure messages.
std::string listing(const FolderFiles& files) {
  std::string text;
  for (const auto& [name, bytes] : files) {
    text += "\n  " + name + " (" + std::to_string(bytes.size()) + " bytes)";
  }
  return text;
}

// A compile of lair1 into a folder holding `start`, and the sets the folder may be left with
// once the next run has recovered from a power loss during it.
struct Scenario {
  std::string what;
  FolderFiles start;
  std::vector<FolderFiles> outcomes;
  std::string refuseMoveTo;  // a move the file system refuses
};

// Runs the scenario's compile, with its flushes or without, and has the next run recover from
// every state a power loss could leave. With the flushes, each state recovers to one of the
// outcomes, or once the run has ended to what it left; without them, some state does not.
void expectRecovery(const Scenario& scenario, bool flushed, const FolderFiles& fresh,
                    const FolderFiles& earlier, const std::vector<std::string>& names,
                    Scratch& folder) {
  const Recorded run = record(scenario.start, lair1Text(), !flushed, scenario.refuseMoveTo);
  EXPECT_EQ(run.written, scenario.refuseMoveTo.empty());
  EXPECT_EQ(run.after, run.written ? fresh : earlier);
  // The log holds every change the run made: replayed, it gives what the run left.
  EXPECT_EQ(testing::afterOperations(scenario.start, run.log, run.log.size()), run.after);
  std::size_t broken = 0;
  const std::size_t states =
      testing::forEachCrashState(scenario.start, run.log, [&](const testing::CrashState& s) {
        const FolderFiles left = recovered(folder, s.files, names);
        // Once the run has ended, what it said it did lasts.
        if (s.atEnd ? left == run.after
                    : std::find(scenario.outcomes.begin(), scenario.outcomes.end(), left) !=
                          scenario.outcomes.end()) {
          return true;
        }
        ++broken;
        if (flushed) {
          ADD_FAILURE() << s.when << "\nleaves" << listing(s.files)
                        << "\nand after the next run's start:" << listing(left);
        }
        return flushed && broken < 3;  // without flushes, one such state is the proof
      });
  if (flushed) {
    EXPECT_EQ(broken, 0u);
    std::cout << "[          ] " << states << " crash states: " << scenario.what << "\n";
  } else {
    EXPECT_GT(broken, 0u) << "without its flushes the run still always recovers: the "
                             "crash states miss what a power loss can do";
  }
}

TEST(CrashStates, EveryStateAPowerLossLeavesBecomesTheEarlierOrTheNewSet) {
  const FolderFiles fresh = compiledSet(lair1Text());
  const FolderFiles other = compiledSet(otherLair1Text());
  std::vector<std::string> names;  // in the order the compiler announces them
  FolderFiles earlier;             // a set no compile makes
  for (const LevelFile& file : compileMap(lair1Text()).files) {
    names.push_back(file.name);
    earlier[file.name] = "earlier " + file.name;
  }
  // A run of the other version over the earlier set, to be cut short.
  const Recorded cutShort = record(earlier, otherLair1Text(), false);
  ASSERT_TRUE(cutShort.written);
  auto killedAt = [&](std::string_view step) {
    return testing::afterOperations(earlier, cutShort.log,
                                    testing::throughStep(cutShort.log, step));
  };

  const std::vector<Scenario> scenarios = {
      {"a first build into an empty folder", {}, {{}, fresh}, ""},
      {"a rebuild over an earlier set", earlier, {earlier, fresh}, ""},
      {"a rebuild whose install fails at its third file and is undone",
       earlier,
       {earlier, fresh},
       "Lair1Things.kld"},
      // Cut short before its journal, the other run installs nothing ...
      {"a rebuild after one killed while writing its files",
       killedAt("written Lair1Things.kld"),
       {earlier, fresh},
       ""},
      // ... and after it, the next run finishes its install first.
      {"a rebuild after one killed during its install",
       killedAt("installed Lair1Triggers.kld"),
       {other, fresh},
       ""},
  };
  Scratch folder;
  for (const Scenario& scenario : scenarios) {
    SCOPED_TRACE(scenario.what);
    for (const bool flushed : {true, false}) {
      expectRecovery(scenario, flushed, fresh, earlier, names, folder);
    }
  }
}

// The tools replace their one file each (a picture, a map text) the same way: a power loss
// leaves the earlier file or the new one, whole, and at most a temporary file beside it.
TEST(CrashStates, AReplacedFileIsTheEarlierOrTheNewOneWhole) {
  Scratch folder;
  const FolderFiles start = {{"lair1.txt", "earlier text"}};
  const std::string text = lair1Text();
  for (const bool flushed : {true, false}) {
    folder.hold(start);
    ts::testing::RecordingOperations recorder(folder.path());
    recorder.skipFlushes = !flushed;
    std::string reason;
    {
      files::UsingOperations recording(recorder);
      ASSERT_TRUE(files::replaceFile(files::inFolder(folder.path(), "lair1.txt"), text,
                                     std::nullopt, reason))
          << reason;
    }
    std::size_t broken = 0;
    testing::forEachCrashState(start, recorder.log(), [&](const testing::CrashState& s) {
      const auto map = s.files.find("lair1.txt");
      // Once replaceFile has returned, the new text lasts.
      const bool whole = map != s.files.end() &&
                         (map->second == text || (map->second == "earlier text" && !s.atEnd));
      broken += whole ? 0 : 1;
      EXPECT_TRUE(whole || !flushed) << s.when;
      return whole || flushed;
    });
    EXPECT_EQ(broken > 0, !flushed);
  }
}

// The model, on logs small enough to know every state they allow: bytes not flushed may be lost
// or cut, a name change not followed by a folder flush may be lost, even before a later one
// that is kept, and what was flushed stays.
TEST(CrashStates, ModelLosesExactlyWhatWasNotFlushed) {
  using Kind = FileOperation::Kind;
  auto op = [](Kind kind, std::string name = {}, std::string toOrBytes = {}) {
    FileOperation o;
    o.kind = kind;
    o.name = std::move(name);
    (kind == Kind::kWrite ? o.bytes : o.to) = std::move(toOrBytes);
    return o;
  };
  const FileOperation create = op(Kind::kCreate, "t");
  const FileOperation write = op(Kind::kWrite, "", "data");
  const FileOperation flush = op(Kind::kFlush);
  const FileOperation install = op(Kind::kMove, "t", "a");
  struct Case {
    const char* what;
    FolderFiles start;
    std::vector<FileOperation> log;
    std::set<FolderFiles> states;
    std::set<FolderFiles> atEnd;  // once the log is done
  };
  // Where nothing is flushed, the end of the log leaves every state the log leaves.
  const std::set<FolderFiles> renamedUnflushed = {{{"a", "old"}},
                                                  {{"a", "old"}, {"t", ""}},
                                                  {{"a", "old"}, {"t", "da"}},
                                                  {{"a", "old"}, {"t", "data"}},
                                                  {{"a", ""}},
                                                  {{"a", "da"}},
                                                  {{"a", "data"}}};
  const std::set<FolderFiles> removedUnflushed = {
      {{"a", "1"}, {"b", "2"}}, {{"b", "2"}}, {{"a", "1"}}, {}};
  const std::vector<Case> cases = {
      {"a file renamed into place unflushed may be empty or cut",
       {{"a", "old"}},
       {create, write, install},
       renamedUnflushed,
       renamedUnflushed},
      {"a file flushed before its rename is whole wherever it shows",
       {{"a", "old"}},
       {create, write, flush, install},
       {{{"a", "old"}},
        {{"a", "old"}, {"t", ""}},
        {{"a", "old"}, {"t", "da"}},
        {{"a", "old"}, {"t", "data"}},
        {{"a", "data"}}},
       {{{"a", "old"}}, {{"a", "old"}, {"t", "data"}}, {{"a", "data"}}}},
      {"a later removal may last while an earlier one is lost",
       {{"a", "1"}, {"b", "2"}},
       {op(Kind::kRemove, "a"), op(Kind::kRemove, "b")},
       removedUnflushed,
       removedUnflushed},
      {"a removal before a folder flush lasts",
       {{"a", "1"}, {"b", "2"}},
       {op(Kind::kRemove, "a"), op(Kind::kFlushFolder), op(Kind::kRemove, "b")},
       {{{"a", "1"}, {"b", "2"}}, {{"b", "2"}}, {}},
       {{{"b", "2"}}, {}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::set<FolderFiles> states;
    std::set<FolderFiles> atEnd;
    testing::forEachCrashState(c.start, c.log, [&](const testing::CrashState& s) {
      EXPECT_TRUE((s.atEnd ? atEnd : states).insert(s.files).second) << "visited twice: " << s.when;
      return true;
    });
    states.insert(atEnd.begin(), atEnd.end());
    EXPECT_EQ(states, c.states);
    EXPECT_EQ(atEnd, c.atEnd);
  }
}

}  // namespace
}  // namespace ts
