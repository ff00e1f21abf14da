// Warnings for what the compiler changes or drops without a word, each at its line.
#include <algorithm>
#include <cstdlib>
#include <map>

#include "analysis/analysis.h"

namespace ts::check {

namespace {

std::string squareText(std::int64_t x, std::int64_t y) {
  return "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
}

// A keeper's room: owned terrain other than claimed floor and owned rock.
bool isRoom(const NameMaps& names, TerrainCode code) {
  const auto it = names.terrainNames().find(code);
  if (it == names.terrainNames().end() || ownerOf(code) < kFirstKeeperPlayer) return false;
  return !it->second.ends_with("_CLAIMED_SQ") && !it->second.ends_with("_OWNED_ROCK");
}

std::string terrainName(const NameMaps& names, TerrainCode code) {
  const auto it = names.terrainNames().find(code);
  return it == names.terrainNames().end() ? std::string("no terrain") : it->second;
}

// A number the reader took only part of, or read in octal.
void numbers(const Reading& r, std::size_t from, std::size_t to, std::vector<Located>& out) {
  const TextView& view = r.view;
  const std::vector<Seen::Number>& numbers = r.seen.numbers;
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    const Seen::Number& n = numbers[i];
    if (n.failed || n.start < from || n.start >= to) continue;
    // The rest of a cut word; the map size's height after its separator is a word of its own.
    const bool height = i > 0 && numbers[i - 1].end + 1 == n.start;
    if (n.start > 0 && !isBlank(view.text[n.start - 1]) && !height) continue;
    const std::string_view word =
        height ? view.text.substr(n.start, n.end - n.start) : view.wordAt(n.start);
    // The map size: the width, one separator character and the height, read whole ("64x64").
    if (i + 1 < numbers.size() && numbers[i + 1].start == n.end + 1 && !numbers[i + 1].failed &&
        numbers[i + 1].end == n.start + word.size()) {
      continue;
    }
    const std::string_view read = view.text.substr(n.start, n.end - n.start);
    const std::string w(word);
    const bool zero = word.size() > 1 && word[0] == '0' && word[1] >= '0' && word[1] <= '9';
    Located l{n.start, Severity::kWarning, "", CheckId::kNone, n.start + word.size()};
    if (read.size() < word.size()) {
      const char stop = word[read.size()];
      if (zero) {
        l.kind = CheckId::kZeroPaddedNumber;
        l.text = "'" + w + "' is read as " + std::to_string(std::strtol(w.c_str(), nullptr, 8)) +
                 " (a leading 0 means octal) and its rest as the next word; write it without "
                 "the leading 0";
      } else {
        l.kind = stop == ',' ? CheckId::kNumberWithComma : CheckId::kNumberWithUnit;
        l.text = "'" + w + "' is read as " + std::string(read) + ": the number ends at '" +
                 std::string(1, stop) + "'" +
                 (stop == ',' ? "; write it without commas" : "; write the number alone");
      }
    } else if (zero && std::strtol(w.c_str(), nullptr, 10) != std::strtol(w.c_str(), nullptr, 8)) {
      l.kind = CheckId::kOctalNumber;
      l.text = "'" + w + "' is read in octal as " +
               std::to_string(std::strtol(w.c_str(), nullptr, 8)) +
               " (a leading 0 means octal); write it without the leading 0";
    } else {
      continue;
    }
    out.push_back(std::move(l));
  }
}

// Words the hearts section or the scenario description skips that look like what they meant.
void ignoredWords(const Reading& r, std::size_t from, std::size_t to, std::vector<Located>& out) {
  // The words each section reads, and the keyword that ends the hearts and gold.
  static const std::vector<std::string_view> kHeartWords = [] {
    std::vector<std::string_view> words;
    for (const StatementInfo& s : heartsWords()) words.push_back(s.word);
    words.push_back(ts::keywordOf(Section::kBands));
    return words;
  }();
  static const std::vector<std::string_view> kStatements = [] {
    std::vector<std::string_view> words;
    for (const StatementInfo& s : scenarioWords()) words.push_back(s.word);
    return words;
  }();
  bool bandsMissed = false;
  for (const auto& [section, offset] : r.seen.ignored) {
    if (offset < from || offset >= to) continue;
    const std::string_view word = r.view.wordAt(offset);
    const std::string w(word);
    Located l{offset, Severity::kWarning, "", CheckId::kNone, offset + word.size()};
    const bool hearts = section == ts::keywordOf(Section::kHearts);
    const std::string upper = upperCase(word);
    const std::vector<std::string_view>& known = hearts ? kHeartWords : kStatements;
    std::string near =
        std::find(known.begin(), known.end(), upper) != known.end()
            ? upper
            : (word.size() >= kShortestTypo ? closestName(word, known) : std::string());
    // A statement joined to its value by '=' or ':' is one word the compiler does not know.
    if (const std::size_t join = word.find_first_of("=:");
        join != std::string_view::npos && join > 0 && join + 1 < word.size() &&
        std::find(known.begin(), known.end(), word.substr(0, join)) != known.end()) {
      const std::string meant = w.substr(0, join) + " " + w.substr(join + 1);
      l.kind = hearts ? CheckId::kUnknownHeartsWord : CheckId::kUnknownStatement;
      l.text = "'" + w + "' is one word the compiler does not know, and is ignored: write " +
               meant + ", with a blank";
      l.suggestions.push_back({{offset, offset + word.size()}, meant});
      out.push_back(std::move(l));
      continue;
    }
    if (hearts && word != ts::keywordOf(Section::kBands) &&
        std::any_of(sections().begin(), sections().end(),
                    [&](const SectionInfo& info) { return info.keyword == word; })) {
      // A later section's keyword, read as hearts and gold: said once, at the misspelt
      // HERO_BANDS when there is one.
      if (bandsMissed) continue;
      bandsMissed = true;
      l.kind = CheckId::kUnknownHeartsWord;
      l.text = "the " + w +
               " section is never read: without the HERO_BANDS keyword before it, "
               "everything after the hearts is read as hearts and gold";
    } else if (hearts && word == "GOLD") {
      l.kind = CheckId::kGoldWithoutKeeper;
      l.text = "GOLD names no keeper and is ignored (the gold stays 0): write GOLD1 to GOLD4";
    } else if (hearts && word.size() == 17 && word.substr(0, 3) == "KPR" &&
               word.substr(4) == "_HEART_CENTER") {
      l.kind = CheckId::kHeartGivenTwice;
      l.text = w + " is given again and ignored; the first position stays";
    } else if (!near.empty() && near != w) {
      l.kind = hearts ? CheckId::kUnknownHeartsWord : CheckId::kUnknownStatement;
      l.text = "'" + w + "' is ignored in " + section + "; did you mean " + near + "?";
      l.suggestions.push_back({{offset, offset + word.size()}, near});
      if (near == ts::keywordOf(Section::kBands)) {
        l.text += " everything after it is read as hearts and gold";
        bandsMissed = true;
      }
    } else {
      continue;
    }
    out.push_back(std::move(l));
  }
}

// A heart centre off its keeper's heart, or of a keeper who does not play.
void heartCentre(const Reading& r, const GridTerrain& grid, const Seen::Placement& p,
                 std::vector<Located>& out) {
  const LevelDescription& level = r.level;
  const std::string_view name = r.view.wordAt(p.offset);
  const int keeper = name[3] - '0';
  if (keeper > level.playerCount) {
    if (!r.keepersKnown) return;  // the count was not read
    out.push_back({p.offset, Severity::kWarning,
                   std::string(name) + " in a level of " + std::to_string(level.playerCount) +
                       (level.playerCount == 1 ? " keeper" : " keepers") + ": keeper " +
                       std::to_string(keeper) + " does not play",
                   CheckId::kHeartOfAbsentKeeper, p.offset + name.size()});
    return;
  }
  if (!grid.whole() || !grid.inside(p.x, p.y)) return;
  const TerrainCode heart = r.names.findTerrainCode("KPR" + std::to_string(keeper) + "_HEART");
  const TerrainCode here = grid.at(p.x, p.y);
  if (here == heart) return;
  std::int32_t left = level.mapWidth, top = level.mapHeight, right = -1, bottom = -1;
  for (std::int32_t y = 0; y < level.mapHeight; ++y) {
    for (std::int32_t x = 0; x < level.mapWidth; ++x) {
      if (grid.at(x, y) != heart) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  // A map without that keeper's heart drawn is a sketch: nothing to compare with.
  if (right < 0) return;
  Located l{p.offset, Severity::kWarning,
            "the heart centre " + squareText(p.x, p.y) + " of keeper " + std::to_string(keeper) +
                " is " + grid.name(here) + ", not KPR" + std::to_string(keeper) + "_HEART",
            CheckId::kHeartCentreOffHeart, p.offset + name.size()};
  // The square itself drawn wrong: the centre is probably right, and the square is to mend.
  const std::size_t square = r.squareOffset(p.x, p.y);
  if (std::any_of(r.seen.found.begin(), r.seen.found.end(), [&](const Located& f) {
        return f.offset == square && f.kind.check == CheckId::kUnknownSquare;
      })) {
    l.notes.emplace_back(square,
                         "this square spells no terrain name: mend the square, not the "
                         "centre",
                         Square{p.x, p.y});
    out.push_back(std::move(l));
    return;
  }
  const Square centre{(left + right) / 2, (top + bottom) / 2};
  // The heart drawn around the centre written: the square itself is drawn wrong.
  if (centre.x == p.x && centre.y == p.y) {
    l.notes.emplace_back(square,
                         "the heart's squares surround this one: it is the square that is "
                         "drawn wrong, not the centre",
                         Square{p.x, p.y});
    out.push_back(std::move(l));
    return;
  }
  l.notes.emplace_back(
      p.offset,
      "the KPR" + std::to_string(keeper) + "_HEART squares are " + std::to_string(left) + ".." +
          std::to_string(right) + " by " + std::to_string(top) + ".." + std::to_string(bottom) +
          "; their centre is (" + std::to_string(centre.x) + ", " + std::to_string(centre.y) + ")",
      centre);
  out.push_back(std::move(l));
}

// Hearts, creatures and doors whose squares or words say something else than was meant.
void placements(const Reading& r, std::size_t from, std::size_t to, std::vector<Located>& out) {
  const TextView& view = r.view;
  const GridTerrain grid(r.level, r.names);
  // Past the first few of a kind, a warning keeps its kind and span only.
  std::size_t inRock = 0;
  std::size_t placedInRock = 0;
  std::size_t onOtherGround = 0;
  const auto whole = [&](std::size_t& made, std::size_t offset, std::size_t end, CheckId check) {
    if (r.wholeOfOneKind == 0 || r.brief == nullptr || made++ < r.wholeOfOneKind) return true;
    r.brief->push_back({{offset, end}, Severity::kWarning, check});
    return false;
  };
  for (const Seen::Placement& p : r.seen.placements) {
    if (p.offset < from || p.offset >= to) continue;
    const std::string_view name = view.wordAt(p.offset);
    const std::size_t end = p.offset + name.size();
    if (p.what == "heart") {
      heartCentre(r, grid, p, out);
      continue;
    }
    // An entry whose numbers were cut short stands where the mistake put it: that is said.
    const bool onGrid = p.clean && grid.whole() && grid.inside(p.x, p.y);
    const TerrainCode ground = onGrid ? grid.at(p.x, p.y) : 0;
    if (p.what == "creature" && ground == kSolidRockCode) {
      if (whole(inRock, p.offset, end, CheckId::kCreatureInRock)) {
        out.push_back(
            {p.offset, Severity::kWarning,
             std::string(name) + " at " + squareText(p.x, p.y) + " stands inside solid rock",
             CheckId::kCreatureInRock, end});
      }
    } else if (ground == kSolidRockCode) {
      if (whole(placedInRock, p.offset, end, CheckId::kPlacedInRock)) {
        out.push_back({p.offset, Severity::kWarning,
                       std::string(name) + " at " + squareText(p.x, p.y) +
                           " lies inside solid rock, where the game places no " +
                           std::string(p.what),
                       CheckId::kPlacedInRock, end});
      }
    } else if (onGrid && (p.what == "door" || p.what == "trap") && isRoom(r.names, ground) &&
               ownerOf(ground) >= kFirstKeeperPlayer && p.owner >= kFirstKeeperPlayer &&
               ownerOf(ground) != p.owner) {
      if (whole(onOtherGround, p.offset, end, CheckId::kOnOtherKeepersGround)) {
        out.push_back(
            {p.offset, Severity::kWarning,
             std::string(name) + " of keeper " + std::to_string(p.owner - kFirstKeeperPlayer + 1) +
                 " at " + squareText(p.x, p.y) + " stands in " + grid.name(ground) +
                 ", a room of keeper " + std::to_string(ownerOf(ground) - kFirstKeeperPlayer + 1),
             CheckId::kOnOtherKeepersGround, end});
      }
    }
    if (p.what == "door") {
      std::size_t lock = p.offset;
      for (int i = 0; i < 4; ++i) lock = view.skipBlanks(view.wordEnd(lock));
      // A longer lock word is said of as such (word_checks.cc).
      if (lock < view.text.size() && view.text[lock] == 'l' && view.wordEnd(lock) == lock + 1) {
        out.push_back({lock, Severity::kWarning,
                       "the lock flag is 'l': only an upper-case L locks the door, so this door "
                       "is unlocked",
                       CheckId::kDoorLockLowercase, lock + 1});
      }
    }
  }
}

// A legend character given to two terrains stands for the one with the smaller code.
void legendCharacters(const Reading& r, std::size_t from, std::size_t to,
                      std::vector<Located>& out) {
  std::map<char, TerrainCode> first;
  for (const Seen::Legend& e : r.seen.legend) {
    auto [it, added] = first.try_emplace(e.c, e.code);
    if (added || it->second == e.code || e.offset < from || e.offset >= to) continue;
    const TerrainCode kept = std::min(it->second, e.code);
    out.push_back({e.offset, Severity::kWarning,
                   "'" + std::string(1, e.c) + "' already stands for " +
                       terrainName(r.names, it->second) +
                       "; a character given to two terrains "
                       "stands for the one with the smaller code, here " +
                       terrainName(r.names, kept),
                   CheckId::kCharacterListedTwice, e.offset + 1});
  }
}

// A band whose member count differs from the member lines under it: the reader takes the count,
// so the next band's line is read as members, or the last members as the next band.
void bandSizes(const Reading& r, std::size_t from, std::size_t to, std::vector<Located>& out) {
  const TextView& view = r.view;
  for (const CountedSection& c : r.counted) {
    if (c.stage != Stage::kBands || c.countAt == kNoOffset) continue;
    std::size_t count = kNoOffset;
    std::int64_t size = 0;
    std::int64_t members = 0;
    auto check = [&] {
      if (count == kNoOffset || members == size || count < from || count >= to) return;
      out.push_back({count, Severity::kWarning,
                     "this band says " + std::to_string(size) + " but " + std::to_string(members) +
                         (members == 1 ? " member follows" : " members follow") +
                         (size > members ? "; the next line is read as a member"
                                         : "; the members after it are read as the next band"),
                     CheckId::kBandSize, view.wordEnd(count)});
    };
    for (std::size_t line = view.nextLine(c.countAt); line < c.end; line = view.nextLine(line)) {
      const std::vector<std::size_t> words = view.lineWords(line);
      if (words.empty()) continue;
      if (words.size() >= 3 && isWholeNumber(view.wordAt(words[1]))) {
        check();
        // The rest of a band's line after its owner is skipped: members start on the next line.
        static const std::vector<std::string_view> kCreatures = namesOf(kCreatureTable);
        if (words.size() > 3 && words[3] >= from && words[3] < to &&
            std::find(kCreatures.begin(), kCreatures.end(), view.wordAt(words[3])) !=
                kCreatures.end()) {
          out.push_back({words[3], Severity::kWarning,
                         "a member after the band's owner on its line is skipped: write the "
                         "members on the lines after it, one a line",
                         CheckId::kBandSize, view.lineEnd(line)});
        }
        count = words[1];
        size = std::strtoll(std::string(view.wordAt(count)).c_str(), nullptr, 0);
        members = 0;
      } else {
        ++members;
      }
    }
    check();
  }
}

// Words after the level name on its line are ignored: the name is one word. GUI_GENERATED_MAP
// there leaves the map a text map; when that makes the map fail, the error says so instead.
void wordsAfterTheName(const Reading& r, std::size_t from, std::size_t to,
                       std::vector<Located>& out) {
  static constexpr std::string_view kGuiWord = "GUI_GENERATED_MAP";
  if (r.start != 0) return;
  std::size_t line = r.view.text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
  const std::vector<std::size_t> words = r.view.lineWords(line);
  const std::size_t name = !words.empty() && r.view.wordAt(words[0]) == kGuiWord ? 1 : 0;
  // A file's suffix written into the name ends up in every file name: Lair1.txtMap.kld.
  if (words.size() > name) {
    const std::string_view level = r.view.wordAt(words[name]);
    const std::size_t dot = level.rfind('.');
    const std::string_view suffix =
        dot == std::string_view::npos ? std::string_view() : level.substr(dot + 1);
    const bool fileSuffix = dot > 0 && suffix.size() >= 2 && suffix.size() <= 4 &&
                            std::all_of(suffix.begin(), suffix.end(), [](char c) {
                              return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
                            });
    if (fileSuffix && words[name] >= from && words[name] < to) {
      out.push_back({words[name], Severity::kWarning,
                     "the level name '" + std::string(level) + "' names the level files, as in " +
                         std::string(level) + "Map.kld: write it without the file's suffix (" +
                         std::string(level.substr(0, dot)) + ")",
                     CheckId::kTextAfterName, r.view.wordEnd(words[name])});
    }
  }
  if (words.size() <= name + 1) return;
  const std::size_t at = words[name + 1];
  if (at < from || at >= to) return;
  const std::string_view word = r.view.wordAt(at);
  std::string text =
      "'" + std::string(word) + "' after the level name is ignored: the name is one word";
  if (word == kGuiWord) {
    if (!r.level.isValid) return;
    text +=
        ", and the map is read as a text map; to read it in the map-drawing tool's format, "
        "write GUI_GENERATED_MAP before the name";
  }
  out.push_back(
      {at, Severity::kWarning, std::move(text), CheckId::kTextAfterName, r.view.wordEnd(at)});
}

// The checks of this file, after those of the grid and of single words.
constexpr std::array<SilentCheck, 6> kOtherChecks = {
    wordsAfterTheName, numbers, ignoredWords, placements, legendCharacters, bandSizes};

}  // namespace

void silentChanges(const Reading& r, std::size_t from, std::size_t to, std::vector<Located>& out) {
  for (const SilentCheck check : kGridChecks) check(r, from, to, out);
  for (const SilentCheck check : kWordChecks) check(r, from, to, out);
  for (const SilentCheck check : kOtherChecks) check(r, from, to, out);
}

std::string repeatText(std::size_t lines) {
  return (lines == 1 ? std::string("this line repeats the line before it")
                     : "these " + std::to_string(lines) + " lines repeat the " +
                           std::to_string(lines) + " before them") +
         ": if pasted twice by mistake, remove the copy rather than raise the count";
}

void countsTooSmall(const Reading& r, std::size_t from, std::size_t to, std::vector<Located>& out) {
  for (const CountedSection& c : r.counted) {
    if (c.countAt == kNoOffset || c.countAt < from || c.countAt >= to || c.consistent ||
        c.count >= c.entries) {
      continue;
    }
    const std::string_view keyword = keywordOf(c.stage);
    const auto* line = r.outline.find(c.stage, c.keywordLine);
    if (line == nullptr || line->kind != KeywordLine::kExact) continue;
    Located l{c.countAt, Severity::kWarning,
              std::string(keyword) + " says " + std::to_string(c.count) + " but " +
                  std::to_string(c.entries) + " entries follow; the rest are never read",
              CheckId::kCountTooSmall, r.view.wordEnd(c.countAt)};
    l.fixes.push_back(recount(r.view, c));
    l.fixTitle = recountTitle(c);
    // Words after the count on its line are read as the first entry.
    if (const std::vector<std::size_t> words = r.view.lineWords(c.countAt); words.size() > 1) {
      l.notes.emplace_back(words[1], "the count stands alone on its line: '" +
                                         std::string(r.view.wordAt(words[1])) +
                                         "' after it is read as the first entry");
      // Then the count is right, and what follows it is to go.
      const std::size_t countEnd = r.view.wordEnd(c.countAt);
      l.fixes = {{countEnd, r.view.lineEnd(c.countAt) - countEnd, ""}};
      l.fixTitle = "Remove what follows the count on its line";
    }
    if (const TextView::Repeat copy = r.view.repeatedLines(r.view.nextLine(c.countAt), c.end);
        copy.line != kNoOffset) {
      l.notes.emplace_back(copy.line, repeatText(copy.lines));
    }
    out.push_back(std::move(l));
  }
}

}  // namespace ts::check
