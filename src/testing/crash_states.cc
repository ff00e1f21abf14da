#include "testing/crash_states.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace ts::testing {

// ---- Recording -----------------------------------------------------------------------------

std::string RecordingOperations::nameOf(const std::string& path) const {
  const std::string prefix = folder_.back() == '/' ? folder_ : folder_ + "/";
  if (path.compare(0, prefix.size(), prefix) != 0) {
    ADD_FAILURE() << "a change outside the recorded folder: " << path;
    return path;
  }
  return path.substr(prefix.size());
}

void RecordingOperations::step(std::string_view name) {
  FileOperation op;
  op.kind = FileOperation::Kind::kStep;
  op.name = name;
  log_.push_back(std::move(op));
}

files::Operations::Created RecordingOperations::create(const std::string& path, std::intptr_t& file,
                                                       std::string& reason) {
  const Created created = files::systemOperations().create(path, file, reason);
  if (created == Created::kCreated) {
    open_[file] = created_;
    FileOperation op;
    op.kind = FileOperation::Kind::kCreate;
    op.file = created_++;
    op.name = nameOf(path);
    log_.push_back(std::move(op));
  }
  return created;
}

bool RecordingOperations::write(std::intptr_t file, const std::uint8_t* data, std::size_t size,
                                std::string& reason) {
  if (!files::systemOperations().write(file, data, size, reason)) return false;
  FileOperation op;
  op.kind = FileOperation::Kind::kWrite;
  op.file = open_.at(file);
  op.bytes.assign(reinterpret_cast<const char*>(data), size);
  log_.push_back(std::move(op));
  return true;
}

bool RecordingOperations::flush(std::intptr_t file, std::string& reason) {
  if (skipFlushes) return true;
  if (!files::systemOperations().flush(file, reason)) return false;
  FileOperation op;
  op.kind = FileOperation::Kind::kFlush;
  op.file = open_.at(file);
  log_.push_back(std::move(op));
  return true;
}

bool RecordingOperations::close(std::intptr_t file, std::string& reason) {
  open_.erase(file);
  return files::systemOperations().close(file, reason);
}

bool RecordingOperations::move(const std::string& from, const std::string& to,
                               std::string& reason) {
  if (!refuseMoveTo.empty() && nameOf(to) == refuseMoveTo) {
    refuseMoveTo.clear();
    reason = "refused by the test";
    return false;
  }
  if (!files::systemOperations().move(from, to, reason)) return false;
  FileOperation op;
  op.kind = FileOperation::Kind::kMove;
  op.name = nameOf(from);
  op.to = nameOf(to);
  log_.push_back(std::move(op));
  return true;
}

bool RecordingOperations::remove(const std::string& path) {
  if (!files::systemOperations().remove(path)) return false;
  FileOperation op;
  op.kind = FileOperation::Kind::kRemove;
  op.name = nameOf(path);
  log_.push_back(std::move(op));
  return true;
}

bool RecordingOperations::flushFolder(const std::string& folder, std::string& reason) {
  if (skipFlushes) return true;
  if (folder != folder_) ADD_FAILURE() << "a flush of another folder: " << folder;
  if (!files::systemOperations().flushFolder(folder, reason)) return false;
  FileOperation op;
  op.kind = FileOperation::Kind::kFlushFolder;
  log_.push_back(std::move(op));
  return true;
}

// ---- Crash states --------------------------------------------------------------------------
//
// The model, conservative where file systems differ:
// - A file's bytes reach the disk when that file is flushed. Bytes written since its last flush
//   may be lost, kept whole, or kept in part (a first part: the writers only append). Each
//   state cuts every such file the same way (lost, half kept, whole), or loses or halves one
//   of them while the others are whole: a fault of order shows in a single file already,
//   and every combination would grow as 3^n in a run without flushes.
// - A name changes when a file is created, moved or removed, and the change reaches the disk
//   when the folder is flushed. Of the changes since the last folder flush, a state keeps a
//   first part in their order (as file systems that log changes to names keep them), or such
//   a first part with any one change left out (as others may). One change left out is the
//   least loss that breaks an order the writer relies on; more holes only combine losses that
//   each show alone, while every subset would grow as 2^n.
// - What was flushed stays. A move or removal whose file is missing in a state (its creation
//   was lost) changes nothing there.

