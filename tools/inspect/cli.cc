#include "cli.h"

#include <algorithm>

#include "diff.h"
#include "driver/file_io.h"
#include "inspection.h"
#include "render.h"
#include "writers/le_encoding.h"

namespace ts::inspect {

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

void printJson(const Json& j, std::ostream& out) {
  out << j.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
}

int inspectFiles(const Options& options, std::ostream& out, std::ostream& err) {
  int status = kExitClean;
  Json files = Json::array();
  for (const std::string& path : options.files) {
    Bytes bytes;
    std::string reason;
    if (!readWholeFile(path, bytes, &reason)) {
      err << "tunnelsmith-inspect: cannot read " << path << ": " << reason << '\n';
      if (options.json) files.push_back({{"path", path}, {"error", reason}});
      status = kExitUsage;
      continue;
    }
    const Inspection in = inspect(bytes);
    if (!in.wellFormed()) status = std::max(status, kExitProblem);
    if (options.json) {
      files.push_back(toJson(path, in));
    } else {
      renderText(path, in, out);
    }
  }
  if (options.json) printJson(Json{{"files", std::move(files)}}, out);
  return status;
}

int diffFiles(const Options& options, std::ostream& out, std::ostream& err) {
  const std::string& pathA = options.files[0];
  const std::string& pathB = options.files[1];
  Bytes bytesA;
  Bytes bytesB;
  std::string reason;
  for (const auto& [path, bytes] : {std::pair{&pathA, &bytesA}, std::pair{&pathB, &bytesB}}) {
    if (!readWholeFile(*path, *bytes, &reason)) {
      err << "tunnelsmith-inspect: cannot read " << *path << ": " << reason << '\n';
      return kExitUsage;
    }
  }
  const Inspection a = inspect(bytesA);
  const Inspection b = inspect(bytesB);
  if (a.kind != b.kind) {
    err << "tunnelsmith-inspect: cannot compare " << pathA << " (" << fileKindName(a.kind)
        << " file) with " << pathB << " (" << fileKindName(b.kind) << " file)\n";
    return kExitUsage;
  }
  const DiffResult result = diff(a, b);
  if (options.json) {
    printJson(diffToJson(pathA, a, pathB, b, result), out);
  } else {
    renderDiffText(pathA, a, pathB, b, result, out);
  }
  const bool clean = result.differences.empty() && a.wellFormed() && b.wellFormed();
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
