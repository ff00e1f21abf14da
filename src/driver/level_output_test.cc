// The all-or-nothing level writer when runs are cut short or overlap: a run killed at any step
// leaves what the next run turns back into one complete set, and a run that cannot have the
// level's lock in time gives up without writing.
#include "driver/level_output.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "driver/compile.h"
#include "testing/read_file.h"
#include "testing/scratch_folder.h"

namespace ts {
namespace {

namespace fs = std::filesystem;

std::string lair1Text() { return testing::readExample("lair1.txt"); }

class Folder : public testing::ScratchFolder {
 public:
  Folder() : ScratchFolder("tunnelsmith-output-") {}

  [[nodiscard]] std::vector<std::string> listing() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(root())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
};

// Compiles lair1 into `folder`, with `options`; the console text in `console`.
bool compileInto(const fs::path& folder, OutputOptions options, std::string& console) {
  static const NameMaps names;
  std::ostringstream out;
  AllOrNothingFiles files(folder.string(), std::move(options));
  ProblemSink sink(&out);
  const bool written = compileMap(lair1Text(), names, out, files) && files.install(sink);
  console = out.str();
  return written;
}

// Which set the folder holds: "old", "new", "none", or "mixed".
std::string setIn(const Folder& folder, const CompileResult& compiled) {
  std::size_t old = 0;
  std::size_t fresh = 0;
  std::size_t missing = 0;
  for (const LevelFile& file : compiled.files) {
    const fs::path path = folder.root() / file.name;
    if (!fs::exists(path)) {
      ++missing;
    } else if (testing::readFile(path) == "old " + file.name) {
      ++old;
    } else if (testing::readFile(path) == std::string(file.bytes.begin(), file.bytes.end())) {
      ++fresh;
    }
  }
  const std::size_t all = compiled.files.size();
  if (old == all) return "old";
  if (fresh == all) return "new";
  if (missing == all) return "none";
  return "mixed";
}

#ifdef _WIN32
// Compiles lair1 into `folder` in another process that ends at once, as a killed run would, at
// its step `k`: this test program again, which KilledRun turns into that run. Returns its exit
// status, 9 when it was killed at that step.
int runKilledAt(std::size_t k, const fs::path& folder) {
  wchar_t self[MAX_PATH];
  if (::GetModuleFileNameW(nullptr, self, MAX_PATH) == 0) return -1;
  // One test to run, so that the environment is set up; it ends the process first.
  std::wstring command =
      L"\"" + std::wstring(self) + L"\" --gtest_filter=AllOrNothingFiles.RunKilledAtAnyStep*";
  ::SetEnvironmentVariableW(L"TUNNELSMITH_KILL_STEP", std::to_wstring(k).c_str());
  ::SetEnvironmentVariableW(L"TUNNELSMITH_KILL_FOLDER", folder.wstring().c_str());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  const bool started = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0,
                                        nullptr, nullptr, &startup, &child) != 0;
  ::SetEnvironmentVariableW(L"TUNNELSMITH_KILL_STEP", nullptr);
  ::SetEnvironmentVariableW(L"TUNNELSMITH_KILL_FOLDER", nullptr);
  if (!started) return -1;
  ::WaitForSingleObject(child.hProcess, INFINITE);
  DWORD status = 0;
  ::GetExitCodeProcess(child.hProcess, &status);
  ::CloseHandle(child.hThread);
  ::CloseHandle(child.hProcess);
  return static_cast<int>(status);
}

// In the process that runKilledAt starts, compiles and is killed before any test runs.
class KilledRun : public ::testing::Environment {
 public:
  void SetUp() override {
    const char* step = std::getenv("TUNNELSMITH_KILL_STEP");
    const char* folder = std::getenv("TUNNELSMITH_KILL_FOLDER");
    if (step == nullptr || folder == nullptr) return;
    OutputOptions options;
    std::size_t count = 0;
    options.onStep = [&, k = std::strtoull(step, nullptr, 10)](std::string_view) {
      if (count++ == k) ::TerminateProcess(::GetCurrentProcess(), 9);
    };
    std::string console;
    compileInto(folder, options, console);
    ::TerminateProcess(::GetCurrentProcess(), 0);
  }
};
[[maybe_unused]] const auto* const kKilledRun =
    ::testing::AddGlobalTestEnvironment(new KilledRun);  // gtest owns it
#else
int runKilledAt(std::size_t k, const fs::path& folder) {
  const pid_t child = ::fork();
  if (child < 0) return -1;
  if (child == 0) {
    OutputOptions options;
    std::size_t count = 0;
    options.onStep = [&](std::string_view) {
      if (count++ == k) ::_exit(9);
    };
    std::string console;
    compileInto(folder, options, console);
    ::_exit(0);
  }
  int status = 0;
  if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}
#endif

// Kills a run at each of its steps in turn, then lets the next run clean up: the folder always
// comes back to one complete set, and a normal run then leaves the new set and nothing else.
TEST(AllOrNothingFiles, RunKilledAtAnyStepIsCleanedUpByTheNext) {
  const CompileResult compiled = compileMap(lair1Text());
  ASSERT_TRUE(compiled.valid);
  std::vector<std::string> steps;
  {
    Folder folder;
    OutputOptions options;
    options.onStep = [&](std::string_view step) { steps.emplace_back(step); };
    std::string console;
    ASSERT_TRUE(compileInto(folder.root(), options, console)) << console;
  }
  ASSERT_GT(steps.size(), 12u);
  for (const bool earlierSet : {true, false}) {
    for (std::size_t k = 0; k < steps.size(); ++k) {
      SCOPED_TRACE(steps[k] + (earlierSet ? ", over an earlier set" : ", into an empty folder"));
      Folder folder;
      if (earlierSet) {
        for (const LevelFile& file : compiled.files) {
          std::ofstream(folder.root() / file.name, std::ios::binary) << "old " + file.name;
        }
      }
      ASSERT_EQ(runKilledAt(k, folder.root()), 9);

      // Cleaning up alone gives one whole set: the earlier one, or the new one once its
      // install was committed.
      {
        files::ProcessLock lock;
        std::string reason;
        ASSERT_EQ(lock.acquire((folder.root() / lockName("Lair1")).string(),
                               std::chrono::milliseconds(1000), reason),
                  files::ProcessLock::Outcome::kLocked);
        std::vector<std::string> names;
        for (const LevelFile& file : compiled.files) names.push_back(file.name);
        static_cast<void>(recoverInterruptedRun(folder.root().string(), "Lair1", names));
        const std::string set = setIn(folder, compiled);
        EXPECT_TRUE(set == "new" || set == (earlierSet ? "old" : "none")) << set;
      }
      std::string console;
      EXPECT_TRUE(compileInto(folder.root(), {}, console)) << console;
      EXPECT_EQ(setIn(folder, compiled), "new");
      std::vector<std::string> expected;
      for (const LevelFile& file : compiled.files) expected.push_back(file.name);
      std::sort(expected.begin(), expected.end());
      EXPECT_EQ(folder.listing(), expected);
    }
  }
}

TEST(AllOrNothingFiles, CleanupIsReportedOnceAndWaitingForTheLockIsBounded) {
  const CompileResult compiled = compileMap(lair1Text());
  Folder folder;
  // Debris of an interrupted run: a temporary of this level, and one of another level that
  // is left alone.
  std::ofstream(folder.root() / "Lair1Map.kld.tunnelsmith-tmp.Ab12Cd") << "half";
  std::ofstream(folder.root() / "Lair2Map.kld.tunnelsmith-tmp.Ab12Cd") << "other";
  std::string console;
  ASSERT_TRUE(compileInto(folder.root(), {}, console));
  EXPECT_EQ(console,
            "Cleaned up after an interrupted run of level Lair1: removed 1 leftover file\n");
  EXPECT_TRUE(fs::exists(folder.root() / "Lair2Map.kld.tunnelsmith-tmp.Ab12Cd"));
  ASSERT_TRUE(compileInto(folder.root(), {}, console));
  EXPECT_EQ(console, "");

  files::ProcessLock other;
  std::string reason;
  ASSERT_EQ(other.acquire((folder.root() / lockName("Lair1")).string(),
                          std::chrono::milliseconds(1000), reason),
            files::ProcessLock::Outcome::kLocked);
  OutputOptions impatient;
  impatient.lockPatience = std::chrono::milliseconds(200);
  for (const LevelFile& file : compiled.files) {
    std::ofstream(folder.root() / file.name, std::ios::binary) << "old " + file.name;
  }
  EXPECT_FALSE(compileInto(folder.root(), impatient, console));
  EXPECT_EQ(console,
            "Gave up after waiting 0.2 s for another run writing level Lair1 into this folder; no "
            "level file was written\n");
  EXPECT_EQ(setIn(folder, compiled), "old");
}

// Without a journal nothing is installed: a backup beside its level file is a leftover of a
// finished install, and goes; one with no level file beside it may be anyone's, and stays where
// it is. A lock file that a run killed while letting go had renamed aside (on Windows) goes too.
TEST(AllOrNothingFiles, WithoutAJournalLeftoversGoAndNoBackupIsInstalled) {
  const CompileResult compiled = compileMap(lair1Text());
  std::vector<std::string> names;
  for (const LevelFile& file : compiled.files) names.push_back(file.name);
  struct Case {
    const char* planted;
    bool earlierSet;
    const char* cleanedUp;
    bool stays;
  };
  const Case cases[] = {
      {"Lair1.tunnelsmith-lock.tunnelsmith-tmp.Ab12Cd", true, "removed 1 leftover file", false},
      {"Lair1Map.kld.tunnelsmith-old", true, "removed 1 leftover file", false},
      {"Lair1Things.kld.tunnelsmith-old", false, "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.planted) + (c.earlierSet ? " beside an earlier set" : " alone"));
    Folder folder;
    if (c.earlierSet) {
      for (const LevelFile& file : compiled.files) {
        std::ofstream(folder.root() / file.name, std::ios::binary) << "old " + file.name;
      }
    }
    std::ofstream(folder.root() / c.planted, std::ios::binary) << "planted";
    files::ProcessLock lock;
    std::string reason;
    ASSERT_EQ(lock.acquire((folder.root() / lockName("Lair1")).string(),
                           std::chrono::milliseconds(1000), reason),
              files::ProcessLock::Outcome::kLocked);
    EXPECT_EQ(recoverInterruptedRun(folder.root().string(), "Lair1", names), c.cleanedUp);
    EXPECT_EQ(setIn(folder, compiled), c.earlierSet ? "old" : "none");
    EXPECT_EQ(fs::exists(folder.root() / c.planted), c.stays);
  }
}

}  // namespace
}  // namespace ts
