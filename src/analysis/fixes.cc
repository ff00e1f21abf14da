#include "analysis/fixes.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>

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
    const std::string_view replacement = std::string_view(fixed.text).substr(a.offset, a.length);
    const std::size_t onLine = std::min(replacement.find('\n'), replacement.size());
    Diagnostic note;
    note.span = {a.offset, onLine > 1 ? a.offset + onLine : a.offset};
    note.severity = Severity::kNote;
    note.check = CheckId::kFixed;
    note.text = "fixed: " + diagnostics[a.diagnostic].text;
    notes.push_back(std::move(note));
  }
  return notes;
}

std::string readingChanged(const Trace& before, const Trace& after, const FixedText& fixed,
                           const std::vector<Diagnostic>& diagnostics) {
  // The edits applied, in the order of the text.
  std::map<std::size_t, const Edit*> edits;
  for (const AppliedFix& a : fixed.applied) {
    for (const Edit& e : diagnostics[a.diagnostic].fixes) edits[e.offset] = &e;
  }
  // What the fixed text reads, by where each word starts.
  std::map<std::size_t, std::pair<WordKind, Section>> read;
  for (const TraceEntry& e : after.entries) {
    for (std::size_t w = e.firstWord; w < e.firstWord + e.wordCount; ++w) {
      read[after.words[w].start] = {after.words[w].kind, e.section};
    }
  }
  for (const TraceEntry& e : before.entries) {
    for (std::size_t w = e.firstWord; w < e.firstWord + e.wordCount; ++w) {
      const TraceWord& word = before.words[w];
      std::ptrdiff_t shift = 0;
      bool edited = false;
      for (const auto& [offset, edit] : edits) {
        if (offset >= word.end) break;
        if (offset + edit->length > word.start) {
          edited = true;
          break;
        }
        shift += static_cast<std::ptrdiff_t>(edit->replacement.size()) -
                 static_cast<std::ptrdiff_t>(edit->length);
      }
      if (edited) continue;
      const auto it =
          read.find(static_cast<std::size_t>(static_cast<std::ptrdiff_t>(word.start) + shift));
      if (it == read.end() || it->second.first != word.kind || it->second.second != e.section) {
        return "the word at " + std::to_string(word.start) + " (" +
               std::string(keywordOf(e.section)) + ") is no longer read as it was";
      }
    }
  }
  return {};
}

}  // namespace ts::check
