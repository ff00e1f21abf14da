// Linked into every program on Windows (see CMakeLists.txt): standard input, output and error
// pass bytes through unchanged, so that a program writes "\n" as the one byte it is on every
// other system, and its console text and files are the same everywhere.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <initializer_list>

namespace {

[[maybe_unused]] const bool kBinaryStandardStreams = [] {
  for (std::FILE* stream : {stdin, stdout, stderr}) _setmode(_fileno(stream), _O_BINARY);
  return true;
}();

}  // namespace
