// The preview end to end: runs the command on map texts, decodes the written PNG with libpng and
// checks its size and the colours at known squares; rejected maps and bad arguments write
// nothing.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "draw.h"
#include "palette.h"
#include "preview_run.h"
#include "reader/map_reader.h"

namespace ts::preview {
namespace {

namespace fs = std::filesystem;

// 12 by 9 squares: keeper 1's floor at (2..3, 2..3), keeper 2's at (2..3, 4..5), gold at
// (6..7, 2..3), a HERO_GATE_2 column at (9, 5..7), entrance area 1 over (2..4, 7). Hearts at
// (9, 2) and (6, 7), away from the squares the tests sample.
constexpr std::string_view kProbeMap = R"(Probe
Players 2
Size 12 x 9
############
#..........#
#.11..gg...#
#.11..gg...#
#.22.......#
#.22.....G.#
#........G.#
#........G.#
############
MAP_CODES
6
# MAP_BORDER
. UNCLAIMED
1 KPR1_CLAIMED_SQ
2 KPR2_CLAIMED_SQ
g GOLD
G HERO_GATE_2
THINGS
0
CREATURES
0
DOORS
0
TRAPS
0
HEARTS_AND_GOLD
KPR1_HEART_CENTER 9 2
GOLD1 100
KPR2_HEART_CENTER 6 7
GOLD2 100
HERO_BANDS
0
AREAS
1
1 2 7 4 7
HERO_GATES
1
1 9 6
TRIGGERS
0
SCENARIO_DESCRIPTION
EOF
)";

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
  PixelPoint origin;  // of the map, set by place()
  int scale = 1;

  void place(int mapWidth, int mapHeight, int squarePixels) {
    origin = mapOrigin(mapWidth, mapHeight, squarePixels);
    scale = squarePixels;
  }

  [[nodiscard]] Rgb at(int x, int y) const {
    const auto i = 3 * (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                        static_cast<std::size_t>(x));
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
  }
  // A pixel counted from the map's top-left corner.
  [[nodiscard]] Rgb mapAt(int x, int y) const { return at(origin.x + x, origin.y + y); }
  // The centre pixel of square (x, y).
  [[nodiscard]] Rgb square(int x, int y) const {
    return mapAt(x * scale + scale / 2, y * scale + scale / 2);
  }
};

::testing::AssertionResult decodePng(const fs::path& path, Picture& picture) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&png, path.c_str()) == 0) {
    return ::testing::AssertionFailure() << path << ": " << png.message;
  }
  png.format = PNG_FORMAT_RGB;
  picture.width = static_cast<int>(png.width);
  picture.height = static_cast<int>(png.height);
  picture.rgb.resize(PNG_IMAGE_SIZE(png));
  if (png_image_finish_read(&png, nullptr, picture.rgb.data(), 0, nullptr) == 0) {
    return ::testing::AssertionFailure() << path << ": " << png.message;
  }
  return ::testing::AssertionSuccess();
}

