#include "fix.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>

#include "base/file_system.h"

namespace ts::check {

namespace {

struct Taken {
  std::size_t end = 0;
  std::size_t diagnostic = 0;
  const Edit* edit = nullptr;
  bool first = false;  // the first edit of its diagnostic
};

// Two edits clash when their ranges overlap or they start at the same offset (two insertions
// there would leave their order to chance).
bool clash(std::size_t start, std::size_t end, std::size_t otherStart, std::size_t otherEnd) {
  return start == otherStart || (start < otherEnd && otherStart < end);
}

// True when [start, end) clashes with an edit already taken; the taken edits never overlap, so
// only the neighbours of `start` need a look.
bool clashes(const std::map<std::size_t, Taken>& taken, std::size_t start, std::size_t end) {
  const auto next = taken.lower_bound(start);
  if (next != taken.end() && clash(start, end, next->first, next->second.end)) return true;
  return next != taken.begin() && start < std::prev(next)->second.end;
}

bool fits(std::string_view text, const Edit& e) {
  return e.offset <= text.size() && e.length <= text.size() - e.offset;
}

}  // namespace

FixedText applyFixes(std::string_view text, const std::vector<Diagnostic>& diagnostics) {
  FixedText fixed;
  std::map<std::size_t, Taken> taken;
  for (std::size_t i = 0; i < diagnostics.size(); ++i) {
    const std::vector<Edit>& edits = diagnostics[i].fixes;
    if (edits.empty()) continue;
    bool free = true;
    for (std::size_t j = 0; free && j < edits.size(); ++j) {
      const Edit& e = edits[j];
      free = fits(text, e) && !clashes(taken, e.offset, e.offset + e.length);
      for (std::size_t k = 0; free && k < j; ++k) {
        free = !clash(e.offset, e.offset + e.length, edits[k].offset,
                      edits[k].offset + edits[k].length);
      }
    }
    if (!free) {
      ++fixed.skipped;
      continue;
    }
    for (std::size_t j = 0; j < edits.size(); ++j) {
      taken[edits[j].offset] = {edits[j].offset + edits[j].length, i, &edits[j], j == 0};
    }
    fixed.applied.push_back({i, 0, 0});
  }

  std::map<std::size_t, AppliedFix*> firstEdits;
  for (AppliedFix& a : fixed.applied) firstEdits[a.diagnostic] = &a;
  std::size_t from = 0;
  for (const auto& [start, t] : taken) {
    fixed.text.append(text.substr(from, start - from));
    if (t.first) {
      firstEdits[t.diagnostic]->offset = fixed.text.size();
      firstEdits[t.diagnostic]->length = t.edit->replacement.size();
    }
    fixed.text += t.edit->replacement;
    from = t.end;
  }
  fixed.text.append(text.substr(from));
  return fixed;
}

std::vector<Diagnostic> fixNotes(const FixedText& fixed,
                                 const std::vector<Diagnostic>& diagnostics) {
  std::vector<Diagnostic> notes;
  for (const AppliedFix& a : fixed.applied) {
    const std::string_view text = fixed.text;
    const std::size_t lineStart = a.offset == 0 ? 0 : text.rfind('\n', a.offset - 1) + 1;
    Diagnostic note;
    note.line = 1 + static_cast<std::size_t>(std::count(
                        text.begin(), text.begin() + static_cast<std::ptrdiff_t>(lineStart), '\n'));
    note.column = a.offset - lineStart + 1;
    const std::string_view replacement = text.substr(a.offset, a.length);
    const std::size_t onLine = std::min(replacement.find('\n'), replacement.size());
    note.endColumn = onLine > 1 ? note.column + onLine : 0;
    note.severity = Severity::kNote;
    note.id = "fixed";
    note.text = "fixed: " + diagnostics[a.diagnostic].text;
    notes.push_back(std::move(note));
  }
  return notes;
}

bool rewriteMap(const std::string& path, std::string_view original, std::string_view text,
                bool backup, std::string& reason) {
  std::optional<std::filesystem::perms> permissions;
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(files::pathOf(path), error);
  if (!error) permissions = status.permissions();
  if (backup && !files::replaceFile(path + ".orig", original, permissions, reason)) return false;
  return files::replaceFile(path, text, permissions, reason);
}

}  // namespace ts::check
