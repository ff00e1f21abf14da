#include "analysis/trace.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "reader/map_reader.h"

namespace ts::check {

const TraceSection* Trace::find(Section section) const {
  for (const TraceSection& s : sections) {
    if (s.section == section) return &s;
  }
  return nullptr;
}

void TraceRecorder::sectionStarted(Section section, std::size_t start, std::size_t end) {
  inEntry_ = false;
  const std::size_t at = place(start);
  if (at == kNowhere) return;
  trace_.sections.push_back(
      {section, at, at + (end - start), kNowhere, 0, trace_.entries.size(), 0});
}

void TraceRecorder::entryStarted(Section section) {
  // The entry is kept once it has a word: an entry that read none (the text had ended) is none.
  inEntry_ = !trace_.sections.empty() && trace_.sections.back().section == section;
  entryHasWord_ = false;
  pending_ = section;
  followed_ = true;
}

void TraceRecorder::wordRead(WordKind kind, std::size_t start, std::size_t end) {
  const std::size_t at = place(start);
  if (at == kNowhere || trace_.sections.empty()) return;
  const TraceWord word{kind, at, at + (end - start)};
  // A read that failed leaves its word where it was, and the next read takes it again (a heart
  // whose y is '-' and then the band count): the word stays with the entry that read it first.
  if (!trace_.words.empty() && word.start < trace_.words.back().end) return;
  if (!inEntry_) {
    // The count that follows a keyword, before the first entry.
    TraceSection& s = trace_.sections.back();
    if (kind == WordKind::kCount && s.countAt == kNowhere && s.entryCount == 0) {
      s.countAt = word.start;
      s.countEnd = word.end;
    }
    return;
  }
  if (!entryHasWord_) {
    ++trace_.sections.back().entryCount;
    trace_.entries.push_back({pending_, trace_.words.size()});
    followed_ = false;
  }
  entryHasWord_ = true;
  trace_.words.push_back(word);
  ++trace_.entries.back().wordCount;
}

void TraceRecorder::spoil() {
  if (inEntry_ && entryHasWord_) trace_.entries.back().clean = false;
}

void TraceRecorder::problem(const Problem& problem) {
  // A gate on no gate square, a release or destruction of a gate or area that is not there: the
  // entry is written whole, and what it names is the mistake. Anything else (an unknown name, a
  // number out of order) is a word the entry does not want.
  switch (problem.id) {
    case ProblemId::kGateNotInMap:
    case ProblemId::kGateNotGate:
    case ProblemId::kNoGateTerrain:
    case ProblemId::kGateConflictsWithArea:
    case ProblemId::kGateConflictsWithGate:
    case ProblemId::kControlAreaArea:
    case ProblemId::kInvalidGateId:
      return;
    default:
      spoil();
  }
}

void TraceRecorder::entryDropped(std::string_view, ExpectedWord, std::string_view, std::size_t) {
  spoil();
}

void TraceRecorder::integerRead(std::size_t start, std::size_t end, bool failed) {
  // A number cut short by a letter, a comma or a unit is not read as written.
  if (failed || (end < reading_.size() && !isBlank(reading_[end])) ||
      (start + 1 < reading_.size() && reading_[start] == '0' && reading_[start + 1] >= '0' &&
       reading_[start + 1] <= '9')) {
    spoil();
  }
}

namespace {

// Records the entries of a section read from a piece of text put behind its keyword and a count.
class PieceRecorder final : public TraceRecorder {
 public:
  PieceRecorder(std::string_view reading, std::size_t prefix, std::size_t from)
      : TraceRecorder(reading), prefix_(prefix), from_(from) {}

