// tunnelsmith-mapgen: writes a large map text for timing the compiler, and with --check
// compiles it in memory first to make sure it is a valid level that prints no message.
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <iostream>
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

}  // namespace

int main(int argc, char** argv) {
  ts::bench::MapShape shape;
  bool widthGiven = false;
  bool doCheck = false;
  bool printSizes = false;
  std::string output;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    auto value = [&]() -> std::string_view {
      if (i + 1 >= argc) return {};
      return argv[++i];
    };
    bool ok = true;
    if (arg == "--gui") {
      shape.gui = true;
    } else if (arg == "--check") {
      doCheck = true;
    } else if (arg == "--sizes") {
      printSizes = true;
    } else if (arg == "--width") {
      ok = parseInt(value(), shape.width);
      widthGiven = true;
    } else if (arg == "--height") {
      ok = parseInt(value(), shape.height);
    } else if (arg == "--entries") {
      std::size_t n = 0;
      ok = parseCount(value(), n);
      ts::bench::setEntries(shape, n);
    } else if (arg == "--creatures") {
      ok = parseCount(value(), shape.creatures);
    } else if (arg == "--objects") {
      ok = parseCount(value(), shape.objects);
    } else if (arg == "--doors") {
      ok = parseCount(value(), shape.doors);
    } else if (arg == "--traps") {
      ok = parseCount(value(), shape.traps);
    } else if (arg == "--triggers") {
      ok = parseCount(value(), shape.triggerElements);
    } else if (arg == "--seed") {
      std::size_t seed = 0;
      ok = parseCount(value(), seed);
      shape.seed = static_cast<std::uint32_t>(seed);
    } else if (arg == "--name") {
      shape.name = std::string(value());
    } else if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    } else if (output.empty() && (arg == "-" || !arg.starts_with("--"))) {
      output = std::string(arg);
    } else {
      ok = false;
    }
    if (!ok) {
      std::cerr << "tunnelsmith-mapgen: bad argument " << arg << "\n" << kUsage;
      return 2;
    }
  }
  if (shape.gui && !widthGiven) shape.width = ts::kMaxGuiWidth;
  if (const std::string why = ts::bench::checkShape(shape); !why.empty()) {
    std::cerr << "tunnelsmith-mapgen: " << why << "\n";
    return 2;
  }
  if (output.empty() && !printSizes) {
    std::cerr << kUsage;
    return 2;
  }
  if (printSizes) {
    const ts::bench::ExpectedFiles files = ts::bench::expectedFiles(shape);
    std::cout << "map " << files.mapFile << "\ntriggers " << files.triggersFile << "\nthings "
              << files.thingsFile << "\ntrigger_elements " << files.triggerElements << "\n";
    if (output.empty()) return 0;
  }

  const std::string text = ts::bench::generateMap(shape);
  if (doCheck) {
    if (const std::string why = check(shape, text); !why.empty()) {
      std::cerr << "tunnelsmith-mapgen: the generated map is wrong: " << why << "\n";
      return 1;
    }
  }
  std::FILE* file = output == "-" ? stdout : std::fopen(output.c_str(), "wb");
  if (file == nullptr) {
    std::cerr << "tunnelsmith-mapgen: cannot write " << output << ": " << std::strerror(errno)
              << "\n";
    return 1;
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  const bool closed = file == stdout ? std::fflush(file) == 0 : std::fclose(file) == 0;
  if (!written || !closed) {
    std::cerr << "tunnelsmith-mapgen: cannot write " << output << "\n";
    return 1;
  }
  return 0;
}
