/* SPDX-License-Identifier: MIT */
/*
 * Quelder as a library: checks Standard MIDI Files and hands back the
 * verdict and every diagnostic as values: the command-line program's
 * diagnostics, exactly, and beside them the findings it does not report
 * (what follows its first error, rules beyond its own) and what the file is.
 *
 *   quelder_result* result = quelder_check_file("song.mid", NULL);
 *   for (size_t i = 0; i < quelder_result_diagnostic_count(result); ++i) {
 *     const quelder_diagnostic* d = quelder_result_diagnostic(result, i);
 *     printf("%s at %lld: %s\n", d->code, (long long)d->offset, d->message);
 *   }
 *   quelder_result_free(result);
 *
 * Reentrant: any number of threads may check files at the same time; a
 * result belongs to the thread that holds it and shares nothing with others.
 * No function aborts, raises or leaks on any input: a file that cannot be
 * opened, read or held in memory gets a result with one file error.
 */
#ifndef QUELDER_QUELDER_H
#define QUELDER_QUELDER_H

#include <stddef.h>
#include <stdint.h>

#define QUELDER_VERSION_MAJOR 1
#define QUELDER_VERSION_MINOR 1
#define QUELDER_VERSION_PATCH 0
#define QUELDER_VERSION "1.1.0"

#ifdef __cplusplus
extern "C" {
#endif

/* The version of the library linked, QUELDER_VERSION when it is the one the
 * program was compiled with. */
const char* quelder_version(void);

typedef enum quelder_severity {
  QUELDER_SEVERITY_ERROR = 0,           /* a rule broken at an offset: the file does not conform */
  QUELDER_SEVERITY_WARNING = 1,         /* an unknown chunk or meta-event type, stepped over */
  QUELDER_SEVERITY_FILE_ERROR = 2,      /* the file could not be opened, sized, held or read */
  QUELDER_SEVERITY_BEYOND_REFERENCE = 3 /* a rule the program does not examine: never
                                           changes the verdict; in findings only */
} quelder_severity;

/* How far a reader can trust the file past a diagnostic. The reference table
 * (quelder_code) gives the reason for each code's grade. */
typedef enum quelder_grade {
  QUELDER_GRADE_NONE = 0,          /* warnings and file errors */
  QUELDER_GRADE_STRUCTURE = 1,     /* the file cannot be read as an SMF past this point */
  QUELDER_GRADE_CONTENT = 2,       /* it reads, but a value or a placement breaks a rule */
  QUELDER_GRADE_RECOMMENDATION = 3 /* a "should" of the standard or a house rule */
} quelder_grade;

typedef enum quelder_language {
  QUELDER_LANGUAGE_EN = 0, /* English */
  QUELDER_LANGUAGE_JA = 1  /* Japanese, in UTF-8 */
} quelder_language;

/* One diagnostic. Strings are UTF-8 and live as long as the result. */
typedef struct quelder_diagnostic {
  const char* code; /* stable, e.g. "track-length"; see quelder_codes() */
  quelder_severity severity;
  quelder_grade grade;
  int64_t offset;        /* the field's byte offset from 0; -1 for a file error */
  uint32_t track;        /* the track chunk, counting from 1; 0 outside a track */
  uint32_t event;        /* the event in its track, counting from 1; 0 outside a track */
  uint64_t tick;         /* sum of the track's delta times up to the event */
  int64_t event_offset;  /* where the event starts; -1 outside a track */
  int after_first_error; /* findings only: 1 when it comes after the error that
                            decided the verdict (of the embedded SMF, for one) */
  const char* message;   /* in the language asked for, without the form or line end */
} quelder_diagnostic;

typedef struct quelder_options {
  quelder_language language;
} quelder_options;

typedef struct quelder_result quelder_result;

/* Checks the size bytes at data (data may be null when size is 0), or the
 * named file. options may be null: English. Never returns null; free the
 * result with quelder_result_free. A buffer over 4 GiB - 2 bytes gets the
 * memory file error, as a file of that size does. */
quelder_result* quelder_check_buffer(const void* data, size_t size, const quelder_options* options);
quelder_result* quelder_check_file(const char* path, const quelder_options* options);

/* 1 iff the file conforms. */
int quelder_result_conforms(const quelder_result* result);

/* The diagnostics of the command-line program, in the order it prints them:
 * warnings, then at most one error or file error. */
size_t quelder_result_diagnostic_count(const quelder_result* result);
const quelder_diagnostic* quelder_result_diagnostic(const quelder_result* result, size_t index);

/* What the command-line program does not say, in the order found: only these
 * additions, never a diagnostic above again.
 * - Past the first error: when the first error is graded content or
 *   recommendation, the parse position is still sound, and the check reads on
 *   up to the first structure error or the end of the file. Every diagnostic
 *   it gives there is a finding with after_first_error 1.
 * - Beyond the reference rules: severity QUELDER_SEVERITY_BEYOND_REFERENCE,
 *   each with its code, grade and place, after_first_error as it falls.
 * - Inside a container (format "rmid" or "macbinary"): every diagnostic of the
 *   check of the SMF it holds, at offsets in the container as given (subtract
 *   quelder_result_embedded_offset for the SMF's own), after_first_error
 *   counted from that SMF's first error. */
size_t quelder_result_finding_count(const quelder_result* result);
const quelder_diagnostic* quelder_result_finding(const quelder_result* result, size_t index);

/* What the file is, from the signatures at its start: "smf" when it starts
 * with an SMF header; otherwise "rmid" (an SMF in a RIFF file), "wave", "mp3"
 * (ID3 tag or frame sync), "ogg", "flac", "zip", "gzip", "7z", "rar", "lha",
 * "pdf", "png", "jpeg", "gif", "html", "xml", "text" (no control characters in
 * its first 512 bytes but white space), "macbinary" (an SMF behind a 128-byte
 * MacBinary header), "empty", or "unknown". */
const char* quelder_result_format(const quelder_result* result);

/* The offset of the SMF inside an "rmid" or "macbinary" file, -1 when there
 * is none; and 1 iff that SMF conforms (0 when there is none). */
int64_t quelder_result_embedded_offset(const quelder_result* result);
int quelder_result_embedded_conforms(const quelder_result* result);

void quelder_result_free(quelder_result* result);

/* "error", "warning", "file-error", "beyond-reference";
 * "structure", "content", "recommendation", "". */
const char* quelder_severity_name(quelder_severity severity);
const char* quelder_grade_name(quelder_grade grade);

/* The reference table of codes, in a language. */
typedef struct quelder_code_info {
  const char* code;
  quelder_severity severity;
  quelder_grade grade;
  const char* message;      /* as printed, with printf directives for its values */
  const char* explanation;  /* the rule */
  const char* readers;      /* what readers commonly do with such a file */
  const char* grade_reason; /* why the code has its grade; "" without one */
} quelder_code_info;

size_t quelder_code_count(void);
const quelder_code_info* quelder_code(size_t index, quelder_language language);

#ifdef __cplusplus
}
#endif

#endif /* QUELDER_QUELDER_H */
