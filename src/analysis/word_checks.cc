// Words the compiler reads otherwise than they were meant, found in the reader's trace: a number
// split by a blank (the rest is ignored), a player token naming a keeper who does not play, a
// lock word longer than the one character the reader takes, and a hero band no trigger releases.
#include <algorithm>
#include <set>
#include <string>

#include "analysis/analysis.h"

namespace ts::check {

namespace {

void add(std::vector<Located>& out, std::size_t from, std::size_t to, Located l) {
  if (l.offset >= from && l.offset < to) out.push_back(std::move(l));
}

// A number followed on its line by digits the hearts and gold or the scenario description skip:
// "GOLD1 8 000" gives 8 gold.
void splitNumbers(const Reading& r, std::size_t from, std::size_t to, std::vector<Located>& out) {
  const TextView& view = r.view;
  std::set<std::size_t> ignored;
  for (const auto& entry : r.seen.ignored) ignored.insert(entry.second);
  for (const auto& [section, offset] : r.seen.ignored) {
    if (!isWholeNumber(view.wordAt(offset))) continue;
    // The number before it on its line was read as one, not skipped too.
    const std::size_t before = view.wordsBefore(offset, 1);
    if (before >= offset || view.lineStart(before) != view.lineStart(offset) ||
        !isWholeNumber(view.wordAt(before)) || ignored.count(before)) {
      continue;
    }
    const std::string number(view.wordAt(before));
    const std::string rest(view.wordAt(offset));
    Located l{before, Severity::kWarning,
              "'" + number + " " + rest + "' is read as " + number + ", and '" + rest +
                  "' is ignored: write the number without blanks (" + number + rest + ")",
              CheckId::kNumberSplit, view.wordEnd(offset)};
    l.fixes.push_back({view.wordEnd(before), offset - view.wordEnd(before), ""});
    l.fixTitle = "Join the number: " + number + rest;
    add(out, from, to, std::move(l));
  }
}

// Player tokens naming a keeper who does not play: a creature, door, trap or band of nobody, a
// room given to nobody, an area nobody can take.
void absentKeepers(const Reading& r, std::size_t from, std::size_t to, std::vector<Located>& out) {
  if (!r.keepersKnown) return;
  const Trace& trace = r.seen.trace();
  const std::int32_t keepers = r.level.playerCount;
  for (const TraceEntry& e : trace.entries) {
    // The scenario description reports these itself.
    if (e.section == Section::kScenario) continue;
    for (std::size_t w = e.firstWord; w < e.firstWord + e.wordCount; ++w) {
      const TraceWord& word = trace.words[w];
      if (word.kind != WordKind::kPlayer) continue;
      const std::string_view token = r.view.text.substr(word.start, word.end - word.start);
      const std::int32_t keeper = parsePlayerToken(token) - kFirstKeeperPlayer + 1;
      if (keeper < 1 || keeper <= keepers) continue;
      add(out, from, to,
          {word.start, Severity::kWarning,
           std::string(token) + " is keeper " + std::to_string(keeper) +
               ", who does not play in a level of " + std::to_string(keepers) +
               (keepers == 1 ? " keeper" : " keepers"),
           CheckId::kKeeperNotPlaying, word.end});
    }
  }
}

// A band's owner that is no player token: the band is the heroes', and the rest of its line is
// skipped. Alone at the start of a line, it is the next line's first word, read because the
// band's own line lacks its owner.
void bandOwners(const Reading& r, std::size_t from, std::size_t to, std::vector<Located>& out) {
  const Trace& trace = r.seen.trace();
  for (const TraceEntry& e : trace.entries) {
    if (e.section != Section::kBands || e.wordCount < 3) continue;
    const TraceWord& word = trace.words[e.firstWord + 2];
    if (word.kind != WordKind::kPlayer) continue;
    const std::string token(r.view.text.substr(word.start, word.end - word.start));
    if (parsePlayerToken(token) != 0) continue;
    const std::size_t name = trace.words[e.firstWord].start;
    if (r.view.lineStart(word.start) != r.view.lineStart(name)) {
      add(out, from, to,
          {name, Severity::kWarning,
           "this band lacks its owner (a player token, PH for the heroes): the compiler reads '" +
               token +
               "', the next line's first word, as the owner, and skips the rest of that "
               "line",
           CheckId::kEntryLacksWord, r.view.lineEnd(name)});
      continue;
    }
    add(out, from, to,
        {word.start, Severity::kWarning,
         "'" + token + "' is no player token: the band is read as the heroes' (PH)",
         CheckId::kUnknownPlayer, word.end});
  }
}

// A lock word of more than one character: the reader takes its first character as the flag and
// the rest as the next word, which shifts every later word of the section.
void lockWords(const Reading& r, std::size_t from, std::size_t to, std::vector<Located>& out) {
  const Trace& trace = r.seen.trace();
  const std::string_view text = r.view.text;
  for (const TraceWord& word : trace.words) {
    if (word.kind != WordKind::kLock) continue;
    // One character that is no flag: unlocked, whatever was meant (1 or Y for locked).
    const char only = text[word.start];
    if ((word.end >= text.size() || isBlank(text[word.end])) && only != 'L' && only != 'U' &&
        only != 'l' && only != 'u') {
      Located l{word.start, Severity::kWarning,
                std::string("the lock flag is L (locked) or U (unlocked): '") + only +
                    "' is read as unlocked",
                CheckId::kLockWord, word.start + 1};
      add(out, from, to, std::move(l));
      continue;
    }
    if (word.end >= text.size() || isBlank(text[word.end])) continue;
    const std::string written(r.view.wordAt(word.start));
    const char flag = text[word.start];
    Located l{word.start, Severity::kWarning,
              "the lock flag is one character: '" + written + "' is read as '" +
                  std::string(1, flag) + "' (" + (flag == 'L' ? "locked" : "unlocked") +
                  ") and its rest '" + written.substr(1) + "' as the next word",
              CheckId::kLockWord, word.start + written.size()};
    l.fixes.push_back({word.start, written.size(), std::string(1, flag == 'L' ? 'L' : 'U')});
    l.fixTitle = std::string("Write the flag ") + (flag == 'L' ? "L" : "U");
    add(out, from, to, std::move(l));
  }
}

// Hero bands that no release names: they never enter the level.
void bandsNeverReleased(const Reading& r, std::size_t from, std::size_t to,
                        std::vector<Located>& out) {
  if (!r.level.isValid) return;
  const Trace& trace = r.seen.trace();
  const TraceSection* bands = trace.find(Section::kBands);
  if (bands == nullptr || trace.find(Section::kTriggers) == nullptr) return;
  std::set<std::int32_t> released;
  for (const Seen::Release& release : r.seen.releases) released.insert(release.band);
  for (std::size_t b = 0; b < bands->entryCount; ++b) {
    if (released.count(static_cast<std::int32_t>(b + 1))) continue;
    const TraceEntry& band = trace.entries[bands->firstEntry + b];
    const TraceWord& name = trace.words[band.firstWord];
    add(out, from, to,
        {name.start, Severity::kWarning,
         "hero band " + std::to_string(b + 1) + " (" +
             std::string(r.view.text.substr(name.start, name.end - name.start)) +
             ") is never released: no ACTION_HERO_RELEASE names it, so it never enters the level",
         CheckId::kBandNeverReleased, name.end});
  }
}

}  // namespace

const std::array<SilentCheck, 5> kWordChecks = {splitNumbers, absentKeepers, bandOwners, lockWords,
                                                bandsNeverReleased};

}  // namespace ts::check
