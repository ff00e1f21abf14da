#include "analysis/check_ids.h"

#include <array>

#include "model/table_order.h"

namespace ts::check {

namespace {

using S = Severity;
using C = CheckId;

// In the order of CheckId; a static_assert below keeps the two together.
constexpr std::array<CheckInfo, static_cast<std::size_t>(C::kCount)> kChecks = {{
    {C::kNone, "", S::kError, std::nullopt},
    {C::kByteOrderMark, "byte-order-mark", S::kNote, std::nullopt},
    {C::kTextAfterName, "text-after-name", S::kWarning, std::nullopt},
    {C::kGuiWordAfterName, "gui-word-after-name", S::kError, std::nullopt},
    {C::kSizeLine, "size-line", S::kError, std::nullopt},
    {C::kSizeWithoutSeparator, "size-without-separator", S::kError, std::nullopt},
    {C::kWidthLargerThanRows, "width-larger-than-rows", S::kError, std::nullopt},
    {C::kHeightLargerThanRows, "height-larger-than-rows", S::kError, std::nullopt},
    {C::kUnknownSquare, "unknown-square", S::kWarning, std::nullopt},
    {C::kUnmappedCharacter, "unmapped-character", S::kWarning, Section::kMapCodes},
    {C::kTerrainListedTwice, "terrain-listed-twice", S::kWarning, Section::kMapCodes},
    {C::kCharacterListedTwice, "character-listed-twice", S::kWarning, Section::kMapCodes},
    {C::kMissingKeyword, "missing-keyword", S::kError, std::nullopt},
    {C::kKeywordWithBlanks, "keyword-with-blanks", S::kError, std::nullopt},
    {C::kKeywordWithText, "keyword-with-text", S::kError, std::nullopt},
    {C::kMisspeltKeyword, "misspelt-keyword", S::kError, std::nullopt},
    {C::kMissingSection, "missing-section", S::kError, std::nullopt},
    {C::kCountMissing, "count-missing", S::kError, std::nullopt},
    {C::kCountTooLarge, "count-too-large", S::kError, std::nullopt},
    {C::kCountTooSmall, "count-too-small", S::kWarning, std::nullopt},
    {C::kNotANumber, "not-a-number", S::kError, std::nullopt},
    {C::kNumberWithComma, "number-with-comma", S::kWarning, std::nullopt},
    {C::kNumberWithUnit, "number-with-unit", S::kWarning, std::nullopt},
    {C::kZeroPaddedNumber, "zero-padded-number", S::kWarning, std::nullopt},
    {C::kOctalNumber, "octal-number", S::kWarning, std::nullopt},
    {C::kUnknownObject, "unknown-object", S::kWarning, Section::kThings},
    {C::kUnknownCreature, "unknown-creature", S::kWarning, std::nullopt},
    {C::kUnknownDoor, "unknown-door", S::kWarning, std::nullopt},
    {C::kUnknownTrap, "unknown-trap", S::kWarning, std::nullopt},
    {C::kUnknownPlayer, "unknown-player", S::kWarning, std::nullopt},
    {C::kUnknownLevel, "unknown-level", S::kWarning, std::nullopt},
    {C::kUnknownRoom, "unknown-room", S::kError, Section::kTriggers},
    {C::kUnknownSpell, "unknown-spell", S::kError, Section::kTriggers},
    {C::kUnknownTrigger, "unknown-trigger", S::kError, Section::kTriggers},
    {C::kUnknownAction, "unknown-action", S::kError, Section::kTriggers},
    {C::kUnknownStatement, "unknown-statement", S::kWarning, Section::kScenario},
    {C::kUnknownHeartsWord, "unknown-hearts-word", S::kWarning, Section::kHearts},
    {C::kOutsideTheMap, "outside-the-map", S::kWarning, std::nullopt},
    {C::kAreaOutsideTheMap, "area-outside-the-map", S::kWarning, Section::kAreas},
    {C::kCreatureInRock, "creature-in-rock", S::kWarning, Section::kCreatures},
    {C::kDoorLockLowercase, "door-lock-lowercase", S::kWarning, Section::kDoors},
    {C::kHeartGivenTwice, "heart-given-twice", S::kWarning, Section::kHearts},
    {C::kHeartOfAbsentKeeper, "heart-of-absent-keeper", S::kWarning, Section::kHearts},
    {C::kHeartCentreOffHeart, "heart-centre-off-heart", S::kWarning, Section::kHearts},
    {C::kGoldWithoutKeeper, "gold-without-keeper", S::kWarning, Section::kHearts},
    {C::kGoldWithoutHeart, "gold-without-heart", S::kWarning, Section::kHearts},
    {C::kBandSize, "band-size", S::kWarning, Section::kBands},
    {C::kGateSquare, "gate-square", S::kError, Section::kGates},
    {C::kActionCount, "action-count", S::kError, Section::kTriggers},
    {C::kDestroyGateOutOfRange, "destroy-gate-out-of-range", S::kError, Section::kTriggers},
    {C::kControlAreaOutOfRange, "control-area-out-of-range", S::kError, Section::kTriggers},
    {C::kStatementChangesNothing, "statement-changes-nothing", S::kWarning, Section::kScenario},
    {C::kMissingEof, "missing-eof", S::kError, Section::kScenario},
    {C::kMisspeltEof, "misspelt-eof", S::kError, Section::kScenario},
    {C::kTextAfterEof, "text-after-eof", S::kWarning, std::nullopt},
    {C::kNumberSplit, "number-split", S::kWarning, std::nullopt},
    {C::kRowTooLong, "row-too-long", S::kWarning, Section::kGrid},
    {C::kGateNotRectangle, "gate-not-rectangle", S::kWarning, Section::kGates},
    {C::kGateNotListed, "gate-not-listed", S::kWarning, Section::kGates},
    {C::kPlacedInRock, "placed-in-rock", S::kWarning, std::nullopt},
    {C::kOnOtherKeepersGround, "on-other-keepers-ground", S::kWarning, std::nullopt},
    {C::kKeeperNotPlaying, "keeper-not-playing", S::kWarning, std::nullopt},
    {C::kLockWord, "lock-word", S::kWarning, Section::kDoors},
    {C::kGuiOwnerLetter, "gui-owner-letter", S::kWarning, Section::kGrid},
    {C::kBandNeverReleased, "band-never-released", S::kWarning, Section::kBands},
    {C::kSwappedWords, "swapped-words", S::kWarning, std::nullopt},
    {C::kSwitchMissing, "switch-missing", S::kError, Section::kTriggers},
    {C::kReleaseTargetMissing, "release-target-missing", S::kWarning, Section::kTriggers},
    {C::kWordMissing, "word-missing", S::kError, std::nullopt},
    {C::kEntryLacksWord, "entry-lacks-word", S::kWarning, std::nullopt},
    {C::kWordTooMany, "word-too-many", S::kError, std::nullopt},
    {C::kGoldGivenTwice, "gold-given-twice", S::kWarning, Section::kHearts},
    {C::kSkippedBeforeSection, "skipped-before-section", S::kWarning, std::nullopt},
    {C::kSectionOutOfOrder, "section-out-of-order", S::kError, std::nullopt},
    {C::kHeightSmallerThanRows, "height-smaller-than-rows", S::kWarning, Section::kGrid},
    {C::kHeartsOnOneSquare, "hearts-on-one-square", S::kWarning, Section::kHearts},
    {C::kGoldBelowZero, "gold-below-zero", S::kWarning, Section::kHearts},
    {C::kMoreOfOneKind, "more-of-one-kind", S::kNote, std::nullopt},
    {C::kFixed, "fixed", S::kNote, std::nullopt},
}};

static_assert(rowsInIdOrder(kChecks, &CheckInfo::id), "kChecks must list every CheckId in order");

}  // namespace

const CheckInfo& infoOf(CheckId id) { return kChecks[static_cast<std::size_t>(id)]; }

}  // namespace ts::check
