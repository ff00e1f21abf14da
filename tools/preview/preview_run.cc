#include "preview_run.h"

#include <charconv>
#include <optional>
#include <string_view>

#include "base/file_io.h"
#include "base/file_system.h"
#include "draw.h"
#include "model/level_description.h"
#include "model/problems.h"
#include "options.h"
#include "png_encode.h"
#include "reader/map_reader.h"
#include "tool_cli.h"

namespace ts::preview {

namespace {

constexpr std::string_view kHelp =
    "Usage: tunnelsmith-preview MAPFILE [-o OUT.png] [--scale N]\n"
    "Draws the level of a map text file (either grid format) as a PNG picture: terrain,\n"
    "owners, hero gates and entrance areas with their release numbers, heart centres,\n"
    "creatures, objects, doors and traps, rulers every ten squares, and a legend.\n"
    "\n"
    "  MAPFILE      the map text file\n"
    "  -o OUT.png   the picture to write; default: the level name followed by .png,\n"
    "               in the current directory\n"
    "  --scale N    pixels a map square, 1 to 64; default: the scale that makes the\n"
    "               map's long side about 800 pixels\n"
    "  --help       this text\n"
    "  --version    the version of Tunnelsmith\n"
    "\n"
    "The map is read by the compiler's reader, whose messages are printed unchanged; a map\n"
    "that the compiler would reject gives no picture.\n"
    "\n"
    "Exit status: 0 the picture was written; 1 no picture (map rejected, picture too large,\n"
    "picture not written); 2 usage error or a map file that cannot be read.\n";

struct Options {
  std::string mapFile;
  std::optional<std::string> output;
  std::optional<int> scale;  // none: defaultScale()
};

// Whole numbers only: "8", not "8px" or "+8".
std::optional<int> parseScale(std::string_view text) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < 1 || value > kMaxScale) return std::nullopt;
  return value;
}

// False after printing why the arguments cannot be used.
bool parseArgs(const std::vector<std::string>& args, Options& options, std::ostream& console) {
  const std::string program = args.empty() ? "tunnelsmith-preview" : args[0];
  auto usage = [&] {
    console << "Syntax is " << program << " MAPFILE [-o OUT.png] [--scale N] (--help explains)"
            << std::endl;
    return false;
  };
  std::string output;
  std::string scale;
  std::vector<std::string> maps;
  std::string error;
  if (!cli::OptionParser()
           .value("-o", output, "the picture's file name")
           .value("--scale", scale, "the pixels of a square")
           .parse(args, maps, error) ||
      maps.size() != 1) {
    return usage();
  }
  options.mapFile = maps.front();
  if (!output.empty()) options.output = output;
  if (!scale.empty()) {
    const std::optional<int> pixels = parseScale(scale);
    if (!pixels) {
      console << "Bad scale: " << scale << "; a square is 1 to " << kMaxScale << " pixels"
              << std::endl;
      return false;
    }
    options.scale = *pixels;
  }
  return true;
}

// A failed run leaves an earlier picture as it was, and a link planted beside the target is
// never written through.
bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes,
               std::string& reason) {
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  return files::replaceFile(path, text, std::nullopt, reason);
}

}  // namespace

int runPreview(const std::vector<std::string>& args, std::ostream& console) {
  if (cli::answersHelpOrVersion(args, "tunnelsmith-preview", kHelp, console)) {
    console << std::flush;
    return cli::kSuccess;
  }
  Options options;
  if (!parseArgs(args, options, console)) return cli::kUsage;

  std::string text;
  switch (readFile(options.mapFile, text)) {
    case ReadResult::kRead:
      break;
    case ReadResult::kUnreadable:
      console << "Opening of Map File Failed: " << options.mapFile << std::endl;
      return cli::kUsage;
    case ReadResult::kTooLarge:
      console << consoleText(Problem{ProblemId::kMapFileTooLarge,
                                     Problem::kNowhere,
                                     {options.mapFile, std::to_string(kMaxInputSize >> 20)}})
              << std::flush;
      return cli::kUsage;
  }
  const NameMaps names;
  const LevelDescription level = readLevel(text, names, console);
  if (!level.isValid) {
    console << "No picture: the map was rejected" << std::endl;
    return cli::kProblems;
  }

  PictureSize size;
  const int scale = options.scale.value_or(defaultScale(level.mapWidth, level.mapHeight));
  const std::optional<Image> picture = renderLevel(level, scale, kMaxPixels, size);
  if (!picture) {
    console << "Picture too large: " << size.width << " x " << size.height << " pixels is above "
            << kMaxPixels << "; choose a smaller --scale" << std::endl;
    return cli::kProblems;
  }
  std::vector<std::uint8_t> png;
  std::string reason;
  const std::string output = options.output.value_or(level.levelName + ".png");
  if (!encodePng(*picture, png, reason) || !writeFile(output, png, reason)) {
    console << "Could not write " << output << ": " << reason << std::endl;
    return cli::kProblems;
  }
  console << "produced picture : " << output << std::endl;
  return cli::kSuccess;
}

}  // namespace ts::preview
