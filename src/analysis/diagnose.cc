// The line to fix: for each fatal error of the compiler, the designer's mistake that caused it.
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <set>
#include <utility>

#include "analysis/analysis.h"
#include "model/problems.h"

namespace ts::check {

namespace {

std::string trimmed(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return std::string(text);
}

std::string squareText(std::int64_t x, std::int64_t y) {
  return "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
}

Square squareAt(std::int64_t x, std::int64_t y) {
  return {static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)};
}

std::string plural(std::int64_t n, std::string_view one, std::string_view many) {
  return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

std::int64_t numberAt(const TextView& view, std::size_t at) {
  return std::strtoll(std::string(view.wordAt(at)).c_str(), nullptr, 0);
}

// The name of `names` that `word` probably means, and the hint that says so; both empty when
// none is near.
struct Hint {
  std::string name;
  std::string text;
};
Hint didYouMean(std::string_view word, const std::vector<std::string_view>& names) {
  const std::string upperWord = upperCase(word);
  for (std::string_view name : names) {
    if (name == upperWord)
      return {upperWord, "did you mean " + upperWord + "? names are upper case"};
  }
  std::string near = closestName(word, names);
  if (near.empty()) return {};
  std::string text = "did you mean " + near + "?";
  return {std::move(near), std::move(text)};
}

// The words of one kind of statement, for "did you mean".
std::vector<std::string_view> wordsOf(std::span<const StatementInfo> statements) {
  std::vector<std::string_view> words;
  for (const StatementInfo& s : statements) words.push_back(s.word);
  return words;
}

// The header's lines: the name, the player count and the size.
struct Header {
  std::size_t players = kNoOffset;  // the line of the player count
  std::size_t size = kNoOffset;     // the size line
};

Header headerLines(const TextView& view) {
  Header h;
  std::size_t at = 0;
  std::vector<std::size_t> lines;
  while (at < view.text.size() && lines.size() < 3) {
    const std::vector<std::size_t> words = view.lineWords(at);
    // GUI_GENERATED_MAP alone on its line puts the name on the next one.
    if (!words.empty() &&
        !(lines.empty() && words.size() == 1 && view.wordAt(words[0]) == "GUI_GENERATED_MAP")) {
      lines.push_back(at);
    }
    at = view.nextLine(at);
  }
  if (lines.size() > 1) h.players = lines[1];
  if (lines.size() > 2) h.size = lines[2];
  return h;
}

class Explainer {
 public:
  Explainer(const Reading& r, const Problem& fatal)
      : r_(r), view_(r.view), fatal_(fatal), stage_(stageOf(fatal.id)) {
    d_.error.offset =
        fatal.offset == Problem::kNowhere ? 0 : std::min(fatal.offset, view_.text.size());
    d_.error.severity = Severity::kError;
    d_.error.text = trimmed(consoleText(fatal));
    d_.error.kind = fatal.id;
    d_.quietFrom = d_.error.offset;
    d_.resumeFrom = d_.error.offset;
    d_.minStage = static_cast<Stage>(static_cast<int>(stage_) + 1);
  }

  Diagnosis explain() {
    // A broken header breaks every read after it: the header's own check comes first.
    if (stage_ == Stage::kHeader || (!countTooLarge() && !switchMissing() && !countLeftOut() &&
                                     !brokenNumber() && !missingKeyword())) {
      specific();
    }
    if (d_.error.offset != stopped() && fatal_.offset != Problem::kNowhere) {
      note(stopped(), "the compiler stopped reading here");
    }
    return d_;
  }

 private:
  std::size_t stopped() const { return std::min(fatal_.offset, view_.text.size()); }

  // A release written without its G or A: the reader took the location's number as the switch,
  // and whatever follows as the location.
  bool switchMissing() {
    if (fatal_.id != ProblemId::kInvalidSwitch) return false;
    const Trace& trace = r_.seen.trace();
    const auto last = std::find_if(trace.words.rbegin(), trace.words.rend(),
                                   [](const TraceWord& w) { return w.kind == WordKind::kSwitch; });
    if (last == trace.words.rend() || last->start >= view_.text.size() ||
        view_.text[last->start] < '0' || view_.text[last->start] > '9') {
      return false;
    }
    const std::string_view number = view_.wordAt(last->start);
    const std::string_view band = view_.wordAt(view_.wordsBefore(last->start, 1));
    at(last->start, view_.wordEnd(last->start), CheckId::kSwitchMissing);
    explainHere(
        "the switch is missing: write G (release at a hero gate) or A (at an entrance "
        "area) before the number, as in ACTION_HERO_RELEASE " +
        std::string(band) + " G " + std::string(number));
    d_.quietFrom = last->start;
    d_.resumeFrom = last->start;
    d_.minStage = Stage::kScenario;
    return true;
  }

  void at(std::size_t offset, std::size_t end, DiagnosticKind kind) {
    d_.error.offset = offset;
    d_.error.end = end;
    d_.error.kind = kind;
  }
  void atWord(std::size_t offset, DiagnosticKind kind) { at(offset, view_.wordEnd(offset), kind); }
  void note(std::size_t offset, std::string text) {
    d_.error.notes.emplace_back(offset, std::move(text));
  }
  void explainHere(std::string text, std::optional<Square> square = std::nullopt) {
    d_.error.notes.emplace_back(d_.error.offset, std::move(text), square);
  }
  // The word at `offset` probably means `name`.
  void suggest(std::size_t offset, std::string name) {
    d_.error.suggestions.push_back({{offset, view_.wordEnd(offset)}, std::move(name)});
  }

  // The first number that could not be read before the end of the text: from there on the text
  // is broken, and the compiler only notices at its next check.
  const Seen::Number* firstFailure() const {
    for (const Seen::Number& n : r_.seen.numbers) {
      if (n.failed) return n.start < view_.text.size() ? &n : nullptr;
    }
    return nullptr;
  }

  // The hero band whose members the reading took the word at `offset` for, if one did.
  const TraceEntry* bandThatRead(std::size_t offset) const {
    const Trace& trace = r_.seen.trace();
    for (const TraceEntry& e : trace.entries) {
      // The band's name, count and owner come first; its members after them.
      if (e.section != Section::kBands) continue;
      for (std::size_t k = 3; k < e.wordCount; ++k) {
        if (trace.words[e.firstWord + k].start == offset) return &e;
      }
    }
    return nullptr;
  }

  // A count larger than its entries makes the section swallow the words of the next.
  bool countTooLarge() {
    const Seen::Number* failure = firstFailure();
    const std::size_t limit = failure != nullptr ? failure->start : stopped();
    for (const CountedSection& c : r_.counted) {
      if (c.keywordLine >= limit) break;
      if (c.keywordLine < r_.start) continue;
      if (c.consistent || (c.count >= 0 && c.count < c.entries)) continue;
      const std::string section(keywordOf(c.stage));
      if (const TraceEntry* band = bandThatRead(c.keywordLine)) {
        // The keyword is no keyword to the compiler: a band before it read it as a member.
        const Trace& trace = r_.seen.trace();
        const std::size_t start = trace.entryStart(*band);
        at(c.keywordLine, view_.lineEnd(c.keywordLine), CheckId::kCountMissing);
        explainHere("the hero band '" + std::string(view_.wordAt(start)) +
                    "' counts more members than it lists and reads this line as one of them, "
                    "so the compiler finds no " +
                    section + " keyword here");
        note(trace.words[band->firstWord + 1].start, "the band's count of members");
        d_.quietFrom = c.keywordLine;
        d_.resumeFrom = c.keywordLine + 1;
        d_.minStage = static_cast<Stage>(static_cast<int>(c.stage) + 1);
        return true;
      }
      bool misplaced = false;
      if (c.countAt == kNoOffset) {
        at(c.keywordLine, view_.lineEnd(c.keywordLine), CheckId::kCountMissing);
        explainHere("the " + section + " keyword must be followed by the number of entries (" +
                    std::to_string(c.entries) + " here) on the next line");
      } else {
        atWord(c.countAt, CheckId::kCountTooLarge);
        explainHere(section + " says " + std::to_string(c.count) + " but " +
                    plural(c.entries, "entry is", "entries are") +
                    " written before the next keyword; the count swallows the words that "
                    "follow");
        // An entry of this section written in another: moved back, the count is right.
        const std::vector<std::string_view> names =
            c.stage == Stage::kThings      ? namesOf(kObjectTable)
            : c.stage == Stage::kCreatures ? namesOf(kCreatureTable)
            : c.stage == Stage::kDoors     ? namesOf(kDoorTable)
            : c.stage == Stage::kTraps     ? namesOf(kTrapTable)
                                           : std::vector<std::string_view>{};
        for (const Located& l : r_.seen.found) {
          if (names.empty() || l.offset >= c.keywordLine) continue;
          if (std::find(names.begin(), names.end(), view_.wordAt(l.offset)) == names.end() ||
              l.text.find("entry dropped") == std::string::npos) {
            continue;
          }
          note(l.offset, "this entry belongs in " + section + ": moved back, the count is right");
          misplaced = true;
          break;
        }
      }
      // A recount would drop the entry written elsewhere.
      if (!misplaced) {
        d_.error.fixes.push_back(recount(view_, c));
        d_.error.fixTitle = recountTitle(c);
      }
      d_.quietFrom = c.keywordLine;
      d_.resumeFrom = c.keywordLine + 1;
      d_.minStage = static_cast<Stage>(static_cast<int>(c.stage) + 1);
      return true;
    }
    return false;
  }

  // Whether `word` starts an entry or a section: a keyword, a statement or a name of a thing.
  static bool startsAnEntry(std::string_view word) {
    for (int s = 1; s < static_cast<int>(Stage::kEnd); ++s) {
      if (keywordOf(static_cast<Stage>(s)) == word) return true;
    }
    for (const auto statements : {heartsWords(), triggerWords(), actionWords(), scenarioWords()}) {
      for (const StatementInfo& info : statements) {
        if (info.word == word) return true;
      }
    }
    for (const auto& names : {namesOf(kObjectTable), namesOf(kCreatureTable), namesOf(kDoorTable),
                              namesOf(kTrapTable)}) {
      if (std::find(names.begin(), names.end(), word) != names.end()) return true;
    }
    return false;
  }

  // The word that began the statement or entry being read when the number at `failure` was
  // wanted: its keyword, or the name of the thing, creature or member.
  std::size_t headBefore(std::size_t failure) const {
    const Trace& trace = r_.seen.trace();
    if (trace.entries.empty()) return kNoOffset;
    const TraceEntry& e = trace.entries.back();
    // In triggers and the scenario a name is a statement's argument; elsewhere it begins an
    // entry or a band's member.
    const bool namesStart = e.section != Section::kTriggers && e.section != Section::kScenario;
    std::size_t head = kNoOffset;
    for (std::size_t k = 0; k < e.wordCount; ++k) {
      const TraceWord& w = trace.words[e.firstWord + k];
      if (w.start >= failure) break;
      const bool name = w.kind == WordKind::kObject || w.kind == WordKind::kCreature ||
                        w.kind == WordKind::kDoor || w.kind == WordKind::kTrap;
      if (k == 0 || w.kind == WordKind::kKeyword || (namesStart && name)) head = w.start;
    }
    return head;
  }

  // The next entry's first word, at the start of its line, read where a number belongs: the
  // entry before it lacks a word and read on into the next line, or began in the middle of its
  // line with a word too many of the entry before.
  bool entryReadOn(std::size_t start) {
    const std::vector<std::size_t> words = view_.lineWords(start);
    if (words.empty() || words[0] != start || !startsAnEntry(view_.wordAt(start))) return false;
    const std::size_t head = headBefore(start);
    if (head == kNoOffset || view_.lineStart(head) == view_.lineStart(start)) return false;
    // A number that ended inside its word (08, 3000g, 3,000) in this section shifted the words
    // after it: that is the mistake, and the checker blames it.
    std::size_t sectionStart = 0;
    for (const KeywordLine& k : r_.outline.keywords) {
      if (k.line <= start) sectionStart = std::max(sectionStart, k.line);
    }
    for (const Seen::Number& n : r_.seen.numbers) {
      if (n.start >= sectionStart && n.start < start && !n.failed &&
          n.end < view_.wordEnd(n.start)) {
        return false;
      }
    }
    // So did an entry dropped before it: the words were out of step already.
    for (const Located& l : r_.seen.found) {
      if (l.offset >= sectionStart && l.offset < head) return false;
    }
    const std::string word(view_.wordAt(start));
    const std::vector<std::size_t> headLine = view_.lineWords(head);
    if (headLine[0] == head) {
      at(head, view_.lineEnd(head), CheckId::kWordMissing);
      explainHere("this entry lacks a word: the compiler reads on into the next line and takes '" +
                  word + "', which starts the next entry, for a number");
    } else {
      const std::string extra(view_.wordAt(head));
      atWord(head, CheckId::kWordTooMany);
      explainHere("'" + extra + "' is a word too many: the entry before it ends there, so '" +
                  extra + "' is read as the start of another entry, and '" + word +
                  "' on the next line as its number");
    }
    d_.quietFrom = head;
    d_.resumeFrom = start;
    d_.minStage = static_cast<Stage>(static_cast<int>(r_.outline.stageAt(start)) + 1);
    return true;
  }

  // The count left out of the section the reader stopped in: its line holds a whole entry, and
  // the entry's first number was read as the count.
  bool countLeftOut() {
    const Trace& trace = r_.seen.trace();
    const TraceSection* in = nullptr;
    for (const TraceSection& s : trace.sections) {
      if (s.start <= stopped()) in = &s;
    }
    if (in == nullptr || in->countAt == static_cast<std::size_t>(-1)) return false;
    const std::span<const WordKind> entry = sectionInfo(in->section).entry;
    const std::vector<std::size_t> words = view_.lineWords(in->countAt);
    if (entry.empty() || words.size() != entry.size() || words[0] != in->countAt) return false;
    const std::string keyword(ts::keywordOf(in->section));
    atWord(in->countAt, CheckId::kCountMissing);
    explainHere("the " + keyword +
                " keyword must be followed by the number of entries alone on its line: here "
                "the first entry's number, " +
                std::string(view_.wordAt(in->countAt)) + ", is read as the count");
    d_.quietFrom = in->countAt;
    d_.resumeFrom = view_.nextLine(in->countAt);
    d_.minStage = static_cast<Stage>(static_cast<int>(r_.outline.stageAt(in->countAt)) + 1);
    return true;
  }

  // A word where a number belongs: a comma, a unit, a word in its place.
  bool brokenNumber() {
    const Seen::Number* failure = firstFailure();
    if (failure == nullptr || failure->start > stopped()) return false;
    const std::size_t start = view_.wordsBefore(view_.wordEnd(failure->start), 1);
    const std::string_view word = view_.wordAt(start);
    if (start == failure->start && entryReadOn(start)) return true;
    atWord(start, CheckId::kNotANumber);
    if (word.find(',') != std::string_view::npos) {
      explainHere("'" + std::string(word) +
                  "' is not a whole number: a number ends at its first character that is no "
                  "digit; write numbers without commas (3000, not 3,000) and coordinates with a "
                  "blank between them (3 1, not 3,1)");
    } else if (start != failure->start) {
      explainHere("'" + std::string(word) + "' is not a whole number: the number ends at '" +
                  std::string(1, view_.text[failure->start]) + "'; write the number alone");
    } else if (!word.empty() && std::all_of(word.begin() + (word[0] == '-' ? 1 : 0), word.end(),
                                            [](char c) { return c >= '0' && c <= '9'; })) {
      explainHere("'" + std::string(word) +
                  "' is too large: a number holds at most 2147483647 (and at least -2147483648)");
    } else {
      explainHere("a number is expected here, but '" + std::string(word) + "' is no number");
    }
    d_.quietFrom = start;
    d_.resumeFrom = start;
    d_.minStage = static_cast<Stage>(static_cast<int>(r_.outline.stageAt(start)) + 1);
    return true;
  }

  // A section keyword the reader did not find: blanks around it, a near miss, a missing section.
  bool missingKeyword() {
    std::string keyword = r_.seen.missingKeyword;
    if (keyword.empty() &&
        (fatal_.id == ProblemId::kLoopThings || fatal_.id == ProblemId::kMapCodesError ||
         (fatal_.id == ProblemId::kLoopMap &&
          r_.level.mapRows.size() == static_cast<std::size_t>(r_.level.mapHeight)))) {
      keyword = std::string(keywordOf(stage_));
    }
    if (keyword.empty()) return false;
    Stage stage = stage_;
    for (int s = 1; s < static_cast<int>(Stage::kEnd); ++s) {
      if (keywordOf(static_cast<Stage>(s)) == keyword) stage = static_cast<Stage>(s);
    }
    const std::size_t from =
        r_.seen.sections.empty() ? r_.start : r_.seen.sections.back().offset + 1;
    d_.error.kind = CheckId::kMissingKeyword;
    if (stage == Stage::kGrid && (guiWordAfterName() || guiWordForgotten())) return true;
    if (const KeywordLine* k = r_.outline.find(stage, from); k != nullptr) {
      return keywordWritten(*k, stage, keyword);
    }
    return sectionMissing(from, stage, keyword);
  }

  // GUI_GENERATED_MAP after the level name: the map is read as a text map, without MAP_CODES.
  bool guiWordAfterName() {
    const std::vector<std::size_t> first = view_.lineWords(0);
    if (first.size() < 2 || view_.wordAt(first[1]) != kGuiWord) return false;
    atWord(first[1], CheckId::kGuiWordAfterName);
    explainHere(
        "GUI_GENERATED_MAP must come before the level name; after it, the word is ignored "
        "and the map is read as a text map, which needs MAP_CODES");
    d_.minStage = Stage::kEnd;
    return true;
  }

  // No MAP_CODES anywhere, and every row twice the width: the rows are pairs of an owner and a
  // terrain letter, as a map-drawing tool writes them, without the word that says so.
  bool guiWordForgotten() {
    const LevelDescription& level = r_.level;
    if (level.mapWidth <= 0 || r_.seen.rowOffsets.empty() ||
        r_.outline.find(Stage::kGrid, 0) != nullptr) {
      return false;
    }
    for (const std::size_t row : r_.seen.rowOffsets) {
      std::size_t end = view_.lineEnd(row);
      while (end > row && isBlank(view_.text[end - 1])) --end;
      if (end - view_.lineStart(row) != 2 * static_cast<std::size_t>(level.mapWidth)) return false;
    }
    at(0, view_.lineEnd(0), CheckId::kMissingKeyword);
    explainHere(
        "every row is twice as wide as the map, in pairs of an owner and a terrain letter, as a "
        "map-drawing tool writes them: write GUI_GENERATED_MAP alone on the first line, before "
        "the level name");
    d_.quietFrom = r_.seen.rowOffsets.front();  // the rows too long ride on it
    d_.minStage = Stage::kEnd;
    return true;
  }

  // The keyword line `k` of `stage`, written so that the reader did not find it.
  bool keywordWritten(const KeywordLine& k, Stage stage, const std::string& keyword) {
    switch (k.kind) {
      case KeywordLine::kExact:
        // MAP_CODES as it should be, yet not found: the size asked for more rows, and the
        // keyword was read as one.
        if (stage == Stage::kGrid) return swallowedByRows(k.line);
        return keywordReadAsWord(k, keyword);
      case KeywordLine::kBlanks:
        at(view_.lineStart(k.word), view_.lineEnd(k.word), CheckId::kKeywordWithBlanks);
        explainHere("the keyword " + keyword +
                    " must stand alone on its line, with no blank before or after it");
        d_.error.fixes.push_back({k.line, view_.lineEnd(k.line) - k.line, keyword});
        d_.error.fixTitle = "Remove the blanks around " + keyword;
        break;
      case KeywordLine::kWithText:
        at(k.word, view_.lineEnd(k.word), CheckId::kKeywordWithText);
        explainHere("the keyword " + keyword +
                    " must stand alone on its line; put what follows it on the next line");
        break;
      case KeywordLine::kNearMiss: {
        at(k.word, view_.lineEnd(k.word), CheckId::kMisspeltKeyword);
        // A character outside ASCII that looks like a blank or a letter: the line looks right.
        const std::string_view line = view_.text.substr(k.word, view_.lineEnd(k.word) - k.word);
        if (std::any_of(line.begin(), line.end(), [](char c) { return (c & 0x80) != 0; })) {
          explainHere(
              "the line holds a character that only looks like a blank or a letter (a "
              "byte above 127): retype it as " +
              keyword);
        } else {
          explainHere("did you mean " + keyword + "? section keywords are spelt exactly");
        }
        suggest(k.word, keyword);
        break;
      }
    }
    d_.resumeLine = k.line;
    d_.minStage = stage;
    return true;
  }

  // A keyword written as it should be, read as a word of the entry before it: that entry lacks
  // a word.
  bool keywordReadAsWord(const KeywordLine& k, const std::string& keyword) {
    const Trace& trace = r_.seen.trace();
    const auto word = std::find_if(trace.words.begin(), trace.words.end(),
                                   [&](const TraceWord& w) { return w.start == k.word; });
    if (word == trace.words.end()) return false;
    const auto index = static_cast<std::size_t>(word - trace.words.begin());
    const auto entry = std::find_if(trace.entries.rbegin(), trace.entries.rend(),
                                    [&](const TraceEntry& e) { return e.firstWord <= index; });
    if (entry == trace.entries.rend() || entry->firstWord == index) return false;
    const std::size_t head = trace.entryStart(*entry);
    if (view_.lineStart(head) == k.line) return false;
    std::string what(placeholderOf(word->kind));
    if (what.front() == '<') what = what.substr(1, what.size() - 2);
    if (word->kind == WordKind::kLock) what = "lock flag";
    if (word->kind == WordKind::kLevel || word->kind == WordKind::kPlayer) what += " token";
    if (word->kind == WordKind::kSwitch) what = "switch";
    const std::string readAs = "the compiler reads the " + keyword +
                               " keyword on the next line as its " + what + ", and finds no " +
                               keyword + " section";
    // A member of the entry that lacked a word put every word after it out of its place.
    const auto lacking =
        std::find_if(r_.seen.found.begin(), r_.seen.found.end(), [&](const Located& l) {
          return l.kind.check == CheckId::kEntryLacksWord && l.offset >= head && l.offset < k.word;
        });
    if (lacking != r_.seen.found.end()) {
      at(lacking->offset, lacking->end, CheckId::kWordMissing);
      explainHere(lacking->text + "; every word after it is read out of its place, so " + readAs);
    } else {
      at(view_.lineStart(head), view_.lineEnd(head), CheckId::kWordMissing);
      explainHere("this entry lacks a word: " + readAs);
    }
    d_.quietFrom = view_.lineStart(head);
    d_.resumeLine = k.line;
    d_.minStage = k.stage;
    return true;
  }

  // No line looks like the keyword: the section is missing. Points at the next section there is.
  bool sectionMissing(std::size_t from, Stage stage, const std::string& keyword) {
    if (sectionEarlier(from, stage, keyword) || keywordInParts(from, stage, keyword)) return true;
    for (const KeywordLine& k : r_.outline.keywords) {
      if (k.line >= from && k.stage > stage) {
        at(k.line, view_.lineEnd(k.line), CheckId::kMissingSection);
        explainHere("the " + keyword + " section is missing: add it before " +
                    std::string(keywordOf(k.stage)) + " (sections come in a fixed order)");
        d_.resumeFrom = k.line;
        d_.minStage = k.stage;
        return true;
      }
    }
    if (stage == Stage::kScenario) return false;
    lastLine(CheckId::kMissingSection, "the " + keyword + " section is missing: add it here");
    d_.minStage = Stage::kEnd;
    return true;
  }

  // The section stands before one that comes ahead of it: the reader, looking for the earlier
  // one, skipped it.
  bool sectionEarlier(std::size_t from, Stage stage, const std::string& keyword) {
    const auto k = std::find_if(
        r_.outline.keywords.begin(), r_.outline.keywords.end(), [&](const KeywordLine& line) {
          return line.stage == stage && line.kind == KeywordLine::kExact && line.line < from;
        });
    if (k == r_.outline.keywords.end() || r_.seen.sections.empty()) return false;
    const std::string before = r_.seen.sections.back().keyword;
    at(k->line, view_.lineEnd(k->line), CheckId::kSectionOutOfOrder);
    explainHere("the " + keyword + " section stands before " + before +
                ", where the compiler skips it while it looks for " + before +
                ": move it after the " + before + " section (sections come in a fixed order)");
    d_.minStage = Stage::kEnd;
    return true;
  }

  // A word alone on its line, made of parts of the keyword (HEARTS_GOLD for HEARTS_AND_GOLD),
  // before the next section: the keyword, misspelt.
  bool keywordInParts(std::size_t from, Stage stage, const std::string& keyword) {
    const auto partsOf = [](std::string_view word) {
      std::vector<std::string> parts;
      std::size_t start = 0;
      while (start <= word.size()) {
        const std::size_t end = std::min(word.find('_', start), word.size());
        if (end > start) parts.push_back(upperCase(word.substr(start, end - start)));
        start = end + 1;
      }
      return parts;
    };
    const std::vector<std::string> wanted = partsOf(keyword);
    std::size_t to = view_.text.size();
    for (const KeywordLine& k : r_.outline.keywords) {
      if (k.line >= from && k.stage > stage) {
        to = k.line;
        break;
      }
    }
    for (std::size_t line = from; line < to; line = view_.nextLine(line)) {
      const std::vector<std::size_t> words = view_.lineWords(line);
      if (words.size() != 1) continue;
      const std::string_view word = view_.wordAt(words[0]);
      const std::vector<std::string> parts = partsOf(word);
      if (parts.empty() || upperCase(word) == keyword || startsAnEntry(word) ||
          !std::all_of(parts.begin(), parts.end(), [&](const std::string& p) {
            return std::find(wanted.begin(), wanted.end(), p) != wanted.end();
          })) {
        continue;
      }
      at(words[0], view_.wordEnd(words[0]), CheckId::kMisspeltKeyword);
      explainHere("did you mean " + keyword + "? section keywords are spelt exactly");
      suggest(words[0], keyword);
      d_.resumeLine = line;
      d_.minStage = stage;
      return true;
    }
    return false;
  }

  // Points after the last line of the text.
  void lastLine(DiagnosticKind kind, std::string text) {
    std::size_t end = view_.text.size();
    while (end > 0 && isBlank(view_.text[end - 1])) --end;
    at(view_.lineStart(end), view_.lineEnd(end), kind);
    explainHere(std::move(text));
  }

  void specific() {
    const Header header = headerLines(view_);
    if (headerOrGrid(header) || heroSection() || triggerWord()) return;
    if (fatal_.id == ProblemId::kScenarioError || fatal_.id == ProblemId::kLoopScenario) {
      endOfFile();
    }
  }

  // The header, the grid and the hearts; false for any other problem.
  bool headerOrGrid(const Header& header) {
    using P = ProblemId;
    switch (fatal_.id) {
      case P::kHeaderError:
      case P::kBadSize:
      case P::kMapTooWide:
        sizeLine(header);
        return true;
      case P::kBadPlayerCount:
        if (nameForgotten()) return true;
        if (header.players != kNoOffset) {
          // The line holds the number alone: it is taken for the word before the number.
          const std::vector<std::size_t> words = view_.lineWords(header.players);
          const std::string_view only = words.size() == 1 ? view_.wordAt(words[0]) : "";
          if (!only.empty() &&
              std::all_of(only.begin(), only.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            atWord(words[0], ProblemId::kBadPlayerCount);
            explainHere("the second line is a word and the number of keepers, as in 'Players " +
                        std::string(only) + "': alone, '" + std::string(only) +
                        "' is taken for the word, and the number is read from the next line");
            return true;
          }
        }
        atWord(view_.wordsBefore(view_.wordEnd(d_.error.offset), 1), ProblemId::kBadPlayerCount);
        explainHere("the second line gives the number of keepers, 1 to 4");
        return true;
      case P::kMapRowTooShort:
      case P::kMapSectionError:
      case P::kLoopMapRows:
        rows(header);
        return true;
      case P::kHeartCount:
        hearts(header);
        return true;
      default:
        return false;
    }
  }

  // GUI_GENERATED_MAP alone on the first line, and no name after it: the player line is read
  // as the name, and every header line after it one line early.
  bool nameForgotten() {
    const std::vector<std::size_t> first = view_.lineWords(0);
    if (first.size() != 1 || view_.wordAt(first[0]) != kGuiWord) return false;
    std::size_t line = view_.nextLine(0);
    while (line < view_.text.size() && view_.lineWords(line).empty()) line = view_.nextLine(line);
    const std::vector<std::size_t> name = view_.lineWords(line);
    if (name.size() != 2 || !isWholeNumber(view_.wordAt(name[1]))) return false;
    atWord(first[0], ProblemId::kBadPlayerCount);
    explainHere("the level name is missing: the line after GUI_GENERATED_MAP is the name, so '" +
                std::string(view_.wordAt(name[0])) + " " + std::string(view_.wordAt(name[1])) +
                "' is read as the name and the size line as the number of keepers");
    d_.minStage = Stage::kEnd;
    return true;
  }

  // A trigger, action, room, door, trap or spell word that names nothing the compiler knows.
  bool unknownName() {
    struct Unknown {
      ProblemId problem;
      CheckId check;
      std::vector<std::string_view> (*names)();
      std::string_view countWord;  // the prefix of words that show an action count gone wrong
    };
    static constexpr Unknown kUnknown[] = {
        {ProblemId::kInvalidTrigger, CheckId::kUnknownTrigger,
         [] { return wordsOf(triggerWords()); }, "ACTION_"},
        {ProblemId::kInvalidAction, CheckId::kUnknownAction, [] { return wordsOf(actionWords()); },
         "TRIGGER_"},
        {ProblemId::kInvalidRoom, CheckId::kUnknownRoom, [] { return namesOf(kRoomTable); }, ""},
        {ProblemId::kInvalidDoor, CheckId::kUnknownDoor, [] { return namesOf(kDoorTable); }, ""},
        {ProblemId::kInvalidTrap, CheckId::kUnknownTrap, [] { return namesOf(kTrapTable); }, ""},
        {ProblemId::kInvalidSpell, CheckId::kUnknownSpell, [] { return namesOf(kSpellTable); }, ""},
    };
    for (const Unknown& u : kUnknown) {
      if (fatal_.id != u.problem) continue;
      word(u.names(), u.check, u.countWord);
      return true;
    }
    return false;
  }

  // The areas and the gates; false for any other problem.
  bool heroSection() {
    using P = ProblemId;
    switch (fatal_.id) {
      case P::kNoGateTerrain:
        gateSquare();
        return true;
      case P::kGateConflictsWithArea:
      case P::kGateConflictsWithGate:
        atWord(view_.wordsBefore(d_.error.offset, 2), d_.error.kind);
        explainHere(
            "gates and entrance areas must not share a square (HERO_GATE_3 counts one "
            "square more on every side)");
        if (fatal_.id == P::kGateConflictsWithArea && fatal_.args.size() > 1) {
          // The other half of the conflict: the area's entry.
          for (const Seen::Area& a : r_.seen.areas) {
            if (std::to_string(a.number) != fatal_.args[1]) continue;
            note(a.offset, "entrance area " + fatal_.args[1] + ", from " +
                               squareText(a.area.left, a.area.top) + " to " +
                               squareText(a.area.right, a.area.bottom));
            break;
          }
        }
        return true;
      case P::kGateIdOrder:
      case P::kAreaIdOrder: {
        const std::size_t id =
            view_.wordsBefore(d_.error.offset, fatal_.id == P::kGateIdOrder ? 2 : 4);
        atWord(id, d_.error.kind);
        explainHere("entries are numbered 1, 2, 3, ... in order: this one must be " +
                    (fatal_.args.empty() ? std::string("the next") : fatal_.args[0]));
        return true;
      }
      default:
        return false;
    }
  }

  // A trigger or an action with a word or a number that names nothing; false for any other
  // problem.
  bool triggerWord() {
    using P = ProblemId;
    const LevelDescription& level = r_.level;
    switch (fatal_.id) {
      case P::kInvalidGateId: {
        atWord(d_.error.offset, CheckId::kDestroyGateOutOfRange);
        const std::size_t gates = level.heroGates.size();
        explainHere("ACTION_DESTROY_HERO_GATE " + std::string(view_.wordAt(d_.error.offset)) +
                    " names no gate (the message shows the number less one): " +
                    (gates == 0 ? std::string("the level has no hero gates")
                                : "the gate numbers are 1 to " + std::to_string(gates)));
        return true;
      }
      case P::kInvalidActionPlayer:
      case P::kControlAreaPlayer:
        d_.error.offset = view_.wordsBefore(d_.error.offset, 1);
        if (playerForgotten()) return true;
        word(namesOf(kPlayerTokens), CheckId::kUnknownPlayer, "");
        return true;
      case P::kControlAreaArea:
        atWord(d_.error.offset, CheckId::kControlAreaOutOfRange);
        explainHere(level.areas.empty()
                        ? std::string("the level has no entrance areas")
                        : "the entrance areas are 1 to " + std::to_string(level.areas.size()));
        return true;
      case P::kInvalidSwitch: {
        std::size_t which = d_.error.offset;
        which =
            which > 0 && !isBlank(view_.text[which - 1]) ? which - 1 : view_.wordsBefore(which, 1);
        at(which, which + 1, ProblemId::kInvalidSwitch);
        explainHere(
            "the switch is G (release at a hero gate) or A (at an entrance area), upper "
            "case");
        return true;
      }
      default:
        return unknownName();
    }
  }

  // A number or a name where the player belongs: the player was left out, and what follows it
  // stands in its place.
  bool playerForgotten() {
    const std::size_t start = d_.error.offset;
    const std::string_view w = view_.wordAt(start);
    const bool number =
        !w.empty() && std::all_of(w.begin(), w.end(), [](char c) { return c >= '0' && c <= '9'; });
    bool name = false;
    for (const auto& names : {namesOf(kRoomTable), namesOf(kSpellTable), namesOf(kDoorTable),
                              namesOf(kTrapTable), namesOf(kCreatureTable)}) {
      name = name || std::find(names.begin(), names.end(), w) != names.end();
    }
    if (!number && !name) return false;
    const std::string_view statement = view_.wordAt(view_.wordsBefore(start, 1));
    atWord(start, CheckId::kWordMissing);
    explainHere("the player is missing before '" + std::string(w) + "': write " +
                std::string(statement) + " P1 " + std::string(w) + ", with the player token first");
    return true;
  }

  // A word that names nothing the compiler knows; `countWord` is the prefix of words that show
  // a count of actions that does not match.
  void word(const std::vector<std::string_view>& names, DiagnosticKind kind,
            std::string_view countWord) {
    const std::size_t start = d_.error.offset;
    const std::string_view w = view_.wordAt(start);
    atWord(start, kind);
    if (!countWord.empty() &&
        (w.substr(0, countWord.size()) == countWord || w == ts::keywordOf(Section::kScenario))) {
      actionCount(start, countWord == "ACTION_");
      return;
    }
    if (Hint hint = didYouMean(w, names); !hint.text.empty()) {
      explainHere(std::move(hint.text));
      suggest(start, std::move(hint.name));
    }
  }

  // The action count of the trigger before `start`, when more or fewer actions follow it.
  void actionCount(std::size_t start, bool tooSmall) {
    std::size_t trigger = start;
    while (trigger > 0) {
      trigger = view_.wordsBefore(trigger, 1);
      if (view_.wordAt(trigger).substr(0, 8) == "TRIGGER_" &&
          view_.wordAt(trigger) != view_.wordAt(start))
        break;
    }
    const std::string_view kind = view_.wordAt(trigger);
    std::size_t count = view_.skipBlanks(view_.wordEnd(trigger));
    const StatementInfo* condition = findStatement(Section::kTriggers, kind);
    const std::size_t operands = condition != nullptr ? condition->operands.size() : 1;
    for (std::size_t i = 0; i < operands; ++i) count = view_.skipBlanks(view_.wordEnd(count));
    atWord(count, CheckId::kActionCount);
    explainHere(tooSmall ? "this trigger's action count is smaller than the actions written "
                           "after it: the next action is read as a trigger"
                         : "this trigger's action count is larger than the actions written "
                           "after it: the next word is read as an action");
    if (const TextView::Repeat copy =
            view_.repeatedLines(view_.nextLine(count), view_.nextLine(start));
        tooSmall && copy.line != kNoOffset) {
      note(copy.line, repeatText(copy.lines));
    }
  }

  void sizeLine(const Header& header) {
    if (header.size == kNoOffset) return;
    const std::vector<std::size_t> words = view_.lineWords(header.size);
    if (words.size() < 2) {
      at(header.size, view_.lineEnd(header.size), CheckId::kSizeLine);
      explainHere(
          "the third line gives the map size: a label, the width, a separator and the "
          "height, as in Size 10 x 8");
      return;
    }
    at(words[1], view_.lineEnd(header.size), CheckId::kSizeLine);
    if (fatal_.id == ProblemId::kHeaderError && words.size() >= 3 &&
        isWholeNumber(view_.wordAt(words[1])) && isWholeNumber(view_.wordAt(words[2]))) {
      d_.error.kind = CheckId::kSizeWithoutSeparator;
      explainHere("the width and the height need a separator character between them: write " +
                  std::string(view_.wordAt(words[1])) + " x " +
                  std::string(view_.wordAt(words[2])) +
                  " (without one, the first digit of the height is taken as the separator)");
    } else if (fatal_.id == ProblemId::kMapTooWide) {
      atWord(words[1], ProblemId::kMapTooWide);
      explainHere("this is the width");
    } else {
      explainHere(
          "the map size is the width, one separator character and the height, each at "
          "least 1, as in Size 10 x 8");
    }
  }

  // The keyword line at `line` was read as a map row: the height is larger than the rows.
  bool swallowedByRows(std::size_t line) {
    const std::vector<std::size_t>& rows = r_.seen.rowOffsets;
    const auto taken = std::find(rows.begin(), rows.end(), line);
    const Header header = headerLines(view_);
    if (taken == rows.end() || header.size == kNoOffset) return false;
    heightLargerThanRows(header, static_cast<std::size_t>(taken - rows.begin()),
                         std::string(keywordOf(Stage::kGrid)));
    d_.quietFrom = line;
    d_.resumeFrom = line;
    d_.minStage = Stage::kThings;
    return true;
  }

  void heightLargerThanRows(const Header& header, std::size_t found, const std::string& before) {
    const std::vector<std::size_t> words = view_.lineWords(header.size);
    const std::size_t height =
        words.empty() ? header.size : view_.wordsBefore(view_.lineEnd(header.size), 1);
    at(height, view_.wordEnd(height), CheckId::kHeightLargerThanRows);
    explainHere("the size gives " + plural(r_.level.mapHeight, "row", "rows") +
                ", but the map has " + plural(static_cast<std::int64_t>(found), "row", "rows") +
                " before " + (before.empty() ? std::string("the end") : before));
  }

  void rows(const Header& header) {
    const LevelDescription& level = r_.level;
    const std::size_t found = level.mapRows.size();
    const std::string row = trimmed(
        view_.text.substr(d_.error.offset, view_.lineEnd(d_.error.offset) - d_.error.offset));
    const bool keyword = row == ts::keywordOf(Section::kMapCodes) ||
                         row == ts::keywordOf(Section::kThings) ||
                         fatal_.id != ProblemId::kMapRowTooShort;
    if (keyword && header.size != kNoOffset) {
      heightLargerThanRows(header, found, row);
      return;
    }
    // The first row and the next as long as each other: the width is what is wrong.
    const std::size_t next = view_.nextLine(d_.error.offset);
    if (found == 0 && !row.empty() &&
        trimmed(view_.text.substr(next, view_.lineEnd(next) - next)).size() == row.size() &&
        header.size != kNoOffset) {
      const std::vector<std::size_t> words = view_.lineWords(header.size);
      if (words.size() >= 2) {
        atWord(words[1], CheckId::kWidthLargerThanRows);
        // A map-drawing-tool row has two characters a square.
        const std::size_t squares = r_.gui ? row.size() / 2 : row.size();
        explainHere("the size gives a width of " + std::to_string(level.mapWidth) +
                    ", but the rows have " +
                    plural(static_cast<std::int64_t>(squares), "square", "squares") +
                    (r_.gui ? " (two characters a square)" : ""));
        return;
      }
    }
    at(view_.lineStart(d_.error.offset), view_.lineEnd(d_.error.offset),
       ProblemId::kMapRowTooShort);
    explainHere("each row needs " + plural(level.mapWidth, "square", "squares") +
                " (the width on the size line)");
  }

  void hearts(const Header& header) {
    const LevelDescription& level = r_.level;
    std::vector<std::size_t> hearts;
    for (const Seen::Placement& p : r_.seen.placements) {
      if (p.what == "heart") hearts.push_back(p.offset);
    }
    const std::int64_t expected = level.playerCount;
    const auto found = static_cast<std::int64_t>(hearts.size());
    // A heart word the reader skipped is the likely mistake.
    for (const auto& [section, offset] : r_.seen.ignored) {
      const std::string_view w = view_.wordAt(offset);
      if (section != ts::keywordOf(Section::kHearts) || w.find("HEART") == std::string_view::npos) {
        continue;
      }
      atWord(offset, ProblemId::kHeartCount);
      std::string missing;
      for (std::size_t k = 0; k < 4 && static_cast<std::int64_t>(k) < expected; ++k) {
        if (!level.heartCenterSet[k]) {
          missing =
              wordOf(static_cast<Statement>(static_cast<std::size_t>(Statement::kHeart1) + k));
          break;
        }
      }
      const StatementInfo* heart = findStatement(Section::kHearts, w);
      const bool again = heart != nullptr && heart->id >= Statement::kHeart1 &&
                         heart->id <= Statement::kHeart4 &&
                         level.heartCenterSet[static_cast<std::size_t>(heart->id) -
                                              static_cast<std::size_t>(Statement::kHeart1)];
      explainHere((again ? "this heart keyword is given twice and the second is ignored"
                         : "this word is no heart keyword and is ignored") +
                  (missing.empty() ? std::string() : "; did you mean " + missing + "?"));
      if (!missing.empty()) suggest(offset, missing);
      break;
    }
    if (d_.error.kind != ProblemId::kHeartCount || d_.error.notes.empty()) {
      std::size_t target = kNoOffset;
      if (found > expected) {
        for (std::size_t h : hearts) {
          const std::string_view w = view_.wordAt(h);
          if (w.size() > 3 && w[3] - '0' > expected) target = h;
        }
      }
      // A missing keeper's heart written after the section ended: never read there.
      std::size_t late = kNoOffset;
      for (std::size_t k = 0; found < expected && k < 4 && static_cast<std::int64_t>(k) < expected;
           ++k) {
        if (level.heartCenterSet[k]) continue;
        const std::string word(
            wordOf(static_cast<Statement>(static_cast<std::size_t>(Statement::kHeart1) + k)));
        for (std::size_t at = view_.text.find(word, stopped()); at != std::string_view::npos;
             at = view_.text.find(word, at + 1)) {
          if (view_.lineWords(at).front() == at) {
            late = at;
            break;
          }
        }
        if (late != kNoOffset) break;
      }
      if (late != kNoOffset) {
        atWord(late, ProblemId::kHeartCount);
        explainHere(
            "this heart centre stands after HEARTS_AND_GOLD has ended, where it is never "
            "read: move it up into the section");
        note(stopped(), "HEARTS_AND_GOLD ends here");
        // The section it stands in is read again after it, from the next keyword.
        for (std::size_t h : hearts) note(h, "a heart centre");
        d_.quietFrom = stopped();
        d_.resumeFrom = view_.nextLine(late);
        d_.minStage = static_cast<Stage>(static_cast<int>(r_.outline.stageAt(late)) + 1);
        return;
      } else if (target != kNoOffset) {
        atWord(target, ProblemId::kHeartCount);
      } else if (header.players != kNoOffset) {
        const std::vector<std::size_t> words = view_.lineWords(header.players);
        atWord(words.size() > 1 ? words[1] : header.players, ProblemId::kHeartCount);
      }
      explainHere("expected " + plural(expected, "heart centre", "heart centres") +
                  " (one for each keeper), found " + std::to_string(found));
    }
    for (std::size_t h : hearts) note(h, "a heart centre");
    d_.quietFrom = stopped();
    d_.resumeFrom = stopped();
    d_.minStage = Stage::kBands;
  }

  void gateSquare() {
    const std::size_t yAt = d_.error.offset;
    const std::size_t xAt = view_.wordsBefore(yAt, 1);
    at(xAt, view_.wordEnd(yAt), CheckId::kGateSquare);
    const std::int64_t x = numberAt(view_, xAt);
    const std::int64_t y = numberAt(view_, yAt);
    const GridTerrain grid(r_.level, r_.names);
    if (!grid.inside(x, y)) {
      explainHere(squareText(x, y) + " is outside the " + std::to_string(grid.level().mapWidth) +
                  " by " + std::to_string(grid.level().mapHeight) +
                  " map (x is the column, y the row, both from 0)");
    } else if (grid.at(x, y) == kHeroGate3Code) {
      explainHere(
          "a HERO_GATE_3 gate grows by one square on every side; drawn in column 0 it "
          "would start in column -1, which the compiler takes for no gate: keep it one "
          "square away from the left edge");
      return;
    } else {
      explainHere("the square " + squareText(x, y) + " is " + grid.name(grid.at(x, y)) +
                      ", not a gate terrain (x is the column, y the row, both from 0)",
                  squareAt(x, y));
    }
    meantGateSquare(grid, x, y, xAt, view_.wordEnd(yAt));
  }

  // Says which gate square the designer probably meant instead of (x, y), written in [from, to):
  // the square with x and y swapped, else the nearest square of a drawn gate no other entry lists.
  void meantGateSquare(const GridTerrain& grid, std::int64_t x, std::int64_t y, std::size_t from,
                       std::size_t to) {
    if (grid.inside(y, x) && isGateTerrain(grid.at(y, x))) {
      explainHere("the square " + squareText(y, x) + " is " + grid.name(grid.at(y, x)) +
                      ": x and y are swapped",
                  squareAt(y, x));
      d_.error.suggestions.push_back({{from, to}, std::to_string(y) + " " + std::to_string(x)});
      return;
    }
    // The squares of the gates the other entries list.
    const LevelDescription& level = grid.level();
    std::set<std::pair<std::int32_t, std::int32_t>> listed;
    const auto claim = [&](std::int64_t gx, std::int64_t gy) {
      if (!grid.whole() || !grid.inside(gx, gy) || !isGateTerrain(grid.at(gx, gy))) return;
      const auto cx = static_cast<std::int32_t>(gx);
      const auto cy = static_cast<std::int32_t>(gy);
      const char c = level.mapRows[static_cast<std::size_t>(cy)][static_cast<std::size_t>(cx)];
      const auto region = regionOf(level, c, cx, cy);
      listed.insert(region.begin(), region.end());
    };
    for (const HeroGate& gate : level.heroGates) claim(gate.x, gate.y);
    // The entries after this one, up to the first line that is no entry.
    for (std::size_t line = view_.nextLine(from); line < view_.text.size();
         line = view_.nextLine(line)) {
      const std::vector<std::size_t> words = view_.lineWords(line);
      if (words.size() != 3 || !std::all_of(words.begin(), words.end(), [&](std::size_t w) {
            const std::string_view word = view_.wordAt(w);
            return !word.empty() && std::all_of(word.begin(), word.end(),
                                                [](char c) { return c >= '0' && c <= '9'; });
          })) {
        break;
      }
      claim(numberAt(view_, words[1]), numberAt(view_, words[2]));
    }
    std::optional<std::pair<std::int64_t, std::int64_t>> best;
    bool anyGate = false;
    std::int64_t bestDistance = -1;
    for (std::int64_t cy = 0; cy < static_cast<std::int64_t>(level.mapRows.size()); ++cy) {
      for (std::int64_t cx = 0; cx < level.mapWidth; ++cx) {
        if (!grid.inside(cx, cy) || !isGateTerrain(grid.at(cx, cy))) continue;
        anyGate = true;
        // A square of a gate another entry lists is no square this entry meant.
        if (listed.count({static_cast<std::int32_t>(cx), static_cast<std::int32_t>(cy)})) continue;
        const std::int64_t distance = std::abs(cx - x) + std::abs(cy - y);
        if (bestDistance < 0 || distance < bestDistance) {
          bestDistance = distance;
          best = {cx, cy};
        }
      }
    }
    if (!best) {
      explainHere(anyGate ? "every gate drawn on the map is another entry's: this entry's gate "
                            "is not drawn, or its character has no gate terrain in MAP_CODES"
                          : "the map has no square of a gate terrain (HERO_GATE_1 to "
                            "HERO_GATE_10)");
      return;
    }
    const auto [bx, by] = *best;
    explainHere("the nearest gate square is " + squareText(bx, by) + " (" +
                    grid.name(grid.at(bx, by)) + ")",
                squareAt(bx, by));
  }

  void endOfFile() {
    for (const auto& [section, offset] : r_.seen.ignored) {
      const std::string_view w = view_.wordAt(offset);
      if (section == ts::keywordOf(Section::kScenario) && !didYouMean(w, {kEofWord}).text.empty()) {
        atWord(offset, CheckId::kMisspeltEof);
        explainHere("did you mean EOF? the level ends with the word EOF, in capitals");
        suggest(offset, std::string(kEofWord));
        return;
      }
    }
    lastLine(CheckId::kMissingEof,
             "the level must end with the word EOF: add EOF as the last line");
    const std::string_view text = view_.text;
    d_.error.fixTitle = "Add EOF as the last line";
    d_.error.fixes.push_back(
        {text.size(), 0, (text.empty() || text.back() == '\n' ? "" : "\n") + std::string("EOF\n")});
    d_.minStage = Stage::kEnd;
  }

  const Reading& r_;
  const TextView& view_;
  const Problem& fatal_;
  Stage stage_;
  Diagnosis d_;
};

}  // namespace

Diagnosis diagnoseFatal(const Reading& r, const Problem& fatal) {
  return Explainer(r, fatal).explain();
}

}  // namespace ts::check