namespace {

using Kind = FileOperation::Kind;

struct Contents {
  std::string name;        // the name it was created under
  std::string bytes;       // everything written
  std::size_t onDisk = 0;  // how much of it was flushed
};

// Each name with the file it names (an index into the contents).
using Names = std::map<std::string, std::size_t>;

void change(Names& names, const FileOperation& op, const std::vector<std::size_t>& contentsOf) {
  switch (op.kind) {
    case Kind::kCreate:
      names[op.name] = contentsOf[op.file];
      break;
    case Kind::kMove:
      if (const auto from = names.find(op.name); from != names.end()) {
        const std::size_t moved = from->second;
        names.erase(from);
        names[op.to] = moved;
      }
      break;
    case Kind::kRemove:
      names.erase(op.name);
      break;
    default:
      break;
  }
}

std::string describe(const FileOperation& op, const std::vector<std::string>& createdAs) {
  switch (op.kind) {
    case Kind::kCreate:
      return "create " + op.name;
    case Kind::kWrite:
      return "write " + std::to_string(op.bytes.size()) + " bytes to " + createdAs[op.file];
    case Kind::kFlush:
      return "flush " + createdAs[op.file];
    case Kind::kMove:
      return "move " + op.name + " to " + op.to;
    case Kind::kRemove:
      return "remove " + op.name;
    case Kind::kFlushFolder:
      return "flush the folder";
    case Kind::kStep:
      break;
  }
  return op.name;
}

// How much of each file's bytes a state keeps, named.
struct Cut {
  std::string what;
  std::vector<std::size_t> kept;
};

std::vector<Cut> cuts(const std::vector<Contents>& contents) {
  std::vector<std::size_t> unflushed;
  for (std::size_t i = 0; i < contents.size(); ++i) {
    if (contents[i].onDisk < contents[i].bytes.size()) unflushed.push_back(i);
  }
  auto lost = [&](std::size_t i) { return contents[i].onDisk; };
  auto half = [&](std::size_t i) {
    return contents[i].onDisk + (contents[i].bytes.size() - contents[i].onDisk) / 2;
  };
  std::vector<std::size_t> whole;
  for (const Contents& c : contents) whole.push_back(c.bytes.size());
  std::vector<Cut> out{{"unflushed bytes kept", whole}};
  if (unflushed.empty()) return out;
  Cut allLost{"unflushed bytes lost", whole};
  Cut allHalf{"half of the unflushed bytes kept", whole};
  for (std::size_t i : unflushed) {
    allLost.kept[i] = lost(i);
    allHalf.kept[i] = half(i);
  }
  out.push_back(allLost);
  out.push_back(allHalf);
  if (unflushed.size() > 1) {
    for (std::size_t i : unflushed) {
      Cut one{"unflushed bytes of " + contents[i].name + " lost, the others' kept", whole};
      one.kept[i] = lost(i);
      out.push_back(one);
      one.what = "unflushed bytes of " + contents[i].name + " halved, the others' kept";
      one.kept[i] = half(i);
      out.push_back(one);
    }
  }
  return out;
}

}  // namespace

FolderFiles afterOperations(const FolderFiles& start, const std::vector<FileOperation>& log,
                            std::size_t count) {
  std::vector<Contents> contents;
  Names names;
  for (const auto& [name, bytes] : start) {
    names[name] = contents.size();
    contents.push_back({name, bytes, bytes.size()});
  }
  std::vector<std::size_t> contentsOf;
  for (std::size_t i = 0; i < count && i < log.size(); ++i) {
    const FileOperation& op = log[i];
    if (op.kind == Kind::kCreate) {
      contentsOf.push_back(contents.size());
      contents.push_back({op.name, {}, 0});
    } else if (op.kind == Kind::kWrite) {
      contents[contentsOf[op.file]].bytes += op.bytes;
    }
    change(names, op, contentsOf);
  }
  FolderFiles files;
  for (const auto& [name, index] : names) files[name] = contents[index].bytes;
  return files;
}

std::size_t throughStep(const std::vector<FileOperation>& log, std::string_view step) {
  for (std::size_t i = 0; i < log.size(); ++i) {
    if (log[i].kind == Kind::kStep && log[i].name == step) return i + 1;
  }
  ADD_FAILURE() << "no step " << step;
  return log.size();
}

namespace {

// Replays a run's log and offers every state a power loss could leave after each operation.
class CrashStates {
 public:
  CrashStates(const FolderFiles& start, const std::function<bool(const CrashState&)>& visit)
      : visit_(visit) {
    for (const auto& [name, bytes] : start) {
      onDisk_[name] = contents_.size();
      contents_.push_back({name, bytes, bytes.size()});
    }
  }

