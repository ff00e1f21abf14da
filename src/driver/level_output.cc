#include "driver/level_output.h"

#include <cassert>
#include <cerrno>
#include <cstring>
#include <utility>

#include "base/file_io.h"

namespace ts {

namespace {

constexpr std::string_view kLockSuffix = ".tunnelsmith-lock";
constexpr std::string_view kJournalSuffix = ".tunnelsmith-install";
constexpr std::string_view kBackupSuffix = ".tunnelsmith-old";
// Earlier versions wrote every temporary under this one fixed name.
constexpr std::string_view kFixedTemporarySuffix = ".tunnelsmith-tmp";
constexpr std::string_view kJournalHeading = "tunnelsmith install";
constexpr const char* kOutOfOrder = "the level files were not built in their order";

bool isRandomPart(std::string_view part) {
  if (part.size() != files::kRandomPartLength) return false;
  for (char c : part) {
    const bool alphanumeric =
        (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    if (!alphanumeric) return false;
  }
  return true;
}

// Whether `name` is a temporary file made for `base`, by this version or an earlier one.
bool isTemporaryOf(std::string_view name, std::string_view base) {
  if (name.substr(0, base.size()) != base) return false;
  const std::string_view rest = name.substr(base.size());
  const std::string_view mark = files::kTemporaryMark;
  if (rest == kFixedTemporarySuffix) return true;
  return rest.substr(0, mark.size()) == mark && isRandomPart(rest.substr(mark.size()));
}

// The temporary names that a journal lists, one per level file in order; empty when the
// journal is not one this writer wrote for these names.
std::vector<std::string> readJournal(const std::string& path,
                                     const std::vector<std::string>& names) {
  std::string text;
  if (readFile(path, text, nullptr, 64 * 1024) != ReadResult::kRead) return {};
  std::vector<std::string> temporaries;
  std::size_t at = 0;
  for (std::size_t i = 0; i <= names.size(); ++i) {
    const std::size_t end = text.find('\n', at);
    if (end == std::string::npos) return {};
    const std::string_view line = std::string_view(text).substr(at, end - at);
    at = end + 1;
    if (i == 0) {
      if (line != kJournalHeading) return {};
      continue;
    }
    const std::string& name = names[i - 1];
    if (!isTemporaryOf(line, name) || line.size() == name.size() + kFixedTemporarySuffix.size()) {
      return {};
    }
    temporaries.emplace_back(line);
  }
  return at == text.size() ? temporaries : std::vector<std::string>{};
}

std::string counted(std::size_t n, std::string_view one, std::string_view many) {
  return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

}  // namespace

std::string lockName(std::string_view level) {
  return std::string(level) + std::string(kLockSuffix);
}
std::string journalName(std::string_view level) {
  return std::string(level) + std::string(kJournalSuffix);
}
std::string backupName(const std::string& target) { return target + std::string(kBackupSuffix); }

namespace {

using files::Entry;

// A journal commits an install: its temporaries are complete and go into place, and the journal
// goes. Returns whether it finished an install; a journal that finished none (or a link at its
// name) counts in `removed`.
bool finishCommittedInstall(const std::string& folder, std::string_view level,
                            const std::vector<std::string>& names, std::size_t& removed) {
  std::string ignored;
  const std::string journal = files::inFolder(folder, journalName(level));
  const Entry journalEntry = files::entryAt(journal);
  bool finished = false;
  if (journalEntry == Entry::kFile) {
    const std::vector<std::string> temporaries = readJournal(journal, names);
    for (std::size_t i = 0; i < temporaries.size(); ++i) {
      const std::string temporary = files::inFolder(folder, temporaries[i]);
      if (files::entryAt(temporary) != Entry::kFile) continue;
      const std::string target = files::inFolder(folder, names[i]);
      const std::string backup = files::inFolder(folder, backupName(names[i]));
      const Entry old = files::entryAt(target);
      if (old == Entry::kDirectory) continue;
      if (old != Entry::kNone && files::entryAt(backup) == Entry::kNone) {
        static_cast<void>(files::moveEntry(target, backup, ignored));
      }
      static_cast<void>(files::moveEntry(temporary, target, ignored));
    }
    // The moves are on disk before the journal that would redo them goes.
    static_cast<void>(files::flushFolder(folder, ignored));
    for (const std::string& name : names) {
      files::removeEntry(files::inFolder(folder, backupName(name)));
    }
    finished = !temporaries.empty();
  }
  if (journalEntry == Entry::kFile || journalEntry == Entry::kOther) {
    files::removeEntry(journal);
    if (!finished) ++removed;
  }
  return finished;
}

// Temporaries outside a committed install are incomplete, and links at any of the writer's
// names are never followed: both go. So does a lock file that a run killed while letting go of
// the lock had renamed aside (only Windows renames it so). Returns how many went.
std::size_t removeTemporaries(const std::string& folder, std::string_view level,
                              const std::vector<std::string>& names) {
  const std::string journalBase = journalName(level);
  const std::string lockBase = lockName(level);
  std::size_t removed = 0;
  for (const std::string& name : files::namesIn(folder.empty() ? "." : folder)) {
    bool ours = isTemporaryOf(name, journalBase) || isTemporaryOf(name, lockBase);
    for (std::size_t i = 0; i < names.size() && !ours; ++i) ours = isTemporaryOf(name, names[i]);
    const std::string path = files::inFolder(folder, name);
    const Entry entry = files::entryAt(path);
    if (ours && (entry == Entry::kFile || entry == Entry::kOther) && files::removeEntry(path)) {
      ++removed;
    }
  }
  return removed;
}

// Only the journal that set a backup aside may act on it. Without one, a backup is never
// installed: beside its level file it is what a finished install had not yet removed when the
// power went, and goes; alone it may be someone's file, or an earlier level file that could not
// be put back, and is left as it is. Returns how many went.
std::size_t removeLeftoverBackups(const std::string& folder,
                                  const std::vector<std::string>& names) {
  std::size_t removed = 0;
  for (const std::string& name : names) {
    const std::string backup = files::inFolder(folder, backupName(name));
    const Entry entry = files::entryAt(backup);
    const bool leftover =
        entry == Entry::kOther ||
        (entry == Entry::kFile && files::entryAt(files::inFolder(folder, name)) == Entry::kFile);
    if (leftover && files::removeEntry(backup)) ++removed;
  }
  return removed;
}

}  // namespace

std::string recoverInterruptedRun(const std::string& folder, std::string_view level,
                                  const std::vector<std::string>& names) {
  std::size_t removed = 0;
  const bool finished = finishCommittedInstall(folder, level, names, removed);
  removed += removeTemporaries(folder, level, names);
  removed += removeLeftoverBackups(folder, names);
  std::vector<std::string> done;
  if (finished) done.push_back("finished its install");
  if (removed > 0) done.push_back("removed " + counted(removed, "leftover file", "leftover files"));
  std::string text;
  for (std::size_t i = 0; i < done.size(); ++i) text += (i == 0 ? "" : ", ") + done[i];
  return text;
}

// Assembles a file in blocks and writes each block to the file's temporary once it is full; the
// same memory then takes the next block, and the next file.
class AllOrNothingFiles::TemporaryOutput : public FileOutput {
 public:
  static constexpr std::size_t kBlockSize = std::size_t{256} * 1024;

  TemporaryOutput() : FileOutput(kBlockSize) {}

  // Starts the next file; without a file (after a failure) the bytes are assembled and dropped.
  void start(files::NewFile* file) {
    restart();
    file_ = file;
  }
  // Writes what is left, puts it on disk and closes the file; false, with the reason, when any
  // of that failed.
  [[nodiscard]] bool finish(std::string& reason) {
    flush();
    if (file_ != nullptr) {
      if (reason_.empty()) static_cast<void>(file_->flush(reason_));
      std::string closeReason;
      if (!file_->close(closeReason) && reason_.empty()) reason_ = closeReason;
      file_ = nullptr;
    }
    reason = std::move(reason_);
    reason_.clear();
    return reason.empty();
  }

 protected:
  void handOn(const Bytes& block) override {
    if (file_ == nullptr || !reason_.empty()) return;
    static_cast<void>(file_->write(block.data(), block.size(), reason_));
  }

 private:
  files::NewFile* file_ = nullptr;
  std::string reason_;
};

AllOrNothingFiles::AllOrNothingFiles(std::string folder, OutputOptions options)
    : folder_(std::move(folder)),
      options_(std::move(options)),
      output_(std::make_unique<TemporaryOutput>()) {}

AllOrNothingFiles::~AllOrNothingFiles() { removeTemporaries(); }

std::string AllOrNothingFiles::path(const std::string& name) const {
  return files::inFolder(folder_, name);
}

void AllOrNothingFiles::step(std::string_view name) const {
  if (options_.onStep) options_.onStep(name);
}

void AllOrNothingFiles::failAt(std::size_t index, const std::string& name,
                               const std::string& reason) {
  failedIndex_ = index;
  failedName_ = name;
  failedReason_ = reason;
}

void AllOrNothingFiles::announce(std::string_view level, const std::vector<std::string>& names) {
  level_ = level;
  names_ = names;
  // One run at a time writes this level into this folder, from its first temporary file to
  // its last move.
  std::string reason;
  switch (lock_.acquire(path(lockName(level)), options_.lockPatience, reason)) {
    case files::ProcessLock::Outcome::kLocked:
      break;
    case files::ProcessLock::Outcome::kTimedOut:
      lockTimedOut_ = true;
      failAt(names_.size(), lockName(level), "");
      return;
    case files::ProcessLock::Outcome::kFailed:
      failAt(names_.size(), lockName(level), reason);
      return;
  }
  step("locked");
  cleanedUp_ = recoverInterruptedRun(folder_, level_, names_);
  // A target that cannot take its file fails the run before anything is written. A directory
  // in the way would only show when the finished file is moved onto it.
  for (std::size_t i = 0; i < names_.size() && failedIndex_ == kNoFailure; ++i) {
    if (files::entryAt(path(names_[i])) == files::Entry::kDirectory) {
      failAt(i, names_[i], std::strerror(EISDIR));
    }
  }
}

FileOutput& AllOrNothingFiles::open(const std::string& name) {
  const std::size_t index = opened_++;
  files::NewFile* file = nullptr;
  // Files come in the announced order; another file would have no place among them.
  if (index >= names_.size() || names_[index] != name) {
    assert(false && "level files opened out of their announced order");
    if (failedIndex_ == kNoFailure) failAt(index, name, kOutOfOrder);
  }
  if (failedIndex_ == kNoFailure) {
    std::string reason;
    if (current_.create(path(name), reason)) {
      // The name within the folder: the target's name and the random mark after it.
      temporaries_.push_back(current_.path().substr(path(name).size() - name.size()));
      file = &current_;
      step("created " + name);
    } else {
      failAt(index, name, reason);
    }
  }
  output_->start(file);
  return *output_;
}

void AllOrNothingFiles::close() {
  std::string reason;
  // Without an earlier failure, the file closed is the announced one opened last.
  if (!output_->finish(reason) && failedIndex_ == kNoFailure) {
    failAt(opened_ - 1, names_[opened_ - 1], reason);
  }
  if (failedIndex_ == kNoFailure) step("written " + names_[opened_ - 1]);
}

void AllOrNothingFiles::removeTemporaries() {
  for (const std::string& name : temporaries_) files::removeEntry(path(name));
  temporaries_.clear();
}

// Removes the journal of an install that was given up, before its temporaries go: a journal
// that outlived them would install the few that were left.
void AllOrNothingFiles::dropJournal() {
  files::removeEntry(journal_);
  journal_.clear();
  std::string ignored;
  static_cast<void>(files::flushFolder(folder_, ignored));
}

// The journal is on disk, and so are the names of the temporaries it lists, before the first
// install step: a power loss can then leave a journal only with every file it installs.
bool AllOrNothingFiles::writeJournal() {
  std::string text = std::string(kJournalHeading) + "\n";
  for (const std::string& temporary : temporaries_) text += temporary + "\n";
  files::NewFile file;
  std::string reason;
  const std::string journal = path(journalName(level_));
  if (!file.create(journal, reason) ||
      !file.write(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), reason) ||
      !file.flush(reason) || !file.close(reason) || !files::flushFolder(folder_, reason)) {
    files::removeEntry(file.path());
    failAt(names_.size(), journalName(level_), reason);
    return false;
  }
  if (!files::moveEntry(file.path(), journal, reason)) {
    files::removeEntry(file.path());
    failAt(names_.size(), journalName(level_), reason);
    return false;
  }
  journal_ = journal;
  if (!files::flushFolder(folder_, reason)) {
    // The journal may not last: it goes, so that nothing is installed under it.
    dropJournal();
    failAt(names_.size(), journalName(level_), reason);
    return false;
  }
  step("journal written");
  return true;
}

// Earlier files are set aside until every new one is in place, so that a failed move can be
// undone; the journal lets a later run finish an install that was cut short.
void AllOrNothingFiles::moveIntoPlace() {
  if (!writeJournal()) return;
  std::vector<bool> backedUp(names_.size(), false);
  std::size_t installed = 0;
  auto undo = [&](std::size_t index, const std::string& name, const std::string& reason) {
    failAt(index, name, reason);
    // The new files go back to their temporary names and the earlier ones back into place
    // while the journal stands, and it goes only once that is on disk: a run cut short while
    // undoing is finished by the next run instead, from the journal. The new files are away
    // on disk before an earlier file takes a name back, which would otherwise replace a new
    // file that the journal can no longer find.
    std::string ignored;
    for (std::size_t j = 0; j < installed; ++j) {
      if (!files::moveEntry(path(names_[j]), path(temporaries_[j]), ignored)) {
        files::removeEntry(path(names_[j]));
      }
    }
    static_cast<void>(files::flushFolder(folder_, ignored));
    for (std::size_t j = 0; j < names_.size(); ++j) {
      if (backedUp[j])
        static_cast<void>(files::moveEntry(path(backupName(names_[j])), path(names_[j]), ignored));
    }
    static_cast<void>(files::flushFolder(folder_, ignored));
    dropJournal();
  };
  std::string reason;
  for (std::size_t i = 0; i < names_.size(); ++i) {
    const std::string target = path(names_[i]);
    if (files::entryAt(target) != files::Entry::kNone) {
      if (!files::moveEntry(target, path(backupName(names_[i])), reason)) {
        return undo(i, names_[i], reason);
      }
      backedUp[i] = true;
      step("set aside " + names_[i]);
    }
    if (!files::moveEntry(path(temporaries_[i]), target, reason)) {
      return undo(i, names_[i], reason);
    }
    ++installed;
    step("installed " + names_[i]);
  }
  // Every move is on disk before the earlier files and the journal go; a folder that cannot be
  // flushed keeps its earlier files, as when a move fails.
  if (!files::flushFolder(folder_, reason)) {
    return undo(names_.size(), journalName(level_), reason);
  }
  temporaries_.clear();
  for (std::size_t i = 0; i < names_.size(); ++i) {
    if (backedUp[i]) files::removeEntry(path(backupName(names_[i])));
  }
  step("earlier files removed");
  files::removeEntry(journal_);
  journal_.clear();
  step("journal removed");
}

bool AllOrNothingFiles::install(ProblemSink& problems) {
  if (!cleanedUp_.empty()) {
    problems.report(ProblemId::kCleanedUp, Problem::kNowhere, level_, cleanedUp_);
  }
  if (failedIndex_ == kNoFailure && opened_ != names_.size()) {
    assert(false && "not every announced level file was built");
    failAt(opened_, names_[opened_], kOutOfOrder);  // every file opened was announced
  }
  if (failedIndex_ == kNoFailure) moveIntoPlace();
  const bool installed = failedIndex_ == kNoFailure;
  if (!installed) removeTemporaries();
  lock_.release();
  if (installed) return true;
  if (lockTimedOut_) {
    problems.report(ProblemId::kLockTimeout, Problem::kNowhere,
                    options_.lockPatience.count() / 1000.0, level_);
  } else {
    // Only the map file's failure carries the old "FAILURE!!!" report.
    problems.report(
        failedIndex_ == 0 ? ProblemId::kMapFileNotWritten : ProblemId::kLevelFileNotWritten,
        Problem::kNowhere, failedName_, failedReason_);
  }
  return false;
}

}  // namespace ts
