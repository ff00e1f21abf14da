// The build command run as a designer runs it, in a fresh folder per test: the files it writes
// are compared with those the compiler writes for the same map.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "testing/read_file.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using std::chrono::seconds;
using Files = std::map<std::string, std::string>;  // name -> bytes

// A program started in a folder, its standard output and error read through one pipe.
class Process {
 public:
  Process(std::vector<std::string> args, const fs::path& folder) {
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    int ends[2];
    if (pipe(ends) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(ends[1], STDOUT_FILENO);
      dup2(ends[1], STDERR_FILENO);
      if (chdir(folder.c_str()) == 0) execv(argv[0], argv.data());
      _exit(127);
    }
    close(ends[1]);
    fd_ = ends[0];
  }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process() {
    if (pid_ > 0 && kill(pid_, SIGKILL) == 0) waitpid(pid_, nullptr, 0);
    if (fd_ >= 0) close(fd_);
  }

  // Reads until `text` is printed after what earlier waits found; false after `limit`.
  bool waitFor(const std::string& text, seconds limit = seconds(5)) {
    const Clock::time_point deadline = Clock::now() + limit;
    std::size_t at = 0;
    while ((at = output_.find(text, found_)) == std::string::npos) {
      if (!readSome(deadline)) return false;
    }
    found_ = at + text.size();
    return true;
  }
  // The exit status once the output ends; -1 when it does not end within `limit`.
  int finish(seconds limit = seconds(20)) {
    const Clock::time_point deadline = Clock::now() + limit;
    while (readSome(deadline)) {
    }
    int status = 0;
    if (Clock::now() >= deadline || waitpid(pid_, &status, 0) != pid_) return -1;
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  void signal(int number) const { kill(pid_, number); }
  [[nodiscard]] const std::string& output() const { return output_; }

 private:
  // False at the end of the output or at the deadline.
  bool readSome(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    pollfd ready{fd_, POLLIN, 0};
    if (fd_ < 0 || left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) <= 0) {
      return false;
    }
    char buffer[4096];
    const ssize_t got = read(fd_, buffer, sizeof buffer);
    if (got > 0) output_.append(buffer, static_cast<std::size_t>(got));
    return got > 0;
  }

  pid_t pid_ = -1;
  int fd_ = -1;
  std::string output_;
  std::size_t found_ = 0;
};

std::string example(const std::string& name) { return ts::testing::readExample(name); }

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}

Files filesIn(const fs::path& folder) {
  Files files;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    files[entry.path().filename().string()] = ts::testing::readFile(entry.path());
  }
  return files;
}

// The same names and bytes; a failure shows the names only.
void expectSameFiles(const Files& actual, const Files& expected) {
  std::vector<std::string> actualNames;
  std::vector<std::string> expectedNames;
  for (const auto& file : actual) actualNames.push_back(file.first);
  for (const auto& file : expected) expectedNames.push_back(file.first);
  ASSERT_EQ(actualNames, expectedNames);
  for (const auto& [name, bytes] : expected) EXPECT_TRUE(actual.at(name) == bytes) << name;
}

