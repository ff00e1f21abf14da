#include "driver/run.h"

#include <cassert>
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

// Assembles a file in blocks and writes each block to a temporary file once it is full; the
// same memory then takes the next block, and the next file.
class TemporaryFileOutput : public FileOutput {
 public:
  static constexpr std::size_t kBlockSize = std::size_t{256} * 1024;

  TemporaryFileOutput() : FileOutput(kBlockSize) {}
  TemporaryFileOutput(const TemporaryFileOutput&) = delete;
  TemporaryFileOutput& operator=(const TemporaryFileOutput&) = delete;
  ~TemporaryFileOutput() override { static_cast<void>(closeFile()); }

  // Starts the next file; without a file (after a failure) the bytes are assembled and dropped.
  void start(std::FILE* file) {
    restart();
    file_ = file;
  }
  // Writes what is left and closes the file; false, with the reason, when any write failed.
  [[nodiscard]] bool finish(std::string& reason) {
    flush();
    const bool closed = closeFile();
    if (reason_.empty() && !closed) reason_ = std::strerror(errno);
    reason = reason_;
    reason_.clear();
    return reason.empty();
  }

 protected:
  void handOn(const Bytes& block) override {
    if (file_ == nullptr || !reason_.empty()) return;
    errno = 0;
    if (std::fwrite(block.data(), 1, block.size(), file_) != block.size()) {
      reason_ = std::strerror(errno != 0 ? errno : EIO);
    }
  }

 private:
  bool closeFile() {
    if (file_ == nullptr) return true;
    const bool flushed = std::fflush(file_) == 0;
    const int flushError = errno;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!flushed) errno = flushError;
    return flushed && closed;
  }

  std::FILE* file_ = nullptr;
  std::string reason_;
};

// Writes every file beside its target under a temporary name while it is built, then moves
// them all into place: a run leaves either all six new files or the earlier ones untouched.
class AllOrNothingFiles : public LevelFileSink {
 public:
  AllOrNothingFiles() = default;
  AllOrNothingFiles(const AllOrNothingFiles&) = delete;
  AllOrNothingFiles& operator=(const AllOrNothingFiles&) = delete;
  // Temporaries are left only by a run that did not install its files.
  ~AllOrNothingFiles() override { removeTemporaries(); }

  void announce(const std::vector<std::string>& names) override {
    names_ = names;
    // A target that cannot take its file fails the run before anything is written.
    for (std::size_t i = 0; i < names_.size() && failedIndex_ == kNoFailure; ++i) {
      if (std::string reason = blockedReason(names_[i]); !reason.empty()) {
        failAt(i, names_[i], reason);
      }
    }
  }

  FileOutput& open(const std::string& name) override {
    const std::size_t index = opened_++;
    std::FILE* file = nullptr;
    // Files come in the announced order; another file would have no place among them.
    if (index >= names_.size() || names_[index] != name) {
      assert(false && "level files opened out of their announced order");
      if (failedIndex_ == kNoFailure) failAt(index, name, kOutOfOrder);
    }
    if (failedIndex_ == kNoFailure) {
      const std::string temp = temporaryName(name);
      errno = 0;
      file = std::fopen(temp.c_str(), "wb");
      if (file == nullptr) {
        failAt(index, name, std::strerror(errno != 0 ? errno : EIO));
      } else {
        temporaries_.push_back(temp);
      }
    }
    output_.start(file);
    return output_;
  }

  void close() override {
    std::string reason;
    // Without an earlier failure, the file closed is the announced one opened last.
    if (!output_.finish(reason) && failedIndex_ == kNoFailure) {
      failAt(opened_ - 1, names_[opened_ - 1], reason);
    }
  }

  [[nodiscard]] const std::vector<std::string>& names() const { return names_; }

  // After every file was built: moves them into place, or reports why no level file was
  // written. The names are those announced.
  bool install(MessageSink& out) {
    if (failedIndex_ == kNoFailure && opened_ != names_.size()) {
      assert(false && "not every announced level file was built");
      failAt(opened_, names_[opened_], kOutOfOrder);  // every file opened was announced
    }
    if (failedIndex_ == kNoFailure) moveIntoPlace();
    if (failedIndex_ == kNoFailure) return true;
    removeTemporaries();
    if (failedIndex_ == 0) out.raw(msg::kWriteFailure);  // the map file's own report, once
    out.line("Could not write ", failedName_, ": ", failedReason_,
             "; no level file was written");
    return false;
  }

 private:
  static constexpr std::size_t kNoFailure = static_cast<std::size_t>(-1);
  static constexpr const char* kOutOfOrder = "the level files were not built in their order";

  void failAt(std::size_t index, const std::string& name, const std::string& reason) {
    failedIndex_ = index;
    failedName_ = name;
    failedReason_ = reason;
  }

  void removeTemporaries() {
    for (const std::string& name : temporaries_) std::remove(name.c_str());
    temporaries_.clear();
  }

  // Earlier files are set aside until every new one is in place, so that a failed move can be
  // undone.
  void moveIntoPlace() {
    std::vector<bool> backedUp(names_.size(), false);
    std::size_t installed = 0;
    auto undo = [&](std::size_t index) {
      const std::string reason = std::strerror(errno);
      failAt(index, names_[index], reason);
      for (std::size_t j = 0; j < installed; ++j) std::remove(names_[j].c_str());
      for (std::size_t j = 0; j < names_.size(); ++j) {
        if (backedUp[j]) std::rename(backupName(names_[j]).c_str(), names_[j].c_str());
      }
    };
    for (std::size_t i = 0; i < names_.size(); ++i) {
      const std::string& target = names_[i];
      std::error_code error;
      if (std::filesystem::exists(target, error)) {
        if (std::rename(target.c_str(), backupName(target).c_str()) != 0) return undo(i);
        backedUp[i] = true;
      }
      if (std::rename(temporaries_[i].c_str(), target.c_str()) != 0) return undo(i);
      ++installed;
    }
    temporaries_.clear();
    for (std::size_t i = 0; i < names_.size(); ++i) {
      if (backedUp[i]) std::remove(backupName(names_[i]).c_str());
    }
  }

  std::vector<std::string> names_;
  std::vector<std::string> temporaries_;
  TemporaryFileOutput output_;
  std::size_t opened_ = 0;
  std::size_t failedIndex_ = kNoFailure;
  std::string failedName_;
  std::string failedReason_;
};

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
  AllOrNothingFiles files;
  if (!compileMap(text.text(), names, console, files)) return 0;
  if (!files.install(out)) return 0;
  for (const std::string& name : files.names()) out.line("produced file : ", name);
  return 1;
}

}  // namespace ts
