// Level names with bytes from 0x80 (a name written in Latin-1, or in UTF-8) are names the
// compiler accepts; the inspector reads them as characters, never as damage.
#include <gtest/gtest.h>

#include "decoding/inspect_test_support.h"

namespace ts::inspect {
namespace {

TEST(InspectNames, EveryFileOfANameWithHighBytesIsWellFormed) {
  struct Case {
    std::string name;   // as written in the map
    std::string shown;  // the decoded name: each byte a Latin-1 character, in UTF-8
  };
  const Case cases[] = {
      {"\xA1", "\xC2\xA1"},                      // the fuzzer's finding
      {"H\xF6hle", "H\xC3\xB6hle"},              // Latin-1
      {"H\xC3\xB6hle", "H\xC3\x83\xC2\xB6hle"},  // UTF-8, read byte by byte
      {"Euro\x80", "Euro\xC2\x80"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    std::string text = testing::readExample("lair1.txt");
    text.replace(0, 5, c.name);
    const CompileResult result = compileMap(text);
    ASSERT_TRUE(result.valid) << result.console;
    for (const LevelFile& file : result.files) {
      const Inspection in = inspect(file.bytes);
      EXPECT_TRUE(in.wellFormed()) << file.name << ": " << in.problems.front().message;
    }
    const Inspection info = inspect(result.files[5].bytes);
    bool found = false;
    for (const Record& r : info.records) {
      if (const Field* f = r.find("name"); f != nullptr && f->isText) found |= f->text == c.shown;
    }
    EXPECT_TRUE(found) << "the level name is decoded as its characters";
  }
}

}  // namespace
}  // namespace ts::inspect
