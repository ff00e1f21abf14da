// Comparing two builds: two map texts that differ in one token are compiled, and --diff must
// name exactly the fields that token changes. Comparing a file with a copy that has one byte
// changed: every byte counts, decoded or not.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli.h"
#include "decoding/diff.h"
#include "decoding/inspect_test_support.h"
#include "render/inspection_json.h"
#include "render_text.h"

namespace ts::inspect {
namespace {

using testing::readExample;
using testing::show;

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

// The differences between each of the six files compiled from two map texts.
std::vector<DiffResult> diffBuilds(const std::string& textA, const std::string& textB) {
  const CompileResult a = compileMap(textA);
  const CompileResult b = compileMap(textB);
  EXPECT_TRUE(a.valid && b.valid) << a.console << b.console;
  std::vector<DiffResult> results;
  for (std::size_t i = 0; i < a.files.size() && i < b.files.size(); ++i) {
    const Bytes& bytesA = a.files[i].bytes;
    const Bytes& bytesB = b.files[i].bytes;
    results.push_back(diff(inspect(bytesA), bytesA, inspect(bytesB), bytesB));
  }
  return results;
}

std::string listed(const DiffResult& r) {
  std::string text;
  for (const Difference& d : r.differences) {
    if (d.isByteRun()) {
      const ByteRange& run = d.bytesA ? *d.bytesA : *d.bytesB;
      text += d.label + " " + d.field + " bytes " + std::to_string(run.first) + ".." +
              std::to_string(run.last) +
              (!d.bytesB   ? " in A"
               : !d.bytesA ? " in B"
                           : "") +
              "\n";
      continue;
    }
    text += d.label + " " + d.field + ": " + (d.a ? show(&*d.a) : "-") + " -> " +
            (d.b ? show(&*d.b) : "-") + "\n";
  }
  return text;
}

constexpr std::size_t kThings = 2;  // the compiler's file order: map, triggers, things, ...

TEST(InspectDiffTest, OneChangedCreatureLevelIsTheOnlyDifference) {
  const std::string lair = readExample("lair1.txt");
  const auto results = diffBuilds(lair, replaced(lair, "KNIGHT 9 8 L5 PH", "KNIGHT 9 8 L6 PH"));
  ASSERT_EQ(results.size(), 6u);
  for (std::size_t i = 0; i < results.size(); ++i) {
    if (i != kThings) {
      EXPECT_TRUE(results[i].differences.empty()) << i << listed(results[i]);
    }
  }
  // The knight is the second creature: its record starts at 56 + 36 + 8.
  ASSERT_EQ(results[kThings].differences.size(), 1u) << listed(results[kThings]);
  const Difference& d = results[kThings].differences[0];
  EXPECT_EQ(d.label, "creature 2");
  EXPECT_EQ(d.field, "level");
  EXPECT_EQ(show(&*d.a), "L5");
  EXPECT_EQ(show(&*d.b), "L6");
  EXPECT_EQ(d.offsetA, std::optional<std::size_t>(100));
  EXPECT_EQ(d.offsetB, std::optional<std::size_t>(100));
}

// Records are named as a designer names them: players by keeper, triggers by their place in the
// TRIGGERS section (the file holds them in another order), actions under their trigger,
// variables by keeper and item, areas and structures by their gate, area or keeper.
TEST(InspectDiffTest, ChangesNameTheirRecordsAndFieldsInTheDesignersTerms) {
  const std::string lair = readExample("lair1.txt");
  const struct {
    const char* from;
    const char* to;
    std::size_t file;
    const char* differences;
  } kCases[] = {
      // A band member's level.
      {"DWARF L3", "DWARF L4", kThings, "hero band 1, member 2 level: L3 -> L4\n"},
      // A new first creature: one more element of 8 + 28 bytes; the others only move, and the
      // body chunk announces 36 bytes more (1618 is 0x652, 1654 is 0x676).
      {"CREATURES\n2\n", "CREATURES\n3\nIMP 4 4 L1 P1\n", kThings,
       "file size 1 length: 1674 -> 1710\n"
       "information 1 elements: 15 -> 16\n"
       "creature 1 : - -> -\n"
       "body chunk chunk size bytes 52..52\n"},
      // One square of row 1 from claimed floor to gold.
      {"#..........#\n#.1111", "#g.........#\n#.1111", 0,
       "square (1, 1) terrain: KPR1_CLAIMED_SQ -> GOLD\n"},
      // Keeper 2's gold, in the players file's fourth record.
      {"GOLD2 7000", "GOLD2 7500", 3, "keeper 2 gold: 7000 -> 7500\n"},
      // The time of the first trigger.
      {"TRIGGER_TIME 600", "TRIGGER_TIME 900", 1, "trigger 1 value: 600 -> 900\n"},
      // The second trigger of the section is the file's third trigger element.
      {"TRIGGER_CONTROL_AREA P1 1", "TRIGGER_CONTROL_AREA P2 1", 1, "trigger 2 player: P1 -> P2\n"},
      // The first trigger's second action, below the gate release the compiler adds.
      {"ACTION_ADD_ROOM P1 TEMPLE", "ACTION_ADD_ROOM P1 CASINO", 1,
       "trigger 1, action 2 item: TEMPLE -> CASINO\n"
       "trigger 1, action 3 item: TEMPLE -> CASINO\n"},
      {"CREATURE_COUNT P1 TROLL 5", "CREATURE_COUNT P1 TROLL 6", 4,
       "keeper 1 TROLL count count: 5 -> 6\n"},
      {"1 1 1 2 2", "1 1 1 2 3", kThings, "entrance area 1 bottom: 2 -> 3\n"},
      {"KPR2_HEART_CENTER 8 3", "KPR2_HEART_CENTER 8 4", kThings, "heart of keeper 2 y: 3 -> 4\n"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.to);
    const auto results = diffBuilds(lair, replaced(lair, c.from, c.to));
    ASSERT_GT(results.size(), c.file);
    EXPECT_EQ(listed(results[c.file]), c.differences);
  }

  // The tree calls the section's second trigger as the diff does, and says how once.
  const Inspection triggers = inspect(testing::compiledFile(lair, "Triggers.kld"));
  std::ostringstream tree;
  renderText("t", triggers, tree);
  EXPECT_NE(tree.str().find("\n    trigger 2: TRIGGER_CONTROL_AREA value=4 player=P1 next=3"),
            std::string::npos)
      << tree.str();
  EXPECT_NE(tree.str().find("\n        action 2 (id 65534): ADD player=P1"), std::string::npos)
      << tree.str();
  const std::string numbering = "the TRIGGERS section's triggers are 1, 2, 3";
  const std::size_t said = tree.str().find(numbering);
  EXPECT_NE(said, std::string::npos);
  EXPECT_EQ(tree.str().find(numbering, said + 1), std::string::npos) << "said once";
}

TEST(InspectDiffTest, ManyChangedSquaresAreCountedButListedOnlyUpToTheLimit) {
  const std::string lair = readExample("lair1.txt");
  // All 55 claimed squares change owner.
  const auto results = diffBuilds(lair, replaced(lair, ". KPR1_CLAIMED_SQ", ". KPR2_CLAIMED_SQ"));
  ASSERT_EQ(results.size(), 6u);
  EXPECT_EQ(results[0].squaresChanged, 55u);
  EXPECT_EQ(results[0].differences.size(), kMaxListedSquares);
}

// Whether `d` names the byte at `offset`: a changed field stored there, a run of bytes holding
// it, a changed square or a record found in one file only (which names its whole extent).
bool names(const Difference& d, std::size_t offset) {
  auto inRun = [offset](const std::optional<ByteRange>& r) {
    return r && r->first <= offset && offset <= r->last;
  };
  auto inField = [offset](const std::optional<Field>& f) {
    return f && f->offset <= offset && offset < f->offset + f->width;
  };
  return inRun(d.bytesA) || inRun(d.bytesB) || inField(d.a) || inField(d.b) ||
         d.record == "square" || (d.field.empty() && !d.isByteRun());
}

TEST(InspectDiffTest, EveryFlippedByteOfEveryFileIsNamed) {
  const CompileResult result = compileMap(readExample("lair1.txt"));
  ASSERT_EQ(result.files.size(), 6u);
  for (const LevelFile& f : result.files) {
    SCOPED_TRACE(f.name);
    const Inspection original = inspect(f.bytes);
    EXPECT_TRUE(diff(original, f.bytes, original, f.bytes).identical);
    // Every byte of the small files; of the others one in 13, which meets every place of their
    // 16-byte entries.
    const std::size_t step = f.bytes.size() > 2000 ? 13 : 1;
    for (std::size_t at = 0; at < f.bytes.size(); at += step) {
      Bytes flipped = f.bytes;
      flipped[at] ^= 0x10;
      const Inspection changed = inspect(flipped);
      if (changed.kind != original.kind) continue;  // the first chunk identifier
      const DiffResult r = diff(original, f.bytes, changed, flipped);
      EXPECT_FALSE(r.identical) << at;
      EXPECT_TRUE(std::any_of(r.differences.begin(), r.differences.end(),
                              [at](const Difference& d) { return names(d, at); }))
          << "byte " << at << " is not named:\n"
          << listed(r);
    }
  }
}

// Bytes that no field's value shows, in each kind of file: the run names exactly the changed
// byte by the field or slot that holds it and its place in the record or chunk.
TEST(InspectDiffTest, UndecodedBytesAreNamedByTheirFieldAndPlaceInTheRecord) {
  const CompileResult result = compileMap(readExample("lair1.txt"));
  const struct {
    const char* suffix;
    std::size_t at;
    const char* line;
  } kFlips[] = {
      // The high byte of the map information chunk's size: the file is damaged as well.
      {"Map.kld", 19, "map information chunk (A @12): chunk size (byte 7 of the chunk): 00 -> 01"},
      // An action holds two bytes nothing reads, after its links.
      {"Triggers.kld", 212 + 12,
       "trigger 1, action 1 (A @212): undecoded u8 (byte 12 of the record): 00 -> 01"},
      // A byte between creature 1's level and its creature id.
      {"Things.kld", 64 + 21,
       "creature 1 (A @64): undecoded u32 (byte 21 of the record): 00 -> 01"},
      // A gate's structure: the byte that tells gates from hearts.
      {"Things.kld", 1570 + 15,
       "structure of hero gate 1 (A @1570): flag (undecoded, byte 15 of the record): 01 -> 00"},
      {"Players.kld", 56 + 100,
       "hero player (A @56): template (undecoded, byte 100 of the record): 00 -> 01"},
      // A filler byte of the first date stamp, whose text does not show it.
      {"Variables.kld", 20 + 8 + 9, "information 1 (A @20): firstStamp (byte 17 of the record): "},
      {".kwd", 48 + 8 + 200, "level 1 (A @56): name (byte 200 of the record): 00 -> 01"},
  };
  for (const auto& flip : kFlips) {
    SCOPED_TRACE(flip.suffix);
    const Bytes bytes = testing::fileEndingWith(result, flip.suffix);
    Bytes flipped = bytes;
    flipped[flip.at] ^= 0x01;
    const Inspection a = inspect(bytes);
    const Inspection b = inspect(flipped);
    std::ostringstream text;
    renderDiffText("a", a, "b", b, diff(a, bytes, b, flipped), text);
    EXPECT_NE(text.str().find(std::string("\n") + flip.line), std::string::npos) << text.str();
  }
}

// Where a reader would guess wrong: the players file's x and y, and a record in one file only.
TEST(InspectWordingTest, PlayerPositionsAndRecordsInOneFileOnlySayWhatTheyAre) {
  const CompileResult result = compileMap(readExample("lair1.txt"));
  const Inspection players = inspect(testing::fileEndingWith(result, "Players.kld"));
  std::ostringstream text;
  renderText("p", players, text);
  const std::string note = "x and y are a screen position fixed by the keeper number";
  const std::size_t first = text.str().find(note);
  EXPECT_NE(first, std::string::npos) << text.str();
  EXPECT_EQ(text.str().find(note, first + 1), std::string::npos) << "said once per file";
  const Json document = toJson("p", players);
  for (const Json& r : document["records"]) {
    if (r["kind"] != "player") continue;
    EXPECT_TRUE(r["fields"]["x"].is_number());
    EXPECT_NE(r.value("note", "").find("not the keeper's heart square"), std::string::npos) << r;
  }

  const struct {
    const char* suffix;
    const char* kind;  // the first record of this kind is left out of B
    const char* description;
  } kCases[] = {
      {"Things.kld", "creature", "TROLL L4, keeper 1, at 3,3"},
      {"Things.kld", "object", "TH_BARREL, neutral, at 3,2"},
      {"Things.kld", "door", "WOODEN_DOOR, keeper 2, at 6,2, locked"},
      {"Things.kld", "trap", "TR_BOULDER, keeper 1, at 7,7"},
      {"Things.kld", "area", "hero gate 1, squares 9,6 to 10,7"},
      {"Things.kld", "hero band", "2 members, led by KNIGHT L5"},
      {"Triggers.kld", "trigger", "TRIGGER_TIME, id 1"},
      {"Triggers.kld", "action", "HERO_RELEASE, id 65535"},
      {"Players.kld", "player", "\"Good Player\", heroes"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.kind);
    const Inspection a = inspect(testing::fileEndingWith(result, c.suffix));
    Inspection b = a;
    b.records.erase(std::find_if(b.records.begin(), b.records.end(),
                                 [&c](const Record& r) { return r.kind == c.kind; }));
    const DiffResult r = diff(a, b);
    ASSERT_EQ(r.differences.size(), 1u) << listed(r);
    EXPECT_EQ(r.differences[0].description, c.description);
  }

  // A band member, in text and JSON.
  const Inspection a = inspect(testing::fileEndingWith(result, "Things.kld"));
  Inspection b = a;
  std::find_if(b.records.begin(), b.records.end(), [](const Record& r) {
    return r.kind == "hero band";
  })->parts.pop_back();
  const DiffResult r = diff(a, b);
  text.str("");
  renderDiffText("a", a, "b", b, r, text);
  EXPECT_NE(text.str().find("\nhero band 1, member 2 (DWARF L3): only in A @519\n"),
            std::string::npos)
      << text.str();
  EXPECT_EQ(diffToJson("a", a, "b", b, r)["differences"][0]["description"], "DWARF L3");
}

// The text and the JSON of a comparison.
std::string rendered(const Inspection& a, const Inspection& b, const DiffResult& r) {
  std::ostringstream text;
  renderDiffText("a", a, "b", b, r, text);
  return text.str() +
         diffToJson("a", a, "b", b, r).dump(1, ' ', false, Json::error_handler_t::replace);
}

// A copy of `bytes` with [at, at + count) taken out.
Bytes without(const Bytes& bytes, std::size_t at, std::size_t count) {
  Bytes out = bytes;
  out.erase(out.begin() + static_cast<std::ptrdiff_t>(at),
            out.begin() + static_cast<std::ptrdiff_t>(at + count));
  return out;
}

// A copy of `bytes` with `inserted` put in at `at`.
Bytes with(const Bytes& bytes, std::size_t at, const Bytes& inserted) {
  Bytes out = bytes;
  out.insert(out.begin() + static_cast<std::ptrdiff_t>(at), inserted.begin(), inserted.end());
  return out;
}

// A things file with `count` more creatures before its first, each a copy of the first one's
// element chunk with its level cycling through 1 to 10 (12 for the one at `changedAt`), so
// that the comparison has many records to align.
Bytes manyCreatures(const Bytes& things, std::size_t count, std::size_t changedAt = SIZE_MAX) {
  const Inspection in = inspect(things);
  const Chunk& body = in.chunks[2];
  const Record* first = testing::recordsOf(in, "creature").front();
  const std::size_t chunk = first->offset - 8;
  const Bytes element(things.begin() + static_cast<std::ptrdiff_t>(chunk),
                      things.begin() + static_cast<std::ptrdiff_t>(first->offset + first->size));
  const std::size_t level = first->find("level")->offset - chunk;
  Bytes copies;
  for (std::size_t k = 0; k < count; ++k) {
    Bytes e = element;
    e[level] = static_cast<std::uint8_t>(k == changedAt ? 12 : 1 + k % 10);
    copies.insert(copies.end(), e.begin(), e.end());
  }
  Bytes out = with(things, chunk, copies);
  storeU32(out.data() + body.offset + 4, static_cast<std::uint32_t>(body.size + copies.size()));
  return out;
}

// The streamed comparison says what the comparison of two whole inspections says, in text and
// JSON, for every kind of change: records changed, inserted and removed (aligned, or paired by
// position when too many lie between the equal ones), element and top-level chunks added and
// removed, bytes no field decodes, files cut short or longer, files of another level.
TEST(InspectDiffTest, TheStreamedComparisonSaysWhatTheWholeOneSays) {
  std::vector<std::pair<std::string, std::pair<Bytes, Bytes>>> cases;
  auto add = [&cases](std::string name, const Bytes& a, const Bytes& b) {
    cases.push_back({std::move(name), {a, b}});
  };
  const std::string lair = readExample("lair1.txt");
  for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
           {"KNIGHT 9 8 L5 PH", "KNIGHT 9 8 L6 PH"},
           {"CREATURES\n2\n", "CREATURES\n3\nIMP 4 4 L1 P1\n"},
           {"DWARF L3", "DWARF L4"},
           {"GOLD2 7000", "GOLD2 7500"},
           {"TRIGGER_TIME 600", "TRIGGER_TIME 900"},
           {"#..........#\n#.1111", "#g.........#\n#.1111"},
           {". KPR1_CLAIMED_SQ", ". KPR2_CLAIMED_SQ"}}) {
    const CompileResult a = compileMap(lair);
    const CompileResult b = compileMap(replaced(lair, from, to));
    for (std::size_t i = 0; i < a.files.size() && i < b.files.size(); ++i) {
      add(to + " " + a.files[i].name, a.files[i].bytes, b.files[i].bytes);
      add(to + " back " + a.files[i].name, b.files[i].bytes, a.files[i].bytes);
    }
  }
  for (const std::string& name : testing::exampleNames()) {
    const CompileResult compiled = compileMap(readExample(name));
    for (const LevelFile& f : compiled.files) {
      const Bytes& bytes = f.bytes;
      const std::string label = name + " " + f.name;
      add(label + " itself", bytes, bytes);
      add(label + " cut in half", bytes, Bytes(bytes.begin(), bytes.begin() + bytes.size() / 2));
      add(label + " 7 bytes short", bytes, Bytes(bytes.begin(), bytes.end() - 7));
      add(label + " 16 bytes more", bytes, with(bytes, bytes.size(), Bytes(16, 0xA5)));
      const Inspection in = inspect(bytes);
      // The last top-level chunk left out; the first element of each body left out, doubled,
      // and moved to the end of its body.
      if (in.chunks.size() > 1) {
        add(label + " last chunk left out", bytes,
            Bytes(bytes.begin(),
                  bytes.begin() + static_cast<std::ptrdiff_t>(in.chunks.back().offset)));
      }
      for (const Chunk& top : in.chunks) {
        if (top.children.empty()) continue;
        const Chunk& e = top.children.front();
        const std::size_t size = 8 + e.size;
        const Bytes element(bytes.begin() + static_cast<std::ptrdiff_t>(e.offset),
                            bytes.begin() + static_cast<std::ptrdiff_t>(e.offset + size));
        add(label + " element left out", bytes, without(bytes, e.offset, size));
        add(label + " element doubled", bytes, with(bytes, e.offset, element));
        const std::size_t end = std::min(bytes.size(), top.offset + 8 + top.size);
        add(label + " element moved", bytes,
            with(without(bytes, e.offset, size), end - size, element));
      }
      // Every byte of the first record of each kind that has members or decodes few of its
      // bytes, and bytes spread over the file.
      std::vector<std::size_t> flips;
      for (std::size_t at = 0; at < bytes.size(); at += 1 + bytes.size() / 23) flips.push_back(at);
      for (const Record& r : in.records) {
        if (r.kind != "hero band" && r.kind != "creature" && r.kind != "action") continue;
        for (std::size_t at = r.offset - 8; at < r.offset + r.size; ++at) flips.push_back(at);
      }
      for (const std::size_t at : flips) {
        Bytes flipped = bytes;
        flipped[at] ^= 0x01;
        add(label + " byte " + std::to_string(at), bytes, flipped);
      }
    }
  }
  // Two levels: files of the same kind and of another kind.
  const CompileResult first = compileMap(lair);
  const CompileResult second = compileMap(readExample("showcase.txt"));
  for (std::size_t i = 0; i < first.files.size(); ++i) {
    add("lair1 and showcase " + first.files[i].name, first.files[i].bytes, second.files[i].bytes);
    add("lair1 files " + std::to_string(i) + " and " + std::to_string((i + 1) % 6),
        first.files[i].bytes, first.files[(i + 1) % 6].bytes);
  }
  // Many records: 3000 creatures, one changed near the end and one left out near the start
  // (too many between them to align: paired by position), or in the middle (aligned).
  const Bytes things = testing::fileEndingWith(first, "Things.kld");
  const Bytes many = manyCreatures(things, 3000);
  const std::size_t creature = testing::recordsOf(inspect(many), "creature")[10]->offset - 8;
  add("3000 creatures, two far apart", many,
      without(manyCreatures(things, 3000, 2900), creature, 36));
  add("3000 creatures, one left out", many,
      without(many, testing::recordsOf(inspect(many), "creature")[1500]->offset - 8, 36));
  add("3000 creatures, one added", many, manyCreatures(things, 3001));

