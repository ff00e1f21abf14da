// Pins the compiler's whole output on every example, the console text and all six files, by
// a hash of their bytes: a change that moves or reshapes code must leave every byte as it was.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "driver/compile.h"
#include "testing/read_file.h"

namespace ts {
namespace {

// FNV-1a, 64 bits.
std::uint64_t hashOf(const void* data, std::size_t size) {
  std::uint64_t hash = 14695981039346656037u;
  const auto* bytes = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) {
    hash ^= bytes[i];
    hash *= 1099511628211u;
  }
  return hash;
}

constexpr std::size_t kConsole = static_cast<std::size_t>(-1);

struct Golden {
  const char* map;
  const char* output;  // a level file's name, or "console"
  std::size_t size;    // kConsole for the console text
  std::uint64_t hash;
};

constexpr Golden kGolden[] = {
    {"cavern_old.txt", "console", kConsole, 0x7601460b89d72b31u},
    {"cavern_old.txt", "CavernMap.kld", 356, 0x788aa5154f8dfd84u},
    {"cavern_old.txt", "CavernTriggers.kld", 60, 0xf130ef2a705450c0u},
    {"cavern_old.txt", "CavernThings.kld", 188, 0x0c763ecd1ed6f853u},
    {"cavern_old.txt", "CavernPlayers.kld", 671, 0xa22deca3e3623198u},
    {"cavern_old.txt", "CavernVariables.kld", 1640, 0xb72b5d4419d90b07u},
    {"cavern_old.txt", "Cavern.kwd", 26887, 0x5bd4bf43af712a02u},
    {"lair1.txt", "console", kConsole, 0xcbf29ce484222325u},
    {"lair1.txt", "Lair1Map.kld", 516, 0x4f206f90c11a5013u},
    {"lair1.txt", "Lair1Triggers.kld", 444, 0x1fd68a611a9e4145u},
    {"lair1.txt", "Lair1Things.kld", 1674, 0x738594b15e4dd55eu},
    {"lair1.txt", "Lair1Players.kld", 876, 0x610aa240aecb85f0u},
    {"lair1.txt", "Lair1Variables.kld", 3224, 0x40cd34cb08a078c7u},
    {"lair1.txt", "Lair1.kwd", 26887, 0xf60edb6943c06447u},
    {"quartet_gui.txt", "console", kConsole, 0xcbf29ce484222325u},
    {"quartet_gui.txt", "QuartetMap.kld", 804, 0x0f98b4e1b915fbf6u},
    {"quartet_gui.txt", "QuartetTriggers.kld", 420, 0x1e38983eb20d0899u},
    {"quartet_gui.txt", "QuartetThings.kld", 1091, 0x32836f034e024d01u},
    {"quartet_gui.txt", "QuartetPlayers.kld", 1286, 0x213a4bb7d20cd468u},
    {"quartet_gui.txt", "QuartetVariables.kld", 6360, 0xd5f57775b4ed8eb8u},
    {"quartet_gui.txt", "Quartet.kwd", 26887, 0x83579f131675a3efu},
    {"showcase.txt", "console", kConsole, 0xcbf29ce484222325u},
    {"showcase.txt", "ShowcaseMap.kld", 16420, 0x40cae80d586fedf4u},
    {"showcase.txt", "ShowcaseTriggers.kld", 1836, 0x09610d280eaeb2f3u},
    {"showcase.txt", "ShowcaseThings.kld", 6634, 0xb64fd95df304e75fu},
    {"showcase.txt", "ShowcasePlayers.kld", 1081, 0x1bb76eae42eaf142u},
    {"showcase.txt", "ShowcaseVariables.kld", 4904, 0xa330fb14ee5e31ebu},
    {"showcase.txt", "Showcase.kwd", 26887, 0x76c8585ba28334b0u},
};

TEST(GoldenOutput, EveryExampleCompilesToThePinnedBytes) {
  std::string lastMap;
  CompileResult result;
  std::size_t file = 0;
  for (const Golden& g : kGolden) {
    SCOPED_TRACE(std::string(g.map) + ": " + g.output);
    if (g.map != lastMap) {
      result = compileMap(testing::readExample(g.map));
      ASSERT_TRUE(result.valid) << result.console;
      ASSERT_EQ(result.files.size(), 6u);
      lastMap = g.map;
      file = 0;
    }
    if (g.size == kConsole) {
      EXPECT_EQ(hashOf(result.console.data(), result.console.size()), g.hash) << result.console;
      continue;
    }
    const LevelFile& f = result.files[file++];
    EXPECT_EQ(f.name, g.output);
    EXPECT_EQ(f.bytes.size(), g.size);
    EXPECT_EQ(hashOf(f.bytes.data(), f.bytes.size()), g.hash);
  }
}

}  // namespace
}  // namespace ts
