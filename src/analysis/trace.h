// What a reading of a map text read, word by word, as the reader reports it: the sections it
// found, the entries of each, and every word of an entry with what it was read as. The checker,
// the language server and the outline of the public library all take the structure of a map from
// it, so that no tool reads a map a second way.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/grammar.h"
#include "model/level_description.h"
#include "model/vocabulary.h"
#include "reader/reader_observer.h"

namespace ts::check {

struct TraceWord {
  WordKind kind;
  std::size_t start;
  std::size_t end;
};

struct TraceEntry {
  Section section;
  std::size_t firstWord;  // into Trace::words
  std::size_t wordCount = 0;
  // Every word as the entry wants it: names the compiler knows, numbers read whole, nothing
  // reported while it was read.
  bool clean = true;
};

struct TraceSection {
  Section section;
  std::size_t start;  // the keyword's first character (the grid's first row, the header's 0)
  std::size_t end;    // one past the keyword
  std::size_t countAt = static_cast<std::size_t>(-1);  // the count's word, if one was read
  std::size_t countEnd = 0;
  std::size_t firstEntry = 0;  // into Trace::entries
  std::size_t entryCount = 0;
};

struct Trace {
  std::vector<TraceSection> sections;
  std::vector<TraceEntry> entries;
  std::vector<TraceWord> words;

  // The first and one past the last byte of an entry's words; REQUIRES: it has words.
  [[nodiscard]] std::size_t entryStart(const TraceEntry& e) const {
    return words[e.firstWord].start;
  }
  [[nodiscard]] std::size_t entryEnd(const TraceEntry& e) const {
    return words[e.firstWord + e.wordCount - 1].end;
  }
  // The section of the trace that `section` is, or null when the reading did not reach it.
  [[nodiscard]] const TraceSection* find(Section section) const;
};

// Records a reading's trace. `place` turns an offset of the text read into one of the text the
// trace is about (a reading may run over a text that holds a piece of the map); kNowhere drops
// what was read there.
class TraceRecorder : public ReaderObserver {
 public:
  static constexpr std::size_t kNowhere = static_cast<std::size_t>(-1);

  void sectionStarted(Section section, std::size_t start, std::size_t end) override;
  void entryStarted(Section section) override;
  void wordRead(WordKind kind, std::size_t start, std::size_t end) override;
  void problem(const Problem& problem) override;
  void entryDropped(std::string_view section, ExpectedWord expected, std::string_view word,
                    std::size_t offset) override;
  void integerRead(std::size_t start, std::size_t end, bool failed) override;

  // The trace so far; the entry being read is in it once it has a word.
  [[nodiscard]] const Trace& trace() const { return trace_; }
  // The trace, taken out when nothing reads it here any more.
  [[nodiscard]] Trace takeTrace() { return std::move(trace_); }
  // Whether the reader started another entry after the last one in the trace: only a whole entry
  // is followed by another.
  [[nodiscard]] bool lastEntryFollowed() const { return followed_; }

 protected:
  // A large map's trace is most of what a reading writes: room is made once for what a text of
  // this size usually holds (about a word in every four or five bytes, some five words an entry),
  // rather than by doubling. Past a 200,000-entry map's room, a trace grows as it needs: room
  // that a text of comments would never fill is not claimed.
  explicit TraceRecorder(std::string_view reading) : reading_(reading) {
    constexpr std::size_t kMostWords = std::size_t{1} << 21;
    trace_.words.reserve(std::min(reading.size() / 4, kMostWords));
    trace_.entries.reserve(std::min(reading.size() / 16, kMostWords / 4));
  }
  [[nodiscard]] virtual std::size_t place(std::size_t offset) const { return offset; }

 private:
  void spoil();  // the entry being read is not clean

  std::string_view reading_;
  Trace trace_;
  bool inEntry_ = false;
  bool entryHasWord_ = false;
  Section pending_ = Section::kHeader;  // the section of the entry that has no word yet
  bool followed_ = false;
};

// Takes out of `level` the records a reading of `section` adds to it.
void clearSection(LevelDescription& level, Section section);

// An entry read from a piece of text on its own, with its words and where it stands.
struct EntryRead {
  std::size_t start = 0;
  std::size_t end = 0;
  bool clean = true;
  std::vector<TraceWord> words;
};

// The whole entries of `section` that the reader reads from text[from, to) when they follow the
// section's count, in order; an entry cut short by `to` is left out. `level` is the level read
// so far (a gate entry is read against its grid, a trigger against its areas and gates); with
// `after`, the level as the reading left it, holding the section's records.
[[nodiscard]] std::vector<EntryRead> readEntries(std::string_view text, std::size_t from,
                                                 std::size_t to, Section section,
                                                 const LevelDescription& level,
                                                 const NameMaps& names,
                                                 LevelDescription* after = nullptr);

// Checks that `trace` is what the reader read of `text`, and says what is not: every word lies in
// the text, whole and in order; a section's words all come before the next section's keyword
// (nothing the reader skipped is counted); and the entries of each counted section are exactly
// those the reader reads again from the section's count, word for word. Empty when all holds.
// `level` is the first reading's level.
[[nodiscard]] std::string traceProblem(std::string_view text, const Trace& trace,
                                       const LevelDescription& level, const NameMaps& names);

}  // namespace ts::check
