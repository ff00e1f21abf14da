#include "cli.h"

#include <algorithm>

#include "base/file_io.h"
#include "diff.h"
#include "inspection.h"
#include "render.h"

namespace ts::inspect {

ReadStatus readLevelFile(const std::string& path, Bytes& bytes, std::string& reason,
                         std::size_t limit) {
  bytes.clear();
  const ReadStatus status = readFile(path, bytes, &reason, limit);
  if (status == ReadStatus::kTooLarge) {
    Bytes().swap(bytes);
    reason = "larger than " + std::to_string(limit / (1024 * 1024)) + " MiB (" +
             std::to_string(limit) + " bytes), the most a level file may hold";
  } else if (status == ReadStatus::kUnreadable) {
    bytes.clear();
  }
  return status;
}

namespace {

constexpr const char* kUsage =
    "usage: tunnelsmith-inspect [--json] FILE...\n"
    "       tunnelsmith-inspect [--json] --diff A B\n"
    "Decodes and checks compiled level files; --diff compares two files of the same kind.\n"
    "Exit status: 0 well-formed (and, with --diff, identical), 1 a problem or difference\n"
    "found, 2 usage error or unreadable file.\n";

struct Options {
  bool json = false;
  bool diff = false;
  bool help = false;
  std::vector<std::string> files;
};

bool parseOptions(const std::vector<std::string>& args, Options& options, std::ostream& err) {
  bool optionsDone = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsDone || arg.empty() || arg[0] != '-' || arg == "-") {
      options.files.push_back(arg);
    } else if (arg == "--") {
      optionsDone = true;
    } else if (arg == "--json") {
      options.json = true;
    } else if (arg == "--diff") {
      options.diff = true;
    } else if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else {
      err << "tunnelsmith-inspect: unknown option " << arg << '\n' << kUsage;
      return false;
    }
  }
  if (options.help) return true;
  if (options.files.empty() || (options.diff && options.files.size() != 2)) {
    err << kUsage;
    return false;
  }
  return true;
}

// Reads `path` or says on `err` why it cannot.
bool readOrReport(const std::string& path, Bytes& bytes, std::string& reason, std::ostream& err) {
  if (readLevelFile(path, bytes, reason) == ReadStatus::kRead) return true;
  err << "tunnelsmith-inspect: cannot read " << path << ": " << reason << '\n';
  return false;
}

int inspectFiles(const Options& options, std::ostream& out, std::ostream& err) {
  int status = kExitClean;
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
      status = kExitUsage;
      continue;
    }
    bool wellFormed = true;
    if (options.json) {
      wellFormed = writeJson(path, bytes, json);
    } else {
      const Inspection in = inspect(bytes);
      wellFormed = in.wellFormed();
      renderText(path, in, out);
    }
    if (!wellFormed) status = std::max(status, kExitProblem);
  }
  if (options.json) {
    json.end();
    json.end();
  }
  return status;
}

int diffFiles(const Options& options, std::ostream& out, std::ostream& err) {
  const std::string& pathA = options.files[0];
  const std::string& pathB = options.files[1];
  Bytes bytesA;
  Bytes bytesB;
  std::string reason;
  if (!readOrReport(pathA, bytesA, reason, err) || !readOrReport(pathB, bytesB, reason, err)) {
    return kExitUsage;
  }
  const Inspection a = inspect(bytesA);
  const Inspection b = inspect(bytesB);
  if (a.kind != b.kind) {
    err << "tunnelsmith-inspect: cannot compare " << pathA << " (" << fileKindName(a.kind)
        << " file) with " << pathB << " (" << fileKindName(b.kind) << " file)\n";
    return kExitUsage;
  }
  const DiffResult result = diff(a, bytesA, b, bytesB);
  if (options.json) {
    out << diffToJson(pathA, a, pathB, b, result)
               .dump(2, ' ', false, Json::error_handler_t::replace)
        << '\n';
  } else {
    renderDiffText(pathA, a, pathB, b, result, out);
  }
  const bool clean = result.identical && a.wellFormed() && b.wellFormed();
  return clean ? kExitClean : kExitProblem;
}

}  // namespace

int runInspector(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Options options;
  if (!parseOptions(args, options, err)) return kExitUsage;
  if (options.help) {
    out << kUsage;
    return kExitClean;
  }
  return options.diff ? diffFiles(options, out, err) : inspectFiles(options, out, err);
}

}  // namespace ts::inspect
