#include "decompile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "decompile_cli.h"
#include "driver/compile.h"
#include "testing/large_map.h"
#include "writers/layouts.h"

namespace ts::decompile {
namespace {

std::string readExample(const std::string& name) {
  std::ifstream in(std::string(TUNNELSMITH_SOURCE_DIR) + "/examples/" + name, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

LevelBytes view(const CompileResult& compiled) {
  LevelBytes bytes;
  for (std::size_t f = 0; f < kLevelFileCount; ++f) bytes[f] = compiled.files[f].bytes;
  return bytes;
}

// Compiles `text`, decompiles the files and compiles the decompiled text: the two compilations
// must give the same six files. Returns the decompiled text.
std::string expectRoundTrip(const std::string& text) {
  const CompileResult first = compileMap(text);
  EXPECT_TRUE(first.valid) << first.console;
  if (!first.valid) return {};
  const Decompilation result = decompile(view(first));
  for (const Finding& f : result.findings) {
    ADD_FAILURE() << fileSuffix(f.file) << " @" << f.offset << ": " << f.message;
  }
  const CompileResult second = compileMap(result.text);
  EXPECT_TRUE(second.valid) << second.console << result.text;
  if (!second.valid) return result.text;
  for (std::size_t f = 0; f < kLevelFileCount; ++f) {
    EXPECT_EQ(first.files[f].name, second.files[f].name);
    EXPECT_TRUE(first.files[f].bytes == second.files[f].bytes) << first.files[f].name;
  }
  return result.text;
}

TEST(Decompile, RoundTripsTheExamples) {
  for (const char* name : {"cavern_old.txt", "lair1.txt", "quartet_gui.txt", "showcase.txt"}) {
    SCOPED_TRACE(name);
    expectRoundTrip(readExample(name));
  }
}

}  // namespace
}  // namespace ts::decompile
