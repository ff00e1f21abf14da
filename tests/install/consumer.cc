// Uses every entry point of the installed public interface on one map file:
// `tunnelsmith_consumer MAPFILE LEVEL` compiles the map (a valid level named LEVEL, six files
// under the level's name), checks a broken copy of it and applies the fixes (which give the map
// back), inspects and diffs the compiled files, decompiles them (the text compiles to the same
// bytes) and lists a vocabulary. Exit status 0 when all holds.
#include <tunnelsmith/tunnelsmith.h>

#include <array>
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

void compileAndInspect(const std::string& text, const std::string& level) {
  const tunnelsmith::CompileResult result = tunnelsmith::compileMap(text);
  std::cout << "compiled: " << (result.valid ? "valid" : "rejected") << ", "
            << result.problems.size() << " problems\n"
            << result.console;
  expect(result.valid, "the level is valid");
  for (const tunnelsmith::Problem& problem : result.problems) {
    expect(problem.severity != tunnelsmith::Severity::kError, "no error: " + problem.name);
  }
  const std::vector<std::string> expected = {level + "Map.kld",       level + "Triggers.kld",
                                             level + "Things.kld",    level + "Players.kld",
                                             level + "Variables.kld", level + ".kwd"};
  expect(result.files.size() == expected.size(), "six level files");
  if (result.files.size() != expected.size()) return;
  for (std::size_t i = 0; i < result.files.size(); ++i) {
    const tunnelsmith::LevelFile& file = result.files[i];
    const tunnelsmith::Inspection inspection = tunnelsmith::inspectLevelFile(file.bytes);
    std::cout << "  " << file.name << ": " << file.bytes.size() << " bytes, "
              << tunnelsmith::fileKindName(inspection.kind) << " file, "
              << inspection.records.size() << " records\n";
    expect(file.name == expected[i], "file " + std::to_string(i + 1) + " is " + expected[i]);
    expect(inspection.wellFormed() && inspection.length == file.bytes.size(),
           file.name + " is well-formed");
    expect(tunnelsmith::diffLevelFiles(file.bytes, file.bytes).identical,
           file.name + " is identical to itself");
  }
  // One creature's level changed: the things files differ in that field alone.
  std::string changed = text;
  const std::size_t at = changed.find(" L4 ");
  expect(at != std::string::npos, "the map has a creature of level 4");
  if (at == std::string::npos) return;
  changed.replace(at, 4, " L5 ");
  const tunnelsmith::CompileResult other = tunnelsmith::compileMap(changed);
  expect(other.files.size() == 6, "the changed map compiles");
  if (other.files.size() != 6) return;
  const tunnelsmith::LevelFileDiff diff =
      tunnelsmith::diffLevelFiles(result.files[2].bytes, other.files[2].bytes);
  expect(!diff.identical && diff.differences.size() == 1 && diff.differences[0].field == "level",
         "the things files differ in one creature's level");
  for (const tunnelsmith::Difference& d : diff.differences) {
    std::cout << "  differs: " << d.label << ' ' << d.field << '\n';
  }

  const tunnelsmith::Decompilation decompiled = tunnelsmith::decompileLevel(result.files);
  expect(decompiled.exact() && !decompiled.damaged, "the files decompile exactly");
  const tunnelsmith::CompileResult again = tunnelsmith::compileMap(decompiled.text);
  bool same = again.files.size() == result.files.size();
  for (std::size_t i = 0; same && i < again.files.size(); ++i) {
    same = again.files[i].bytes == result.files[i].bytes;
  }
  expect(same, "the decompiled text compiles to the same six files");
}

void checkAndFix(const std::string& text) {
  std::string broken = text;
  const std::size_t at = broken.find("\nCREATURES\n");
  expect(at != std::string::npos, "the map has a CREATURES section");
  if (at == std::string::npos) return;
  broken.insert(at + 10, " ");  // a blank after the keyword
  const tunnelsmith::CheckResult checked = tunnelsmith::checkMap(broken);
  const tunnelsmith::TextLines lines(broken);
  for (const tunnelsmith::Diagnostic& d : checked.diagnostics) {
    const tunnelsmith::TextPosition where = lines.positionOf(d.span.start);
    std::cout << "checked: " << where.line << ':' << where.column << ": " << d.id << ": "
              << d.message << " (" << d.fixes.size() << " fixes)\n";
  }
  expect(checked.errors == 1 && !checked.diagnostics.empty() &&
             checked.diagnostics[0].id == "keyword-with-blanks",
         "the blank is an error");
  const tunnelsmith::FixResult fixed = tunnelsmith::applyFixes(broken, checked.diagnostics);
  expect(fixed.applied == 1 && fixed.text == text, "the fix gives the map back");
  expect(tunnelsmith::checkMap(text).errors == 0, "the map itself has no error");
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
  std::cout << "Tunnelsmith " << tunnelsmith::version() << ", " << argv[1] << '\n';
  expect(tunnelsmith::version() == tunnelsmith::kVersion,
         "the library's version matches its header's");

  compileAndInspect(text, argv[2]);
  checkAndFix(text);
  const tunnelsmith::Vocabulary vocabulary = tunnelsmith::vocabulary();
  std::cout << "creatures:";
  for (const tunnelsmith::NamedValue& creature : vocabulary.creatures) {
    std::cout << ' ' << creature.name;
  }
  std::cout << '\n';
  expect(vocabulary.creatures.size() > 10 && vocabulary.terrains.size() > 10,
         "the vocabularies are listed");
  const tunnelsmith::Outline outline = tunnelsmith::outlineMap(text);
  std::cout << "outline: " << outline.sections.size() << " sections, " << outline.entries.size()
            << " entries\n";
  expect(outline.levelName == argv[2] && !outline.entries.empty() &&
             outline.grid.terrain.size() ==
                 static_cast<std::size_t>(outline.grid.width) * outline.grid.height,
         "the outline holds the level's entries and every square's terrain");

  std::cout << (failures == 0 ? "ok\n" : "failed\n");
  return failures == 0 ? 0 : 1;
}
