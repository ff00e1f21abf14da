#include "analysis/grouping.h"

#include <map>
#include <string_view>
#include <utility>

namespace ts::check {

std::string withThousands(std::size_t n) {
  std::string digits = std::to_string(n);
  for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
  return digits;
}

std::vector<Diagnostic> grouped(const std::vector<Diagnostic>& diagnostics, std::size_t shown) {
  if (shown == 0) return diagnostics;
  // A kind is its identifier and its severity: a warning never hides an error.
  using Kind = std::pair<std::string_view, Severity>;
  std::map<Kind, std::size_t> total;
  for (const Diagnostic& d : diagnostics) ++total[{d.name(), d.severity}];
  std::map<Kind, std::size_t> seen;
  std::vector<Diagnostic> out;
  for (const Diagnostic& d : diagnostics) {
    const Kind kind{d.name(), d.severity};
    const std::size_t all = total[kind];
    const std::size_t place = seen[kind]++;
    if (all <= shown + 1 || place < shown) {
      out.push_back(d);
      continue;
    }
    if (place > shown) continue;
    Diagnostic more;
    more.span = d.span;
    more.severity = Severity::kNote;
    more.check = CheckId::kMoreOfOneKind;
    more.text = "and " + withThousands(all - shown) + " more " + std::string(d.name()) + " " +
                std::string(severityName(d.severity)) + "s";
    out.push_back(std::move(more));
  }
  return out;
}

}  // namespace ts::check
