// What the decompiler recovers from the level files, in the terms of the map text's sections,
// and the writing of that text. The decoding steps fill a LevelText; writeMapText() only
// formats it.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "base/le_encoding.h"
#include "decoding/inspection.h"
#include "decompile/decompile.h"
#include "model/records.h"
#include "model/vocabulary.h"

namespace ts::decompile {

// Little-endian fields of a file, read at the writers' layout offsets; bytes past the end read
// as zero (the inspector has reported a file cut short).
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  [[nodiscard]] std::uint8_t u8(std::size_t at) const { return readU8(bytes_, at).value_or(0); }
  [[nodiscard]] std::uint16_t u16(std::size_t at) const {
    return loadU16(padded<2>(bytes_, at).data());
  }
  [[nodiscard]] std::uint32_t u32(std::size_t at) const {
    return loadU32(padded<4>(bytes_, at).data());
  }
  [[nodiscard]] std::int32_t i32(std::size_t at) const {
    return loadI32(padded<4>(bytes_, at).data());
  }
  [[nodiscard]] std::size_t size() const { return bytes_.size(); }

 private:
  std::span<const std::uint8_t> bytes_;
};

// "0x0101011C": a value in hexadecimal with at least `digits` digits.
[[nodiscard]] std::string hex(std::uint32_t value, int digits);

// The findings of one decompilation. A file of another tool can have a million squares the
// text cannot draw: past a hundred a file, findings are only counted.
class Findings {
 public:
  static constexpr std::size_t kListedPerFile = 100;

  // `always`: even for a silenced file.
  void add(LevelFile file, std::size_t offset, std::string message, bool always = false);
  // Adds the count of the findings left out, one line a file, and hands the list over.
  [[nodiscard]] std::vector<Finding> take();
  [[nodiscard]] bool empty() const { return list_.empty(); }
  // A damaged file has the inspector's report; what the decoding makes of it adds nothing.
  void silence(LevelFile file) { silenced_[file] = true; }

 private:
  std::array<bool, kLevelFileCount> silenced_{};
  std::vector<Finding> list_;
  std::array<std::size_t, kLevelFileCount> counted_{};
  std::array<std::size_t, kLevelFileCount> lastOffset_{};
};

struct TextBand {
  std::int32_t owner = kHeroPlayer;  // a keeper's player, or the hero player
  std::vector<BandMember> members;
};

struct TextTrigger {
  std::string condition;             // "TRIGGER_TIME 600"
  std::vector<std::string> actions;  // "ACTION_HERO_RELEASE 1 G 2"
};

struct LevelText {
  std::string name;
  std::int32_t players = 1;
  std::int32_t width = 0;
  std::int32_t height = 0;
  // Row 0 first. The squares of a gate drawn with a gate marker hold the marker, which the map
  // file only knows as HERO_GATE_6.
  std::vector<TerrainCode> cells;
  std::vector<ObjectEntry> objects;
  std::vector<CreatureEntry> creatures;
  std::vector<DoorEntry> doors;
  std::vector<TrapEntry> traps;
  std::array<bool, 4> hearts{};
  std::array<std::int32_t, 4> heartX{};
  std::array<std::int32_t, 4> heartY{};
  std::array<std::int32_t, 4> gold{};
  std::vector<TextBand> bands;
  std::vector<EntranceArea> areas;
  std::vector<std::uint16_t> areaWatchers;  // the trigger each entrance area names, 0 for none
  std::vector<HeroGate> gates;              // x and y, the square HERO_GATES names
  std::vector<TextTrigger> triggers;
  std::vector<std::string> scenario;  // the statements, EOF not included
};

// A gate as the things file shows it, with the terrain it was drawn with.
struct DrawnGate {
  std::int32_t x = 0;
  std::int32_t y = 0;
  TerrainCode terrain = 0;  // one of the ten gate terrains
  GateExtent extent;        // as the area record holds it (HERO_GATE_3's grown by one)
};

// The character each terrain of `used` is drawn with: a fixed character for the common ones
// (`#` solid rock, `.` keeper 1's claimed floor, ...), then characters no fixed one takes,
// in order, for the rest. The unknown-terrain fallback code gets `?`.
[[nodiscard]] std::map<TerrainCode, unsigned char> terrainCharacters(
    const std::vector<TerrainCode>& used);

// Puts the gate markers back into `level.cells`: of the squares the map file holds as
// HERO_GATE_6, those a marker gate was drawn with, so that every gate's extent comes out as
// the things file holds it.
void placeGateMarkers(LevelText& level, const std::vector<DrawnGate>& gates);

// The whole map text; the map-drawing-tool format only for a level called GUI_GENERATED_MAP,
// which no other first line can name. Squares the format cannot draw are listed.
[[nodiscard]] std::string writeMapText(const LevelText& level, Findings& findings);

// The six files with what the inspector found in each.
struct DecodedFiles {
  LevelBytes bytes;
  std::array<inspect::Inspection, kLevelFileCount> inspections;
};

// Fills `level` from the six decoded files; what it cannot express goes to `findings`.
void decodeLevel(const DecodedFiles& files, LevelText& level, Findings& findings);
// The TRIGGERS section: the triggers file's tree without the gate releases and the automatic
// gate triggers the compiler adds. REQUIRES: the gates, areas and players of `level` decoded.
void decodeTriggers(const DecodedFiles& files, const std::vector<DrawnGate>& gates,
                    LevelText& level, Findings& findings);

}  // namespace ts::decompile
