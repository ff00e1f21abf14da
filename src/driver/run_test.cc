// Runs the real tunnelsmith executable in a fresh directory and checks its console output, its
// exit status and the files it leaves behind. POSIX only: the runs go through the POSIX shell
// (quoting, redirections, limits). On Windows, CI compares the console text and files of
// tunnelsmith.exe under Wine with the Linux build's (tests/windows/compare_examples.sh).
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "driver/compile.h"
#include "gtest/gtest.h"
#include "testing/large_map.h"
#include "testing/read_file.h"
#include "testing/scratch_folder.h"

namespace ts {
namespace {

namespace fs = std::filesystem;
using testing::readFile;

const std::string kBanner = "Tunnelsmith version: 1.2\n";
const std::vector<std::string> kLair1Files = {"Lair1Map.kld",       "Lair1Triggers.kld",
                                              "Lair1Things.kld",    "Lair1Players.kld",
                                              "Lair1Variables.kld", "Lair1.kwd"};

void writeAll(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

std::string lair1Text() { return testing::readExample("lair1.txt"); }

// Whether a file still holds the sentinel text written before the run (compared quietly: a
// replaced level file would print as a page of binary).
bool keptOld(const fs::path& dir, const std::string& name) {
  return readFile(dir / name) == "old " + name;
}

std::string producedLines(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += "produced file : " + name + "\n";
  return text;
}

// A scratch directory per test: `work` is the tool's current directory; the captured output
// lives beside it so that it never shows up among the files the tool wrote.
class Sandbox : public testing::ScratchFolder {
 public:
  Sandbox() : ScratchFolder("tunnelsmith-driver-") { fs::create_directory(work()); }

  [[nodiscard]] fs::path work() const { return root() / "work"; }

  // Runs the tool with `args` (already quoted as the shell needs) inside work(), after the
  // shell commands `setup` if any; returns its exit status and leaves its standard output in
  // `out`.
  int run(const std::string& args, const std::string& setup = "") {
    const std::string command =
        "cd '" + work().string() + "' && " + (setup.empty() ? "" : setup + " && ") + "'" +
        TUNNELSMITH_EXE + "'" + (args.empty() ? "" : " " + args) + " > '" +
        (root() / "stdout.txt").string() + "' 2> '" + (root() / "stderr.txt").string() + "'";
    const int status = std::system(command.c_str());
    out = readFile(root() / "stdout.txt");
    err = readFile(root() / "stderr.txt");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // Names of everything in work(), recursively, relative to it.
  [[nodiscard]] std::vector<std::string> listing() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(work())) {
      names.push_back(fs::relative(entry.path(), work()).string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string out;
  std::string err;
};

TEST(DriverProcess, WrongArgumentCountPrintsUsage) {
  const std::vector<std::string> cases = {"", "'a.txt' 'b.txt'"};
  for (const std::string& args : cases) {
    SCOPED_TRACE("args: " + args);
    Sandbox box;
    EXPECT_EQ(box.run(args), 0);
    EXPECT_EQ(box.out, kBanner + "Syntax is " + TUNNELSMITH_EXE + " <Map File Name> \n");
    EXPECT_EQ(box.err, "");
    EXPECT_TRUE(box.listing().empty());
  }
}

// --help and --version answer after the banner, unless a file of that name exists: then it is
// compiled, as any map file.
TEST(DriverProcess, HelpAndVersionUnlessAFileHasThatName) {
  for (const std::string option : {"--help", "--version"}) {
    SCOPED_TRACE(option);
    Sandbox box;
    EXPECT_EQ(box.run(option), 0);
    EXPECT_EQ(box.out.rfind(kBanner, 0), 0U) << box.out;
    EXPECT_NE(box.out.find(option == "--help" ? "1 when all six files were written"
                                              : "tunnelsmith 1.2\n"),
              std::string::npos)
        << box.out;
    EXPECT_TRUE(box.listing().empty());

    writeAll(box.work() / option, lair1Text());
    EXPECT_EQ(box.run("./" + option), 1);
    EXPECT_EQ(box.run(option), 1) << box.out;
    EXPECT_EQ(box.out, kBanner + producedLines(kLair1Files));
  }
}

TEST(DriverProcess, MapFileThatCannotBeOpened) {
  struct Case {
    const char* what;
    const char* path;
  };
  const Case cases[] = {{"missing file", "missing.txt"}, {"a directory", "maps"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Sandbox box;
    fs::create_directory(box.work() / "maps");
    EXPECT_EQ(box.run(std::string("'") + c.path + "'"), 0);
    EXPECT_EQ(box.out, kBanner + "Opening of Map File Failed: " + c.path + "\n");
    // Opening never creates the map file, and nothing else is written.
    EXPECT_EQ(box.listing(), std::vector<std::string>{"maps"});
  }
}

TEST(DriverProcess, EmptyMapFileHasNoPlayers) {
  Sandbox box;
  writeAll(box.work() / "empty.txt", "");
  EXPECT_EQ(box.run("empty.txt"), 0);
  EXPECT_EQ(box.out, kBanner + "Bad number of players : 0\n");
  EXPECT_EQ(box.listing(), std::vector<std::string>{"empty.txt"});
}

TEST(DriverProcess, RejectedMapLeavesEarlierFilesUntouched) {
  Sandbox box;
  for (const std::string& name : kLair1Files) writeAll(box.work() / name, "old " + name);
  // The same level without its EOF word: read to the end, then rejected.
  std::string text = lair1Text();
  text.erase(text.rfind("EOF"));
  writeAll(box.work() / "broken.txt", text);

  EXPECT_EQ(box.run("broken.txt"), 0);
  EXPECT_EQ(box.out, kBanner + "error near SCENARIO_DESCRIPTION section \n");
  for (const std::string& name : kLair1Files) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(keptOld(box.work(), name));
  }
  EXPECT_EQ(box.listing().size(), kLair1Files.size() + 1);
}

TEST(DriverProcess, SuccessfulRunNamesFilesAfterTheLevel) {
  Sandbox box;
  fs::create_directory(box.work() / "maps");
  writeAll(box.work() / "maps" / "test.txt", lair1Text());

  EXPECT_EQ(box.run("maps/test.txt"), 1);
  EXPECT_EQ(box.out, kBanner + producedLines(kLair1Files));
  EXPECT_EQ(box.err, "");

  std::vector<std::string> expected = kLair1Files;
  expected.push_back("maps");
  expected.push_back("maps/test.txt");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(box.listing(), expected);

  // The files on disk are exactly the in-memory compilation's bytes.
  const CompileResult compiled = compileMap(lair1Text());
  ASSERT_EQ(compiled.files.size(), kLair1Files.size());
  for (const LevelFile& file : compiled.files) {
    SCOPED_TRACE(file.name);
    EXPECT_EQ(readFile(box.work() / file.name), std::string(file.bytes.begin(), file.bytes.end()));
  }
}

TEST(DriverProcess, SecondRunOverwritesFromTheStart) {
  Sandbox box;
  writeAll(box.work() / "lair1.txt", lair1Text());
  // A longer file of the same name must be replaced, not patched or appended to.
  writeAll(box.work() / "Lair1Things.kld", std::string(100000, 'x'));

  ASSERT_EQ(box.run("lair1.txt"), 1);
  std::map<std::string, std::string> first;
  for (const std::string& name : kLair1Files) first[name] = readFile(box.work() / name);
  EXPECT_EQ(first["Lair1Things.kld"].size(), 1674u);

  ASSERT_EQ(box.run("lair1.txt"), 1);
  EXPECT_EQ(box.out, kBanner + producedLines(kLair1Files));
  for (const std::string& name : kLair1Files) {
    SCOPED_TRACE(name);
    EXPECT_EQ(readFile(box.work() / name), first[name]);
  }
}

bool anyTemporaryLeft(const Sandbox& box) {
  for (const std::string& name : box.listing()) {
    if (name.find(".tunnelsmith-tmp") != std::string::npos &&
        !fs::is_directory(box.work() / name)) {
      return true;
    }
  }
  return false;
}

TEST(DriverProcess, MapFileThatCannotBeWrittenReportsFailureOnce) {
  Sandbox box;
  fs::create_directory(box.work() / "Lair1Map.kld");  // in the way of the first file
  writeAll(box.work() / "map.txt", lair1Text());

  EXPECT_EQ(box.run("map.txt"), 0);
  EXPECT_EQ(box.out, kBanner + "FAILURE!!!Could not write Lair1Map.kld: " + std::strerror(EISDIR) +
                         "; no level file was written\n");
  EXPECT_EQ(box.listing(), (std::vector<std::string>{"Lair1Map.kld", "map.txt"}));
}

// Anything planted at a name the compiler may use (a link to another file, a folder at the
// temporary name of earlier versions) is never written through, and the run succeeds.
TEST(DriverProcess, PlantedNamesAreNeverWrittenThrough) {
  std::vector<std::string> planted = {"Lair1.tunnelsmith-lock", "Lair1.tunnelsmith-install"};
  for (const std::string& name : kLair1Files) {
    for (const char* suffix : {"", ".tunnelsmith-old", ".tunnelsmith-tmp"}) {
      planted.push_back(name + suffix);
    }
  }
  const CompileResult compiled = compileMap(lair1Text());
  ASSERT_TRUE(compiled.valid);
  for (const std::string& name : planted) {
    for (const bool asFolder : {false, true}) {
      if (asFolder && name.find(".tunnelsmith-tmp") == std::string::npos) continue;
      SCOPED_TRACE(name + (asFolder ? " (a folder)" : " (a link)"));
      Sandbox box;
      writeAll(box.work() / "lair1.txt", lair1Text());
      writeAll(box.work() / "victim.txt", "victim");
      if (asFolder) {
        fs::create_directory(box.work() / name);
      } else {
        fs::create_symlink("victim.txt", box.work() / name);
      }
      EXPECT_EQ(box.run("lair1.txt"), 1) << box.out;
      EXPECT_EQ(readFile(box.work() / "victim.txt"), "victim");
      for (const LevelFile& file : compiled.files) {
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(box.work() / file.name))) << file.name;
        EXPECT_TRUE(readFile(box.work() / file.name) ==
                    std::string(file.bytes.begin(), file.bytes.end()))
            << file.name;
      }
      // Nothing of the compiler's own is left but a planted folder, which is not removed.
      for (const std::string& left : box.listing()) {
        if (left.find(".tunnelsmith") == std::string::npos) continue;
        EXPECT_TRUE(asFolder && left == name) << left;
      }
    }
  }
}

// A directory in the way of a later file: nothing is written, the earlier files stay.
TEST(DriverProcess, TargetNameTakenByDirectoryWritesNoLevelFile) {
  Sandbox box;
  for (const std::string& name : kLair1Files) {
    if (name != "Lair1Things.kld") writeAll(box.work() / name, "old " + name);
  }
  fs::create_directory(box.work() / "Lair1Things.kld");
  writeAll(box.work() / "lair1.txt", lair1Text());

  EXPECT_EQ(box.run("lair1.txt"), 0);
  const std::string prefix = kBanner + "Could not write Lair1Things.kld: ";
  const std::string suffix = "; no level file was written\n";
  EXPECT_EQ(box.out.rfind(prefix, 0), 0u) << box.out;
  EXPECT_TRUE(box.out.size() > prefix.size() + suffix.size() &&
              box.out.compare(box.out.size() - suffix.size(), suffix.size(), suffix) == 0)
      << box.out;
  EXPECT_EQ(box.out.find("FAILURE!!!"), std::string::npos);
  for (const std::string& name : kLair1Files) {
    if (name == "Lair1Things.kld") continue;
    SCOPED_TRACE(name);
    EXPECT_TRUE(keptOld(box.work(), name));
  }
  EXPECT_TRUE(fs::is_empty(box.work() / "Lair1Things.kld"));
  EXPECT_FALSE(anyTemporaryLeft(box));
}

std::vector<std::string> levelFileNames(const std::string& level) {
  std::vector<std::string> names;
  for (const char* suffix :
       {"Map.kld", "Triggers.kld", "Things.kld", "Players.kld", "Variables.kld", ".kwd"}) {
    names.push_back(level + suffix);
  }
  return names;
}

// Files much larger than a block of output, from a map text large enough to be mapped.
TEST(DriverProcess, LargeLevelFilesAreExactlyTheCompiledBytes) {
  Sandbox box;
  const std::string text = testing::largeMapText({});
  ASSERT_GT(text.size(), 300000u);
  writeAll(box.work() / "big.txt", text);
  const std::vector<std::string> names = levelFileNames("Big");
  for (const std::string& name : names) writeAll(box.work() / name, "old " + name);

  EXPECT_EQ(box.run("big.txt"), 1);
  EXPECT_EQ(box.out, kBanner + producedLines(names));
  const CompileResult compiled = compileMap(text);
  ASSERT_TRUE(compiled.valid) << compiled.console;
  ASSERT_EQ(compiled.files.size(), names.size());
  for (std::size_t i = 0; i < 3; ++i) EXPECT_GT(compiled.files[i].bytes.size(), 1000000u / 3);
  for (const LevelFile& file : compiled.files) {
    SCOPED_TRACE(file.name);
    const std::string written = readFile(box.work() / file.name);
    EXPECT_EQ(written.size(), file.bytes.size());
    EXPECT_TRUE(written == std::string(file.bytes.begin(), file.bytes.end()));
  }
  EXPECT_EQ(box.listing().size(), names.size() + 1);
}

// A write that fails part way through a file, here at a limit on file sizes: no level file is
// written, the earlier files stay, and no temporary file is left.
TEST(DriverProcess, WriteFailingPartWayLeavesEarlierFiles) {
  struct Case {
    const char* what;
    testing::LargeMapShape shape;
    std::string failing;
    std::string report;
  };
  testing::LargeMapShape bigMap;  // a map file of 384,036 bytes
  bigMap.creatures = 10;
  bigMap.triggers = 10;
  testing::LargeMapShape bigThings;  // a map file of 4,836 bytes, a things file of 1 MB
  bigThings.width = 40;
  bigThings.height = 30;
  bigThings.creatures = 30000;
  bigThings.triggers = 10;
  const Case cases[] = {
      {"the map file", bigMap, "BigMap.kld", "FAILURE!!!"},
      {"the things file", bigThings, "BigThings.kld", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Sandbox box;
    const std::vector<std::string> names = levelFileNames("Big");
    for (const std::string& name : names) writeAll(box.work() / name, "old " + name);
    writeAll(box.work() / "big.txt", testing::largeMapText(c.shape));

    // 200 blocks of 512 or 1024 bytes, as the shell counts them: room for every file but the
    // large one. An ignored XFSZ signal turns the write past the limit into an error.
    EXPECT_EQ(box.run("big.txt", "ulimit -f 200 && trap '' XFSZ"), 0);
    EXPECT_EQ(box.out, kBanner + c.report + "Could not write " + c.failing + ": " +
                           std::strerror(EFBIG) + "; no level file was written\n");
    for (const std::string& name : names) {
      SCOPED_TRACE(name);
      EXPECT_TRUE(keptOld(box.work(), name));
    }
    EXPECT_FALSE(anyTemporaryLeft(box));
    EXPECT_EQ(box.listing().size(), names.size() + 1);
  }
}

// Two runs writing the same level into the same folder at once take turns: both succeed, and
// the folder ends with the complete set of one of them.
TEST(DriverProcess, ConcurrentRunsOfOneLevelTakeTurns) {
  Sandbox box;
  std::string other = lair1Text();
  other.replace(other.find("HERO_BANDS"), 0, "GOLD1 7777\n");  // the same level, other gold
  writeAll(box.work() / "a.txt", lair1Text());
  writeAll(box.work() / "b.txt", other);
  const CompileResult a = compileMap(lair1Text());
  const CompileResult b = compileMap(other);
  ASSERT_TRUE(a.valid && b.valid);
  ASSERT_NE(a.files[3].bytes, b.files[3].bytes);
  const std::string exe = std::string("'") + TUNNELSMITH_EXE + "'";
  const std::string pair = "{ (" + exe + " a.txt > a.out; echo $? > a.status) & (" + exe +
                           " b.txt > b.out; echo $? > b.status) & wait; }";
  const std::string playersA(a.files[3].bytes.begin(), a.files[3].bytes.end());
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE(round);
    ASSERT_EQ(std::system(("cd '" + box.work().string() + "' && " + pair).c_str()), 0);
    EXPECT_EQ(readFile(box.work() / "a.status"), "1\n") << readFile(box.work() / "a.out");
    EXPECT_EQ(readFile(box.work() / "b.status"), "1\n") << readFile(box.work() / "b.out");
    const CompileResult& last = readFile(box.work() / "Lair1Players.kld") == playersA ? a : b;
    for (const LevelFile& file : last.files) {
      EXPECT_TRUE(readFile(box.work() / file.name) ==
                  std::string(file.bytes.begin(), file.bytes.end()))
          << file.name << " mixes the two runs";
    }
    // The two maps, their outputs and statuses, and one set of level files.
    EXPECT_EQ(box.listing().size(), 6u + kLair1Files.size());
  }
}

// A map file that never ends (a device, or a pipe that is fed forever) is refused once it
// passes the limit, without taking memory for more than that.
TEST(DriverProcess, EndlessInputIsRefusedWithBoundedMemory) {
  for (const std::string source : {"/dev/zero", "/dev/stdin"}) {
    SCOPED_TRACE(source);
    Sandbox box;
    const int status = box.run(source + (source == "/dev/stdin" ? " < /dev/zero" : ""),
                               source == "/dev/stdin" ? "true" : "");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(box.out, kBanner + "Map file too large: " + source +
                           " is larger than 256 MiB, far beyond any level\n");
    EXPECT_TRUE(box.listing().empty());
  }
  Sandbox box;
  EXPECT_EQ(box.run("feed", "mkfifo feed && (yes > feed 2>/dev/null &)"), 0);
  EXPECT_EQ(box.out, kBanner +
                         "Map file too large: feed is larger than 256 MiB, far beyond "
                         "any level\n");
  rusage usage{};
  ASSERT_EQ(::getrusage(RUSAGE_CHILDREN, &usage), 0);
  EXPECT_LT(usage.ru_maxrss, 700L * 1024) << "kilobytes, for the largest run";
}

TEST(DriverProcess, LevelNamesThatLeadElsewhereAreRefused) {
  struct Case {
    std::string name;
    std::string printed;
    std::string why;
  };
  const Case cases[] = {
      {"../../escaped", "../../escaped", "holds the character '/'"},
      {"/tmp/tunnelsmith-absolute", "/tmp/tunnelsmith-absolute", "holds the character '/'"},
      {"up\\side", "up\\side", "holds the character '\\'"},
      {"bell\x07s", "bell\\x07s", "holds the control character 0x07"},
      {"del\x7f", "del\\x7F", "holds the control character 0x7F"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.printed);
    Sandbox box;
    std::string text = lair1Text();
    text.replace(0, 5, c.name);
    writeAll(box.work() / "map.txt", text);
    EXPECT_EQ(box.run("map.txt"), 0);
    EXPECT_EQ(box.out.rfind(kBanner + "Level name not allowed: " + c.printed + " " + c.why, 0), 0u)
        << box.out;
    EXPECT_EQ(box.listing(), std::vector<std::string>{"map.txt"});
    EXPECT_FALSE(fs::exists("/tmp/tunnelsmith-absoluteMap.kld"));
  }
}

}  // namespace
}  // namespace ts

#endif  // _WIN32