class BuildCommandTest : public ::testing::Test {
 protected:
  struct Run {
    int status;
    std::string output;
  };

  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("tunnelsmith_build_" + std::to_string(getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
    return (dir_ / name).string();
  }

  // The build command with `args`, run in `folder` (made first).
  static Run build(std::vector<std::string> args, const fs::path& folder) {
    fs::create_directories(folder);
    args.insert(args.begin(), TUNNELSMITH_BUILD_EXE);
    Process process(args, folder);
    const int status = process.finish();
    return {status, process.output()};
  }

  // The files the compiler writes for the map texts, one after the other into one folder.
  Files compiled(const std::vector<std::string>& texts) {
    const fs::path folder = dir_ / ("compiled" + std::to_string(compiles_++));
    fs::create_directories(folder);
    for (const std::string& text : texts) {
      Process compiler({TUNNELSMITH_EXE, write("compiled.txt", text)}, folder);
      EXPECT_EQ(compiler.finish(), 1) << compiler.output();
    }
    return filesIn(folder);
  }

  fs::path dir_;
  int compiles_ = 0;
};

TEST_F(BuildCommandTest, BuildsEveryMapButTheRejectedOneAsTheCompilerWould) {
  const Run run =
      build({write("lair1.txt", example("lair1.txt")), write("broken.txt", "Broken\nPlayers 2\n"),
             write("showcase.txt", example("showcase.txt"))},
            dir_ / "out");
  EXPECT_EQ(run.status, 1);
  expectSameFiles(filesIn(dir_ / "out"), compiled({example("lair1.txt"), example("showcase.txt")}));
  for (const char* line : {"lair1.txt: built Lair1 into . (6 files)\n", "broken.txt:3:1: error: ",
                           "broken.txt: not built (1 error, 0 warnings)\n",
                           "showcase.txt: built Showcase into . (6 files)\n"}) {
    EXPECT_NE(run.output.find(line), std::string::npos) << line << " in\n" << run.output;
  }
}

TEST_F(BuildCommandTest, ASecondMapOfTheSameLevelIsNotWritten) {
  const std::string other = replaced(example("lair1.txt"), "GOLD1 5000", "GOLD1 6000");
  ASSERT_FALSE(compiled({other}) == compiled({example("lair1.txt")}));
  const std::string first = write("first.txt", example("lair1.txt"));
  const Run run = build({first, write("second.txt", other)}, dir_ / "out");
  EXPECT_EQ(run.status, 1);
  expectSameFiles(filesIn(dir_ / "out"), compiled({example("lair1.txt")}));
  EXPECT_NE(run.output.find("second.txt: error: level Lair1 was already built from " + first),
            std::string::npos)
      << run.output;
}

TEST_F(BuildCommandTest, MakesTheOutputFolderWithItsParents) {
  const Run run =
      build({"-o", "new/nested/out", write("lair1.txt", example("lair1.txt"))}, dir_ / "here");
  EXPECT_EQ(run.status, 0) << run.output;
  expectSameFiles(filesIn(dir_ / "here/new/nested/out"), compiled({example("lair1.txt")}));
  EXPECT_NE(run.output.find("built Lair1 into new/nested/out (6 files)"), std::string::npos);
}

TEST_F(BuildCommandTest, UsageErrorsAndUnreadableMapsEndWithStatusTwo) {
  const std::string lair = write("lair1.txt", example("lair1.txt"));
  const std::string blocked = write("blocker", "a file, not a folder") + "/out";
  const struct {
    std::vector<std::string> args;
    std::string said;
    std::size_t files;  // written into the folder the command runs in
  } cases[] = {
      {{}, "usage: tunnelsmith-build", 0},
      {{"--bogus", lair}, "unknown option: --bogus\nusage: ", 0},
      {{lair, "-o"}, "option -o needs the output folder", 0},
      {{"-o", blocked, lair}, "cannot create the output folder", 0},
      {{"missing.txt", lair}, "missing.txt: error: cannot read the map file\n", 6},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].said);
    const fs::path folder = dir_ / ("case" + std::to_string(i));
    const Run run = build(cases[i].args, folder);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.output.find(cases[i].said), std::string::npos) << run.output;
    EXPECT_EQ(filesIn(folder).size(), cases[i].files);
  }
}

TEST_F(BuildCommandTest, WerrorKeepsAMapWithWarningsUnbuilt) {
  const std::string map =
      write("warned.txt", replaced(example("lair1.txt"), "TROLL 3 3", "TROL 3 3"));
  const struct {
    std::string option;
    int status;
    std::string summary;
    std::size_t files;
  } cases[] = {
      {"--", 0, "warned.txt: built Lair1 into . (6 files)", 6},
      {"--werror", 1, "warned.txt: not built (0 errors, 1 warning with --werror)", 0},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].summary);
    const fs::path folder = dir_ / ("case" + std::to_string(i));
    const Run run = build({cases[i].option, map}, folder);
    EXPECT_EQ(run.status, cases[i].status);
    EXPECT_NE(run.output.find("warned.txt:29:1: warning: CREATURES entry dropped"),
              std::string::npos);
    EXPECT_NE(run.output.find(cases[i].summary), std::string::npos) << run.output;
    EXPECT_EQ(filesIn(folder).size(), cases[i].files);
  }
}

TEST_F(BuildCommandTest, WatchRebuildsAChangedMapUntilInterrupted) {
  const std::string map = write("map.txt", example("lair1.txt"));
  Process watch({TUNNELSMITH_BUILD_EXE, "--watch", "-o", "out", "map.txt"}, dir_);
  ASSERT_TRUE(watch.waitFor("map.txt: built Lair1 into out (6 files)\n")) << watch.output();
  fs::remove(map);
  ASSERT_TRUE(watch.waitFor("map.txt: error: cannot read the map file\n")) << watch.output();
  write("map.txt", example("showcase.txt"));
  ASSERT_TRUE(watch.waitFor("map.txt: built Showcase into out (6 files)\n")) << watch.output();
  EXPECT_TRUE(
      std::regex_search(watch.output(), std::regex("\n\\d\\d:\\d\\d:\\d\\d map.txt: built")))
      << watch.output();
  expectSameFiles(filesIn(dir_ / "out"), compiled({example("lair1.txt"), example("showcase.txt")}));
  watch.signal(SIGINT);
  EXPECT_EQ(watch.finish(seconds(5)), 0) << watch.output();
}

}  // namespace
