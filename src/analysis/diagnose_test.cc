// The line to fix: each family of designer mistakes reported at the line to edit, the silent
// changes warned about, and every independent mistake found in one run.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/check.h"
#include "analysis/check_test_support.h"
#include "testing/read_file.h"

namespace ts::check {
namespace {

using namespace test_support;  // NOLINT: the tests' shared helpers

// A valid one-keeper map with a heart and a gate; each case changes one piece of it.
std::string baseMap() {
  return "Lv\nPlayers 1\nSize 6 x 4\n"
         "######\n#hh.G#\n#hh..#\n######\n"
         "MAP_CODES\n4\n# SOLID_ROCK\n. KPR1_CLAIMED_SQ\nh KPR1_HEART\nG HERO_GATE_1\n"
         "THINGS\n1\nTH_BARREL 3 2\n"
         "CREATURES\n1\nTROLL 3 1 L4 P1\n"
         "DOORS\n1\nWOODEN_DOOR 3 2 P1 L\nTRAPS\n0\n"
         "HEARTS_AND_GOLD\nKPR1_HEART_CENTER 1 1\nGOLD1 100\n"
         "HERO_BANDS\n1\nBand 1 PH\nKNIGHT L2\n"
         "AREAS\n1\n1 1 2 2 2\nHERO_GATES\n1\n1 4 1\n"
         "TRIGGERS\n1\nTRIGGER_TIME 10\n1\nACTION_DESTROY_HERO_GATE 1\n"
         "SCENARIO_DESCRIPTION\nNO P1 CASINO\nEOF\n";
}

std::string withNotes(const Diagnostic& d) {
  std::string text = d.text;
  for (const Note& n : d.notes) text += " | " + n.text;
  return text;
}

std::string fixed(std::string text, const Diagnostic& d) {
  std::vector<Edit> edits = d.fixes;
  std::sort(edits.begin(), edits.end(), [](auto& a, auto& b) { return a.offset > b.offset; });
  for (const Edit& e : edits) text.replace(e.offset, e.length, e.replacement);
  return text;
}

struct Case {
  std::string from, to;  // the change to the base map; several are separated by '|'
  std::string at;        // where the diagnostic points (its first occurrence after the change)
  Severity severity;
  std::string id;
  std::string words;  // in the message or its notes
};

void expectReported(const Case& c) {
  SCOPED_TRACE(c.to);
  std::string text = baseMap();
  for (std::size_t f = 0, t = 0; f <= c.from.size() && t <= c.to.size();) {
    const std::size_t fEnd = std::min(c.from.find('|', f), c.from.size());
    const std::size_t tEnd = std::min(c.to.find('|', t), c.to.size());
    text = replaced(text, c.from.substr(f, fEnd - f), c.to.substr(t, tEnd - t));
    f = fEnd + 1;
    t = tEnd + 1;
  }
  const std::vector<Diagnostic> found = checkMap(text, names());
  const auto it = std::find_if(found.begin(), found.end(),
                               [&](const Diagnostic& d) { return d.name() == c.id; });
  ASSERT_NE(it, found.end()) << (found.empty() ? "nothing" : withNotes(found[0]));
  EXPECT_EQ(it->span.start, text.find(c.at));
  EXPECT_EQ(it->severity, c.severity);
  EXPECT_NE(withNotes(*it).find(c.words), std::string::npos) << withNotes(*it);
  EXPECT_FALSE(it->afterFirstError);
  // A fix mends the mistake: the map then compiles without an error; an editor can say what it
  // does.
  EXPECT_EQ(it->fixes.empty(), it->fixTitle.empty()) << it->fixTitle;
  if (!it->fixes.empty()) {
    for (const Diagnostic& d : checkMap(fixed(text, *it), names())) {
      EXPECT_NE(d.severity, Severity::kError) << withNotes(d);
    }
  }
}

TEST(Diagnose, FatalErrorsAtTheLineToFix) {
  const Case cases[] = {
      {"CREATURES\n1", "CREATURES\n3", "3\nTROLL", Severity::kError, "count-too-large", "1 entry"},
      {"THINGS\n1", "THINGS\n2", "2\nTH_", Severity::kError, "count-too-large", "says 2"},
      {"THINGS\n", "THINGS \n", "THINGS ", Severity::kError, "keyword-with-blanks", "alone"},
      {"DOORS\n", " DOORS\n", " DOORS", Severity::kError, "keyword-with-blanks", "alone"},
      {"HERO_GATES\n", "HERO_GATE\n", "HERO_GATE\n", Severity::kError, "misspelt-keyword",
       "did you mean HERO_GATES"},
      {"SCENARIO_DESCRIPTION", "Scenario description", "Scenario", Severity::kError,
       "misspelt-keyword", "did you mean SCENARIO_DESCRIPTION"},
      {"EOF\n", "", "NO P1", Severity::kError, "missing-eof", "add EOF"},
      {"EOF\n", "eof\n", "eof", Severity::kError, "misspelt-eof", "did you mean EOF"},
      {"KPR1_HEART_CENTER 1 1", "KPR1_HEART_CENTER 1,1", "1,1", Severity::kError, "not-a-number",
       "without commas"},
      // The zero-padded number shifts every later word of its section: it is the line to fix.
      {"CREATURES\n1\nTROLL 3 1", "CREATURES\n2\nTROLL 08 1 L4 P1\nTROLL 3 1", "08 1",
       Severity::kError, "not-a-number", "one place later"},

      {"Size 6 x 4", "Size 6 4", "6 4", Severity::kError, "size-without-separator", "6 x 4"},
      {"Players 1", "Players 2", "2\nSize", Severity::kError, "heart-count",
       "expected 2 heart centres (one for each keeper), found 1"},
      // A heart keyword given twice is the mistake, not an unknown word.
      {"Players 1|GOLD1", "Players 2|KPR1_HEART_CENTER 2 1\nGOLD1", "KPR1_HEART_CENTER 2",
       Severity::kError, "heart-count",
       "given twice and the second is ignored; did you mean KPR2_HEART_CENTER?"},
      {"1 4 1\n", "1 4 2\n", "4 2", Severity::kError, "gate-square",
       "nearest gate square is (4, 1)"},
      {"1 4 1\n", "1 1 4\n", "1 4\nTRIG", Severity::kError, "gate-square", "swapped"},

      {"ACTION_DESTROY_HERO_GATE 1", "ACTION_DESTROY_HERO_GATE 2", "2\nSCEN", Severity::kError,
       "destroy-gate-out-of-range", "gate numbers are 1 to 1"},
      {"TRIGGER_TIME", "TRIGGER_TIMER", "TRIGGER_TIMER", Severity::kError, "unknown-trigger",
       "did you mean TRIGGER_TIME"},
      {"ACTION_DESTROY_HERO_GATE", "ACTION_DESTROY_GATE", "ACTION_DESTROY_GATE", Severity::kError,
       "unknown-action", "did you mean ACTION_DESTROY_HERO_GATE"},

      {"#hh..#", "#hh.#", "#hh.#", Severity::kError, "map-row-too-short", "6 squares"},
      {"Size 6 x 4", "Size 6 x 5", "5\n####", Severity::kError, "height-larger-than-rows",
       "gives 5 rows, but the map has 4 rows"},
      // The grid cut short is no grid for the sections read after it (the gates were once
      // looked for in rows that were not there).
      {"Size 6 x 4", "Size 7 x 4", "7 x", Severity::kError, "width-larger-than-rows",
       "the rows have 6 squares"},
      {"Players 1", "Players 5", "5\nSize", Severity::kError, "bad-player-count", "1 to 4"},
      // A band counting a member more than it lists takes the next keyword for a creature: the
      // keyword is what the compiler misses, and the band is why (no recount of AREAS mends it).
      {"Band 1 PH|AREAS\n1\n1 1 2 2 2\n", "Band 2 PH|AREAS\n0\n", "AREAS\n0", Severity::kError,
       "count-missing", "the hero band 'Band' counts more members than it lists"},
      {"#hh.G#|G HERO_GATE_1|1 4 1\n", "Ghh..#|G HERO_GATE_3|1 0 1\n", "0 1\nTRIG",
       Severity::kError, "gate-square", "one square away from the left edge"},

      {"TRIGGER_TIME 10\n1", "TRIGGER_TIME 10\n2", "2\nACTION", Severity::kError, "action-count",
       "larger than the actions written"},
      {"TRIGGERS\n1\nTRIGGER_TIME 10\n1|HERO_GATE 1\n",
       "TRIGGERS\n2\nTRIGGER_TIME 10\n0|HERO_GATE 1\nTRIGGER_TIME 20\n0\n", "0\nACTION",
       Severity::kError, "action-count", "smaller than the actions written"},
      {"TRIGGER_TIME 10", "TRIGGER_CONTROL_AREA P1 2", "2\n1\nACTION", Severity::kError,
       "control-area-out-of-range", "entrance areas are 1 to 1"},
      {"TRIGGER_TIME 10", "TRIGGER_CONTROL_AREA P7 1", "P7", Severity::kError, "unknown-player",
       "did you mean P1"},
      {"ACTION_DESTROY_HERO_GATE 1", "ACTION_HERO_RELEASE 1 g 1", "g 1", Severity::kError,
       "invalid-switch", "upper case"},

      // An entry that lacks a word reads on into the next line: the line to fix is the entry's.
      {"KPR1_HEART_CENTER 1 1", "KPR1_HEART_CENTER 1", "KPR1_HEART_CENTER 1\n", Severity::kError,
       "word-missing", "takes 'GOLD1'"},
      {"TRIGGER_TIME 10\n1", "TRIGGER_TIME\n1", "TRIGGER_TIME\n", Severity::kError, "word-missing",
       "takes 'ACTION_DESTROY_HERO_GATE'"},
      {"WOODEN_DOOR 3 2 P1 L", "WOODEN_DOOR 3 2 P1", "WOODEN_DOOR", Severity::kError,
       "word-missing", "reads the TRAPS keyword on the next line as its lock flag"},
      {"TRIGGER_TIME 10", "TRIGGER_CONTROL_AREA 1", "1\n1\nACTION", Severity::kError,
       "word-missing", "write TRIGGER_CONTROL_AREA P1 1"},
      {"TROLL 3 1 L4 P1", "TROLL 3 1 P1", "P1\nDOORS", Severity::kError, "word-missing",
       "missing before the owner 'P1'; every word after it is read out of its place, so the "
       "compiler reads the DOORS keyword on the next line as its player token"},
      {"Band 1 PH\nKNIGHT L2", "Band 2 PH\nKNIGHT\nDWARF L2", "KNIGHT\nDWARF", Severity::kError,
       "word-missing", "lacks a level token (L1 to L10); the compiler reads 'DWARF'"},
      // A word too many starts an entry of its own, which takes the next line's first word.
      {"CREATURES\n1\nTROLL 3 1 L4 P1", "CREATURES\n2\nTROLL 3 1 L4 P1 P1\nTROLL 3 1 L4 P1",
       "P1\nTROLL 3", Severity::kError, "word-too-many", "'P1' is a word too many"},
      // A section out of its place, or its keyword spelt with some of its parts.
      {"DOORS\n1\nWOODEN_DOOR 3 2 P1 L\nTRAPS\n0\n", "TRAPS\n0\nDOORS\n1\nWOODEN_DOOR 3 2 P1 L\n",
       "TRAPS\n0\nDOORS", Severity::kError, "section-out-of-order",
       "move it after the DOORS section"},
      {"HEARTS_AND_GOLD", "HEARTS_GOLD", "HEARTS_GOLD", Severity::kError, "misspelt-keyword",
       "did you mean HEARTS_AND_GOLD"},
      {"TRIGGERS\n1\nTRIGGER_TIME 10\n1\nACTION_DESTROY_HERO_GATE 1",
       "TRIGGERS\n2\nTRIGGER_TIME 10\n1\nACTION_DESTROY_HERO_GATE 1\nACTION_DESTROY_HERO_GATE "
       "1\nTRIGGER_TIME 5\n0",
       "1\nACTION", Severity::kError, "action-count", "repeats the line before it"},
      {"TROLL 3 1 L4 P1", "TROLL 3 1 L4P1", "L4P1", Severity::kError, "word-missing",
       "a level and an owner without a blank: write L4 P1"},
      {"TRIGGERS\n", "TRIGGERS\xc2\xa0\n", "TRIGGERS\xc2", Severity::kError, "misspelt-keyword",
       "only looks like a blank or a letter"},
      {"HERO_GATES\n1\n1 4 1", "HERO_GATES\n1 4 1", "1 4 1\nTRIG", Severity::kError,
       "count-missing", "the first entry's number, 1, is read as the count"},
      {"KPR1_HEART_CENTER 1 1\nGOLD1 100\nHERO_BANDS\n1",
       "GOLD1 100\nHERO_BANDS\nKPR1_HEART_CENTER 1 1\n1", "KPR1_HEART_CENTER 1 1\n1",
       Severity::kError, "heart-count", "stands after HEARTS_AND_GOLD has ended"},
      // An entry written in another section's place: the count is right, the entry is not.
      {"THINGS\n1\nTH_BARREL 3 2\nCREATURES\n1\nTROLL 3 1 L4 P1",
       "THINGS\n2\nTH_BARREL 3 2\nTROLL 3 1 L4 P1\nCREATURES\n1", "1\nDOORS", Severity::kError,
       "count-too-large", "this entry belongs in CREATURES: moved back, the count is right"},
      // The word before the player count left out; a number past 32 bits; both halves of a
      // conflict.
      {"Players 1", "1", "1\nSize", Severity::kError, "bad-player-count", "as in 'Players 1'"},
      {"GOLD1 100", "GOLD1 99999999999", "99999999999", Severity::kError, "not-a-number",
       "too large: a number holds at most 2147483647"},
      {"1 1 2 2 2", "1 3 1 4 1", "1 4 1\nTRIG", Severity::kError, "gate-conflicts-with-area",
       "entrance area 1, from (3, 1) to (4, 1)"},
  };
  for (const Case& c : cases) expectReported(c);
}

TEST(Diagnose, SilentChangesWarned) {
  const Case cases[] = {
      {"GOLD1 100", "GOLD1 3,000", "3,000", Severity::kWarning, "number-with-comma", "read as 3"},
      {"GOLD1 100", "GOLD 3000", "GOLD 3000", Severity::kWarning, "gold-without-keeper", "GOLD1"},
      {"THINGS\n1", "THINGS\n0", "0\nTH_", Severity::kWarning, "count-too-small",
       "1 entries follow"},
      {"KPR1_HEART_CENTER 1 1", "KPR1_HEART_CENTER 3 1", "KPR1_HEART_CENTER", Severity::kWarning,
       "heart-centre-off-heart", "centre is (1, 1)"},
      {"TROLL 3 1", "TROLL 0 1", "TROLL", Severity::kWarning, "creature-in-rock", "solid rock"},
      {"P1 L\n", "P1 l\n", "l\nTRAPS", Severity::kWarning, "door-lock-lowercase", "unlocked"},
      {"4\n# SOLID_ROCK\n.", "5\n# SOLID_ROCK\nG HERO_GATE_2\n.", "G HERO_GATE_1",
       Severity::kWarning, "character-listed-twice", "smaller code"},
      {"KPR1_HEART_CENTER", "KPR2_HEART_CENTER", "KPR2", Severity::kWarning,
       "heart-of-absent-keeper", "1 keeper"},
      {"TROLL 3 1", "TROLL 3 010", "010", Severity::kWarning, "octal-number", "as 8"},
      {"TROLL 3 1", "TROLL 3 1px", "1px", Severity::kWarning, "number-with-unit", "read as 1"},
      {"TH_BARREL 3 2", "TH_BARREL 3 08", "08", Severity::kWarning, "zero-padded-number",
       "read as 0"},
      // Recounted, the gates would take (0, 0), which is no gate: no fix is offered.
      {"1 4 1\n", "1 4 1\n2 0 0\n", "1\n1 4 1", Severity::kWarning, "count-too-small",
       "--fix leaves this alone"},
      {"Band 1 PH\nKNIGHT L2", "Band 1 PH\nKNIGHT L2\nDWARF L2", "1 PH", Severity::kWarning,
       "band-size", "says 1 but 2 members follow"},
      {"NO P1 CASINO", "No P1 CASINO", "No P1", Severity::kWarning, "unknown-statement",
       "did you mean NO"},
      {"Lv\n", "Lv GUI_GENERATED_MAP\n", "GUI_", Severity::kWarning, "text-after-name",
       "write GUI_GENERATED_MAP before the name"},
      {"Lv\n", "Lv Level 2\n", "Level", Severity::kWarning, "text-after-name", "one word"},
      {"GOLD1 100", "GOLD1 100\nGOLD1 200", "GOLD1 200", Severity::kWarning, "gold-given-twice",
       "this amount replaces the first one"},
      {"SCENARIO_DESCRIPTION\nNO P1 CASINO", "NO P1 CASINO\nSCENARIO_DESCRIPTION", "NO P1 CASINO",
       Severity::kWarning, "skipped-before-section", "never read"},
      {"THINGS\n1\nTH_BARREL 3 2", "THINGS\n1\nTH_BARREL 3 2\nTH_BARREL 3 2", "1\nTH_",
       Severity::kWarning, "count-too-small", "repeats the line before it"},
      {"ACTION_DESTROY_HERO_GATE 1", "ACTION_DESTROY_HERO_GATE 1\nACTION_DESTROY_HERO_GATE 1",
       "ACTION_DESTROY_HERO_GATE 1\nSCEN", Severity::kWarning, "skipped-before-section",
       "after the last entry of TRIGGERS, where it is never read"},
      {"KNIGHT L2", "KNIGHT L 2", "L 2", Severity::kWarning, "number-split",
       "write L2, without a blank"},
      {"######\nMAP_CODES", "######\n######\nMAP_CODES", "######\nMAP", Severity::kWarning,
       "height-smaller-than-rows", "the grid has 5 rows but the size gives 4: this row is never"},
      // Slips that change the level silently: a joined value, a file suffix in the name, a lock
      // flag that is no flag, a copied heart line, a pasted block.
      {"GOLD1 100", "GOLD1 -100", "-100", Severity::kWarning, "gold-below-zero", "below zero"},
      {"GOLD1 100", "GOLD1=100", "GOLD1=100", Severity::kWarning, "unknown-hearts-word",
       "write GOLD1 100, with a blank"},
      {"Lv\n", "Lv.txt\n", "Lv.txt", Severity::kWarning, "text-after-name",
       "without the file's suffix (Lv)"},
      {"WOODEN_DOOR 3 2 P1 L", "WOODEN_DOOR 3 2 P1 1", "1\nTRAPS", Severity::kWarning, "lock-word",
       "'1' is read as unlocked"},
      {"Players 1|GOLD1 100", "Players 2|GOLD1 100\nKPR2_HEART_CENTER 1 1", "KPR2_HEART_CENTER 1 1",
       Severity::kWarning, "hearts-on-one-square", "is keeper 1's too"},
      {"HERO_BANDS\n1\nBand 1 PH\nKNIGHT L2",
       "HERO_BANDS\n1\nBand 1 PH\nKNIGHT L2\nBand 1 PH\nKNIGHT L2", "1\nBand", Severity::kWarning,
       "count-too-small", "these 2 lines repeat the 2 before them"},
      {"MAP_CODES\n4", "MAP_CODES\n4 entries", "4 entries", Severity::kWarning, "count-too-small",
       "the count stands alone on its line: 'entries' after it is read as the first entry"},
      {"TROLL 3 1 L4 P1", "TROLL 3 1 L11 P1", "L11", Severity::kWarning, "unknown-level",
       "not a level token (L1 to L10); L10 is the highest level"},
      {"NO P1 CASINO", "NO P1 CASINO, TEMPLE", "CASINO,", Severity::kWarning, "scenario-object",
       "write CASINO without the comma, and each of the others in a statement"},
      {"Band 1 PH", "Band 1 PH DWARF L2", "DWARF L2", Severity::kWarning, "band-size",
       "a member after the band's owner on its line is skipped"},
      {"Band 1 PH", "Band 1 KNIGHT", "KNIGHT", Severity::kWarning, "unknown-player",
       "'KNIGHT' is no player token: the band is read as the heroes' (PH)"},
      // The legend entry behind a grid warning is named.
      {"# SOLID_ROCK", "# SOLID ROCK", "SOLID ROCK", Severity::kWarning, "map-code-not-found",
       "write SOLID_ROCK, with an underscore; 'ROCK' is read as the next entry"},
      {"# SOLID_ROCK", "SOLID_ROCK #", "OLID_ROCK", Severity::kWarning, "map-code-not-found",
       "written terrain first: write the character before the terrain, as in '# SOLID_ROCK'"},
      {"h KPR1_HEART", "H KPR1_HEART", "hh.G", Severity::kWarning, "unmapped-character",
       "MAP_CODES gives 'H' a terrain here; 'h' and 'H' are different characters"},
      {". KPR1_CLAIMED_SQ", ". KPR2_CLAIMED_SQ", ".G#", Severity::kWarning, "keeper-not-playing",
       "MAP_CODES gives '.' KPR2_CLAIMED_SQ here"},
  };
  for (const Case& c : cases) expectReported(c);
}

// The map size's separator is any one character: "6x4" and "6,4" are read whole, no number is cut.
TEST(Diagnose, MapSizeWithOneSeparatorCharacterIsNoMistake) {
  const auto kinds = [](const std::vector<Diagnostic>& found) {
    std::string names;
    for (const Diagnostic& d : found) names += std::string(d.name()) + " ";
    return names;
  };
  const std::string base = kinds(checkMap(baseMap(), names()));
  for (const char* size : {"Size 6x4", "Size 6,4", "Size 6X4"}) {
    SCOPED_TRACE(size);
    EXPECT_EQ(kinds(checkMap(replaced(baseMap(), "Size 6 x 4", size), names())), base);
  }
}

// The guide's table of the checker's identifiers names every one, with its severity, and no other.
TEST(Diagnose, TheGuideNamesEveryIdentifier) {
  const std::string guide = testing::readSourceFile("docs/map-format.md");
  const std::size_t table = guide.find("## 17. What the checker reports");
  ASSERT_NE(table, std::string::npos);
  std::vector<std::string> listed;
  std::istringstream lines(guide.substr(table));
  for (std::string line; std::getline(lines, line);) {
    if (!line.starts_with("| `")) continue;
    const std::size_t end = line.find("` | ");
    const std::size_t severityEnd = line.find(" |", end + 4);
    listed.push_back(line.substr(3, end - 3) + " " + line.substr(end + 4, severityEnd - end - 4));
  }
  std::vector<std::string> ids;
  for (int i = static_cast<int>(CheckId::kNone) + 1; i < static_cast<int>(CheckId::kCount); ++i) {
    const CheckInfo& info = infoOf(static_cast<CheckId>(i));
    ids.push_back(std::string(info.name) + " " + std::string(severityName(info.severity)));
  }
  std::sort(listed.begin(), listed.end());
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(listed, ids);
}

// Warnings do not ride on a fatal error: a short row gives no "no terrain" warnings.
TEST(Diagnose, NoFalseWarningsAfterTheCause) {
  const std::string text = replaced(baseMap(), "#hh..#", "#h");
  const std::vector<Diagnostic> found = checkMap(text, names());
  ASSERT_FALSE(found.empty());
  for (const Diagnostic& d : found) EXPECT_NE(d.severity, Severity::kWarning) << withNotes(d);
  // A player count that could not be read says nothing of the keepers the hearts name.
  std::string twoKeepers = replaced(baseMap(), "GOLD1 100", "GOLD1 100\nKPR2_HEART_CENTER 2 2");
  for (const Diagnostic& d : checkMap(replaced(twoKeepers, "Players 1", "Players 0"), names())) {
    EXPECT_NE(d.severity, Severity::kWarning) << withNotes(d);
  }
  // A misspelt HERO_BANDS is said once: the keywords after it, read as hearts and gold, are not
  // called misspelt too.
  const std::vector<Diagnostic> bands =
      checkMap(replaced(baseMap(), "HERO_BANDS\n", "HERO_BAND\n"), names());
  ASSERT_EQ(bands.size(), 2U);
  EXPECT_NE(bands[0].text.find("did you mean HERO_BANDS?"), std::string::npos) << bands[0].text;
  EXPECT_EQ(bands[1].severity, Severity::kNote) << bands[1].text;
}

// A heart centre on a square drawn with a broken pair is not moved: the square is to mend.
TEST(Diagnose, AHeartCentreOnABrokenSquareIsNotMoved) {
  const std::string text = testing::readSourceFile("tests/mistakes/gui-heart-lowercase.txt");
  const std::vector<Diagnostic> found = checkMap(text, names());
  const auto centre = std::find_if(found.begin(), found.end(), [](const Diagnostic& d) {
    return d.name() == "heart-centre-off-heart";
  });
  ASSERT_NE(centre, found.end());
  EXPECT_NE(withNotes(*centre).find("mend the square, not the centre"), std::string::npos);
  EXPECT_EQ(withNotes(*centre).find("their centre is"), std::string::npos) << withNotes(*centre);
  // Nor is one that the heart's squares surround, drawn with a character of no terrain.
  const std::vector<Diagnostic> hole =
      checkMap(testing::readSourceFile("tests/mistakes/grid-heart-lowercase.txt"), names());
  const auto off = std::find_if(hole.begin(), hole.end(), [](const Diagnostic& d) {
    return d.name() == "heart-centre-off-heart";
  });
  ASSERT_NE(off, hole.end());
  EXPECT_NE(withNotes(*off).find("it is the square that is drawn wrong"), std::string::npos)
      << withNotes(*off);
}

TEST(Diagnose, EveryIndependentMistakeInOneRun) {
  std::string text = baseMap();
  text = replaced(text, "THINGS\n1", "THINGS\n2");
  text = replaced(text, "GOLD1 100", "GOLD1 3,000");
  text = replaced(text, "AREAS\n", "AREAS \n");
  text = replaced(text, "ACTION_DESTROY_HERO_GATE 1", "ACTION_ADD_ROOM P1 TEMPL");
  text = replaced(text, "EOF\n", "");
  const std::vector<Diagnostic> found = checkMap(text, names());
  const struct {
    std::string id, at;
    bool after;
  } expected[] = {{"count-too-large", "2\nTH_", false},
                  {"number-with-comma", "3,000", false},
                  {"keyword-with-blanks", "AREAS ", true},
                  {"unknown-room", "TEMPL", true},
                  {"missing-eof", "NO P1", true}};
  ASSERT_EQ(found.size(), std::size(expected));
  for (std::size_t i = 0; i < found.size(); ++i) {
    SCOPED_TRACE(expected[i].id);
    EXPECT_EQ(found[i].name(), expected[i].id);
    EXPECT_EQ(lineAt(text, found[i].span.start), where(text, expected[i].at).first);
    EXPECT_EQ(found[i].afterFirstError, expected[i].after);
  }
}

}  // namespace
}  // namespace ts::check
