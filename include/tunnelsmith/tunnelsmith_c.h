/* Tunnelsmith's C interface, for bindings to other languages (the WebAssembly module is one):
 * every entry point of the C++ interface as a function that takes bytes and returns a result
 * holding one JSON document and, for some, files. Link Tunnelsmith::tunnelsmith_c
 * (find_package(Tunnelsmith)) to use it; C99 or C++.
 *
 * No function ever returns NULL, and none fails on any input: a bad map or a damaged level
 * file is described in the document. Every function may be called from several threads at
 * once; a result may be read from any thread, and is freed once.
 *
 * The documents (UTF-8: text that is not UTF-8 is replaced by U+FFFD; offsets count bytes; a
 * "problem" is {"name", "severity": "error" | "warning" | "note", "offset": n | null,
 * "message"}, as compile gives them):
 *
 *   compile     {"console", "valid", "problems": [problem], "files": [{"name", "size"}]}, and
 *               the six level files as the result's files, in the compiler's order.
 *   check       {"diagnostics": [{"id", "severity", "message", "start", "end", "line",
 *               "column", "notes": [{"message", "start", "end", "line", "column", "square"?}],
 *               "fixes": [{"start", "end", "replacement"}], "suggestions": [{"start", "end",
 *               "replacement"}], "square"?, "afterFirstError"}], "errors", "warnings"}; a
 *               square is {"x", "y"}, line and column count from 1, the column in bytes.
 *   apply_fixes `fixes_json` is an array with one element per diagnostic: that diagnostic's
 *               "fixes" array, or the diagnostic itself (check's "diagnostics" array is taken
 *               as it is). Gives {"applied", "skipped", "problems": [problem]} and the mended
 *               text as file 0 ("map.txt"). A fixes document it cannot read is the problem
 *               "bad-fixes", and the text comes back unchanged.
 *   inspect     the inspector's JSON document of one file (tunnelsmith-inspect --json), its
 *               "path" empty.
 *   diff        the inspector's --diff document, the paths "a" and "b", with "problems":
 *               [problem], the problem "different-kinds" when the files are not of one kind
 *               (then nothing is compared).
 *   decompile   {"exact", "damaged", "findings": [{"file", "offset", "message"}]}, and the map
 *               text as file 0 ("map.txt"). `files` are in the compiler's order; a NULL file is
 *               an empty one.
 *   vocabulary  {"terrains": [{"name", "value"}], "creatures", "objects", "doors", "traps",
 *               "rooms", "spells", "players", "levels"}.
 *
 * When the library fails inside (it runs out of memory), the document is {"problems":
 * [problem]} with the problem "internal-error", and the result holds no file.
 */
#ifndef TUNNELSMITH_TUNNELSMITH_C_H
#define TUNNELSMITH_TUNNELSMITH_C_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct tunnelsmith_result tunnelsmith_result;

/* Map texts are bytes (`size` of them, no terminating NUL needed); a UTF-8 byte-order mark is
 * skipped as the compiler skips it. */
tunnelsmith_result* tunnelsmith_compile(const char* text, size_t size);
tunnelsmith_result* tunnelsmith_check(const char* text, size_t size);
tunnelsmith_result* tunnelsmith_apply_fixes(const char* text, size_t size, const char* fixes_json,
                                            size_t fixes_size);
tunnelsmith_result* tunnelsmith_inspect(const unsigned char* bytes, size_t size);
tunnelsmith_result* tunnelsmith_diff(const unsigned char* a, size_t a_size, const unsigned char* b,
                                     size_t b_size);
tunnelsmith_result* tunnelsmith_decompile(const unsigned char* const files[6],
                                          const size_t sizes[6]);
tunnelsmith_result* tunnelsmith_vocabulary(void);
/* The outline of a map text (tunnelsmith/outline.h): {levelName, players, grid: {width, height,
   twoCharacters, rowStarts, terrain}, sections: [{section, keyword, span, count, firstEntry,
   entryCount}], entries: [{section, number, span, words: [{kind, start, end}], square?,
   covers?}], references: [{target, number, span, entry}]}, spans as {start, end}. When every row
   was read, file 0 is "terrain": each square's terrain code, 32 bits little-endian, row 0 first,
   and grid.terrain is 0 (the file's index); otherwise grid.terrain is null. */
tunnelsmith_result* tunnelsmith_outline(const char* text, size_t size);

/* "major.minor", of the library linked. */
const char* tunnelsmith_version(void);

/* The result's JSON document, NUL-terminated; its length in bytes goes to `size` unless it is
 * NULL. Valid until the result is freed. */
const char* tunnelsmith_result_json(const tunnelsmith_result* r, size_t* size);
/* The files a result holds (0 for most), their names and their bytes. An index past the last
 * gives NULL and a size of 0. */
size_t tunnelsmith_result_file_count(const tunnelsmith_result* r);
const char* tunnelsmith_result_file_name(const tunnelsmith_result* r, size_t index);
const unsigned char* tunnelsmith_result_file_data(const tunnelsmith_result* r, size_t index,
                                                  size_t* size);
/* Frees a result and everything it holds; NULL is allowed. */
void tunnelsmith_result_free(tunnelsmith_result* r);

#ifdef __cplusplus
}
#endif

#endif
