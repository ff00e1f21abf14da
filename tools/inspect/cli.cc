#include "cli.h"

#include <algorithm>

#include "base/file_io.h"
#include "decoding/diff.h"
#include "decoding/inspection.h"
#include "options.h"
#include "render/inspection_json.h"
#include "render_text.h"

namespace ts::inspect {

namespace {

constexpr std::string_view kProgram = "tunnelsmith-inspect";

constexpr std::string_view kHelp =
    "usage: tunnelsmith-inspect [--json] FILE...\n"
    "       tunnelsmith-inspect [--json] --diff A B\n"
    "Decodes and checks compiled level files, each recognised by its first chunk, not its\n"
    "name: its chunks, every record with its fields and file offset, then the problems found.\n"
    "\n"
    "  --json      the same content as one JSON document\n"
    "  --diff      compare two files A and B of the same kind: the changed fields, the records\n"
    "              in one file only, and every other byte that differs\n"
    "  --help, -h  this text\n"
    "  --version   the version of Tunnelsmith\n"
    "  --          the arguments after it are files, even those that start with -\n"
    "\n"
    "Exit status: 0 every file well-formed (with --diff: and the two identical), 1 a problem\n"
    "found (with --diff: or the files differ) or the report could not be written, 2 usage\n"
    "error, a file that cannot be read, or (with --diff) files of different kinds.\n";

struct Options {
  bool json = false;
  bool diff = false;
  std::vector<std::string> files;
};

bool parseOptions(const std::vector<std::string>& args, Options& options, std::ostream& err) {
  std::string error;
  if (!cli::OptionParser()
           .flag("--json", options.json)
           .flag("--diff", options.diff)
           .parse(args, options.files, error)) {
    err << kProgram << ": " << error << '\n' << kHelp;
    return false;
  }
  if (options.files.empty() || (options.diff && options.files.size() != 2)) {
    err << kHelp;
    return false;
  }
  return true;
}

// Reads `path` or says on `err` why it cannot.
bool readOrReport(const std::string& path, Bytes& bytes, std::string& reason, std::ostream& err) {
  if (readLevelFile(path, bytes, reason) == ReadResult::kRead) return true;
  err << kProgram << ": cannot read " << path << ": " << reason << '\n';
  return false;
}

int inspectFiles(const Options& options, std::ostream& out, std::ostream& err) {
  int status = cli::kSuccess;
  JsonStream json(out);
  if (options.json) {
    json.beginObject();
    json.beginArray("files");
  }
  for (const std::string& path : options.files) {
    Bytes bytes;
    std::string reason;
    if (!readOrReport(path, bytes, reason, err)) {
      if (options.json) json.value(Json{{"path", path}, {"error", reason}});
      status = cli::kUsage;
      continue;
    }
    bool wellFormed = true;
    if (options.json) {
      wellFormed = writeJson(path, bytes, json);
    } else {
      wellFormed = renderText(path, bytes, out);
    }
    if (!wellFormed) status = std::max(status, cli::kProblems);
  }
  if (options.json) {
    json.end();
    json.end();
  }
  return status;
}

// Loads `path` for a comparison, mapped where the system allows, or says on `err` why it cannot.
bool loadOrReport(const std::string& path, FileText& file, std::string& reason, std::ostream& err) {
  if (loadLevelFile(path, file, reason) == ReadResult::kRead) return true;
  err << kProgram << ": cannot read " << path << ": " << reason << '\n';
  return false;
}

int diffFiles(const Options& options, std::ostream& out, std::ostream& err) {
  const std::string& pathA = options.files[0];
  const std::string& pathB = options.files[1];
  FileText fileA;
  FileText fileB;
  std::string reason;
  if (!loadOrReport(pathA, fileA, reason, err) || !loadOrReport(pathB, fileB, reason, err)) {
    return cli::kUsage;
  }
  // Each file is read from start to end a few times: what was read goes back to the system.
  const StreamedDiff compared =
      diffStreamed(fileA.bytes(), fileB.bytes(), [&](int file, std::size_t begin, std::size_t end) {
        (file == 0 ? fileA : fileB).releasePages(begin, end);
      });
  const Inspection& a = compared.a;
  const Inspection& b = compared.b;
  if (a.kind != b.kind) {
    err << kProgram << ": cannot compare " << pathA << " (" << fileKindName(a.kind)
        << " file) with " << pathB << " (" << fileKindName(b.kind) << " file)\n";
    return cli::kUsage;
  }
  const DiffResult& result = compared.result;
  if (options.json) {
    out << diffToJson(pathA, a, pathB, b, result)
               .dump(2, ' ', false, Json::error_handler_t::replace)
        << '\n';
  } else {
    renderDiffText(pathA, a, pathB, b, result, out);
  }
  const bool clean = result.identical && a.wellFormed() && b.wellFormed();
  return clean ? cli::kSuccess : cli::kProblems;
}

}  // namespace

int runInspector(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  // After "--", --help and --version are file names.
  const auto optionsEnd = std::find(args.begin() + (args.empty() ? 0 : 1), args.end(), "--");
  if (cli::answersHelpOrVersion({args.begin(), optionsEnd}, kProgram, kHelp, out)) {
    return cli::kSuccess;
  }
  Options options;
  if (!parseOptions(args, options, err)) return cli::kUsage;
  const int status = options.diff ? diffFiles(options, out, err) : inspectFiles(options, out, err);
  // A report cut short (a full disk, a closed pipe) must not pass for a clean file.
  if (!out.flush()) {
    err << kProgram << ": cannot write the report\n";
    return std::max(status, cli::kProblems);
  }
  return status;
}

}  // namespace ts::inspect
