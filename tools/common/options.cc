#include "options.h"

#include <algorithm>

namespace ts::cli {

OptionParser& OptionParser::flag(std::string_view name, bool& target) {
  options_.push_back({Kind::kFlag, std::string(name), &target, nullptr, {}, {}, {}});
  return *this;
}

OptionParser& OptionParser::value(std::string_view name, std::string& target,
                                  std::string_view what) {
  options_.push_back(
      {Kind::kValue, std::string(name), nullptr, &target, std::string(what), {}, {}});
  return *this;
}

OptionParser& OptionParser::choice(std::string_view name, std::vector<std::string_view> choices,
                                   std::string& target, std::string_view bare) {
  options_.push_back({Kind::kChoice, std::string(name), nullptr, &target, "a value",
                      std::move(choices), std::string(bare)});
  return *this;
}

bool OptionParser::parse(const std::vector<std::string>& args, std::vector<std::string>& operands,
                         std::string& error) const {
  bool ended = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (ended || arg.size() < 2 || arg[0] != '-') {
      operands.push_back(arg);
      continue;
    }
    if (arg == "--") {
      ended = true;
      continue;
    }
    // The name, and a value written after '=' in the same argument.
    const std::size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    const auto option = std::find_if(options_.begin(), options_.end(),
                                     [&](const Option& o) { return o.name == name; });
    if (option == options_.end() || (option->kind == Kind::kFlag && equals != std::string::npos)) {
      error = "unknown option: " + arg;
      return false;
    }
    if (option->kind == Kind::kFlag) {
      *option->flag = true;
      continue;
    }
    std::string given;
    if (equals != std::string::npos) {
      given = arg.substr(equals + 1);
    } else if (option->kind == Kind::kChoice && !option->bare.empty()) {
      given = option->bare;
    } else if (i + 1 < args.size()) {
      given = args[++i];
    } else {
      error = "option " + name + " needs " + option->what + " after it";
      return false;
    }
    if (option->kind == Kind::kChoice &&
        std::find(option->choices.begin(), option->choices.end(), given) == option->choices.end()) {
      error = "unknown value: " + arg;
      return false;
    }
    *option->value = std::move(given);
  }
  return true;
}

}  // namespace ts::cli
