// The kinds of problem the checker reports beyond the compiler's own: one row each, with the
// stable name tools key on, the usual severity and the section where it arises. A diagnostic about
// one of the compiler's problems carries that problem's identifier instead (model/problems.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "model/grammar.h"
#include "model/problems.h"

namespace ts::check {

enum class CheckId : std::uint16_t {
  kNone,  // the diagnostic is one of the compiler's problems
  // The header and the grid.
  kByteOrderMark,
  kTextAfterName,
  kGuiWordAfterName,
  kSizeLine,
  kSizeWithoutSeparator,
  kWidthLargerThanRows,
  kHeightLargerThanRows,
  kUnknownSquare,
  kUnmappedCharacter,
  kTerrainListedTwice,
  kCharacterListedTwice,
  // Section keywords and counts.
  kMissingKeyword,
  kKeywordWithBlanks,
  kKeywordWithText,
  kMisspeltKeyword,
  kMissingSection,
  kCountMissing,
  kCountTooLarge,
  kCountTooSmall,
  // Numbers.
  kNotANumber,
  kNumberWithComma,
  kNumberWithUnit,
  kZeroPaddedNumber,
  kOctalNumber,
  // Names and tokens.
  kUnknownObject,
  kUnknownCreature,
  kUnknownDoor,
  kUnknownTrap,
  kUnknownPlayer,
  kUnknownLevel,
  kUnknownRoom,
  kUnknownSpell,
  kUnknownTrigger,
  kUnknownAction,
  kUnknownStatement,
  kUnknownHeartsWord,
  // Placements, hearts and gold.
  kOutsideTheMap,
  kAreaOutsideTheMap,
  kCreatureInRock,
  kDoorLockLowercase,
  kHeartGivenTwice,
  kHeartOfAbsentKeeper,
  kHeartCentreOffHeart,
  kGoldWithoutKeeper,
  kGoldWithoutHeart,
  // Hero sections and triggers.
  kBandSize,
  kGateSquare,
  kActionCount,
  kDestroyGateOutOfRange,
  kControlAreaOutOfRange,
  // The scenario description and the end.
  kStatementChangesNothing,
  kMissingEof,
  kMisspeltEof,
  kTextAfterEof,
  // What the compiler reads otherwise than it was meant.
  kNumberSplit,
  kRowTooLong,
  kGateNotRectangle,
  kGateNotListed,
  kPlacedInRock,
  kOnOtherKeepersGround,
  kKeeperNotPlaying,
  kLockWord,
  kGuiOwnerLetter,
  kBandNeverReleased,
  kSwappedWords,
  kSwitchMissing,
  kReleaseTargetMissing,
  kWordMissing,
  kEntryLacksWord,
  kWordTooMany,
  kGoldGivenTwice,
  kSkippedBeforeSection,
  kSectionOutOfOrder,
  kHeightSmallerThanRows,
  kHeartsOnOneSquare,
  kGoldBelowZero,
  // The diagnostics of one kind past the first few, summed up.
  kMoreOfOneKind,
  // What --fix did.
  kFixed,
  kCount
};

struct CheckInfo {
  CheckId id;
  std::string_view name;           // stable, for tools: "count-too-small"
  Severity severity;               // as it is usually reported
  std::optional<Section> section;  // the section it arises in; none: any, or the map as a whole
};

[[nodiscard]] const CheckInfo& infoOf(CheckId id);

}  // namespace ts::check
