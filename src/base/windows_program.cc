// Linked into every program on Windows (see CMakeLists.txt): standard input, output and error
// pass bytes through unchanged, so that a program writes "\n" as the one byte it is on every
// other system, and its console text and files are the same everywhere. A console shows the
// checker's colours (ANSI escape sequences) as a terminal does.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <initializer_list>

namespace {

[[maybe_unused]] const bool kBinaryStandardStreams = [] {
  for (std::FILE* stream : {stdin, stdout, stderr}) _setmode(_fileno(stream), _O_BINARY);
  for (const DWORD which : {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
    const HANDLE console = ::GetStdHandle(which);
    DWORD mode = 0;
    if (::GetConsoleMode(console, &mode) != 0) {
      ::SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    }
  }
  return true;
}();

}  // namespace
