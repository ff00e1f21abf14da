// The command line of every tool, parsed one way: flags (--werror), options with a value
// (-o DIR, --format=json or --format json), values chosen from a list, and operands (the files).
// "--" ends the options: every argument after it is an operand, even one that starts with '-'.
// A lone "-" is an operand too. --help and --version are answered before (tool_cli.h).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ts::cli {

class OptionParser {
 public:
  // `--name`, setting `target` when given.
  OptionParser& flag(std::string_view name, bool& target);
  // `--name VALUE` or `--name=VALUE` (a short `-o VALUE`), storing the value; `what` names the
  // value in the message when it is missing: "option -o needs the output folder after it".
  OptionParser& value(std::string_view name, std::string& target, std::string_view what);
  // A value that must be one of `choices`; given alone (`--color`), it is `bare` when that is not
  // empty, else the value is missing.
  OptionParser& choice(std::string_view name, std::vector<std::string_view> choices,
                       std::string& target, std::string_view bare = {});

  // Parses `args` (the program name first), appending the operands; false with `error` set to
  // what is wrong ("unknown option: --bogus", "unknown value: --format=xml").
  [[nodiscard]] bool parse(const std::vector<std::string>& args, std::vector<std::string>& operands,
                           std::string& error) const;

 private:
  enum class Kind { kFlag, kValue, kChoice };
  struct Option {
    Kind kind;
    std::string name;
    bool* flag = nullptr;
    std::string* value = nullptr;
    std::string what;
    std::vector<std::string_view> choices;
    std::string bare;
  };
  std::vector<Option> options_;
};

}  // namespace ts::cli
