#include "analysis/grouping.h"

#include <string_view>
#include <utility>

namespace ts::check {

std::string withThousands(std::size_t n) {
  std::string digits = std::to_string(n);
  for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
  return digits;
}

namespace {

// A diagnostic's kind as an index: its identifier (the checker's, or else the compiler's) and its
// severity, so that a warning never hides an error. The identifiers name the kinds one to one.
std::size_t kindIndex(CheckId check, ProblemId problem, Severity severity) {
  constexpr std::size_t kChecks = static_cast<std::size_t>(CheckId::kCount);
  const std::size_t id = check != CheckId::kNone ? static_cast<std::size_t>(check)
                                                 : kChecks + static_cast<std::size_t>(problem);
  return id * 3 + static_cast<std::size_t>(severity);
}

constexpr std::size_t kKinds =
    (static_cast<std::size_t>(CheckId::kCount) + static_cast<std::size_t>(ProblemId::kCount) + 1) *
    3;

// One diagnostic as grouping sees it: whole, or brief.
struct Item {
  const Diagnostic* whole;
  const BriefDiagnostic* brief;

  [[nodiscard]] std::size_t kind() const {
    return whole != nullptr ? kindIndex(whole->check, whole->problem, whole->severity)
                            : kindIndex(brief->check, ProblemId::kCount, brief->severity);
  }
  [[nodiscard]] Diagnostic diagnostic() const {
    if (whole != nullptr) return *whole;
    Diagnostic d;
    d.span = brief->span;
    d.severity = brief->severity;
    d.check = brief->check;
    return d;
  }
};

// The whole and the brief diagnostics in the order of the text; at one place, the whole first.
template <class Visit>
void inOrder(const std::vector<Diagnostic>& whole, const std::vector<BriefDiagnostic>& brief,
             Visit visit) {
  std::size_t b = 0;
  for (const Diagnostic& d : whole) {
    for (; b < brief.size() && brief[b].span.start < d.span.start; ++b) {
      visit(Item{nullptr, &brief[b]});
    }
    visit(Item{&d, nullptr});
  }
  for (; b < brief.size(); ++b) visit(Item{nullptr, &brief[b]});
}

std::vector<Diagnostic> groupedItems(const std::vector<Diagnostic>& whole,
                                     const std::vector<BriefDiagnostic>& brief, std::size_t shown) {
  std::vector<Diagnostic> out;
  if (shown == 0) {
    inOrder(whole, brief, [&](const Item& item) { out.push_back(item.diagnostic()); });
    return out;
  }
  std::vector<std::size_t> total(kKinds);
  inOrder(whole, brief, [&](const Item& item) { ++total[item.kind()]; });
  std::vector<std::size_t> seen(kKinds);
  inOrder(whole, brief, [&](const Item& item) {
    const std::size_t kind = item.kind();
    const std::size_t all = total[kind];
    const std::size_t place = seen[kind]++;
    if (all <= shown + 1 || place < shown) {
      out.push_back(item.diagnostic());
      return;
    }
    if (place > shown) return;
    const Diagnostic d = item.diagnostic();
    Diagnostic more;
    more.span = d.span;
    more.severity = Severity::kNote;
    more.check = CheckId::kMoreOfOneKind;
    more.text = "and " + withThousands(all - shown) + " more " + std::string(d.name()) + " " +
                std::string(severityName(d.severity)) + "s";
    out.push_back(std::move(more));
  });
  return out;
}

}  // namespace

std::vector<Diagnostic> grouped(const std::vector<Diagnostic>& diagnostics, std::size_t shown) {
  return groupedItems(diagnostics, {}, shown);
}

std::vector<Diagnostic> grouped(const MapAnalysis& analysis, std::size_t shown) {
  return groupedItems(analysis.diagnostics, analysis.brief, shown);
}

}  // namespace ts::check
