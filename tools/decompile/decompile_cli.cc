#include "decompile_cli.h"

#include <optional>

#include "base/file_io.h"
#include "base/file_system.h"
#include "decompile/decompile.h"
#include "format/level_files.h"
#include "options.h"
#include "tool_cli.h"

namespace ts::decompile {

namespace {

constexpr std::string_view kProgram = "tunnelsmith-decompile";

constexpr std::string_view kHelp =
    "usage: tunnelsmith-decompile [-o MAP.txt] FILE...\n"
    "Writes a map text of a compiled level that the compiler turns into the same six level\n"
    "files, byte for byte. FILE is one of the level's files (<level>Map.kld, <level>Things.kld,\n"
    "..., <level>.kwd), the others are found beside it by the level name; or name all six.\n"
    "\n"
    "  -o MAP.txt  write the text to MAP.txt (replaced whole, never half written); without -o\n"
    "              the text goes to standard output, so no map is ever replaced by surprise\n"
    "  --help, -h  this text\n"
    "  --version   the version of Tunnelsmith\n"
    "  --          the arguments after it are files, even those that start with -\n"
    "\n"
    "The text is compiled again and compared with the files. Whatever it cannot hold (in a\n"
    "file another tool wrote, or a damaged one) is listed on standard error with its file and\n"
    "offset; the text holds all the rest.\n"
    "\n"
    "Exit status: 0 the text was written and compiles to the same six files, 1 the text was\n"
    "written but something could not be expressed, a file is damaged, or the text could not\n"
    "be written, 2 usage error or a file that cannot be read.\n";

struct Options {
  std::string output;  // empty: standard output
  std::vector<std::string> files;
};

bool parseOptions(const std::vector<std::string>& args, Options& options, std::ostream& err) {
  std::string error;
  if (!cli::OptionParser()
           .value("-o", options.output, "the map text's file name")
           .parse(args, options.files, error)) {
    err << kProgram << ": " << error << '\n' << kHelp;
    return false;
  }
  if (options.files.empty() || options.files.size() > kLevelFileCount) {
    err << kHelp;
    return false;
  }
  return true;
}

std::optional<LevelFile> kindBySuffix(const std::string& path) {
  for (std::size_t f = 0; f < kLevelFileCount; ++f) {
    if (path.ends_with(fileSuffix(static_cast<LevelFile>(f)))) return static_cast<LevelFile>(f);
  }
  return std::nullopt;
}

// Finds and reads the six files; false after saying why on `err`.
bool readLevel(const std::vector<std::string>& given,
               std::array<std::string, kLevelFileCount>& paths,
               std::array<Bytes, kLevelFileCount>& bytes, std::ostream& err) {
  std::string reason;
  auto read = [&](const std::string& path, Bytes& into) {
    if (readLevelFile(path, into, reason) == ReadResult::kRead) return true;
    err << kProgram << ": cannot read " << path << ": " << reason << '\n';
    return false;
  };
  std::string stem;  // the path of the level's files without their suffix
  for (const std::string& path : given) {
    Bytes data;
    if (!read(path, data)) return false;
    // Recognised by the first chunk, as the inspector does; a damaged file by its name.
    std::optional<LevelFile> kind;
    const std::uint32_t first =
        data.size() >= 4 ? static_cast<std::uint32_t>(data[0] | data[1] << 8 | data[2] << 16 |
                                                      static_cast<std::uint32_t>(data[3]) << 24)
                         : 0;
    for (std::size_t f = 0; f < kLevelFileCount; ++f) {
      if (format::fileChunkId(static_cast<LevelFile>(f)) == first) kind = static_cast<LevelFile>(f);
    }
    const std::optional<LevelFile> named = kindBySuffix(path);
    if (!kind) kind = named;
    if (!kind) {
      err << kProgram << ": " << path << " is not a level file\n";
      return false;
    }
    if (!paths[*kind].empty()) {
      err << kProgram << ": " << paths[*kind] << " and " << path << " are both the "
          << fileSuffix(*kind) << " file of a level\n";
      return false;
    }
    if (stem.empty() && named) stem = path.substr(0, path.size() - fileSuffix(*named).size());
    paths[*kind] = path;
    bytes[*kind] = std::move(data);
  }
  for (std::size_t f = 0; f < kLevelFileCount; ++f) {
    if (!paths[f].empty()) continue;
    if (stem.empty()) {
      err << kProgram << ": no file is named as a level's files are (<level>Map.kld, ...), so "
          << "the others cannot be found; name all six\n";
      return false;
    }
    paths[f] = stem + std::string(fileSuffix(static_cast<LevelFile>(f)));
    if (!read(paths[f], bytes[f])) return false;
  }
  return true;
}

// A new file beside the target, renamed into place when complete.
bool writeText(const std::string& path, const std::string& text, std::string& reason) {
  return files::replaceFile(path, text, std::nullopt, reason);
}

}  // namespace

int runDecompiler(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (cli::answersHelpOrVersion(args, kProgram, kHelp, out)) return cli::kSuccess;
  Options options;
  if (!parseOptions(args, options, err)) return cli::kUsage;
  std::array<std::string, kLevelFileCount> paths;
  std::array<Bytes, kLevelFileCount> bytes;
  if (!readLevel(options.files, paths, bytes, err)) return cli::kUsage;

  LevelBytes view;
  for (std::size_t f = 0; f < kLevelFileCount; ++f) view[f] = bytes[f];
  const Decompilation result = decompile(view);
  for (const Finding& f : result.findings) {
    err << paths[f.file] << ": offset " << f.offset << " (0x" << std::hex << f.offset << std::dec
        << "): " << f.message << '\n';
  }
  bool written = true;
  if (options.output.empty()) {
    out << result.text << std::flush;
    written = out.good();
  } else if (std::string reason; !writeText(options.output, result.text, reason)) {
    err << kProgram << ": could not write " << options.output << ": " << reason << '\n';
    written = false;
  }
  if (!result.findings.empty()) {
    err << kProgram << ": " << result.findings.size()
        << (result.findings.size() == 1 ? " finding; " : " findings; ")
        << (result.damaged ? "a level file is damaged, " : "the text does not hold everything, ")
        << "so it does not compile to the same files\n";
  }
  return written && result.findings.empty() ? cli::kSuccess : cli::kProblems;
}

}  // namespace ts::decompile