  for (const auto& [name, files] : cases) {
    SCOPED_TRACE(name);
    const auto& [bytesA, bytesB] = files;
    const Inspection a = inspect(bytesA);
    const Inspection b = inspect(bytesB);
    const StreamedDiff streamed = diffStreamed(bytesA, bytesB);
    EXPECT_TRUE(streamed.a.records.empty() && streamed.b.records.empty());
    ASSERT_EQ(streamed.a.kind, a.kind);
    ASSERT_EQ(streamed.b.kind, b.kind);
    if (a.kind != b.kind) continue;
    const DiffResult whole = diff(a, bytesA, b, bytesB);
    EXPECT_EQ(rendered(streamed.a, streamed.b, streamed.result), rendered(a, b, whole));
  }
  EXPECT_GT(cases.size(), 1000u);
}

TEST(InspectDiffTest, CommandLineDiffInTextAndJson) {
  const std::string lair = readExample("lair1.txt");
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() /
      ("inspect_diff_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  std::filesystem::create_directories(dir);
  auto write = [&dir](const std::string& name, const Bytes& bytes) {
    const std::string path = (dir / name).string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
  };
  const std::string a = write("a", testing::compiledFile(lair, "Things.kld"));
  const std::string b = write(
      "b",
      testing::compiledFile(replaced(lair, "KNIGHT 9 8 L5 PH", "KNIGHT 9 8 L6 PH"), "Things.kld"));
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(runInspector({"tunnelsmith-inspect", "--diff", a, b}, out, err), cli::kProblems);
  EXPECT_NE(out.str().find("creature 2 (A @100): level: L5 -> L6\n"), std::string::npos)
      << out.str();
  EXPECT_NE(out.str().find("\n1 difference\n"), std::string::npos) << out.str();

  out.str("");
  EXPECT_EQ(runInspector({"tunnelsmith-inspect", "--json", "--diff", a, b}, out, err),
            cli::kProblems);
  const Json doc = Json::parse(out.str());
  EXPECT_EQ(doc["identical"], false);
  ASSERT_EQ(doc["differences"].size(), 1u);
  EXPECT_EQ(doc["differences"][0]["record"], "creature");
  EXPECT_EQ(doc["differences"][0]["number"], 2);
  EXPECT_EQ(doc["differences"][0]["field"], "level");
  EXPECT_EQ(doc["differences"][0]["a"]["name"], "L5");
  EXPECT_EQ(doc["differences"][0]["b"]["value"], 6);

  out.str("");
  EXPECT_EQ(runInspector({"tunnelsmith-inspect", "--diff", a, a}, out, err), cli::kSuccess);
  EXPECT_NE(out.str().find("no differences"), std::string::npos) << out.str();

  // A byte no field decodes.
  Bytes bytes = testing::compiledFile(lair, "Things.kld");
  bytes[85] ^= 0x01;
  const std::string c = write("c", bytes);
  out.str("");
  EXPECT_EQ(runInspector({"tunnelsmith-inspect", "--diff", a, c}, out, err), cli::kProblems);
  EXPECT_NE(out.str().find("\ncreature 1 (A @64): undecoded u32 (byte 21 of the record): 00 -> "
                           "01\n1 difference\n"),
            std::string::npos)
      << out.str();
  out.str("");
  EXPECT_EQ(runInspector({"tunnelsmith-inspect", "--json", "--diff", a, c}, out, err),
            cli::kProblems);
  const Json bytesDoc = Json::parse(out.str());
  EXPECT_EQ(bytesDoc["identical"], false);
  EXPECT_EQ(bytesDoc["byteRuns"], 1);
  ASSERT_EQ(bytesDoc["differences"].size(), 1u);
  EXPECT_EQ(bytesDoc["differences"][0]["label"], "creature 1");
  EXPECT_EQ(bytesDoc["differences"][0]["bytes"], Json::parse(R"({"a": [85, 85], "b": [85, 85]})"));
  EXPECT_EQ(bytesDoc["differences"][0]["field"], "undecoded u32");
  EXPECT_EQ(bytesDoc["differences"][0]["within"], Json::parse("[21, 21]"));
  EXPECT_EQ(bytesDoc["differences"][0]["undecoded"], true);
  EXPECT_EQ(bytesDoc["differences"][0]["a"], "00");
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace ts::inspect
