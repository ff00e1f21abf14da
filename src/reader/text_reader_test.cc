// The reading primitives: line cutting and line ends, words, integers with their bases and
// limits, and the fail and end-of-text states every later read depends on.
#include "reader/text_reader.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ts {
namespace {

std::vector<std::string> readAllLines(std::string_view text) {
  TextReader in(text);
  std::vector<std::string> lines;
  std::string line;
  for (int i = 0; i < 10; ++i) {
    in.readLine(line);
    if (in.failed()) break;
    lines.push_back(line);
  }
  return lines;
}

TEST(TextReaderLine, LineEndsAndTheCutAt999Characters) {
  const std::string x999(999, 'x');
  const std::string y998(998, 'y');
  struct Case {
    std::string name;
    std::string text;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"lf", "ab\ncd\n", {"ab", "cd"}},
      {"crlf", "ab\r\ncd\r\n", {"ab", "cd"}},
      {"empty lines", "\n\r\n\nz", {"", "", "", "z"}},
      {"last line without line end", "ab\ncd", {"ab", "cd"}},
      {"cr inside a line stays", "a\rb\n", {"a\rb"}},
      {"998 characters", y998 + "\nnext\n", {y998, "next"}},
      {"999 characters", x999 + "\nnext\n", {x999, "next"}},
      {"999 characters with crlf", x999 + "\r\nnext\n", {x999, "next"}},
      {"1000 characters: remainder is the next line", x999 + "q\nnext\n", {x999, "q", "next"}},
      {"2000 characters", x999 + x999 + "ab\n", {x999, x999, "ab"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(readAllLines(c.text), c.lines);
  }
}

TEST(TextReaderLine, ReadsTheRestOfTheLineAfterAWord) {
  TextReader in("Lair1 GUI_GENERATED_MAP\nPlayers 1\n");
  std::string word;
  std::string line = "old";
  in.readWord(word);
  EXPECT_EQ(word, "Lair1");
  in.readLine(line);
  EXPECT_EQ(line, " GUI_GENERATED_MAP");
  in.readLine(line);
  EXPECT_EQ(line, "Players 1");
  EXPECT_FALSE(in.failed());
}

TEST(TextReaderLine, ReadingAtTheEndFailsWithAnEmptyBuffer) {
  TextReader in("");
  std::string line = "old";
  in.readLine(line);
  EXPECT_TRUE(in.failed());
  EXPECT_TRUE(line.empty());
}

TEST(TextReaderWord, SkipsAllWhitespaceAndReadsUpToTheNext) {
  TextReader in(" \t\r\n\n  MAP_CODES\tb\r\n  SOLID_ROCK");
  std::string word;
  in.readWord(word);
  EXPECT_EQ(word, "MAP_CODES");
  in.readWord(word);
  EXPECT_EQ(word, "b");
  in.readWord(word);
  EXPECT_EQ(word, "SOLID_ROCK");
  EXPECT_FALSE(in.failed());
}

TEST(TextReaderWord, FindingNothingLeavesTheTargetUnchangedAndFails) {
  for (std::string_view text : {"", "   ", "\n\n \r\n"}) {
    SCOPED_TRACE(std::string(text));
    TextReader in(text);
    std::string word = "keep";
    in.readWord(word);
    EXPECT_EQ(word, "keep");
    EXPECT_TRUE(in.failed());
    EXPECT_TRUE(in.atEnd());
  }
}

TEST(TextReaderWord, OverlongWordsAreReadWhole) {
  const std::string word1500(1500, 'W');
  const std::string text = word1500 + " next";  // the reader only views its text
  TextReader in(text);
  std::string word;
  in.readWord(word);
  EXPECT_EQ(word, word1500);
  in.readWord(word);
  EXPECT_EQ(word, "next");
}

TEST(TextReaderChar, SkipsWhitespaceAndTakesOneCharacter) {
  TextReader in("  \n\t.KPR1 ,");
  char c = '?';
  in.readChar(c);
  EXPECT_EQ(c, '.');
  in.readChar(c);
  EXPECT_EQ(c, 'K');
  std::string word;
  in.readWord(word);
  EXPECT_EQ(word, "PR1");
  in.readChar(c);
  EXPECT_EQ(c, ',');
  c = '?';
  in.readChar(c);
  EXPECT_EQ(c, '?');  // nothing left: unchanged
  EXPECT_TRUE(in.failed());
}

struct IntegerCase {
  std::string_view text;
  std::int32_t value;
  bool fails;
  std::string_view rest;  // what a word read finds afterwards ("" when nothing is left)
};

// What a read stores and whether it fails, with the word found after it. A failure is sticky,
// so nothing is read after one.
TEST(TextReaderInteger, SignsBasesLimitsFailuresAndWhereReadingStops) {
  const IntegerCase cases[] = {
      {"42", 42, false, ""},
      {"  \n -17 x", -17, false, "x"},
      {"+5", 5, false, ""},
      {"0", 0, false, ""},
      {"-0", 0, false, ""},
      {"0x1F", 31, false, ""},
      {"0X1f", 31, false, ""},
      {"0x10", 16, false, ""},
      {"-0x10", -16, false, ""},
      {"010", 8, false, ""},
      {"-010", -8, false, ""},
      {"019", 1, false, "9"},  // 9 is no octal digit
      {"0x1G", 1, false, "G"},
      {"40x40", 40, false, "x40"},
      {"40,40", 40, false, ",40"},
      {"12abc", 12, false, "abc"},
      {"7\n8", 7, false, "8"},
      {"2147483647", INT_MAX, false, ""},
      {"-2147483648", INT_MIN, false, ""},
      {"0x7FFFFFFF", INT_MAX, false, ""},
      {"017777777777", INT_MAX, false, ""},
      // No digit stores zero; the end of the text stores nothing (12345 stays).
      {"abc", 0, true, ""},
      {"Players", 0, true, ""},
      {"-", 0, true, ""},
      {"+x", 0, true, ""},
      {"-abc", 0, true, ""},
      {"x40", 0, true, ""},
      {",5", 0, true, ""},
      {"", 12345, true, ""},
      {"  \n  ", 12345, true, ""},
      // Values outside 32 bits store the limit.
      {"2147483648", INT_MAX, true, ""},
      {"99999999999", INT_MAX, true, ""},
      {"0x80000000", INT_MAX, true, ""},
      {"020000000000", INT_MAX, true, ""},
      {"-2147483649", INT_MIN, true, ""},
      {"-99999999999", INT_MIN, true, ""},
      {"-0x80000001", INT_MIN, true, ""},
  };
  for (const IntegerCase& c : cases) {
    SCOPED_TRACE(std::string(c.text));
    TextReader in(c.text);
    std::int32_t value = 12345;
    in.readInteger(value);
    EXPECT_EQ(value, c.value);
    EXPECT_EQ(in.failed(), c.fails);
    std::string word;
    in.readWord(word);
    EXPECT_EQ(word, c.rest);
  }
}

TEST(TextReaderInteger, TakesAtMost15Characters) {
  struct Case {
    std::string_view text;
    std::int32_t first;
    std::int32_t second;  // the integer read that follows
  };
  const Case cases[] = {
      // 13 zeros and "12" fill the 15 characters: octal 12.
      {"0000000000000123", 10, 3},     {"000000000000007 5", 7, 5}, {"+00000000000000017", 0, 15},
      {"-00000000000001234", -1, 234}, {"0x00000000000001", 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text));
    TextReader in(c.text);
    std::int32_t first = 12345;
    std::int32_t second = 12345;
    in.readInteger(first);
    EXPECT_EQ(first, c.first);
    in.readInteger(second);
    EXPECT_EQ(second, c.second);
  }
}

TEST(TextReaderState, FailureIsStickyAndLaterReadsStoreNothing) {
  TextReader in("Players many\n12 word x\nline\n");
  std::string word;
  in.readWord(word);
  std::int32_t value = 99;
  in.readInteger(value);
  ASSERT_EQ(value, 0);
  ASSERT_TRUE(in.failed());

  value = 99;
  in.readInteger(value);
  EXPECT_EQ(value, 99);
  word = "keep";
  in.readWord(word);
  EXPECT_EQ(word, "keep");
  char c = '?';
  in.readChar(c);
  EXPECT_EQ(c, '?');
  std::string line = "old";
  for (int i = 0; i < 3; ++i) {
    in.readLine(line);
    EXPECT_TRUE(line.empty());
    line = "old";
  }
  EXPECT_TRUE(in.failed());
}

TEST(TextReaderState, OverflowFailureIsStickyToo) {
  TextReader in("99999999999 5\nnext\n");
  std::int32_t value = 0;
  in.readInteger(value);
  ASSERT_TRUE(in.failed());
  value = 1;
  in.readInteger(value);
  EXPECT_EQ(value, 1);
  std::string line = "old";
  in.readLine(line);
  EXPECT_TRUE(line.empty());
}

// A last word, number or line without a line end reaches the end of the text without failing.
TEST(TextReaderState, LastTokenWithoutLineEndSetsEndButNotFailure) {
  {
    TextReader in("Players 12");
    std::string word;
    std::int32_t value = 0;
    in.readWord(word);
    EXPECT_FALSE(in.atEnd());
    in.readInteger(value);
    EXPECT_EQ(value, 12);
    EXPECT_TRUE(in.atEnd());
    EXPECT_FALSE(in.failed());
    in.readInteger(value);
    EXPECT_EQ(value, 12);
    EXPECT_TRUE(in.failed());
  }
  {
    TextReader in("a EOF");
    std::string word;
    in.readWord(word);
    in.readWord(word);
    EXPECT_EQ(word, "EOF");
    EXPECT_TRUE(in.atEnd());
    EXPECT_FALSE(in.failed());
    std::string line = "old";
    in.readLine(line);
    EXPECT_TRUE(line.empty());
    EXPECT_TRUE(in.failed());
  }
  {
    TextReader in("abc");
    std::string line;
    in.readLine(line);
    EXPECT_EQ(line, "abc");
    EXPECT_TRUE(in.atEnd());
    EXPECT_FALSE(in.failed());
  }
  {
    TextReader in("12\n");
    std::int32_t value = 0;
    in.readInteger(value);
    EXPECT_EQ(value, 12);
    EXPECT_FALSE(in.atEnd());
    EXPECT_FALSE(in.failed());
  }
}

}  // namespace
}  // namespace ts
