// tunnelsmith-mapgen: writes a large map text for timing the compiler, and with --check
// compiles it in memory first to make sure it is a valid level that prints no message.
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "driver/compile.h"
#include "map_generator.h"

namespace {

constexpr std::string_view kUsage =
    "usage: tunnelsmith-mapgen [options] OUTPUT   (OUTPUT - writes to standard output)\n"
    "  --gui             two characters a square, no MAP_CODES (width at most 499)\n"
    "  --width N         squares a row (default: 999, or 499 with --gui)\n"
    "  --height N        rows, at most 1000 (default 1000)\n"
    "  --entries N       placed entries, shared out over creatures, objects, doors, traps\n"
    "  --creatures N, --objects N, --doors N, --traps N   set one list on its own\n"
    "  --triggers N      trigger and action elements, 6 to 65535 (default: one of each kind)\n"
    "  --name NAME       level name (default Bench)\n"
    "  --seed N          varies terrain and coordinates, never the counts\n"
    "  --check           compile the map in memory and fail unless it is a valid level with\n"
    "                    no message and the expected file lengths\n"
    "  --sizes           print the expected lengths of the map, triggers and things files\n";

bool parseCount(std::string_view text, std::size_t& value) {
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

bool parseInt(std::string_view text, std::int32_t& value) {
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

// Compiles `text` in memory; an empty string when it gives the expected level, else why not.
std::string check(const ts::bench::MapShape& shape, const std::string& text) {
  const ts::CompileResult result = ts::compileMap(text);
  if (!result.console.empty()) return "the compiler printed:\n" + result.console;
  if (!result.valid || result.files.size() != 6) return "the level is not valid";
  const ts::bench::ExpectedFiles expected = ts::bench::expectedFiles(shape);
  auto sizeIs = [&](std::size_t index, std::size_t length, const char* what) -> std::string {
    const std::size_t actual = result.files[index].bytes.size();
    if (actual == length) return {};
    return std::string(what) + " file has " + std::to_string(actual) + " bytes, expected " +
           std::to_string(length);
  };
  if (std::string why = sizeIs(0, expected.mapFile, "map"); !why.empty()) return why;
  if (std::string why = sizeIs(1, expected.triggersFile, "triggers"); !why.empty()) return why;
  if (std::string why = sizeIs(2, expected.thingsFile, "things"); !why.empty()) return why;
  return {};
}

struct Options {
  ts::bench::MapShape shape;
  bool widthGiven = false;
  bool check = false;
  bool printSizes = false;
  std::string output;
};

// The options that set one list's count of the shape.
struct CountOption {
  std::string_view name;
  std::size_t ts::bench::MapShape::*count;
};
constexpr CountOption kCountOptions[] = {
    {"--creatures", &ts::bench::MapShape::creatures},
    {"--objects", &ts::bench::MapShape::objects},
    {"--doors", &ts::bench::MapShape::doors},
    {"--traps", &ts::bench::MapShape::traps},
    {"--triggers", &ts::bench::MapShape::triggerElements},
};

// Applies the option `arg`; `value` takes the word after it. False when the option is unknown
// or its value is not a number.
template <typename Value>
bool applyOption(std::string_view arg, Value value, Options& o) {
  ts::bench::MapShape& shape = o.shape;
  for (const CountOption& option : kCountOptions) {
    if (arg == option.name) return parseCount(value(), shape.*option.count);
  }
  if (arg == "--gui") {
    shape.gui = true;
  } else if (arg == "--check") {
    o.check = true;
  } else if (arg == "--sizes") {
    o.printSizes = true;
  } else if (arg == "--width") {
    o.widthGiven = true;
    return parseInt(value(), shape.width);
  } else if (arg == "--height") {
    return parseInt(value(), shape.height);
  } else if (arg == "--entries") {
    std::size_t n = 0;
    const bool ok = parseCount(value(), n);
    ts::bench::setEntries(shape, n);
    return ok;
  } else if (arg == "--seed") {
    std::size_t seed = 0;
    const bool ok = parseCount(value(), seed);
    shape.seed = static_cast<std::uint32_t>(seed);
    return ok;
  } else if (arg == "--name") {
    shape.name = std::string(value());
  } else {
    return false;
  }
  return true;
}

// The command line in `o`. Returns the exit status when the program ends here: 0 after the
// usage for --help, 2 after naming a bad argument.
std::optional<int> parseArguments(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    auto value = [&]() -> std::string_view {
      if (i + 1 >= argc) return {};
      return argv[++i];
    };
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (o.output.empty() && (arg == "-" || !arg.starts_with("--"))) {
      o.output = std::string(arg);
    } else if (!applyOption(arg, value, o)) {
      std::cerr << "tunnelsmith-mapgen: bad argument " << arg << "\n" << kUsage;
      return 2;
    }
  }
  return std::nullopt;
}

// Writes `text` to `output` ("-": the standard output); false after saying why it could not.
bool writeText(const std::string& output, const std::string& text) {
  std::FILE* file = output == "-" ? stdout : std::fopen(output.c_str(), "wb");
  if (file == nullptr) {
    std::cerr << "tunnelsmith-mapgen: cannot write " << output << ": " << std::strerror(errno)
              << "\n";
    return false;
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  const bool closed = file == stdout ? std::fflush(file) == 0 : std::fclose(file) == 0;
  if (!written || !closed) {
    std::cerr << "tunnelsmith-mapgen: cannot write " << output << "\n";
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (const std::optional<int> status = parseArguments(argc, argv, o)) return *status;
  ts::bench::MapShape& shape = o.shape;
  if (shape.gui && !o.widthGiven) shape.width = ts::kMaxGuiWidth;
  if (const std::string why = ts::bench::checkShape(shape); !why.empty()) {
    std::cerr << "tunnelsmith-mapgen: " << why << "\n";
    return 2;
  }
  if (o.output.empty() && !o.printSizes) {
    std::cerr << kUsage;
    return 2;
  }
  if (o.printSizes) {
    const ts::bench::ExpectedFiles files = ts::bench::expectedFiles(shape);
    std::cout << "map " << files.mapFile << "\ntriggers " << files.triggersFile << "\nthings "
              << files.thingsFile << "\ntrigger_elements " << files.triggerElements << "\n";
    if (o.output.empty()) return 0;
  }
  const std::string text = ts::bench::generateMap(shape);
  if (o.check) {
    if (const std::string why = check(shape, text); !why.empty()) {
      std::cerr << "tunnelsmith-mapgen: the generated map is wrong: " << why << "\n";
      return 1;
    }
  }
  return writeText(o.output, text) ? 0 : 1;
}
