// Times the in-memory compile of map files through the public library, for comparing builds of
// it (native and WebAssembly): `tunnelsmith-compile-timer RUNS MAP...` prints, per map, the
// median of RUNS compiles in milliseconds. The text is read once, before the timing.
#include <tunnelsmith/compile.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  const int runs = argc > 2 ? std::atoi(argv[1]) : 0;
  if (runs <= 0) {
    std::fputs("usage: tunnelsmith-compile-timer RUNS MAP...\n", stderr);
    return 2;
  }
  int status = 0;
  for (int i = 2; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<double> times;
    bool valid = true;
    for (int run = 0; run < runs; ++run) {
      const auto start = std::chrono::steady_clock::now();
      const tunnelsmith::CompileResult result = tunnelsmith::compileMap(text);
      const std::chrono::duration<double, std::milli> took =
          std::chrono::steady_clock::now() - start;
      times.push_back(took.count());
      valid = valid && result.valid;
    }
    std::sort(times.begin(), times.end());
    std::printf("%s %.2f%s\n", argv[i], times[times.size() / 2], valid ? "" : " (not valid)");
    if (!valid) status = 1;
  }
  return status;
}