  // Offers the states of the whole log; returns how many different states there were.
  std::size_t run(const std::vector<FileOperation>& log) {
    std::string lastStep = "before the first step";
    if (!crash("crash before the run", log.empty())) return seen_.size();
    for (std::size_t at = 0; at < log.size(); ++at) {
      const FileOperation& op = log[at];
      if (op.kind == Kind::kStep) lastStep = op.name;
      apply(op);
      const bool atEnd = at + 1 == log.size();
      if (op.kind == Kind::kStep && !atEnd) continue;  // nothing changed
      const std::string after =
          op.kind == Kind::kStep ? "step \"" + op.name + "\""
                                 : describe(op, createdAs_) + " (after step \"" + lastStep + "\")";
      if (!crash("crash after " + after, atEnd)) break;
    }
    return seen_.size();
  }

 private:
  // A state is known by each name's file and how much of it is kept.
  using Key = std::map<std::string, std::pair<std::size_t, std::size_t>>;

  // What the operation changes: data and names are pending until flushed.
  void apply(const FileOperation& op) {
    switch (op.kind) {
      case Kind::kStep:
        break;
      case Kind::kCreate:
        contentsOf_.push_back(contents_.size());
        createdAs_.push_back(op.name);
        contents_.push_back({op.name, {}, 0});
        pending_.push_back(&op);
        break;
      case Kind::kWrite:
        contents_[contentsOf_[op.file]].bytes += op.bytes;
        break;
      case Kind::kFlush:
        contents_[contentsOf_[op.file]].onDisk = contents_[contentsOf_[op.file]].bytes.size();
        break;
      case Kind::kMove:
      case Kind::kRemove:
        pending_.push_back(&op);
        break;
      case Kind::kFlushFolder:
        for (const FileOperation* done : pending_) change(onDisk_, *done, contentsOf_);
        pending_.clear();
        break;
    }
  }

  // Offers each state a power loss now could leave: the first `kept` pending name changes but
  // the one at `hole` (none when hole == kept), with each cut of the unflushed data. False
  // once the visitor has had enough.
  bool crash(const std::string& when, bool atEnd) {
    const std::vector<Cut> dataCuts = cuts(contents_);
    for (std::size_t kept = 0; kept <= pending_.size(); ++kept) {
      for (std::size_t hole = 0; hole <= kept; ++hole) {
        Names names = onDisk_;
        for (std::size_t i = 0; i < kept; ++i) {
          if (i != hole) change(names, *pending_[i], contentsOf_);
        }
        for (const Cut& cut : dataCuts) {
          if (!offer(names, cut, describeState(when, kept, hole, cut), atEnd)) return false;
        }
      }
    }
    return true;
  }

  [[nodiscard]] std::string describeState(const std::string& when, std::size_t kept,
                                          std::size_t hole, const Cut& cut) const {
    std::string text = when + "; " + std::to_string(kept) + " of " +
                       std::to_string(pending_.size()) + " unflushed name changes kept";
    if (hole < kept) text += " but " + describe(*pending_[hole], createdAs_);
    return text + "; " + cut.what;
  }

  // Offers the state once: a state seen before is offered again only as the end state.
  bool offer(const Names& names, const Cut& cut, std::string when, bool atEnd) {
    Key key;
    for (const auto& [name, index] : names) key[name] = {index, cut.kept[index]};
    const bool unseen = seen_.insert(key).second;
    if (atEnd ? !seenAtEnd_.insert(std::move(key)).second : !unseen) return true;
    CrashState state;
    state.atEnd = atEnd;
    state.when = std::move(when);
    for (const auto& [name, index] : names) {
      state.files[name] = contents_[index].bytes.substr(0, cut.kept[index]);
    }
    return visit_(state);
  }

  const std::function<bool(const CrashState&)>& visit_;
  std::vector<Contents> contents_;
  Names onDisk_;                         // as of the last folder flush
  std::vector<std::size_t> contentsOf_;  // by file number
  std::vector<std::string> createdAs_;   // by file number
  std::vector<const FileOperation*> pending_;
  std::set<Key> seen_;
  std::set<Key> seenAtEnd_;
};

}  // namespace

std::size_t forEachCrashState(const FolderFiles& start, const std::vector<FileOperation>& log,
                              const std::function<bool(const CrashState&)>& visit) {
  return CrashStates(start, visit).run(log);
}

}  // namespace ts::testing
