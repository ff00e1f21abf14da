// The public decompiler (include/tunnelsmith/decompile.h): the decompile layer's text and
// findings, copied into the public values.
#include "tunnelsmith/decompile.h"

#include <span>
#include <string>
#include <utility>

#include "decompile/decompile.h"
#include "library/guarded.h"

namespace tunnelsmith {

namespace {

Decompilation failed(std::string message) {
  Decompilation result;
  result.findings.push_back({0, 0, std::move(message)});
  return result;
}

}  // namespace

Decompilation decompileLevel(const std::array<ByteView, 6>& files) {
  static_assert(std::tuple_size_v<ts::decompile::LevelBytes> == 6);
  return detail::guarded(
      [&] {
        ts::decompile::LevelBytes bytes;
        for (std::size_t f = 0; f < files.size(); ++f) {
          if (files[f].data != nullptr) bytes[f] = {files[f].data, files[f].size};
        }
        ts::decompile::Decompilation decompiled = ts::decompile::decompile(bytes);
        Decompilation result;
        result.text = std::move(decompiled.text);
        result.damaged = decompiled.damaged;
        result.findings.reserve(decompiled.findings.size());
        for (ts::decompile::Finding& f : decompiled.findings) {
          result.findings.push_back(
              {static_cast<std::size_t>(f.file), f.offset, std::move(f.message)});
        }
        return result;
      },
      failed);
}

Decompilation decompileLevel(const std::vector<LevelFile>& files) {
  if (files.size() != 6) {
    return detail::guarded(
        [&] { return failed("a level has six files, not " + std::to_string(files.size())); },
        failed);
  }
  return decompileLevel({files[0].bytes, files[1].bytes, files[2].bytes, files[3].bytes,
                         files[4].bytes, files[5].bytes});
}

}  // namespace tunnelsmith
