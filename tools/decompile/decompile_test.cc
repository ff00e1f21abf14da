#include "decompile/decompile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "decompile_cli.h"
#include "driver/compile.h"
#include "format/layouts.h"
#include "testing/large_map.h"
#include "testing/read_file.h"

namespace ts::decompile {
namespace {

using ts::testing::readExample;

LevelBytes view(const CompileResult& compiled) {
  LevelBytes bytes;
  for (std::size_t f = 0; f < kLevelFileCount; ++f) bytes[f] = compiled.files[f].bytes;
  return bytes;
}

// Compiles `text`, decompiles the files and compiles the decompiled text: the two compilations
// must give the same six files. Returns the decompiled text.
std::string expectRoundTrip(const std::string& text) {
  const CompileResult first = compileMap(text);
  EXPECT_TRUE(first.valid) << first.console;
  if (!first.valid) return {};
  const Decompilation result = decompile(view(first));
  for (const Finding& f : result.findings) {
    ADD_FAILURE() << fileSuffix(f.file) << " @" << f.offset << ": " << f.message;
  }
  const CompileResult second = compileMap(result.text);
  EXPECT_TRUE(second.valid) << second.console << result.text;
  if (!second.valid) return result.text;
  for (std::size_t f = 0; f < kLevelFileCount; ++f) {
    EXPECT_EQ(first.files[f].name, second.files[f].name);
    EXPECT_TRUE(first.files[f].bytes == second.files[f].bytes) << first.files[f].name;
  }
  return result.text;
}

TEST(Decompile, RoundTripsTheExamples) {
  for (const char* name : {"cavern_old.txt", "lair1.txt", "quartet_gui.txt", "showcase.txt"}) {
    SCOPED_TRACE(name);
    expectRoundTrip(readExample(name));
  }
}

TEST(Decompile, RoundTripsLargeGeneratedMaps) {
  testing::LargeMapShape wide;
  wide.name = "Wide";
  wide.width = 999;
  wide.height = 40;
  wide.creatures = 3000;
  wide.triggers = 20000;
  for (const testing::LargeMapShape& shape : {testing::LargeMapShape{}, wide}) {
    SCOPED_TRACE(shape.name);
    expectRoundTrip(testing::largeMapText(shape));
  }
}

// Texts whose files only one careful choice of text gives again.
TEST(Decompile, RoundTripsLevelsThatTheTextMustRebuildWithCare) {
  const std::string legend =
      "MAP_CODES\n7\n# SOLID_ROCK\n. KPR1_CLAIMED_SQ\nh KPR1_HEART\n"
      "6 HERO_GATE_6\n7 HERO_GATE_7\n3 HERO_GATE_3\n1 HERO_GATE_1\n";
  const std::string things = "THINGS\n0\nCREATURES\n0\nDOORS\n0\nTRAPS\n0\n";
  const std::string hearts = "HEARTS_AND_GOLD\nKPR1_HEART_CENTER 1 3\nGOLD1 100\nHERO_BANDS\n";
  struct Case {
    const char* what;
    std::string text;
  };
  const Case cases[] = {
      // In the map file the first five squares of row 1 are all HERO_GATE_6; the gates are
      // told apart by the marker, and the lone marker square ends gate 3's column.
      {"a gate marker beside HERO_GATE_6 gates",
       "Marks\nPlayers 1\nSize 9 x 5\n#########\n#66777.6#\n#6.....6#\n#h3....7#\n#########\n" +
           legend + things + hearts + "0\nAREAS\n0\nHERO_GATES\n3\n1 1 1\n2 3 1\n3 7 1\n" +
           "TRIGGERS\n1\nTRIGGER_TIME 9\n2\nACTION_HERO_RELEASE 2 G 2\n"
           "ACTION_DESTROY_HERO_GATE 3\nSCENARIO_DESCRIPTION\nEOF\n"},
      // Areas of one size: only the last trigger watching an area is named by it.
      {"control triggers on areas of one size, releases at odd locations",
       "Areas\nPlayers 2\nSize 6 x 5\n######\n#h..1#\n#...1#\n#..i.#\n######\nMAP_CODES\n"
       "5\n# SOLID_ROCK\n. KPR1_CLAIMED_SQ\nh KPR1_HEART\ni KPR2_HEART\n1 HERO_GATE_1\n" +
           things +
           "HEARTS_AND_GOLD\nKPR1_HEART_CENTER 1 1\nKPR2_HEART_CENTER 3 3\nHERO_BANDS\n1\n"
           "B 1 P2\nTROLL L2\nAREAS\n2\n1 1 1 2 2\n2 2 2 3 3\nHERO_GATES\n1\n1 4 1\nTRIGGERS\n4\n"
           "TRIGGER_CONTROL_AREA P1 2\n0\nTRIGGER_CONTROL_AREA PN 1\n1\n"
           "ACTION_HERO_RELEASE 1 G 1\nTRIGGER_CONTROL_AREA P2 1\n3\n"
           "ACTION_HERO_RELEASE 300 G 0\nACTION_HERO_RELEASE 1 A -1\nACTION_HERO_RELEASE 1 G 258\n"
           "TRIGGER_SLAP_COUNT_EQUALS -5\n2\nACTION_ADD_TRAP PN TR_FEAR\nACTION_ADD_SPELL P4 "
           "HEAL_SPELL\nSCENARIO_DESCRIPTION\nCREATURE_COUNT P2 IMP 0\nSTART_WITH P1 TREASURY\n"
           "NO P2 TR_BIG_SENTRY\nCREATURE_COUNT P1 TROLL 32\nEOF\n"},
      {"a level called GUI_GENERATED_MAP",
       "GUI_GENERATED_MAP GUI_GENERATED_MAP\nPlayers 1\nSize 3 x 1\n1G1AOi\n" + things +
           "HEARTS_AND_GOLD\nKPR1_HEART_CENTER 0 0\n"},
      {"a level name that starts with a byte-order mark, squares without terrain",
       "\xEF\xBB\xBF\xEF\xBB\xBFMark\nPlayers 1\nSize 3 x 1\nh?z\nMAP_CODES\n1\nh KPR1_HEART\n" +
           things + "HEARTS_AND_GOLD\nKPR3_HEART_CENTER 0 0\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    expectRoundTrip(c.text);
  }
}

// A map of every terrain: more than the printable characters the text has.
TEST(Decompile, DrawsEveryTerrainWithACharacterOfItsOwn) {
  std::string row;
  std::string legend;
  unsigned char c = '!';
  for (const NameValue& t : kTerrainTable) {
    row += static_cast<char>(c);
    legend += std::string(1, static_cast<char>(c)) + " " + std::string(t.name) + "\n";
    c = c == '~' ? 0x80 : static_cast<unsigned char>(c + 1);
  }
  const std::string text = "All\nPlayers 1\nSize " + std::to_string(kTerrainTable.size()) +
                           " x 1\n" + row + "\nMAP_CODES\n" + std::to_string(kTerrainTable.size()) +
                           "\n" + legend +
                           "THINGS\n0\nCREATURES\n0\nDOORS\n0\nTRAPS\n0\nHEARTS_AND_GOLD\n"
                           "KPR1_HEART_CENTER 0 0\n";
  const std::string decompiled = expectRoundTrip(text);
  EXPECT_NE(decompiled.find("# SOLID_ROCK\n"), std::string::npos);
  EXPECT_NE(decompiled.find(". KPR1_CLAIMED_SQ\n"), std::string::npos);
}

TEST(Decompile, ChoosesThePlainestText) {
  const std::string lair = expectRoundTrip(readExample("lair1.txt"));
  // A fixed character a terrain, as the examples draw them.
  EXPECT_NE(lair.find("\n############\n#..........#\n"), std::string::npos) << lair;
  EXPECT_NE(lair.find("MAP_CODES\n7\n# SOLID_ROCK\n"), std::string::npos) << lair;
  // The automatic gate's triggers and the gate release are folded into the gate terrain and
  // a release written with G; the statements are those that change a default.
  EXPECT_NE(lair.find("TRIGGERS\n3\nTRIGGER_TIME 600\n2\nACTION_HERO_RELEASE 1 G 2\n"),
            std::string::npos)
      << lair;
  EXPECT_NE(lair.find("SCENARIO_DESCRIPTION\nCREATURE_COUNT P1 TROLL 5\nSTART_WITH P1 PORTAL\n"
                      "MUST_RESEARCH P1 CREATE_GOLD_SPELL\nNO P2 CASINO\nEOF\n"),
            std::string::npos)
      << lair;
  const std::string quartet = expectRoundTrip(readExample("quartet_gui.txt"));
  EXPECT_TRUE(quartet.starts_with("Quartet\nPlayers 4\nSize 16 x 12\n")) << quartet;
  EXPECT_NE(quartet.find("\nMAP_CODES\n"), std::string::npos);
  // An old-layout level gets every section, with the defaults it had.
  const std::string cavern = expectRoundTrip(readExample("cavern_old.txt"));
  EXPECT_TRUE(
      cavern.ends_with("HERO_BANDS\n0\nAREAS\n0\nHERO_GATES\n0\nTRIGGERS\n0\n"
                       "SCENARIO_DESCRIPTION\nEOF\n"))
      << cavern;
}

class DecompileCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("decompile_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    const CompileResult compiled = compileMap(readExample("lair1.txt"));
    ASSERT_TRUE(compiled.valid);
    for (const ts::LevelFile& f : compiled.files) {
      std::ofstream((dir_ / f.name).string(), std::ios::binary)
          .write(reinterpret_cast<const char*>(f.bytes.data()),
                 static_cast<std::streamsize>(f.bytes.size()));
    }
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  int run(std::vector<std::string> args) {
    args.insert(args.begin(), "tunnelsmith-decompile");
    out_.str("");
    err_.str("");
    return runDecompiler(args, out_, err_);
  }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  // Changes the byte at `offset` of the file `name`.
  void patch(const std::string& name, std::size_t offset, std::uint8_t value) const {
    std::fstream file(path(name), std::ios::binary | std::ios::in | std::ios::out);
    file.seekp(static_cast<std::streamoff>(offset));
    file.put(static_cast<char>(value));
  }

  std::filesystem::path dir_;
  std::ostringstream out_;
  std::ostringstream err_;
};

TEST_F(DecompileCommand, FindsTheOtherFilesAndWritesTheText) {
  EXPECT_EQ(run({path("Lair1Things.kld")}), 0) << err_.str();
  EXPECT_TRUE(out_.str().starts_with("Lair1\nPlayers 2\n"));
  EXPECT_EQ(err_.str(), "");
  EXPECT_EQ(run({"-o", path("lair.txt"), path("Lair1.kwd")}), 0) << err_.str();
  std::ifstream written(path("lair.txt"));
  std::ostringstream text;
  text << written.rdbuf();
  EXPECT_TRUE(compileMap(text.str()).valid);

  std::filesystem::remove(path("Lair1Players.kld"));
  EXPECT_EQ(run({path("Lair1Things.kld")}), 2);
  EXPECT_NE(err_.str().find("cannot read " + path("Lair1Players.kld")), std::string::npos);
}

// What the text cannot hold is listed with its file and offset, and the status says so.
TEST_F(DecompileCommand, ListsWhatTheTextCannotHold) {
  // A byte of the first creature that the compiler always writes as 9: well-formed, but no text
  // gives another value.
  const std::size_t creatureByte = layout::kFirstThingElement + kChunkHeaderSize + 15;
  patch("Lair1Things.kld", creatureByte, 7);
  EXPECT_EQ(run({path("Lair1Things.kld")}), 1);
  EXPECT_NE(
      err_.str().find(path("Lair1Things.kld") + ": offset " + std::to_string(creatureByte) + " "),
      std::string::npos)
      << err_.str();
  EXPECT_TRUE(compileMap(out_.str()).valid);

  // A damaged file gets the inspector's report.
  std::filesystem::resize_file(path("Lair1Variables.kld"), 100);
  EXPECT_EQ(run({path("Lair1Things.kld")}), 1);
  EXPECT_NE(
      err_.str().find(path("Lair1Variables.kld") + ": offset 88 (0x58): entry 3 is cut short"),
      std::string::npos)
      << err_.str();
  EXPECT_NE(err_.str().find("a level file is damaged"), std::string::npos);
  // Only the inspector's report: what the decoding makes of a damaged file adds nothing.
  EXPECT_EQ(err_.str().find("lacks the default entry"), std::string::npos) << err_.str();
  EXPECT_TRUE(compileMap(out_.str()).valid);
}

}  // namespace
}  // namespace ts::decompile
