#include "analysis/check_ids.h"

#include <array>

namespace ts::check {

namespace {

using S = Severity;
using C = CheckId;

// In the order of CheckId; a static_assert below keeps the two together.
constexpr std::array<CheckInfo, static_cast<std::size_t>(C::kCount)> kChecks = {{
    {C::kNone, "", S::kError, ""},
    {C::kByteOrderMark, "byte-order-mark", S::kNote, ""},
    {C::kTextAfterName, "text-after-name", S::kWarning, ""},
    {C::kGuiWordAfterName, "gui-word-after-name", S::kError, ""},
    {C::kSizeLine, "size-line", S::kError, ""},
    {C::kSizeWithoutSeparator, "size-without-separator", S::kError, ""},
    {C::kWidthLargerThanRows, "width-larger-than-rows", S::kError, ""},
    {C::kHeightLargerThanRows, "height-larger-than-rows", S::kError, ""},
    {C::kUnknownSquare, "unknown-square", S::kWarning, ""},
    {C::kUnmappedCharacter, "unmapped-character", S::kWarning, "MAP_CODES"},
    {C::kTerrainListedTwice, "terrain-listed-twice", S::kWarning, "MAP_CODES"},
    {C::kCharacterListedTwice, "character-listed-twice", S::kWarning, "MAP_CODES"},
    {C::kMissingKeyword, "missing-keyword", S::kError, ""},
    {C::kKeywordWithBlanks, "keyword-with-blanks", S::kError, ""},
    {C::kKeywordWithText, "keyword-with-text", S::kError, ""},
    {C::kMisspeltKeyword, "misspelt-keyword", S::kError, ""},
    {C::kMissingSection, "missing-section", S::kError, ""},
    {C::kCountMissing, "count-missing", S::kError, ""},
    {C::kCountTooLarge, "count-too-large", S::kError, ""},
    {C::kCountTooSmall, "count-too-small", S::kWarning, ""},
    {C::kNotANumber, "not-a-number", S::kError, ""},
    {C::kNumberWithComma, "number-with-comma", S::kWarning, ""},
    {C::kNumberWithUnit, "number-with-unit", S::kWarning, ""},
    {C::kZeroPaddedNumber, "zero-padded-number", S::kWarning, ""},
    {C::kOctalNumber, "octal-number", S::kWarning, ""},
    {C::kUnknownObject, "unknown-object", S::kWarning, "THINGS"},
    {C::kUnknownCreature, "unknown-creature", S::kWarning, ""},
    {C::kUnknownDoor, "unknown-door", S::kWarning, ""},
    {C::kUnknownTrap, "unknown-trap", S::kWarning, ""},
    {C::kUnknownPlayer, "unknown-player", S::kWarning, ""},
    {C::kUnknownLevel, "unknown-level", S::kWarning, ""},
    {C::kUnknownRoom, "unknown-room", S::kError, "TRIGGERS"},
    {C::kUnknownSpell, "unknown-spell", S::kError, "TRIGGERS"},
    {C::kUnknownTrigger, "unknown-trigger", S::kError, "TRIGGERS"},
    {C::kUnknownAction, "unknown-action", S::kError, "TRIGGERS"},
    {C::kUnknownStatement, "unknown-statement", S::kWarning, "SCENARIO_DESCRIPTION"},
    {C::kUnknownHeartsWord, "unknown-hearts-word", S::kWarning, "HEARTS_AND_GOLD"},
    {C::kOutsideTheMap, "outside-the-map", S::kWarning, ""},
    {C::kAreaOutsideTheMap, "area-outside-the-map", S::kWarning, "AREAS"},
    {C::kCreatureInRock, "creature-in-rock", S::kWarning, "CREATURES"},
    {C::kDoorLockLowercase, "door-lock-lowercase", S::kWarning, "DOORS"},
    {C::kHeartGivenTwice, "heart-given-twice", S::kWarning, "HEARTS_AND_GOLD"},
    {C::kHeartOfAbsentKeeper, "heart-of-absent-keeper", S::kWarning, "HEARTS_AND_GOLD"},
    {C::kHeartCentreOffHeart, "heart-centre-off-heart", S::kWarning, "HEARTS_AND_GOLD"},
    {C::kGoldWithoutKeeper, "gold-without-keeper", S::kWarning, "HEARTS_AND_GOLD"},
    {C::kGoldWithoutHeart, "gold-without-heart", S::kWarning, "HEARTS_AND_GOLD"},
    {C::kBandSize, "band-size", S::kWarning, "HERO_BANDS"},
    {C::kGateSquare, "gate-square", S::kError, "HERO_GATES"},
    {C::kActionCount, "action-count", S::kError, "TRIGGERS"},
    {C::kDestroyGateOutOfRange, "destroy-gate-out-of-range", S::kError, "TRIGGERS"},
    {C::kControlAreaOutOfRange, "control-area-out-of-range", S::kError, "TRIGGERS"},
    {C::kStatementChangesNothing, "statement-changes-nothing", S::kWarning, "SCENARIO_DESCRIPTION"},
    {C::kMissingEof, "missing-eof", S::kError, "SCENARIO_DESCRIPTION"},
    {C::kMisspeltEof, "misspelt-eof", S::kError, "SCENARIO_DESCRIPTION"},
    {C::kTextAfterEof, "text-after-eof", S::kWarning, ""},
    {C::kFixed, "fixed", S::kNote, ""},
}};

constexpr bool inOrder() {
  for (std::size_t i = 0; i < kChecks.size(); ++i) {
    if (static_cast<std::size_t>(kChecks[i].id) != i) return false;
  }
  return true;
}
static_assert(inOrder(), "kChecks must list every CheckId in order");

}  // namespace

const CheckInfo& infoOf(CheckId id) { return kChecks[static_cast<std::size_t>(id)]; }

}  // namespace ts::check
