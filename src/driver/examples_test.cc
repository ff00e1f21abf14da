// Every level in examples/ compiles without a warning into six well-framed level files whose
// counts match what the level's text declares.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "driver/compile.h"
#include "format/layouts.h"
#include "model/problems.h"
#include "testing/chunk_walker.h"
#include "testing/read_file.h"

namespace ts {
namespace {

namespace fs = std::filesystem;
using ts::testing::checkFraming;
using ts::testing::u32At;

// Values counted from each example's text. Things elements: creatures + things + keepers +
// doors + traps + bands + areas + 2 per gate. Triggers file: section triggers, plus one per gate
// named by a "G" release of a trigger, plus one per keeper for every automatic gate (HERO_GATE_3
// to HERO_GATE_6); actions: the records of the section's actions plus two per automatic trigger.
struct Expected {
  const char* file;
  std::uint32_t keepers;
  std::uint32_t width;
  std::uint32_t height;
  std::uint32_t thingsElements;
  std::uint32_t triggerElements;
  std::uint32_t actionElements;
  std::uint32_t keeper1Gold;
};

constexpr Expected kExamples[] = {
    // 2 imps, a chicken coop, 1 heart; no triggers.
    {"cavern_old.txt", 1, 10, 8, 2 + 1 + 1, 0, 0, 3000},
    // 2 creatures, 2 things, 2 hearts, a door, a trap, 2 bands, an area, 2 gates. Triggers:
    // 3 + 1 gate release + 2 keepers x 1 HERO_GATE_4; actions 3 + 2 + 1 from the text.
    {"lair1.txt", 2, 12, 10, 2 + 2 + 2 + 1 + 1 + 2 + 1 + 2 * 2, 3 + 1 + 2, 3 + 2 + 1 + 2 * 2, 5000},
    // 4 imps, a barrel, 4 hearts, a band, 2 gates. Triggers: 1 + 1 gate release + 4 keepers x
    // 1 HERO_GATE_4; actions 1 + 2 x 4.
    {"quartet_gui.txt", 4, 16, 12, 4 + 1 + 4 + 1 + 2 * 2, 1 + 1 + 4, 1 + 2 * 4, 4000},
    // 25 creatures, 17 things, 3 hearts, 10 doors, 9 traps, 6 bands, 4 areas, 10 gates.
    // Triggers: 7 + 3 gate releases (gates 1, 2; gate 7) + 3 keepers x 4 automatic gates.
    // Actions: 2 + 4 + 3 + 4 + 3 + 6 + 6 from the text, 2 x 12 for the automatic triggers.
    {"showcase.txt", 3, 64, 64, 25 + 17 + 3 + 10 + 9 + 6 + 4 + 2 * 10, 7 + 3 + 3 * 4,
     2 + 4 + 3 + 4 + 3 + 6 + 6 + 2 * 12, 10000},
};

// The hero and neutral records, then one per keeper (their flag is 0), keeper 1's with its gold.
void expectPlayerRecords(const Bytes& players, const Expected& expected) {
  const std::uint32_t records = u32At(players, layout::kElementCount);
  auto record = [](std::size_t r) {
    return layout::kFirstPlayerRecord + r * layout::kPlayerRecordSize;
  };
  std::uint32_t keeperRecords = 0;
  for (std::size_t r = 0; r < records && record(r) + layout::kPlayerFlag < players.size(); ++r) {
    if (players[record(r) + layout::kPlayerFlag] == 0) ++keeperRecords;
  }
  EXPECT_EQ(records, expected.keepers + 2);
  EXPECT_EQ(keeperRecords, expected.keepers);
  EXPECT_EQ(u32At(players, record(2) + layout::kPlayerGold), expected.keeper1Gold);
}

// A UTF-8 byte-order mark in front, as some editors write one, changes nothing at all.
void expectSameWithByteOrderMark(const std::string& text, const CompileResult& result) {
  const CompileResult marked = compileMap("\xEF\xBB\xBF" + text);
  EXPECT_EQ(marked.console, result.console);
  ASSERT_EQ(marked.files.size(), result.files.size());
  for (std::size_t i = 0; i < result.files.size(); ++i) {
    EXPECT_EQ(marked.files[i].name, result.files[i].name);
    EXPECT_TRUE(marked.files[i].bytes == result.files[i].bytes) << result.files[i].name;
  }
}

TEST(Examples, EveryExampleCompilesCleanly) {
  std::vector<fs::path> maps;
  for (const fs::directory_entry& entry :
       fs::directory_iterator(fs::path(TUNNELSMITH_SOURCE_DIR) / "examples")) {
    if (entry.path().extension() == ".txt") maps.push_back(entry.path());
  }
  std::sort(maps.begin(), maps.end());
  ASSERT_EQ(maps.size(), std::size(kExamples)) << "give each example its expected values";

  for (const fs::path& path : maps) {
    SCOPED_TRACE(path.filename().string());
    const auto* expected =
        std::find_if(std::begin(kExamples), std::end(kExamples),
                     [&](const Expected& e) { return path.filename().string() == e.file; });
    ASSERT_NE(expected, std::end(kExamples)) << "no expected values for this example";
    const std::string text = testing::readFile(path);
    const CompileResult result = compileMap(text);
    ASSERT_TRUE(result.valid) << result.console;
    // No warning at all; an example in the old layout prints only its note.
    const bool oldLayout = text.find("\nHERO_BANDS") == std::string::npos;
    EXPECT_EQ(result.console,
              oldLayout ? consoleText(Problem{ProblemId::kOldMap, Problem::kNowhere, {}}) : "");

    ASSERT_EQ(result.files.size(), 6u);
    for (const LevelFile& file : result.files) {
      SCOPED_TRACE(file.name);
      EXPECT_EQ(checkFraming(file.bytes), "");
    }
    const Bytes& map = result.files[0].bytes;
    EXPECT_EQ(u32At(map, layout::kMapWidth), expected->width);
    EXPECT_EQ(u32At(map, layout::kMapHeight), expected->height);
    const Bytes& triggers = result.files[1].bytes;
    EXPECT_EQ(u32At(triggers, layout::kTriggerCount), expected->triggerElements);
    EXPECT_EQ(u32At(triggers, layout::kActionCount), expected->actionElements);
    EXPECT_EQ(u32At(result.files[2].bytes, layout::kElementCount), expected->thingsElements);

    expectPlayerRecords(result.files[3].bytes, *expected);
    EXPECT_EQ(result.files[5].bytes.at(layout::kPlayerCountOffset), expected->keepers);
    expectSameWithByteOrderMark(text, result);
  }
}

}  // namespace
}  // namespace ts
