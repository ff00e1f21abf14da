#include "driver/run.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "driver/compile.h"
#include "driver/file_io.h"
#include "reader/messages.h"

namespace ts {

namespace {

std::string temporaryName(const std::string& target) { return target + ".tunnelsmith-tmp"; }
std::string backupName(const std::string& target) { return target + ".tunnelsmith-old"; }

// Why `target` cannot take a level file before anything is written, or empty. A directory in
// the way would only show when the finished file is renamed onto it.
std::string blockedReason(const std::string& target) {
  std::error_code error;
  if (std::filesystem::is_directory(target, error)) return std::strerror(EISDIR);
  return {};
}

// Writes every file beside its target under a temporary name, then moves them all into place:
// a run leaves either all six new files or the earlier ones untouched.
bool writeAllOrNothing(const std::vector<LevelFile>& files, MessageSink& out) {
  std::vector<std::string> temporaries;
  auto fail = [&](std::size_t index, const std::string& reason) {
    for (const std::string& name : temporaries) std::remove(name.c_str());
    if (index == 0) out.raw(msg::kWriteFailure);  // the map file's own report, once
    out.line("Could not write ", files[index].name, ": ", reason, "; no level file was written");
    return false;
  };
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (std::string reason = blockedReason(files[i].name); !reason.empty()) return fail(i, reason);
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string temp = temporaryName(files[i].name);
    std::string reason;
    const bool ok = writeWholeFile(temp, files[i].bytes, reason);
    temporaries.push_back(temp);
    if (!ok) return fail(i, reason);
  }
  // Earlier files are set aside until every new one is in place, so that a failed move can be
  // undone.
  std::vector<bool> backedUp(files.size(), false);
  std::size_t installed = 0;
  auto undo = [&] {
    for (std::size_t j = 0; j < installed; ++j) std::remove(files[j].name.c_str());
    for (std::size_t j = 0; j < files.size(); ++j) {
      if (backedUp[j]) std::rename(backupName(files[j].name).c_str(), files[j].name.c_str());
    }
  };
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string& target = files[i].name;
    std::error_code error;
    if (std::filesystem::exists(target, error)) {
      if (std::rename(target.c_str(), backupName(target).c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        undo();
        return fail(i, reason);
      }
      backedUp[i] = true;
    }
    if (std::rename(temporaries[i].c_str(), target.c_str()) != 0) {
      const std::string reason = std::strerror(errno);
      undo();
      return fail(i, reason);
    }
    ++installed;
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (backedUp[i]) std::remove(backupName(files[i].name).c_str());
  }
  return true;
}

}  // namespace

int run(const std::vector<std::string>& args, std::ostream& console) {
  MessageSink out(console);
  out.line("Tunnelsmith version: ", kVersion);
  if (args.size() != 2) {
    out.line("Syntax is ", args.empty() ? std::string() : args[0], " <Map File Name> ");
    return 0;
  }
  FileText text;
  if (!text.load(args[1])) {
    out.line("Opening of Map File Failed: ", args[1]);
    return 0;
  }
  const NameMaps names;
  const CompileResult result = compileMap(text.text(), names);
  out.raw(result.console);
  if (!result.valid) return 0;
  if (!writeAllOrNothing(result.files, out)) return 0;
  for (const LevelFile& file : result.files) out.line("produced file : ", file.name);
  return 1;
}

}  // namespace ts
