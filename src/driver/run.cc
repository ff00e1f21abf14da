#include "driver/run.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "driver/compile.h"
#include "reader/messages.h"

namespace ts {

namespace {

// Reads a whole file; false when it cannot be opened or read (a directory, say).
bool readFile(const std::string& path, std::string& text) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  char buffer[1 << 16];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
  const bool ok = std::ferror(file) == 0;
  std::fclose(file);
  return ok;
}

// Writes `bytes` to `path`; on failure returns the reason.
bool writeFile(const std::string& path, const Bytes& bytes, std::string& reason) {
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    reason = std::strerror(errno);
    return false;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() &&
                       std::fflush(file) == 0;
  const int writeError = errno;
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    reason = std::strerror(written ? errno : writeError);
    return false;
  }
  return true;
}

std::string temporaryName(const std::string& target) { return target + ".tunnelsmith-tmp"; }

// Writes every file beside its target under a temporary name, then renames them all into
// place: a run leaves either all six new files or the old ones untouched.
bool writeAllOrNothing(const std::vector<LevelFile>& files, MessageSink& out) {
  std::vector<std::string> written;
  auto discard = [&] {
    for (const std::string& name : written) std::remove(name.c_str());
  };
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string temp = temporaryName(files[i].name);
    std::string reason;
    if (!writeFile(temp, files[i].bytes, reason)) {
      std::remove(temp.c_str());
      discard();
      if (i == 0) out.raw(msg::kWriteFailure);  // the map file's own report, once
      out.line("Could not write ", files[i].name, ": ", reason,
               "; no level file was written");
      return false;
    }
    written.push_back(temp);
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (std::rename(written[i].c_str(), files[i].name.c_str()) != 0) {
      const std::string reason = std::strerror(errno);
      for (std::size_t j = i; j < written.size(); ++j) std::remove(written[j].c_str());
      out.line("Could not write ", files[i].name, ": ", reason);
      return false;
    }
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
  std::string text;
  if (!readFile(args[1], text)) {
    out.line("Opening of Map File Failed: ", args[1]);
    return 0;
  }
  const NameMaps names;
  const CompileResult result = compileMap(text, names);
  out.raw(result.console);
  if (!result.valid) return 0;
  if (!writeAllOrNothing(result.files, out)) return 0;
  for (const LevelFile& file : result.files) out.line("produced file : ", file.name);
  return 1;
}

}  // namespace ts
