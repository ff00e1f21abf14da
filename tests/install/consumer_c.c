/* Uses the installed C interface from C99: `tunnelsmith_consumer_c MAPFILE` compiles the map
 * (six files in the result), checks it, inspects and decompiles the files, and lists the
 * vocabularies, each giving a JSON document. Exit status 0 when all holds. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <tunnelsmith/tunnelsmith_c.h>

static int failures = 0;

static void expect(int holds, const char* what) {
  if (!holds) {
    printf("FAILED: %s\n", what);
    ++failures;
  }
}

/* Whether the result's document contains `words`. */
static int says(const tunnelsmith_result* r, const char* words) {
  size_t size = 0;
  const char* json = tunnelsmith_result_json(r, &size);
  return json != NULL && strlen(json) == size && strstr(json, words) != NULL;
}

int main(int argc, char** argv) {
  FILE* in;
  char* text;
  long length;
  tunnelsmith_result* compiled;
  tunnelsmith_result* r;
  const unsigned char* files[6];
  size_t sizes[6];
  size_t i;

  if (argc != 2 || (in = fopen(argv[1], "rb")) == NULL) {
    fprintf(stderr, "usage: tunnelsmith_consumer_c MAPFILE\n");
    return 2;
  }
  fseek(in, 0, SEEK_END);
  length = ftell(in);
  fseek(in, 0, SEEK_SET);
  text = malloc((size_t)length + 1);
  if (text == NULL || fread(text, 1, (size_t)length, in) != (size_t)length) return 2;
  fclose(in);

  printf("Tunnelsmith %s from C\n", tunnelsmith_version());
  compiled = tunnelsmith_compile(text, (size_t)length);
  expect(says(compiled, "\"valid\":true"), "the map compiles");
  expect(tunnelsmith_result_file_count(compiled) == 6, "six files");
  for (i = 0; i < 6; ++i) {
    files[i] = tunnelsmith_result_file_data(compiled, i, &sizes[i]);
    printf("  %s: %lu bytes\n", tunnelsmith_result_file_name(compiled, i), (unsigned long)sizes[i]);
    expect(files[i] != NULL && sizes[i] > 0, "a file with bytes");
  }

  r = tunnelsmith_check(text, (size_t)length);
  expect(says(r, "\"diagnostics\":[]"), "the map has nothing to report");
  tunnelsmith_result_free(r);

  r = tunnelsmith_inspect(files[2], sizes[2]);
  expect(says(r, "\"kind\":\"things\"") && says(r, "\"wellFormed\":true"),
         "the things file is well-formed");
  tunnelsmith_result_free(r);

  r = tunnelsmith_diff(files[0], sizes[0], files[0], sizes[0]);
  expect(says(r, "\"identical\":true"), "a file is identical to itself");
  tunnelsmith_result_free(r);

  r = tunnelsmith_decompile(files, sizes);
  expect(says(r, "\"exact\":true") && tunnelsmith_result_file_count(r) == 1, "exact decompile");
  tunnelsmith_result_free(r);

  r = tunnelsmith_vocabulary();
  expect(says(r, "\"creatures\":[{\"name\":"), "the vocabularies");
  tunnelsmith_result_free(r);

  r = tunnelsmith_outline(text, (size_t)length);
  expect(says(r, "\"entries\":[{") && tunnelsmith_result_file_count(r) == 1, "the outline");
  tunnelsmith_result_free(r);

  tunnelsmith_result_free(compiled);
  free(text);
  printf(failures == 0 ? "ok\n" : "failed\n");
  return failures == 0 ? 0 : 1;
}
