// Damaged files: each corruption or truncation is reported at the offset of the field or
// record at fault (offsets follow from the file layouts: a 12-byte file-size chunk, a 36-byte
// information chunk, or 40 for the triggers file, then the body header). Also the command
// line's exit statuses, its JSON and its refusal of files too large for a level.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>

#include "base/file_io.h"
#include "cli.h"
#include "decoding/inspect_test_support.h"
#include "format/layouts.h"
#include "render/inspection_json.h"
#include "render_text.h"

namespace ts::inspect {
namespace {

using testing::compiledFile;
using testing::hasProblemAt;
using testing::problemsText;
using testing::readExample;

struct Patch {
  const char* suffix;  // which of Lair1's files
  std::size_t at;      // where the bytes are replaced
  Bytes bytes;         // little-endian
  std::size_t problemAt;
  const char* words;  // part of the problem's message
};

// Where Lair1's records lie. Things: two creatures, then two objects, then the door, each in
// an element chunk of its own.
constexpr std::size_t chunkOf(std::size_t recordSize) { return kChunkHeaderSize + recordSize; }
constexpr std::size_t kCreature2Chunk =
    layout::kFirstThingElement + chunkOf(layout::kCreatureRecordSize);
constexpr std::size_t kObject1Chunk = kCreature2Chunk + chunkOf(layout::kCreatureRecordSize);
constexpr std::size_t kDoorChunk = kObject1Chunk + 2 * chunkOf(layout::kObjectRecordSize);
constexpr std::size_t kCreature1 = layout::kFirstThingElement + kChunkHeaderSize;
constexpr std::size_t kObject1 = kObject1Chunk + kChunkHeaderSize;
constexpr std::size_t kDoor1 = kDoorChunk + kChunkHeaderSize;
// Triggers: 24-byte elements in tree order (triggers 1, 4, 2, 3, 5, 6, then the actions).
constexpr std::size_t triggersChunk(std::size_t i) {
  return layout::kFirstTriggerElement + i * chunkOf(layout::kTriggerElementSize);
}
constexpr std::size_t triggersRecord(std::size_t i) { return triggersChunk(i) + kChunkHeaderSize; }
constexpr std::size_t kFirstAction = triggersRecord(6);
// Players: Keeper 1 is the third record. Variables: 22 creature counts, then the availabilities.
constexpr std::size_t playerRecord(std::size_t n) {
  return layout::kFirstPlayerRecord + n * layout::kPlayerRecordSize;
}
constexpr std::size_t kFirstAvailability =
    layout::kFirstVariableEntry + 22 * layout::kVariableEntrySize;

// A patch whose problem is reported where the bytes are replaced.
Patch at(const char* suffix, std::size_t offset, Bytes bytes, const char* words) {
  return {suffix, offset, std::move(bytes), offset, words};
}

TEST(InspectValidationTest, CorruptedFieldsAreReportedAtTheirOffsets) {
  constexpr std::size_t kCellsSize = layout::kMapCellsChunk + 4;  // announced by the cells chunk
  const Patch kPatches[] = {
      // Framing shared by all files.
      at("Things.kld", 4, {5, 0, 0, 0}, "holds 4"),
      at("Things.kld", layout::kAnnouncedLength, {0xE8, 0x03, 0, 0}, "announces a length of 1000"),
      at("Things.kld", layout::kElementCount, {16, 0, 0, 0}, "announces 16 elements"),
      at("Things.kld", layout::kFormatVersion, {2, 0, 0, 0}, "format version 2"),
      at("Things.kld", layout::kBodyChunk, {193, 0, 0, 0}, "expected the body chunk (192)"),
      // Things: creature 1's element header, its size and its fields; object 1; the door.
      at("Things.kld", layout::kFirstThingElement, {199, 0, 0, 0},
         "unknown element chunk identifier 199"),
      at("Things.kld", layout::kFirstThingElement + 4, {30, 0, 0, 0}, "its record has 28"),
      at("Things.kld", kCreature1 + layout::kCreatureId, {99}, "unknown creature 99"),
      at("Things.kld", kCreature1 + layout::kCreatureLevel, {11}, "unknown level 11"),
      at("Things.kld", kCreature1 + layout::kCreatureOwner, {9}, "unknown player 9"),
      at("Things.kld", kObject1 + layout::kObjectId, {47}, "unknown object 47"),
      at("Things.kld", kDoor1 + layout::kDoorLocked, {2}, "unknown lock flag 2"),
      // Triggers.
      at("Triggers.kld", layout::kTriggerCount, {7, 0, 0, 0}, "announces 7 trigger elements"),
      at("Triggers.kld", layout::kActionCount, {9, 0, 0, 0}, "announces 9 action elements"),
      at("Triggers.kld", triggersRecord(0) + layout::kTriggerNext, {0xE7, 0x03},
         "next link 999 names no trigger"),
      at("Triggers.kld", triggersRecord(0) + layout::kTriggerKind, {99}, "unknown trigger kind 99"),
      at("Triggers.kld", triggersRecord(2) + layout::kTriggerId, {1, 0},
         "identifier 1 is already used"),
      // The last automatic trigger pointing back at the first trigger closes a loop.
      at("Triggers.kld", triggersRecord(5) + layout::kTriggerNext, {1, 0},
         "leads back into the tree"),
      at("Triggers.kld", kFirstAction + layout::kActionType, {77}, "unknown action type 77"),
      at("Triggers.kld", kFirstAction + layout::kActionNext, {5, 0}, "next link 5 names no action"),
      // Map: cells row 0 first. A width the cells do not fit is reported at the cells' size.
      at("Map.kld", layout::kFirstCell + 5 * layout::kCellSize, {0x99, 1, 1, 1},
         "0x01010199 at square (5, 0)"),
      {"Map.kld", layout::kMapWidth, {13, 0, 0, 0}, kCellsSize, "a 13 by 10 map needs 520"},
      at("Map.kld", layout::kMapHeight, {0, 0, 0, 0}, "height 0 is not positive"),
      // Players: Keeper 1 is the third record.
      at("Players.kld", playerRecord(2) + layout::kPlayerId, {9}, "unknown player 9"),
      at("Players.kld", playerRecord(2) + layout::kPlayerName, {7}, "not printable in the name"),
      // Variables.
      at("Variables.kld", layout::kFirstVariableEntry, {5, 0, 0, 0}, "unknown entry type 5"),
      at("Variables.kld", kFirstAvailability + layout::kAvailabilityCategory, {9, 0},
         "unknown item category 9"),
      at("Variables.kld", kFirstAvailability + layout::kAvailabilityState, {4, 0, 0, 0},
         "unknown availability 4"),
      // Level information.
      at(".kwd", layout::kLevelNameOffset, {0x4C, 0x01}, "not printable in the name"),
      at(".kwd", layout::kPlayerCountOffset, {0}, "player count 0"),
      at(".kwd", layout::kFirstReferencedFile, {111, 0, 0, 0}, "unknown file kind 111"),
      at(".kwd", layout::kLevelInfoChunk + 4, {0x54, 0x64, 0, 0},
         "announces 25684 bytes; it holds 25683"),
  };
  const std::string text = readExample("lair1.txt");
  for (const Patch& p : kPatches) {
    SCOPED_TRACE(std::string(p.suffix) + " @" + std::to_string(p.at));
    Bytes file = compiledFile(text, p.suffix);
    ASSERT_TRUE(inspect(file).wellFormed());
    ASSERT_LE(p.at + p.bytes.size(), file.size());
    std::copy(p.bytes.begin(), p.bytes.end(), file.begin() + static_cast<std::ptrdiff_t>(p.at));
    const Inspection in = inspect(file);
    EXPECT_TRUE(hasProblemAt(in, p.problemAt, p.words)) << problemsText(in);
  }
}

TEST(InspectValidationTest, TruncatedFilesReportTheRecordCutShort) {
  const std::string text = readExample("lair1.txt");
  const struct {
    const char* suffix;
    std::size_t keep;
    std::size_t recordAt;  // the element chunk or record that the cut falls into
    const char* words;
  } kCuts[] = {
      {"Things.kld", kCreature2Chunk + 18, kCreature2Chunk, "creature element (200) is cut short"},
      // A cut inside an element header.
      {"Things.kld", kCreature2Chunk + 5, kCreature2Chunk, "element chunk header is cut short"},
      {"Players.kld", playerRecord(1) + 100, playerRecord(1), "player record 2 is cut short"},
      {"Variables.kld", layout::kFirstVariableEntry + 3 * layout::kVariableEntrySize + 7,
       layout::kFirstVariableEntry + 3 * layout::kVariableEntrySize, "entry 4 is cut short"},
      {"Triggers.kld", triggersChunk(2) + 20, triggersChunk(2),
       "trigger element (213) is cut short"},
      // The cells chunk announces 480 bytes.
      {"Map.kld", 100, layout::kMapCellsChunk, "cells chunk (102) is cut short"},
      {"Map.kld", 30, layout::kMapCellsChunk, "before the cells chunk"},
      {".kwd", 20000, layout::kLevelInfoChunk, "level information chunk (223) is cut short"},
  };
  for (const auto& cut : kCuts) {
    SCOPED_TRACE(std::string(cut.suffix) + " cut to " + std::to_string(cut.keep));
    Bytes file = compiledFile(text, cut.suffix);
    file.resize(cut.keep);
    const Inspection in = inspect(file);
    EXPECT_TRUE(hasProblemAt(in, cut.recordAt, cut.words)) << problemsText(in);
    EXPECT_TRUE(hasProblemAt(in, layout::kAnnouncedLength, "announces a length"))
        << problemsText(in);
  }
}

TEST(InspectValidationTest, EveryShorterPrefixAndAnyTrailingByteIsAProblem) {
  const CompileResult result = compileMap(readExample("lair1.txt"));
  ASSERT_TRUE(result.valid);
  for (const LevelFile& f : result.files) {
    SCOPED_TRACE(f.name);
    // Every prefix of the small files; one in 97 of the level-information file.
    const std::size_t step = f.bytes.size() > 4000 ? 97 : 1;
    for (std::size_t keep = 0; keep < f.bytes.size(); keep += step) {
      const Inspection in = inspect(std::span(f.bytes).first(keep));
      EXPECT_FALSE(in.wellFormed()) << keep;
    }
    Bytes longer = f.bytes;
    longer.insert(longer.end(), {1, 2, 3});
    const Inspection in = inspect(longer);
    EXPECT_TRUE(hasProblemAt(in, f.bytes.size(), "3 trailing bytes")) << problemsText(in);
  }
}

TEST(InspectValidationTest, UnknownFilesAreNotLevelFiles) {
  const struct {
    Bytes bytes;
    const char* words;
  } kFiles[] = {
      {{}, "too short for a chunk identifier"},
      {{100, 0, 0}, "too short for a chunk identifier"},
      // 231 is the variables file's information chunk, not the start of any file.
      {{231, 0, 0, 0, 4, 0, 0, 0}, "identifier 231 starts none"},
  };
  for (const auto& f : kFiles) {
    const Inspection in = inspect(f.bytes);
    EXPECT_EQ(in.kind, FileKind::kUnknown);
    EXPECT_TRUE(hasProblemAt(in, 0, f.words)) << problemsText(in);
  }
}

class InspectCommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("inspect_cli_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string write(const std::string& name, const Bytes& bytes) {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  int run(std::vector<std::string> args) {
    args.insert(args.begin(), "tunnelsmith-inspect");
    out_.str("");
    err_.str("");
    return runInspector(args, out_, err_);
  }

