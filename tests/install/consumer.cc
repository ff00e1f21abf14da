// Compiles a map file in memory through the installed public interface and checks the result:
// `tunnelsmith_consumer MAPFILE LEVEL` expects a valid level named LEVEL with no error and its
// six files, each under the level's name and not empty. Exit status 0 when all holds.
#include <tunnelsmith/compile.h>
#include <tunnelsmith/version.h>

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

namespace {

int failures = 0;

void expect(bool holds, const std::string& what) {
  if (!holds) {
    std::cout << "FAILED: " << what << '\n';
    ++failures;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: tunnelsmith_consumer MAPFILE LEVEL\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << "cannot read " << argv[1] << '\n';
    return 2;
  }
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const std::string level = argv[2];

  expect(tunnelsmith::version() == tunnelsmith::kVersion,
         "the library's version matches its header's");
  const tunnelsmith::CompileResult result = tunnelsmith::compileMap(text);
  std::cout << "Tunnelsmith " << tunnelsmith::version() << " compiled " << argv[1] << ": "
            << (result.valid ? "valid" : "rejected") << ", " << result.problems.size()
            << " problems\n"
            << result.console;
  expect(result.valid, "the level is valid");
  for (const tunnelsmith::Problem& problem : result.problems) {
    expect(problem.severity != tunnelsmith::Severity::kError, "no error: " + problem.name);
  }

  const std::vector<std::string> expected = {level + "Map.kld",       level + "Triggers.kld",
                                             level + "Things.kld",    level + "Players.kld",
                                             level + "Variables.kld", level + ".kwd"};
  expect(result.files.size() == expected.size(), "six level files");
  for (std::size_t i = 0; i < result.files.size() && i < expected.size(); ++i) {
    const tunnelsmith::LevelFile& file = result.files[i];
    std::cout << "  " << file.name << ": " << file.bytes.size() << " bytes\n";
    expect(file.name == expected[i], "file " + std::to_string(i + 1) + " is " + expected[i]);
    expect(!file.bytes.empty(), file.name + " is not empty");
  }
  std::cout << (failures == 0 ? "ok\n" : "failed\n");
  return failures == 0 ? 0 : 1;
}