std::string readExample(const std::string& name) {
  std::ifstream in(fs::path(TUNNELSMITH_SOURCE_DIR) / "examples" / name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::ptrdiff_t filesIn(const fs::path& dir) {
  return std::distance(fs::directory_iterator(dir), fs::directory_iterator());
}

// An old-format map of unclaimed squares with keeper 1's heart at (heartX, heartY).
std::string plainMap(int width, int height, int heartX, int heartY) {
  std::string text =
      "Plain\nPlayers 1\nSize " + std::to_string(width) + " x " + std::to_string(height) + "\n";
  for (int row = 0; row < height; ++row) text += std::string(width, '.') + "\n";
  return text +
         "MAP_CODES\n1\n. UNCLAIMED\nTHINGS\n0\nCREATURES\n0\nDOORS\n0\nTRAPS\n0\n"
         "HEARTS_AND_GOLD\nKPR1_HEART_CENTER " +
         std::to_string(heartX) + " " + std::to_string(heartY) + "\nGOLD1 0\n";
}

class PreviewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           (std::string("tunnelsmith_preview_") + info->name() + "_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path writeMap(std::string_view text) {
    const fs::path path = dir_ / "map.txt";
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  int run(std::vector<std::string> args) {
    args.insert(args.begin(), "tunnelsmith-preview");
    console_.str("");
    return runPreview(args, console_);
  }

  fs::path dir_;
  std::ostringstream console_;
};

TEST_F(PreviewTest, DrawsTerrainOwnersGateAreaAndHeartsAtEveryScale) {
  const fs::path map = writeMap(kProbeMap);
  for (int scale : {8, 16, 5}) {
    SCOPED_TRACE(scale);
    const fs::path out = dir_ / ("probe" + std::to_string(scale) + ".png");
    ASSERT_EQ(run({map.string(), "-o", out.string(), "--scale", std::to_string(scale)}), 0);
    EXPECT_EQ(console_.str(), "produced picture : " + out.string() + "\n");
    Picture p;
    ASSERT_TRUE(decodePng(out, p));
    p.place(12, 9, scale);

    // The map fills exactly 12 by 9 squares inside its margin; the legend lies to its right.
    ASSERT_GT(p.width, p.origin.x + 12 * scale);
    ASSERT_GT(p.height, p.origin.y + 9 * scale);
    EXPECT_EQ(p.mapAt(0, 0), kMapBorderFill);
    EXPECT_EQ(p.mapAt(12 * scale - 1, 9 * scale - 1), kMapBorderFill);
    EXPECT_EQ(p.mapAt(12 * scale, 9 * scale - 1), kLegendBackground);
    EXPECT_EQ(p.mapAt(12 * scale - 1, 9 * scale), kLegendBackground);
    EXPECT_EQ(p.mapAt(-1, 9 * scale - 1), kLegendBackground);

    const Rgb keeper1 = p.square(2, 2);  // claimed floor: red for keeper 1
    EXPECT_GT(keeper1.r, keeper1.g + 50);
    EXPECT_GT(keeper1.r, keeper1.b + 50);
    EXPECT_EQ(p.square(3, 3), keeper1);
    const Rgb keeper2 = p.square(2, 4);  // and blue for keeper 2
    EXPECT_GT(keeper2.b, keeper2.r + 50);
    const Rgb gold = p.square(6, 2);  // yellow
    EXPECT_GT(gold.r, 200);
    EXPECT_GT(gold.g, 150);
    EXPECT_LT(gold.b, 100);
    EXPECT_EQ(p.square(9, 6), tileLook(kHeroGate2Code).fill);
    EXPECT_EQ(p.square(1, 6), tileLook(0x01010203).fill);  // unclaimed floor

    // Outlines run along the border of the gate's extent and of the area, not through them.
    EXPECT_EQ(p.mapAt(9 * scale, 6 * scale + scale / 2), kGateOutline);
    EXPECT_EQ(p.mapAt(10 * scale - 1, 6 * scale + scale / 2), kGateOutline);
    EXPECT_EQ(p.mapAt(2 * scale, 7 * scale + scale / 2), kAreaOutline);
    EXPECT_EQ(p.mapAt(5 * scale - 1, 7 * scale + scale / 2), kAreaOutline);
    EXPECT_NE(p.square(3, 7), kAreaOutline);

    // Each heart's ring crosses the row through its centre on both sides, in its keeper's hue.
    struct Heart {
      int x, y;
      Rgb hue, other;
    };
    for (const Heart& h :
         {Heart{9, 2, ownerHue(3), ownerHue(4)}, Heart{6, 7, ownerHue(4), ownerHue(3)}}) {
      SCOPED_TRACE(h.x);
      const int cx = p.origin.x + h.x * scale + scale / 2;
      const int cy = p.origin.y + h.y * scale + scale / 2;
      bool left = false;
      bool right = false;
      bool other = false;
      for (int d = 1; d <= 2 * scale; ++d) {
        left = left || p.at(cx - d, cy) == h.hue;
        right = right || p.at(cx + d, cy) == h.hue;
        other = other || p.at(cx - d, cy) == h.other || p.at(cx + d, cy) == h.other;
      }
      EXPECT_TRUE(left);
      EXPECT_TRUE(right);
      EXPECT_FALSE(other);
    }
  }
}

TEST_F(PreviewTest, DefaultScaleMakesTheLongSideAbout800Pixels) {
  struct Case {
    int width, height, scale;
  };
  for (const Case& c : {Case{12, 9, 64}, Case{85, 40, 9}, Case{200, 200, 4}, Case{400, 300, 2},
                        Case{1000, 1000, 1}}) {
    SCOPED_TRACE(c.width);
    EXPECT_EQ(defaultScale(c.width, c.height), c.scale);
  }
  // Drawn at that scale unless --scale says otherwise.
  const fs::path map = writeMap(plainMap(85, 40, 3, 3));
  const Rgb ground = tileLook(0x01010203).fill;
  for (const Case& c : {Case{85, 40, 9}, Case{85, 40, 20}}) {
    SCOPED_TRACE(c.scale);
    std::vector<std::string> args = {map.string(), "-o", (dir_ / "p.png").string()};
    if (c.scale != 9) args.insert(args.end(), {"--scale", std::to_string(c.scale)});
    ASSERT_EQ(run(args), 0);
    Picture p;
    ASSERT_TRUE(decodePng(dir_ / "p.png", p));
    p.place(85, 40, c.scale);
    EXPECT_EQ(p.mapAt(85 * c.scale - 1, 0), ground);
    EXPECT_EQ(p.mapAt(85 * c.scale, 0), kLegendBackground);
  }
}

// Labels along one ruler of a map `squares` long: runs of text pixels in the band above the map
// (or left of it) that are more than three dots apart. Labels that touched or overlapped would
// be counted as one.
int rulerLabels(const Picture& p, bool top, int squares, int dot) {
  const int first = (top ? p.origin.x : p.origin.y) - p.scale;  // the other ruler lies before
  const int length = first + (squares + 1) * p.scale;
  int labels = 0;
  int gap = 4 * dot;
  for (int along = first; along < length; ++along) {
    bool text = false;
    for (int across = 0; across < (top ? p.origin.y : p.origin.x) && !text; ++across) {
      text = (top ? p.at(along, across) : p.at(across, along)) == kLegendText;
    }
    if (text && gap > 3 * dot) ++labels;
    gap = text ? 0 : gap + 1;
  }
  return labels;
}

// Coordinates every square on squares of 24 pixels or more, every five or ten below, never
// touching; and a margin that keeps the ring of a heart on the top row whole.
TEST_F(PreviewTest, RulersNameEverySquareWhenLargeAndNeverOverlap) {
  const fs::path map = writeMap(plainMap(30, 12, 1, 0));
  struct Case {
    int scale, dot, columns, rows;
  };
  // 30 columns and 12 rows: every square at 24 and 32 (in large text where it fits), every
  // fifth at 16 (0 to 25 and 0, 5, 10), every tenth at 5 (0, 10, 20 and 0, 10).
  for (const Case& c :
       {Case{32, 2, 30, 12}, Case{24, 1, 30, 12}, Case{16, 2, 6, 3}, Case{5, 1, 3, 2}}) {
    SCOPED_TRACE(c.scale);
    ASSERT_EQ(
        run({map.string(), "-o", (dir_ / "r.png").string(), "--scale", std::to_string(c.scale)}),
        0);
    Picture p;
    ASSERT_TRUE(decodePng(dir_ / "r.png", p));
    p.place(30, 12, c.scale);
    EXPECT_EQ(rulerLabels(p, true, 30, c.dot), c.columns);
    EXPECT_EQ(rulerLabels(p, false, 12, c.dot), c.rows);
  }

  // The heart at (1, 0): its ring shows above the map's top edge.
  ASSERT_EQ(run({map.string(), "-o", (dir_ / "r.png").string(), "--scale", "16"}), 0);
  Picture p;
  ASSERT_TRUE(decodePng(dir_ / "r.png", p));
  p.place(30, 12, 16);
  const int cx = 1 * 16 + 8;
  bool ringAbove = false;
  for (int d = 1; d <= 16; ++d) ringAbove = ringAbove || p.mapAt(cx, -d) == ownerHue(3);
  EXPECT_TRUE(ringAbove);
}

// A rejected map still gets its picture: what was read before the error (here everything up to
// hero gate 2, written one row off its squares), the error's square marked, the compiler's
// message in the legend, and status 1.
TEST_F(PreviewTest, RejectedMapGetsAPictureOfWhatWasReadWithTheErrorMarked) {
  std::string text = readExample("lair1.txt");
  text.replace(text.find("\n2 3 8\n"), 7, "\n2 3 7\n");
  const fs::path map = writeMap(text);
  const fs::path out = dir_ / "rejected.png";
  EXPECT_EQ(run({map.string(), "-o", out.string(), "--scale", "20"}), 1);
  EXPECT_NE(console_.str().find("no corresponding Gate Terrain on Map Gate # 2\n"),
            std::string::npos)
      << console_.str();
  EXPECT_NE(console_.str().find("The map was rejected; produced a picture of what was read : " +
                                out.string()),
            std::string::npos)
      << console_.str();
  Picture p;
  ASSERT_TRUE(decodePng(out, p));
  p.place(12, 10, 20);
  EXPECT_EQ(p.square(4, 5), tileLook(0x01010206).fill);  // gold, read
  // The mark's frame crosses the row through the middle of (3, 7), not of (9, 2).
  auto framed = [&p](int x, int y) {
    for (int d = -20; d < 40; ++d) {
      if (p.mapAt(x * 20 + d, y * 20 + 10) == kErrorMark) return true;
    }
    return false;
  };
  EXPECT_TRUE(framed(3, 7));
  EXPECT_FALSE(framed(9, 2));
  // The legend carries the message in its own colour.
  int errorText = 0;
  for (int y = 0; y < p.height; ++y) {
    for (int x = p.origin.x + 12 * 20; x < p.width; ++x) errorText += p.at(x, y) == kErrorText;
  }
  EXPECT_GT(errorText, 500);

  // A reading that stopped in the grid, a row short: the rows it read have no terrain (it never
  // reached MAP_CODES), the row it did not read is drawn as not read. (A pixel off the stripes.)
  std::string cut = readExample("lair1.txt");
  cut.erase(cut.find("#.AAA......#\n"), 13);
  EXPECT_EQ(run({writeMap(cut).string(), "-o", out.string(), "--scale", "8"}), 1);
  ASSERT_TRUE(decodePng(out, p));
  p.place(12, 10, 8);
  EXPECT_EQ(p.mapAt(8 * 1 + 1, 8 * 1 + 1), tileLook(kUnknownTerrainCode).fill);
  EXPECT_EQ(p.mapAt(8 * 1 + 1, 8 * 9 + 1), tileLook(kNotReadCode).fill);
  EXPECT_EQ(filesIn(dir_), 2);  // the map and the picture, no temporary left behind
}

TEST_F(PreviewTest, BadArgumentsPrintWhyAndWriteNothing) {
  const std::string map = writeMap(kProbeMap).string();
  const std::string out = (dir_ / "x.png").string();
  const std::string absent = (dir_ / "absent.txt").string();
  const std::string unwritable = (dir_ / "no" / "such" / "dir.png").string();
  const std::string usage =
      "Syntax is tunnelsmith-preview MAPFILE [-o OUT.png] [--scale N] (--help explains)\n";
  struct Case {
    std::vector<std::string> args;
    std::string console;
    int status;
  };
  const Case cases[] = {
      {{}, usage, 2},
      {{map, map}, usage, 2},
      {{map, "-o"}, usage, 2},
      {{map, "--scale"}, usage, 2},
      {{map, "--bogus"}, usage, 2},
      {{map, "-o", out, "--scale", "0"}, "Bad scale: 0; a square is 1 to 64 pixels\n", 2},
      {{map, "-o", out, "--scale", "65"}, "Bad scale: 65; a square is 1 to 64 pixels\n", 2},
      {{map, "-o", out, "--scale", "8px"}, "Bad scale: 8px; a square is 1 to 64 pixels\n", 2},
      {{map, "-o", out, "--scale", "-3"}, "Bad scale: -3; a square is 1 to 64 pixels\n", 2},
      {{absent, "-o", out}, "Opening of Map File Failed: " + absent + "\n", 2},
      {{map, "-o", unwritable},
       "Could not write " + unwritable + ": No such file or directory\n",
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.console);
    EXPECT_EQ(run(c.args), c.status);
    EXPECT_EQ(console_.str(), c.console);
    EXPECT_FALSE(fs::exists(out));
  }
  EXPECT_EQ(filesIn(dir_), 1);
}

TEST_F(PreviewTest, HelpDocumentsTheExitStatuses) {
  EXPECT_EQ(run({"--help"}), 0);
  EXPECT_NE(console_.str().find("Usage: tunnelsmith-preview MAPFILE [-o OUT.png] [--scale N]"),
            std::string::npos);
  EXPECT_NE(console_.str().find("Exit status: 0 the map was accepted and the picture written; 1 "
                                "a picture written for a\nrejected map, or no picture"),
            std::string::npos)
      << console_.str();
}

// Each trigger in a line of the legend: areas and gates as releases name them, times in seconds
// of play.
TEST(PreviewLegendTest, TriggerLinesSayWhatIsReleasedWhere) {
  const NameMaps names;
  std::ostringstream console;
  const LevelDescription level = readLevel(readExample("lair1.txt"), names, console);
  ASSERT_TRUE(level.isValid) << console.str();
  EXPECT_EQ(triggerLines(level),
            (std::vector<std::string>{
                "TRIGGER 1: AFTER 600 S OF PLAY (10:00): BAND 1 AT G 2, GIVES KEEPER 1 TEMPLE",
                "TRIGGER 2: WHEN KEEPER 1 HOLDS A 1: DESTROYS G 2",
                "TRIGGER 3: AT 5 SLAPS: BAND 2 AT A 1"}));
}

TEST_F(PreviewTest, OversizedPictureIsRefused) {
  // 400 by 300 squares of 64 pixels would be some 490 million pixels.
  const fs::path map = writeMap(plainMap(400, 300, 5, 5));
  const fs::path out = dir_ / "big.png";
  EXPECT_EQ(run({map.string(), "--scale", "64", "-o", out.string()}), 1);
  EXPECT_NE(console_.str().find("Picture too large: "), std::string::npos) << console_.str();
  EXPECT_FALSE(fs::exists(out));
  EXPECT_EQ(run({map.string(), "--scale", "1", "-o", out.string()}), 0) << console_.str();
  EXPECT_TRUE(fs::exists(out));
}

TEST_F(PreviewTest, DefaultNameIsTheLevelNameInTheCurrentDirectory) {
  const fs::path map = writeMap(kProbeMap);
  const fs::path previous = fs::current_path();
  fs::current_path(dir_);
  const int status = run({map.string()});
  fs::current_path(previous);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(console_.str(), "produced picture : Probe.png\n");
  Picture p;
  EXPECT_TRUE(decodePng(dir_ / "Probe.png", p));
}

TEST_F(PreviewTest, GuiMapResolvesItsSquaresLikeTheCompiler) {
  // The example's squares: 1A at (4, 3) is keeper 1's claimed floor, Og at (6, 5) gold, Op at
  // (14, 5) the HERO_GATE_7 marker, Ol at (8, 9) HERO_GATE_4.
  const fs::path map = fs::path(TUNNELSMITH_SOURCE_DIR) / "examples" / "quartet_gui.txt";
  const fs::path out = dir_ / "quartet.png";
  ASSERT_EQ(run({map.string(), "-o", out.string(), "--scale", "10"}), 0) << console_.str();
  Picture p;
  ASSERT_TRUE(decodePng(out, p));
  p.place(16, 12, 10);
  EXPECT_EQ(p.square(4, 3), tileLook(0x01010308).fill);
  EXPECT_EQ(p.square(6, 5), tileLook(0x01010206).fill);
  EXPECT_EQ(p.square(14, 5), tileLook(kHeroGate7Marker).fill);
  EXPECT_EQ(p.square(8, 9), tileLook(kHeroGate4Code).fill);
  EXPECT_NE(p.square(14, 5), p.square(8, 9));
}

TEST_F(PreviewTest, ExecutableDrawsTheExampleLevelAndExitsWithZero) {
  const fs::path map = fs::path(TUNNELSMITH_SOURCE_DIR) / "examples" / "lair1.txt";
  const fs::path out = dir_ / "lair1.png";
  const std::string command = std::string(PREVIEW_EXE) + " '" + map.string() + "' -o '" +
                              out.string() + "' > '" + (dir_ / "console.txt").string() + "'";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  Picture p;
  ASSERT_TRUE(decodePng(out, p));
  EXPECT_GT(p.width, 12 * defaultScale(12, 10));
  EXPECT_GT(p.height, 10 * defaultScale(12, 10));
}

}  // namespace
}  // namespace ts::preview
