#include "preview_run.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string_view>

#include "analysis/check.h"
#include "analysis/line_index.h"
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
    "owners, hero gates and entrance areas named as releases name them (G 1, A 1), heart\n"
    "centres, creatures, objects, doors and traps, rulers (every square on squares of 24\n"
    "pixels or more, else every five or ten), and a legend with a line for each trigger.\n"
    "\n"
    "  MAPFILE      the map text file\n"
    "  -o OUT.png   the picture to write; default: the level name followed by .png,\n"
    "               in the current directory\n"
    "  --scale N    pixels a map square, 1 to 64; default: the scale that makes the\n"
    "               map's long side about 800 pixels\n"
    "  --help       this text\n"
    "  --version    the version of Tunnelsmith\n"
    "\n"
    "The map is read by the compiler's reader, whose messages are printed unchanged. A map\n"
    "that the compiler rejects still gets a picture of what was read before the error, with\n"
    "the error's square marked and the compiler's message in the legend.\n"
    "\n"
    "Exit status: 0 the map was accepted and the picture written; 1 a picture written for a\n"
    "rejected map, or no picture (too large, not written); 2 usage error or a map file that\n"
    "cannot be read.\n";

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

// The last line the reader printed: its fatal message.
std::string lastLine(const std::string& printed) {
  std::size_t end = printed.size();
  while (end > 0 && (printed[end - 1] == '\n' || printed[end - 1] == ' ')) --end;
  const std::size_t start = printed.rfind('\n', end == 0 ? 0 : end - 1);
  std::string line = printed.substr(start == std::string::npos ? 0 : start + 1,
                                    end - (start == std::string::npos ? 0 : start + 1));
  const std::size_t first = line.find_first_not_of(' ');
  return first == std::string::npos ? std::string() : line.substr(first);
}

// Where the reader's fatal error stands and what it means, from the checker's analysis of the
// same text: its first error, which is the reader's, placed at its cause.
Rejection rejectionOf(std::string_view text, const NameMaps& names, const std::string& printed) {
  Rejection r;
  r.message = lastLine(printed);
  const check::MapAnalysis analysis = check::analyseMap(text, names);
  for (const check::Diagnostic& d : analysis.diagnostics) {
    if (d.severity != Severity::kError || d.afterFirstError) continue;
    const LineIndex lines(text);
    const std::size_t line = lines.lineOf(d.span.start);
    r.line = line + 1;
    r.lineText = std::string(lines.lineText(line));
    // The checker's words where they say more than the compiler's, then its notes; the square
    // is the diagnostic's, else the first one a note names.
    if (d.text != r.message) r.explanation.push_back(d.text);
    std::optional<check::Square> square = d.square;
    // Only the notes about squares: where the reading stopped, say, the picture cannot show.
    for (const check::Note& note : d.notes) {
      if (!note.square) continue;
      if (r.explanation.size() < 3) r.explanation.push_back(note.text);
      if (!square) square = note.square;
    }
    if (square) r.square = PixelPoint{square->x, square->y};
    break;
  }
  return r;
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
  std::ostringstream printed;
  const LevelDescription level = readLevel(text, names, printed);
  console << printed.str() << std::flush;
  std::optional<Rejection> rejection;
  if (!level.isValid) rejection = rejectionOf(text, names, printed.str());

  PictureSize size;
  const int scale = options.scale.value_or(
      defaultScale(std::max(level.mapWidth, 1), std::max(level.mapHeight, 1)));
  const std::optional<Image> picture =
      renderLevel(level, scale, kMaxPixels, size, rejection ? &*rejection : nullptr);
  if (!picture) {
    console << "Picture too large: " << size.width << " x " << size.height << " pixels is above "
            << kMaxPixels << "; choose a smaller --scale" << std::endl;
    return cli::kProblems;
  }
  std::vector<std::uint8_t> png;
  std::string reason;
  // A reading that stopped in the header may not have the level's name.
  const std::string name = level.levelName.empty()
                               ? std::filesystem::path(options.mapFile).stem().string()
                               : level.levelName;
  const std::string output = options.output.value_or(name + ".png");
  if (!encodePng(*picture, png, reason) || !writeFile(output, png, reason)) {
    console << "Could not write " << output << ": " << reason << std::endl;
    return cli::kProblems;
  }
  if (rejection) {
    console << "The map was rejected; produced a picture of what was read : " << output
            << std::endl;
    return cli::kProblems;
  }
  console << "produced picture : " << output << std::endl;
  return cli::kSuccess;
}

}  // namespace ts::preview
