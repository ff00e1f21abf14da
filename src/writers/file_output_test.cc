// Large level files handed on in blocks: the blocks join to exactly the bytes of the whole
// file, each block closes at the first record boundary past the block size, and an output
// that keeps the whole file never loses a byte.
#include "writers/file_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "format/layouts.h"
#include "model/problems.h"
#include "testing/large_map.h"
#include "testing/read_file.h"
#include "testing/read_map.h"
#include "writers/writers.h"

namespace ts {
namespace {

// Keeps the blocks it is handed, in order.
class CollectingOutput : public FileOutput {
 public:
  explicit CollectingOutput(std::size_t blockSize) : FileOutput(blockSize) {}
  std::vector<Bytes> blocks;

 protected:
  void handOn(const Bytes& block) override { blocks.push_back(block); }
};

struct Written {
  Bytes map;
  Bytes triggers;
  Bytes things;
  std::string console;
};

// The three large files, in the order the compiler writes them (the triggers writer stores
// identifiers that the things writer reads).
Written wholeFiles(const std::string& text) {
  testing::Outcome read = testing::readMap(text);
  Written w;
  std::ostringstream console;
  ProblemSink sink(&console);
  w.map = buildMapFile(read.level, sink);
  w.triggers = buildTriggersFile(read.level);
  w.things = buildThingsFile(read.level);
  w.console = console.str();
  return w;
}

Bytes joined(const std::vector<Bytes>& blocks) {
  Bytes all;
  for (const Bytes& b : blocks) all.insert(all.end(), b.begin(), b.end());
  return all;
}

TEST(FileOutput, BlocksJoinToTheWholeFile) {
  testing::LargeMapShape shape;
  shape.width = 120;
  shape.height = 90;
  shape.creatures = 3000;
  shape.triggers = 1500;
  const std::vector<std::pair<std::string, std::string>> texts = {
      {"showcase", testing::readExample("showcase.txt")},
      {"quartet_gui", testing::readExample("quartet_gui.txt")},
      {"large", testing::largeMapText(shape)},
  };
  // The largest record of a file: a map row of the widest map, or a hero band's chunk.
  const std::size_t largestRecord = std::max<std::size_t>(
      layout::kCellSize * shape.width, kChunkHeaderSize + layout::kBandRecordSize);
  for (const auto& [label, text] : texts) {
    const Written whole = wholeFiles(text);
    ASSERT_FALSE(whole.map.empty()) << label;
    for (const std::size_t blockSize : {std::size_t{1}, std::size_t{100}, std::size_t{4096}}) {
      SCOPED_TRACE(label + ", blocks of " + std::to_string(blockSize));
      testing::Outcome read = testing::readMap(text);
      ASSERT_TRUE(read.level.isValid) << read.console;
      std::ostringstream console;
      ProblemSink sink(&console);
      CollectingOutput map(blockSize);
      CollectingOutput triggers(blockSize);
      CollectingOutput things(blockSize);
      buildMapFile(read.level, sink, map);
      const TriggerPlan plan(read.level);
      buildTriggersFile(read.level, plan, triggers);
      buildThingsFile(read.level, plan, things);
      EXPECT_EQ(console.str(), whole.console);

      const std::vector<std::pair<CollectingOutput*, const Bytes*>> files = {
          {&map, &whole.map}, {&triggers, &whole.triggers}, {&things, &whole.things}};
      for (const auto& [output, expected] : files) {
        // What is left after the last full block goes on with the final flush.
        const std::size_t beforeFlush = output->blocks.size();
        output->flush();
        EXPECT_TRUE(output->bytes().empty());
        EXPECT_EQ(output->size(), expected->size());
        EXPECT_TRUE(joined(output->blocks) == *expected);
        if (expected->size() > 2 * (blockSize + largestRecord)) {
          EXPECT_GE(beforeFlush, 1u);
        }
        for (std::size_t i = 0; i < beforeFlush; ++i) {
          EXPECT_GE(output->blocks[i].size(), blockSize) << "block " << i;
          EXPECT_LT(output->blocks[i].size(), blockSize + largestRecord) << "block " << i;
        }
      }
    }
  }
}

TEST(FileOutput, WholeFileOutputKeepsEverything) {
  FileOutput out;
  EXPECT_TRUE(out.keepsWholeFile());
  out.expect(3);
  out.bytes() = {1, 2, 3};
  out.checkpoint();
  out.flush();
  EXPECT_EQ(out.bytes(), (Bytes{1, 2, 3}));
  EXPECT_EQ(out.size(), 3u);
}

TEST(FileOutput, BlockOutputNeedsNoRoomForTheWholeFile) {
  testing::LargeMapShape shape;
  shape.width = 40;
  shape.height = 30;
  shape.creatures = 20000;  // a things file of about 720 KB
  shape.triggers = 10;
  testing::Outcome read = testing::readMap(testing::largeMapText(shape));
  ASSERT_TRUE(read.level.isValid) << read.console;
  CollectingOutput things(4096);
  buildThingsFile(read.level, TriggerPlan(read.level), things);
  things.flush();
  EXPECT_GT(things.size(), 700000u);
  EXPECT_LT(things.bytes().capacity(), things.size() / 4);
}

}  // namespace
}  // namespace ts