  std::filesystem::path dir_;
  std::ostringstream out_;
  std::ostringstream err_;
};

TEST_F(InspectCommandLineTest, HelpVersionAndExitStatuses) {
  const std::string text = readExample("lair1.txt");
  const std::string good = write("good", compiledFile(text, "Things.kld"));
  Bytes damaged = compiledFile(text, "Players.kld");
  damaged.pop_back();
  const std::string bad = write("bad", damaged);
  const std::string missing = (dir_ / "missing").string();
  const struct {
    std::vector<std::string> args;
    int status;
  } kRuns[] = {
      {{good}, cli::kSuccess},
      {{"--help"}, cli::kSuccess},
      {{"-h"}, cli::kSuccess},
      {{"--version"}, cli::kSuccess},
      // Either wins over everything else on the line, but after "--" it is a file name.
      {{"--frobnicate", missing, "--version"}, cli::kSuccess},
      {{"--", "--help"}, cli::kUsage},
      {{bad}, cli::kProblems},
      {{good, bad}, cli::kProblems},
      {{}, cli::kUsage},
      {{"--json"}, cli::kUsage},
      {{"--frobnicate", good}, cli::kUsage},
      {{missing}, cli::kUsage},
      {{good, missing}, cli::kUsage},
      {{"--diff", good}, cli::kUsage},
      {{"--diff", good, good, good}, cli::kUsage},
      {{"--diff", good, bad}, cli::kUsage},  // a things file and a players file
      {{"--diff", good, good}, cli::kSuccess},
  };
  for (const auto& r : kRuns) {
    std::string line;
    for (const std::string& a : r.args) line += a + " ";
    SCOPED_TRACE(line);
    EXPECT_EQ(run(r.args), r.status) << out_.str() << err_.str();
  }
  run({"--version"});
  EXPECT_EQ(out_.str(), "tunnelsmith-inspect " + std::string(tunnelsmith::kReleaseVersion) + "\n");
  run({"--help"});
  for (const char* words : {"--json", "--diff", "--help", "-h", "--version", "--  ",
                            "Exit status: 0", "1 a problem", "2 usage"}) {
    EXPECT_NE(out_.str().find(words), std::string::npos) << words;
  }
  // A report that cannot be written (a full disk) is no clean file.
  std::ostream broken(nullptr);
  EXPECT_EQ(runInspector({"tunnelsmith-inspect", good}, broken, err_), cli::kProblems);
  EXPECT_EQ(runInspector({"tunnelsmith-inspect", missing}, broken, err_), cli::kUsage);
  EXPECT_NE(err_.str().find("cannot write the report"), std::string::npos) << err_.str();
}

TEST_F(InspectCommandLineTest, TextAndJsonCarryTheProblems) {
  Bytes damaged = compiledFile(readExample("lair1.txt"), "Things.kld");
  damaged[kCreature1 + layout::kCreatureId] = 99;
  const std::string bad = write("damaged", damaged);
  EXPECT_EQ(run({bad}), cli::kProblems);
  EXPECT_NE(out_.str().find("offset 90 (0x5A): unknown creature 99"), std::string::npos)
      << out_.str();

  EXPECT_EQ(run({"--json", bad}), cli::kProblems);
  const Json doc = Json::parse(out_.str());
  ASSERT_EQ(doc["files"].size(), 1u);
  const Json& file = doc["files"][0];
  EXPECT_EQ(file["kind"], "things");
  EXPECT_EQ(file["wellFormed"], false);
  EXPECT_EQ(file["problems"][0]["offset"], 90);
  // Creature 1 keeps its other fields: TROLL 3 3 L4 P1 with the creature damaged.
  const Json& creature = file["records"][2];
  EXPECT_EQ(creature["kind"], "creature");
  EXPECT_EQ(creature["fields"]["creature"], 99);
  EXPECT_EQ(creature["fields"]["level"]["name"], "L4");
  EXPECT_EQ(creature["fields"]["owner"]["value"], 3);
  EXPECT_EQ(creature["fields"]["x"], 3);
}

// Written one record at a time (runs of like element chunks kept as one), the JSON document and
// the text are the ones drawn from a whole inspection, byte for byte.
TEST_F(InspectCommandLineTest, StreamedOutputIsTheWholeDocument) {
  for (const std::string& example : testing::exampleNames()) {
    SCOPED_TRACE(example);
    const CompileResult result = compileMap(readExample(example));
    std::vector<std::string> args = {"--json"};
    Json files = Json::array();
    std::ostringstream text;
    const auto add = [&](const std::string& name, const Bytes& bytes) {
      args.push_back(write(name, bytes));
      const Inspection whole = inspect(bytes);
      files.push_back(toJson(args.back(), whole));
      renderText(args.back(), whole, text);
    };
    for (const LevelFile& f : result.files) add(f.name, f.bytes);
    Bytes damaged = result.files[2].bytes;
    damaged.resize(damaged.size() - 30);
    add("damaged", damaged);
    // An element chunk in the middle of a run announces a wrong size: the run stops there.
    Bytes runs = result.files[2].bytes;
    for (const Chunk& top : inspect(runs).chunks) {
      if (top.children.size() >= 3) runs[top.children[top.children.size() / 2].offset + 4] ^= 1;
    }
    add("runs", runs);
    args.push_back((dir_ / "missing").string());
    files.push_back({{"path", args.back()}, {"error", "No such file or directory"}});
    EXPECT_EQ(run(args), cli::kUsage);
    const Json whole = {{"files", files}};
    EXPECT_EQ(out_.str(), whole.dump(2) + "\n");
    args.erase(args.begin());
    EXPECT_EQ(run(args), cli::kUsage);
    EXPECT_EQ(out_.str(), text.str());
  }
}

TEST_F(InspectCommandLineTest, FilesLargerThanALevelAreRefusedUnread) {
  // A sparse file one byte past the limit: refused by its size.
  const std::string big = (dir_ / "big").string();
  std::ofstream(big).close();
  std::filesystem::resize_file(big, kMaxInputSize + 1);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{big}, {"--json", big}, {"--diff", big, big}}) {
    EXPECT_EQ(run(args), cli::kUsage);
    EXPECT_EQ(err_.str(), "tunnelsmith-inspect: cannot read " + big +
                              ": larger than 256 MiB (268435456 bytes), the most a level file "
                              "may hold\n");
  }
  // A stream is read only until it passes the limit; a file at the limit is read whole.
  Bytes bytes;
  std::string reason;
  if (std::filesystem::exists("/dev/zero")) {
    EXPECT_EQ(readLevelFile("/dev/zero", bytes, reason, 1 << 20), ReadResult::kTooLarge);
    EXPECT_TRUE(bytes.empty());
  }
  const Bytes full(1000, 7);
  const std::string path = write("full", full);
  EXPECT_EQ(readLevelFile(path, bytes, reason, 1000), ReadResult::kRead);
  EXPECT_EQ(bytes, full);
  EXPECT_EQ(readLevelFile(path, bytes, reason, 999), ReadResult::kTooLarge);
  EXPECT_EQ(readLevelFile(dir_.string(), bytes, reason), ReadResult::kUnreadable);
}

}  // namespace
}  // namespace ts::inspect
