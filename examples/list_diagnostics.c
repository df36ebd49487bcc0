/* SPDX-License-Identifier: MIT */
/*
 * Checks the files named on the command line with the Quelder library and
 * prints, for each file, one line per diagnostic and a verdict line, with
 * tabs between the fields:
 *
 *   file  code  severity  grade  offset  track  event  tick  message
 *   file  conforms | does-not-conform
 *
 * An empty grade is printed as "-". Exits with 0 when every file conforms,
 * 1 when one does not, 2 without a file to check.
 *
 *   cc list_diagnostics.c $(pkg-config --cflags --libs quelder)
 */
#include <quelder/quelder.h>
#include <stdio.h>
#include <string.h>

static void print_diagnostic(const char* path, const quelder_diagnostic* d) {
  const char* grade = quelder_grade_name(d->grade);
  printf("%s\t%s\t%s\t%s\t%lld\t%lu\t%lu\t%llu\t%s\n", path, d->code,
         quelder_severity_name(d->severity), grade[0] != '\0' ? grade : "-", (long long)d->offset,
         (unsigned long)d->track, (unsigned long)d->event, (unsigned long long)d->tick, d->message);
}

/* Prints what the library finds in one file; returns 1 iff it conforms. */
static int list_file(const char* path) {
  quelder_result* result = quelder_check_file(path, NULL);
  size_t count = quelder_result_diagnostic_count(result);
  for (size_t i = 0; i < count; ++i) {
    print_diagnostic(path, quelder_result_diagnostic(result, i));
  }
  int conforms = quelder_result_conforms(result);
  printf("%s\t%s\n", path, conforms ? "conforms" : "does-not-conform");
  quelder_result_free(result);
  return conforms;
}

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: %s file.mid...\n(Quelder library %s)\n", argv[0], quelder_version());
    return 2;
  }
  if (strcmp(quelder_version(), QUELDER_VERSION) != 0) {
    fprintf(stderr, "%s: compiled with Quelder %s, running with %s\n", argv[0], QUELDER_VERSION,
            quelder_version());
  }
  int all_conform = 1;
  for (int i = 1; i < argc; ++i) {
    all_conform &= list_file(argv[i]);
  }
  return all_conform ? 0 : 1;
}
