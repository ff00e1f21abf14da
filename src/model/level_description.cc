#include "model/level_description.h"

namespace ts {

CharacterCodes::CharacterCodes(const std::map<TerrainCode, unsigned char>& mapCodes) {
  // The legend is ordered by ascending code, so the first code seen for a character is its
  // smallest.
  for (const auto& [code, c] : mapCodes) {
    if (!present_[c]) {
      present_[c] = true;
      codes_[c] = code;
    }
  }
}

}  // namespace ts
