// The public outline (include/tunnelsmith/outline.h): what the checker's readings read of a map,
// word by word, with the grid's terrain and the squares and entries the words name.
#include "tunnelsmith/outline.h"

#include <array>
#include <cstdint>
#include <string>
#include <utility>

#include "analysis/check.h"
#include "library/guarded.h"
#include "model/grammar.h"
#include "model/level_description.h"
#include "model/vocabulary.h"
#include "reader/text_reader.h"

namespace tunnelsmith {

namespace {

constexpr std::array<std::string_view, 23> kWordKindNames = {
    "keyword", "count", "character", "terrain", "object", "creature", "door",   "trap",
    "room",    "spell", "available", "x",       "y",      "level",    "player", "lock",
    "name",    "band",  "area",      "gate",    "switch", "location", "number"};

// The value the reader takes from a number's word.
std::int32_t numberOf(std::string_view text, const OutlineWord& word) {
  ts::TextReader in(text.substr(word.span.start, word.span.end - word.span.start));
  std::int32_t value = 0;
  in.readInteger(value);
  return value;
}

// The entry's first pair of x and y words, as a square.
std::optional<Square> squareOf(std::string_view text, const OutlineEntry& e) {
  for (std::size_t i = 0; i + 1 < e.words.size(); ++i) {
    if (e.words[i].kind == WordKind::kX && e.words[i + 1].kind == WordKind::kY) {
      return Square{numberOf(text, e.words[i]), numberOf(text, e.words[i + 1])};
    }
  }
  return std::nullopt;
}

std::vector<std::uint32_t> terrainOf(const ts::LevelDescription& level) {
  const auto width = static_cast<std::size_t>(std::max(0, level.mapWidth));
  const auto height = static_cast<std::size_t>(std::max(0, level.mapHeight));
  if (level.mapRows.size() != height) return {};
  for (const std::string& row : level.mapRows) {
    if (row.size() < width) return {};
  }
  const ts::CharacterCodes codes(level.mapCodes);
  std::vector<std::uint32_t> terrain;
  terrain.reserve(width * height);
  for (const std::string& row : level.mapRows) {
    for (std::size_t x = 0; x < width; ++x) {
      terrain.push_back(codes.terrainOf(static_cast<unsigned char>(row[x])));
    }
  }
  return terrain;
}

// What the entries of a section mean on the grid: the square a placement, heart or gate names,
// the squares an area or a gate covers.
void placeEntry(std::string_view text, const ts::LevelDescription& level, OutlineEntry& e) {
  switch (e.section) {
    case SectionKind::kThings:
    case SectionKind::kCreatures:
    case SectionKind::kDoors:
    case SectionKind::kTraps:
    case SectionKind::kHearts:
      e.square = squareOf(text, e);
      break;
    case SectionKind::kGates: {
      e.square = squareOf(text, e);
      if (e.number <= level.heroGates.size() && level.heroGates[e.number - 1].extent.present()) {
        const ts::GateExtent& x = level.heroGates[e.number - 1].extent;
        e.covers = SquareRange{x.left, x.top, x.right, x.bottom};
      }
      break;
    }
    case SectionKind::kAreas:
      if (e.words.size() == 5) {
        e.covers = SquareRange{numberOf(text, e.words[1]), numberOf(text, e.words[2]),
                               numberOf(text, e.words[3]), numberOf(text, e.words[4])};
      }
      break;
    default:
      break;
  }
}

// The numbers of a trigger that name a band, an area or a gate.
void referencesOf(std::string_view text, const OutlineEntry& e, std::vector<CrossReference>& out) {
  for (std::size_t i = 0; i < e.words.size(); ++i) {
    const OutlineWord& w = e.words[i];
    std::optional<SectionKind> target;
    if (w.kind == WordKind::kBand) target = SectionKind::kBands;
    if (w.kind == WordKind::kArea) target = SectionKind::kAreas;
    if (w.kind == WordKind::kGate) target = SectionKind::kGates;
    if (w.kind == WordKind::kLocation && i > 0 && e.words[i - 1].kind == WordKind::kSwitch) {
      const char which = text[e.words[i - 1].span.start];
      if (which == 'G') target = SectionKind::kGates;
      if (which == 'A') target = SectionKind::kAreas;
    }
    if (target) out.push_back({*target, numberOf(text, w), w.span, std::nullopt});
  }
}

Outline outlineOf(std::string_view text) {
  const ts::NameMaps names;
  const ts::check::MapAnalysis analysis = ts::check::analyseMap(text, names);
  const ts::check::Trace& trace = analysis.trace;
  const ts::LevelDescription& level = analysis.level;
  Outline out;
  out.levelName = level.levelName;
  out.players = level.playerCount;
  out.grid = {level.mapWidth, level.mapHeight, analysis.gui, analysis.rows, terrainOf(level)};
  for (std::size_t i = 0; i < trace.sections.size(); ++i) {
    const ts::check::TraceSection& s = trace.sections[i];
    OutlineSection section{static_cast<SectionKind>(s.section),
                           {s.start, s.end},
                           {},
                           std::nullopt,
                           out.entries.size(),
                           s.entryCount};
    section.span = {s.start,
                    i + 1 < trace.sections.size() ? trace.sections[i + 1].start : text.size()};
    if (s.countAt != static_cast<std::size_t>(-1)) section.count = Span{s.countAt, s.countEnd};
    for (std::size_t n = 0; n < s.entryCount; ++n) {
      const ts::check::TraceEntry& e = trace.entries[s.firstEntry + n];
      OutlineEntry entry{
          section.section, n + 1, {trace.entryStart(e), trace.entryEnd(e)}, {}, {}, {}};
      for (std::size_t w = e.firstWord; w < e.firstWord + e.wordCount; ++w) {
        const ts::check::TraceWord& word = trace.words[w];
        entry.words.push_back({static_cast<WordKind>(word.kind), {word.start, word.end}});
      }
      placeEntry(text, level, entry);
      if (entry.section == SectionKind::kTriggers) referencesOf(text, entry, out.references);
      out.entries.push_back(std::move(entry));
    }
    out.sections.push_back(section);
  }
  // Each reference to the entry of its section with its number.
  for (CrossReference& r : out.references) {
    for (const OutlineSection& s : out.sections) {
      if (s.section != r.target || r.number < 1 ||
          static_cast<std::size_t>(r.number) > s.entryCount) {
        continue;
      }
      r.entry = s.firstEntry + static_cast<std::size_t>(r.number) - 1;
    }
  }
  return out;
}

// The public kinds are the engine's, value for value.
static_assert(static_cast<int>(SectionKind::kScenario) == static_cast<int>(ts::Section::kScenario));
static_assert(static_cast<int>(WordKind::kNumber) == static_cast<int>(ts::WordKind::kNumber));
static_assert(kWordKindNames.size() == static_cast<std::size_t>(WordKind::kNumber) + 1);

}  // namespace

std::string_view wordKindName(WordKind kind) {
  return kWordKindNames[static_cast<std::size_t>(kind)];
}

std::string_view sectionName(SectionKind kind) {
  // The two sections without a keyword are named for what they are.
  if (kind == SectionKind::kHeader) return "header";
  if (kind == SectionKind::kGrid) return "grid";
  return ts::keywordOf(static_cast<ts::Section>(kind));
}

Outline outlineMap(std::string_view mapText) {
  return detail::guarded([&] { return outlineOf(mapText); },
                         [](const std::string&) { return Outline{}; });
}

}  // namespace tunnelsmith