 private:
  [[nodiscard]] std::size_t place(std::size_t offset) const override {
    // The keyword and the count put before the piece stand at its start.
    return offset < prefix_ ? from_ : offset - prefix_ + from_;
  }
  std::size_t prefix_;
  std::size_t from_;
};

}  // namespace

void clearSection(LevelDescription& level, Section section) {
  switch (section) {
    case Section::kMapCodes:
      level.mapCodes.clear();
      break;
    case Section::kThings:
      level.objects.clear();
      break;
    case Section::kCreatures:
      level.creatures.clear();
      break;
    case Section::kDoors:
      level.doors.clear();
      break;
    case Section::kTraps:
      level.traps.clear();
      break;
    case Section::kBands:
      level.heroBands.clear();
      break;
    case Section::kAreas:
      level.areas.clear();
      break;
    case Section::kGates:
      level.heroGates.clear();
      break;
    case Section::kTriggers:
      level.triggers.clear();
      break;
    default:
      break;
  }
}

std::vector<EntryRead> readEntries(std::string_view text, std::size_t from, std::size_t to,
                                   Section section, const LevelDescription& level,
                                   const NameMaps& names, LevelDescription* after) {
  std::string piece(keywordOf(section));
  // As many entries as the piece holds.
  piece += "\n2147483647\n";
  const std::size_t prefix = piece.size();
  piece += text.substr(from, to - from);
  LevelDescription scratch = level;
  clearSection(scratch, section);
  // A grid cut short is no grid: the gates are read against none, as a resumed reading reads
  // them, and the reader never looks at rows that are not there.
  const bool whole =
      scratch.mapRows.size() == static_cast<std::size_t>(std::max(0, scratch.mapHeight)) &&
      std::all_of(scratch.mapRows.begin(), scratch.mapRows.end(), [&](const std::string& row) {
        return row.size() >= static_cast<std::size_t>(std::max(0, scratch.mapWidth));
      });
  if (!whole) {
    scratch.mapRows.clear();
    scratch.mapWidth = 0;
    scratch.mapHeight = 0;
  }
  ProblemSink quiet(nullptr);
  PieceRecorder recorder(piece, prefix, from);
  ReadState state(piece, scratch, names, quiet, &recorder);
  readSection(state, section);

  const Trace& trace = recorder.trace();
  std::vector<EntryRead> entries;
  for (std::size_t i = 0; i < trace.entries.size(); ++i) {
    const TraceEntry& e = trace.entries[i];
    // The reader goes on to the next entry only once one is whole; the last one read, when no
    // entry started after it, is whole only if the reader stopped at a mistake in it rather than
    // at the end of the piece.
    if (i + 1 == trace.entries.size() && !recorder.lastEntryFollowed() && state.in.failed()) {
      break;
    }
    EntryRead read{trace.entryStart(e), trace.entryEnd(e), e.clean, {}};
    read.words.assign(trace.words.begin() + static_cast<std::ptrdiff_t>(e.firstWord),
                      trace.words.begin() + static_cast<std::ptrdiff_t>(e.firstWord + e.wordCount));
    entries.push_back(std::move(read));
  }
  if (after != nullptr) *after = std::move(scratch);
  return entries;
}

std::string traceProblem(std::string_view text, const Trace& trace, const LevelDescription& level,
                         const NameMaps& names) {
  const auto at = [](std::size_t offset) { return " at " + std::to_string(offset); };
  std::size_t previous = 0;
  for (const TraceWord& w : trace.words) {
    if (w.start >= w.end || w.end > text.size()) return "a word outside the text" + at(w.start);
    if (w.start < previous) return "a word before the one read ahead of it" + at(w.start);
    for (std::size_t i = w.start; i < w.end; ++i) {
      // A grid character may be any character but a blank; a word holds no blank.
      if (isBlank(text[i])) return "a word with a blank in it" + at(w.start);
    }
    previous = w.end;
  }
  // The level as the sections read so far build it: a later reading's gates and triggers are
  // read against the areas and gates it read before them.
  LevelDescription running = level;
  for (std::size_t i = 0; i < trace.sections.size(); ++i) {
    const TraceSection& s = trace.sections[i];
    const std::size_t next =
        i + 1 < trace.sections.size() ? trace.sections[i + 1].start : text.size();
    // An entry may run past the next keyword only when it read that keyword as one of its words.
    const auto readAsWord = [&] {
      return std::any_of(trace.words.begin(), trace.words.end(),
                         [&](const TraceWord& w) { return w.start == next; });
    };
    if (s.entryCount > 0 && s.firstEntry + s.entryCount <= trace.entries.size() &&
        trace.entryEnd(trace.entries[s.firstEntry + s.entryCount - 1]) > next && !readAsWord()) {
      return std::string(keywordOf(s.section)) + " counts words after the next keyword" + at(next);
    }
    if (!sectionInfo(s.section).counted || s.countAt == static_cast<std::size_t>(-1)) continue;
    // The reader, reading the section again from its count on, takes the same entries.
    LevelDescription read;
    const std::vector<EntryRead> again =
        readEntries(text, s.countEnd, next, s.section, running, names, &read);
    const long count = std::strtol(std::string(text.substr(s.countAt, 16)).c_str(), nullptr, 0);
    // A count smaller than the entries written: the reader took the counted ones only, and the
    // level after the section holds theirs alone (a legend entry past the count gives its
    // character no terrain for the sections after it).
    if (again.size() > s.entryCount && static_cast<long>(s.entryCount) == count) {
      static_cast<void>(readEntries(text, s.countEnd, again[s.entryCount].start, s.section, running,
                                    names, &read));
    }
    running = std::move(read);
    // The reader stopped inside an area or gate section that counts more entries than it read:
    // the reading that resumes after it knows none of them, and reads what follows without.
    if ((s.section == Section::kAreas || s.section == Section::kGates) &&
        static_cast<long>(s.entryCount) < count) {
      clearSection(running, s.section);
    }
    // A legend whose count read on past the keyword a later reading resumed at: that reading
    // keeps the whole legend the first one read, not the part of it the trace still holds.
    if (s.section == Section::kMapCodes && static_cast<long>(s.entryCount) < count) {
      running.mapCodes = level.mapCodes;
    }
    for (std::size_t e = 0; e < s.entryCount; ++e) {
      const TraceEntry& entry = trace.entries[s.firstEntry + e];
      // The section's last entry may stand cut short by the end of its reading.
      if (e >= again.size()) {
        if (e + 1 == s.entryCount) break;
        return std::string(keywordOf(s.section)) + " entry " + std::to_string(e + 1) +
               " is not read again" + at(trace.entryStart(entry));
      }
      const std::vector<TraceWord>& words = again[e].words;
      bool same = words.size() == entry.wordCount;
      for (std::size_t k = 0; same && k < words.size(); ++k) {
        const TraceWord& w = trace.words[entry.firstWord + k];
        same = w.start == words[k].start && w.end == words[k].end && w.kind == words[k].kind;
      }
      if (!same && !(e + 1 == s.entryCount && words.size() > entry.wordCount)) {
        return std::string(keywordOf(s.section)) + " entry " + std::to_string(e + 1) +
               " is read otherwise" + at(trace.entryStart(entry));
      }
    }
  }
  return {};
}

}  // namespace ts::check
