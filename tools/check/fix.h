// --fix: rewrites a map in place with the fixed text.
#pragma once

#include <string>
#include <string_view>

namespace ts::check {

// Replaces the file at `path` by `text`: written to a new file beside it, which is then renamed
// over it, so the map is either the old text or the new one, and a link at `path` is replaced,
// never written through. With `backup`, the old text `original` is kept as `path`.orig first.
// False, with the reason, when the map is left as it was.
[[nodiscard]] bool rewriteMap(const std::string& path, std::string_view original,
                              std::string_view text, bool backup, std::string& reason);

}  // namespace ts::check
