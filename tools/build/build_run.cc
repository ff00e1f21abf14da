#include "build_run.h"

#include <chrono>
#include <csignal>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>
#include <thread>

#include "base/file_system.h"
#include "map_build.h"
#include "options.h"
#include "tool_cli.h"

namespace ts::build {

namespace {

constexpr std::string_view kUsage =
    "usage: tunnelsmith-build [-o DIR] [--werror] [--watch] MAPFILE...\n"
    "Checks each map file and prints its problems as path:line:column: error|warning|note: text.\n"
    "A map without errors is compiled into its six level files in DIR, written all together\n"
    "or not at all, byte for byte as tunnelsmith writes them. One line per map says whether it\n"
    "was built. Two maps of one run that name the same level are an error: the second is not\n"
    "built. Past the first 20 problems of one kind, the rest are counted on one line\n"
    "(tunnelsmith-check --all lists every one).\n"
    "\n"
    "  -o DIR      the folder for the level files (default: the current folder), created\n"
    "              with its parents when missing\n"
    "  --werror    count warnings as errors: a map with warnings is not built\n"
    "  --watch     after building every map, rebuild each one whenever it changes, until\n"
    "              interrupted (Ctrl-C); each result line then starts with the time\n"
    "  --help      this text\n"
    "  --version   the version of Tunnelsmith\n"
    "\n"
    "Exit status: 0 every map was built (with --watch: interrupted), 1 a map was not built\n"
    "(errors, a level built twice, a level file that could not be written), 2 usage error,\n"
    "an output folder that cannot be created or a map file that cannot be read.\n";

// How often a watched map's modification time and size are looked at.
constexpr auto kPollInterval = std::chrono::milliseconds(200);

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int /*signal*/) { stopRequested = 1; }

// While it lives, SIGINT and SIGTERM end the watch between two builds instead of the process.
class StopOnSignals {
 public:
  StopOnSignals() {
    stopRequested = 0;
    interrupt_ = std::signal(SIGINT, requestStop);
    terminate_ = std::signal(SIGTERM, requestStop);
  }
  StopOnSignals(const StopOnSignals&) = delete;
  StopOnSignals& operator=(const StopOnSignals&) = delete;
  ~StopOnSignals() {
    if (interrupt_ != SIG_ERR) std::signal(SIGINT, interrupt_);
    if (terminate_ != SIG_ERR) std::signal(SIGTERM, terminate_);
  }

 private:
  void (*interrupt_)(int) = SIG_DFL;
  void (*terminate_)(int) = SIG_DFL;
};

// What tells a change of a map file apart, without reading it.
struct MapState {
  bool present = false;
  std::filesystem::file_time_type time{};
  std::uintmax_t size = 0;

  bool operator==(const MapState&) const = default;
};

MapState stateOf(const std::string& path) {
  std::error_code error;
  MapState state;
  state.time = std::filesystem::last_write_time(files::pathOf(path), error);
  if (error) return {};
  state.present = true;
  state.size = std::filesystem::file_size(files::pathOf(path), error);
  if (error) state.size = 0;
  return state;
}

// "12:03:07 ", the local time that starts a line of the watch.
std::string clockPrefix() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  const std::tm* local = std::localtime(&now);
  char text[16];
  if (local == nullptr || std::strftime(text, sizeof text, "%H:%M:%S ", local) == 0) return {};
  return text;
}

// Rebuilds each map once a change of it has held still for one poll, so that a save still in
// progress is not read half-written. Returns when a stop was requested.
void watch(MapBuilder& builder, std::vector<MapState> built) {
  std::vector<MapState> seen = built;
  while (stopRequested == 0) {
    std::this_thread::sleep_for(kPollInterval);
    for (std::size_t i = 0; i < built.size() && stopRequested == 0; ++i) {
      const MapState now = stateOf(builder.paths()[i]);
      if (now != built[i] && now == seen[i]) {
        built[i] = now;
        static_cast<void>(builder.build(i, clockPrefix()));
      }
      seen[i] = now;
    }
  }
}

bool makeFolder(const std::string& folder, std::string& reason) {
  std::error_code error;
  std::filesystem::create_directories(files::pathOf(folder), error);
  if (!error && std::filesystem::is_directory(files::pathOf(folder), error)) return true;
  reason = error ? error.message() : "a file of that name is in the way";
  return false;
}

// Builds every map once and, when watching, each again as it changes, until a stop is
// requested. Returns the exit status.
int buildAll(const std::vector<std::string>& paths, const std::string& folder, bool werror,
             bool watching, std::ostream& out) {
  // Signals are caught from the first build on, so that an interrupt never cuts an install.
  std::optional<StopOnSignals> stopOnSignals;
  if (watching) stopOnSignals.emplace();
  const cli::OutputContext terminal = cli::standardOutput();
  MapBuilder builder(out, paths, folder, werror, terminal.terminal && !terminal.noColor);
  std::vector<MapState> built;
  bool unreadable = false;
  bool allBuilt = true;
  for (std::size_t i = 0; i < paths.size() && !(watching && stopRequested != 0); ++i) {
    if (watching) built.push_back(stateOf(paths[i]));
    switch (builder.build(i, watching ? clockPrefix() : std::string())) {
      case Outcome::kBuilt:
        break;
      case Outcome::kNotBuilt:
        allBuilt = false;
        break;
      case Outcome::kUnreadable:
        unreadable = true;
        break;
    }
  }
  if (watching) {
    built.resize(paths.size());
    watch(builder, std::move(built));
    return cli::kSuccess;
  }
  if (unreadable) return cli::kUsage;
  return allBuilt ? cli::kSuccess : cli::kProblems;
}

}  // namespace

int runBuild(const std::vector<std::string>& args, std::ostream& out) {
  if (cli::answersHelpOrVersion(args, "tunnelsmith-build", kUsage, out)) return cli::kSuccess;
  std::string folder = ".";
  bool werror = false;
  bool watching = false;
  std::vector<std::string> paths;
  std::string error;
  if (!cli::OptionParser()
           .flag("--werror", werror)
           .flag("--watch", watching)
           .value("-o", folder, "the output folder")
           .parse(args, paths, error)) {
    out << error << "\n" << kUsage;
    return cli::kUsage;
  }
  if (paths.empty()) {
    out << kUsage;
    return cli::kUsage;
  }
  std::string reason;
  if (!makeFolder(folder, reason)) {
    out << "tunnelsmith-build: error: cannot create the output folder " << folder << ": " << reason
        << "\n";
    return cli::kUsage;
  }
  return buildAll(paths, folder, werror, watching, out);
}

}  // namespace ts::build
