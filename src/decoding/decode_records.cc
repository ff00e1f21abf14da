// The three files without element chunks: the players file (205-byte player records back to
// back), the variables file (16-byte entries back to back) and the level-information file
// (the level's name and player count at fixed places, then the referenced files).
#include <string>

#include "decoding/decoder.h"
#include "decoding/names.h"
#include "format/chunks.h"
#include "format/layouts.h"
#include "model/vocabulary.h"

namespace ts::inspect {

namespace {

// The writer stores a screen position that only the keeper number decides, never the heart's
// square: a reader of "x=26 y=26" would take it for the heart.
constexpr std::string_view kPlayerPositionNote =
    "x and y are a screen position fixed by the keeper number, the same in every level "
    "(0, 0 for the good and neutral players), not the keeper's heart square";

// The rest of the template between the flag and the keeper's number.
constexpr Slot kPlayerSlots[] = {
    {layout::kPlayerFlag + 1, layout::kPlayerKeeper - layout::kPlayerFlag - 1, "template"}};
// Every known entry type gives its type word no field of its own: it is the record's kind.
constexpr Slot kEntrySlots[] = {{layout::kEntryType, 4, "entry type"}};

// The level information chunk's bytes after the name up to the player count, and after it.
constexpr std::size_t kLevelNameWidth = layout::kLevelNameEnd - layout::kLevelNameOffset;
constexpr std::size_t kLevelPlayers = layout::kPlayerCountOffset - layout::kLevelNameOffset;
constexpr Slot kLevelSlots[] = {
    {kLevelNameWidth, kLevelPlayers - kLevelNameWidth, {}},
    {kLevelPlayers + 1, layout::kLevelInfoSize - kLevelPlayers - 1, {}}};

void decodePlayer(Decoder& d, std::size_t at) {
  Record& r = d.addRecord("player", at, layout::kPlayerRecordSize);
  r.note = kPlayerPositionNote;
  r.undecoded = kPlayerSlots;
  // Records are by keeper; the hero and neutral players by name.
  const std::int64_t player = d.u8(at + layout::kPlayerId);
  if (!playerName(player).empty()) r.label = playerWords(player);
  r.fields.push_back(d.narrowText("name", at + layout::kPlayerName, layout::kPlayerNameWidth));
  r.fields.push_back(d.player("player", at + layout::kPlayerId, 1));
  r.fields.push_back(d.u("keeper", at + layout::kPlayerKeeper, 2));
  r.fields.push_back(d.s32("gold", at + layout::kPlayerGold));
  r.fields.push_back(d.u("x", at + layout::kPlayerX, 2));
  r.fields.push_back(d.u("y", at + layout::kPlayerY, 2));
  r.fields.push_back(Decoder::minor(d.u("flag", at + layout::kPlayerFlag, 1)));
}

void decodeEntry(Decoder& d, std::size_t at) {
  const std::uint32_t type = d.u32(at + layout::kEntryType);
  const std::string_view kind = entryTypeName(type);
  Record& r = d.addRecord(kind.empty() ? "entry" : kind, at, layout::kVariableEntrySize);
  if (!kind.empty()) r.undecoded = kEntrySlots;
  // Named by whose entry it is and what it counts or makes available: "keeper 1 TROLL count",
  // "keeper 1 player entry".
  auto label = [&r](std::string_view what) {
    const Field* player = r.find("player");
    if (player == nullptr || playerName(player->value).empty()) return;
    r.label = playerWords(player->value) + " " + std::string(what);
  };
  switch (type) {
    case layout::kEntryCreatureCount: {
      const std::size_t creature = at + layout::kCountCreature;
      r.fields.push_back(d.player("player", at + layout::kCountPlayer, 4));
      r.fields.push_back(d.named("creature", d.u32(creature), creatureName(d.u32(creature)),
                                 creature, 4, "creature"));
      r.fields.push_back(d.s32("count", at + layout::kCountValue));
      if (!r.fields[1].text.empty()) label(r.fields[1].text + " count");
      break;
    }
    case layout::kEntryAvailability: {
      const std::size_t categoryAt = at + layout::kAvailabilityCategory;
      const std::size_t itemAt = at + layout::kAvailabilityItem;
      const std::size_t stateAt = at + layout::kAvailabilityState;
      const std::uint16_t category = d.u16(categoryAt);
      const std::int64_t id = d.i32(itemAt);
      r.fields.push_back(d.player("player", at + layout::kAvailabilityPlayer, 2));
      r.fields.push_back(d.named("category", category, variablesCategoryName(category), categoryAt,
                                 2, "item category"));
      r.fields.push_back(d.named("item", id, variablesItemName(category, id), itemAt, 4, "item"));
      const std::int64_t state = d.i32(stateAt);
      r.fields.push_back(
          d.named("state", state, availabilityName(state), stateAt, 4, "availability"));
      if (!r.fields[2].text.empty()) label(r.fields[2].text + " availability");
      break;
    }
    case layout::kEntryPlayer: {
      const std::size_t roleAt = at + layout::kPlayerEntryRole;
      r.fields.push_back(d.player("player", at + layout::kPlayerEntryPlayer, 4));
      const std::uint32_t role = d.u32(roleAt);
      const std::string_view word = role == 1 ? "neutral" : role == 2 ? "keeper" : "";
      r.fields.push_back(d.named("role", role, word, roleAt, 4, "player role"));
      r.fields.push_back(Decoder::minor(d.u("fourth", at + layout::kEntryFourth, 4)));
      label(r.fields[0].value == kNeutralPlayer ? "entry" : "player entry");
      break;
    }
    case layout::kEntryGlobal:
      r.fields.push_back(d.u("value", at + layout::kGlobalValue, 4));
      r.fields.push_back(Decoder::minor(d.u("third", at + layout::kEntryThird, 4)));
      r.fields.push_back(Decoder::minor(d.u("fourth", at + layout::kEntryFourth, 4)));
      break;
    default:
      d.problem(at, "unknown entry type " + std::to_string(type));
      r.fields.push_back(d.u("type", at + layout::kEntryType, 4));
      r.fields.push_back(d.u("second", at + layout::kEntrySecond, 4));
      r.fields.push_back(d.u("third", at + layout::kEntryThird, 4));
      r.fields.push_back(d.u("fourth", at + layout::kEntryFourth, 4));
      break;
  }
}

// Each character a 16-bit unit whose high byte is zero, up to the first zero unit.
Field wideText(Decoder& d, std::string_view name, std::size_t at, std::size_t width) {
  std::string text;
  bool reported = false;
  for (std::size_t i = 0; i + 1 < width; i += 2) {
    const std::uint16_t unit = d.u16(at + i);
    if (unit == 0) break;
    const bool plain = unit <= 0xFF && isTextCharacter(static_cast<std::uint8_t>(unit));
    if (!plain && !reported) {
      d.problem(at + i, "a character that is not printable in the " + std::string(name));
      reported = true;
    }
    if (plain) {
      appendLatin1(text, static_cast<std::uint8_t>(unit));
    } else {
      text += '?';
    }
  }
  return Decoder::text(name, text, at, width);
}

void decodeLevel(Decoder& d, const Chunk& c) {
  const std::size_t at = dataBegin(c);
  const std::size_t end = dataEnd(c, d.size());
  constexpr std::size_t kNameWidth = kLevelNameWidth;
  constexpr std::size_t kPlayers = kLevelPlayers;
  Record& r = d.addRecord("level", at, end - at);
  r.undecoded = kLevelSlots;
  if (d.has(at, kNameWidth, end)) r.fields.push_back(wideText(d, "name", at, kNameWidth));
  if (d.has(at + kPlayers, 1, end)) {
    const std::uint8_t players = d.u8(at + kPlayers);
    r.fields.push_back(d.u("players", at + kPlayers, 1));
    if (players < 1 || players > 4) {
      d.problem(at + kPlayers,
                "player count " + std::to_string(players) + "; a level has 1 to 4 keepers");
    }
  }
}

void decodeReferencedFiles(Decoder& d, const Chunk& c) {
  const std::size_t begin = dataBegin(c);
  const std::size_t end = dataEnd(c, d.size());
  for (std::size_t i = 0; i < layout::kReferencedFileCount; ++i) {
    const std::size_t at = begin + i * layout::kReferencedFileSize;
    if (!d.has(at, layout::kReferencedFileSize, end)) return;
    const std::uint32_t kind = d.u32(at);
    Record& r = d.addRecord("referenced file", at, layout::kReferencedFileSize);
    r.fields.push_back(d.named("kind", kind, referencedKindName(kind), at, 4, "file kind"));
    r.fields.push_back(d.narrowText("path", at + layout::kReferencedFilePath, layout::kPathWidth));
    r.fields.push_back(Decoder::minor(d.u("second", at + 4, 4)));
  }
  const std::size_t list = begin + layout::kReferencedFileCount * layout::kReferencedFileSize;
  const std::size_t listSize = layout::kReferencedFilesSize - (list - begin);
  if (!d.has(list, listSize, end)) return;
  std::string values;
  for (std::size_t at = list; at < list + listSize; at += 4) {
    values += (values.empty() ? "" : " ") + std::to_string(d.u32(at));
  }
  d.addRecord("closing list", list, listSize)
      .fields.push_back(Decoder::text("values", values, list, listSize));
}

// A body of records without headers of their own: decodes the information chunk, calls `decode`
// for each whole record of the body chunk, reports a record cut short ("entry 7 is cut short")
// and a count that differs from the one announced ("... entries").
void decodeRecordBody(Decoder& d, std::size_t recordSize, std::string_view one,
                      std::string_view many, void (*decode)(Decoder& d, std::size_t at)) {
  const std::int64_t announced = decodeInformation(d, topChunk(d.out(), 1));
  const Chunk* body = topChunk(d.out(), 2);
  if (body == nullptr) return;
  const std::size_t end = dataEnd(*body, d.size());
  std::size_t count = 0;
  std::size_t at = dataBegin(*body);
  for (; d.has(at, recordSize, end); at += recordSize, ++count) decode(d, at);
  if (at < end) {
    d.problem(at, std::string(one) + " " + std::to_string(count + 1) +
                      " is cut short: " + std::to_string(end - at) + " of its " +
                      std::to_string(recordSize) + " bytes are present");
  }
  checkCount(d, announced, count, dataBegin(d.out().chunks[1]), many);
}

}  // namespace

void decodePlayers(Decoder& d) {
  decodeRecordBody(d, layout::kPlayerRecordSize, "player record", "player records", decodePlayer);
}

void decodeVariables(Decoder& d) {
  decodeRecordBody(d, layout::kVariableEntrySize, "entry", "entries", decodeEntry);
}

void decodeLevelInfo(Decoder& d) {
  Inspection& in = d.out();
  if (const Chunk* info = topChunk(in, 1)) {
    const std::size_t at = dataBegin(*info);
    const std::size_t end = dataEnd(*info, d.size());
    Record& r = d.addRecord("information", at, end - at);
    if (d.has(at, 8, end)) {
      r.fields.push_back(Decoder::minor(d.u("firstWord", at, 4)));
      r.fields.push_back(Decoder::minor(d.u("secondWord", at + 4, 4)));
    }
    if (d.has(at + 8, 10, end)) r.fields.push_back(d.stamp("firstStamp", at + 8));
    if (d.has(at + 18, 10, end)) r.fields.push_back(d.stamp("secondStamp", at + 18));
  }
  if (const Chunk* level = topChunk(in, 2)) decodeLevel(d, *level);
  if (const Chunk* files = topChunk(in, 3)) decodeReferencedFiles(d, *files);
}

}  // namespace ts::inspect
