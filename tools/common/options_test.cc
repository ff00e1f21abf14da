// The tools' one option parser: flags, values in both spellings, choices, operands, "--".
#include "options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ts::cli {
namespace {

TEST(OptionParser, ReadsEveryToolsCommandLineOneWay) {
  const struct {
    std::vector<std::string> args;
    std::string parsed;  // flag, output, format, then the operands; or the error
  } cases[] = {
      {{"p", "a.txt", "--fix", "b.txt"}, "fix . text a.txt b.txt"},
      {{"p", "-o", "out", "--format=json", "a"}, "- out json a"},
      {{"p", "--format", "sarif", "-o=dir", "-", "a"}, "- dir sarif - a"},
      {{"p", "--", "--fix", "-o"}, "- . text --fix -o"},
      {{"p", "--color", "a"}, "- . text a"},
      {{"p", "--bogus"}, "unknown option: --bogus"},
      {{"p", "--fix=yes"}, "unknown option: --fix=yes"},
      {{"p", "--format=xml"}, "unknown value: --format=xml"},
      {{"p", "a", "-o"}, "option -o needs the output folder after it"},
  };
  for (const auto& c : cases) {
    bool fix = false;
    std::string output = ".";
    std::string format = "text";
    std::string color = "auto";
    std::vector<std::string> operands;
    std::string error;
    const bool ok = OptionParser()
                        .flag("--fix", fix)
                        .value("-o", output, "the output folder")
                        .choice("--format", {"text", "json", "sarif"}, format)
                        .choice("--color", {"auto", "always", "never"}, color, "always")
                        .parse(c.args, operands, error);
    std::string parsed = ok ? std::string(fix ? "fix" : "-") + " " + output + " " + format : error;
    for (const std::string& operand : operands) parsed += ok ? " " + operand : "";
    EXPECT_EQ(parsed, c.parsed) << c.args.back();
  }
}

}  // namespace
}  // namespace ts::cli
