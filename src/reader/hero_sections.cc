// HERO_BANDS (up to 16 members a band), AREAS (the hero entrance rectangles) and HERO_GATES
// (gate squares found on the grid, with their extent, their properties and the overlap checks).
#include <string>

#include "reader/map_reader.h"

namespace ts {

namespace {

// Reads `kept` member entries into `band`; false once the loop guard passes its limit. An entry
// with an unknown level token or creature name is dropped. `levelToken` lives for the whole
// section: a read that finds the end of the text leaves it as it was.
bool readBandMembers(ReadState& s, std::int32_t kept, std::int32_t owner, HeroBand& band,
                     std::string& levelToken) {
  for (std::int32_t m = 0; m < kept; ++m) {
    s.readWord(WordKind::kCreature, s.buffer);
    const std::size_t nameAt = s.in.tokenStart();
    s.readWord(WordKind::kLevel, levelToken);
    const std::int32_t memberLevel = parseLevelToken(levelToken);
    if (memberLevel == 0) {
      if (s.observer && !s.in.failed()) {
        s.observer->entryDropped(keywordOf(Section::kBands), ExpectedWord::kLevelToken, levelToken,
                                 s.in.tokenStart());
      }
      continue;
    }
    const std::int32_t id = s.names.findCreatureId(s.buffer);
    if (id >= 1) {
      band.members.push_back({memberLevel, id, kBandMemberCode, owner});
    } else if (s.observer && !s.in.failed()) {
      s.observer->entryDropped(keywordOf(Section::kBands), ExpectedWord::kCreatureName, s.buffer,
                               nameAt);
    }
    if (s.guardStep()) {
      s.report(ProblemId::kLoopBandData);
      return false;
    }
  }
  return true;
}

bool readBands(ReadState& s) {
  s.guard = 0;
  std::int32_t count = 0;
  s.readInteger(WordKind::kCount, count);
  std::string bandName;
  std::string playerToken;
  std::string levelToken;
  std::int32_t memberCount = 0;
  for (std::int32_t b = 0; b < count; ++b) {
    s.entry(Section::kBands);
    s.readWord(WordKind::kName, bandName);
    s.readInteger(WordKind::kCount, memberCount);
    s.readWord(WordKind::kPlayer, playerToken);
    s.in.readLine(s.buffer);
    const std::int32_t player = parsePlayerToken(playerToken);
    const std::int32_t owner = player >= kFirstKeeperPlayer ? player : 0;

    HeroBand band;
    const std::int32_t kept = std::min<std::int32_t>(memberCount, kMaxBandMembers);
    if (!readBandMembers(s, kept, owner, band, levelToken)) return false;
    if (memberCount > static_cast<std::int32_t>(kMaxBandMembers)) {
      // A band holds 16 members; the entries of the others are read so that the next band
      // starts at its own text.
      s.report(ProblemId::kBandTooLarge, bandName, b + 1, memberCount, kMaxBandMembers);
      for (std::int32_t m = kMaxBandMembers; m < memberCount && !s.in.failed(); ++m) {
        s.readWord(WordKind::kCreature, s.buffer);
        s.readWord(WordKind::kLevel, levelToken);
      }
    }
    s.level.heroBands.push_back(std::move(band));
    if (!s.stepTaken(ProblemId::kLoopBands, ProblemId::kBandsError)) return false;
  }
  return true;
}

bool readAreas(ReadState& s) {
  if (!s.searchKeyword(Section::kAreas, ProblemId::kLoopAreas, ProblemId::kAreasError)) {
    return false;
  }
  std::int32_t count = 0;
  s.readInteger(WordKind::kCount, count);
  std::int32_t id = 0;
  EntranceArea area;
  for (std::int32_t i = 1; i <= count; ++i) {
    s.entry(Section::kAreas);
    s.readInteger(WordKind::kArea, id);
    const std::size_t at = s.in.tokenStart();
    s.readInteger(WordKind::kX, area.left);
    s.readInteger(WordKind::kY, area.top);
    s.readInteger(WordKind::kX, area.right);
    s.readInteger(WordKind::kY, area.bottom);
    if (id != i) {
      s.report(ProblemId::kAreaIdOrder, i, id);
      return false;
    }
    // After the end of the text the id no longer changes, so the id check above ends the loop.
    s.level.areas.push_back(area);
    if (s.observer) s.observer->areaRead(i, area, at);
    if (i == count) break;  // keeps `i` from overflowing at the largest count
  }
  return true;
}

bool overlaps(const GateExtent& e, std::int32_t left, std::int32_t top, std::int32_t right,
              std::int32_t bottom) {
  return std::max(e.left, left) <= std::min(e.right, right) &&
         std::max(e.top, top) <= std::min(e.bottom, bottom);
}

// 1-based number of the first entrance area sharing a square with `e`, or 0.
std::size_t overlappingArea(const LevelDescription& level, const GateExtent& e) {
  for (std::size_t n = 0; n < level.areas.size(); ++n) {
    const EntranceArea& a = level.areas[n];
    if (overlaps(e, a.left, a.top, a.right, a.bottom)) return n + 1;
  }
  return 0;
}

// 1-based number of the first gate already read sharing a square with `e`, or 0.
std::size_t overlappingGate(const LevelDescription& level, const GateExtent& e) {
  for (std::size_t n = 0; n < level.heroGates.size(); ++n) {
    const GateExtent& g = level.heroGates[n].extent;
    if (overlaps(e, g.left, g.top, g.right, g.bottom)) return n + 1;
  }
  return 0;
}

// Sets what the gate's terrain decides on a new gate, whose other properties keep their
// defaults.
void setGateProperties(HeroGate& gate, TerrainCode code) {
  const GateExtent& e = gate.extent;
  const std::int32_t squares = (e.right - e.left + 1) * (e.bottom - e.top + 1);
  switch (code) {
    case kHeroGate3Code:
      gate.autoTrigger = true;
      gate.autoTriggerValue = 12;
      break;
    case kHeroGate4Code:
    case kHeroGate5Code:
    case kHeroGate6Code:
      gate.autoTrigger = true;
      gate.autoTriggerValue = squares;
      break;
    case kHeroGate7Marker:
    case kHeroGate8Marker:
    case kHeroGate9Marker:
    case kHeroGate10Marker:
      gate.gateStyle = kMarkerGateStyle;
      gate.gateVariant = markerVariant(code);
      break;
    default:
      break;
  }
}

// The extent of the gate drawn through square (x, y), with its terrain in `code`, or no extent
// after printing why.
GateExtent findGateExtent(ReadState& s, const CharacterCodes& codes, std::int32_t x, std::int32_t y,
                          TerrainCode& code) {
  const LevelDescription& level = s.level;
  // A square outside the map holds no gate.
  if (x < 0 || y < 0 || x >= level.mapWidth || y >= level.mapHeight) return {};
  auto at = [&](std::int32_t col, std::int32_t row) {
    return static_cast<unsigned char>(
        level.mapRows[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)]);
  };
  const unsigned char c = at(x, y);
  if (!codes.has(c)) {
    s.report(ProblemId::kGateNotInMap, static_cast<char>(c));
    return {};
  }
  code = codes.code(c);
  if (!isGateTerrain(code)) {
    s.report(ProblemId::kGateNotGate, static_cast<char>(c));
    return {};
  }
  // Only the row and the column through the given square are scanned.
  GateExtent e{x, y, x, y};
  while (e.left > 0 && at(e.left - 1, y) == c) --e.left;
  while (e.right < level.mapWidth - 1 && at(e.right + 1, y) == c) ++e.right;
  while (e.top > 0 && at(x, e.top - 1) == c) --e.top;
  while (e.bottom < level.mapHeight - 1 && at(x, e.bottom + 1) == c) ++e.bottom;
  if (code == kHeroGate3Code) {
    --e.left;
    --e.top;
    ++e.right;
    ++e.bottom;
  }
  return e;
}

bool readGates(ReadState& s) {
  if (!s.searchKeyword(Section::kGates, ProblemId::kLoopGates, ProblemId::kGatesError)) {
    return false;
  }
  LevelDescription& level = s.level;
  std::int32_t count = 0;
  s.readInteger(WordKind::kCount, count);
  std::int32_t id = 0;
  std::int32_t x = 0;
  std::int32_t y = 0;
  const CharacterCodes codes(level.mapCodes);
  for (std::int32_t i = 1; i <= count; ++i) {
    s.entry(Section::kGates);
    s.readInteger(WordKind::kGate, id);
    s.readInteger(WordKind::kX, x);
    s.readInteger(WordKind::kY, y);
    if (id != i) {
      s.report(ProblemId::kGateIdOrder, i, id);
      return false;
    }
    HeroGate gate;
    gate.x = x;
    gate.y = y;
    TerrainCode code = 0;
    gate.extent = findGateExtent(s, codes, x, y, code);
    if (!gate.extent.present()) {
      s.report(ProblemId::kNoGateTerrain, id);
      return false;
    }
    setGateProperties(gate, code);
    if (const std::size_t n = overlappingArea(level, gate.extent); n > 0) {
      s.report(ProblemId::kGateConflictsWithArea, id, n);
      return false;
    }
    if (const std::size_t n = overlappingGate(level, gate.extent); n > 0) {
      s.report(ProblemId::kGateConflictsWithGate, id, n);
      return false;
    }
    level.heroGates.push_back(gate);
    if (i == count) break;
  }
  return true;
}

// The sections in reading order.
constexpr SectionReader kHeroSections[] = {
    {Section::kBands, readBands}, {Section::kAreas, readAreas}, {Section::kGates, readGates}};

}  // namespace

bool readHeroSection(ReadState& s, Section section) {
  // In the whole reading the hearts and gold end at the bands' keyword, wherever it stands.
  if (section == Section::kBands &&
      !s.searchKeyword(Section::kBands, ProblemId::kLoopBands, ProblemId::kBandsError)) {
    return false;
  }
  return readOneOf(kHeroSections, s, section);
}

bool readHeroSections(ReadState& s) { return readInOrder(kHeroSections, s); }

}  // namespace ts
