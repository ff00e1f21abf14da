// What every public entry point shares: no exception crosses the library's boundary, and the
// engines' severities become the public ones.
#pragma once

#include <exception>
#include <string>
#include <string_view>

#include "model/problems.h"
#include "tunnelsmith/compile.h"

namespace tunnelsmith::detail {

// The name of the problem a failure inside the library (running out of memory) becomes.
inline constexpr std::string_view kInternalError = "internal-error";

// Runs `body`; an exception it throws becomes `fail(what)`, a result saying what went wrong.
// Should even that throw, the result is an empty value.
template <typename Body, typename Fail>
auto guarded(Body&& body, Fail&& fail) noexcept -> decltype(body()) {
  try {
    return body();
  } catch (const std::exception& e) {
    try {
      return fail(std::string("internal error: ") + e.what());
    } catch (...) {
    }
  } catch (...) {
    try {
      return fail(std::string("internal error"));
    } catch (...) {
    }
  }
  return {};
}

[[nodiscard]] constexpr Severity publicSeverity(ts::Severity severity) {
  switch (severity) {
    case ts::Severity::kError:
      return Severity::kError;
    case ts::Severity::kWarning:
      return Severity::kWarning;
    case ts::Severity::kNote:
      return Severity::kNote;
  }
  return Severity::kError;
}

}  // namespace tunnelsmith::detail
