// SPDX-License-Identifier: MIT
#pragma once

// Every text quelder-scan prints of its own, in English; the diagnostics'
// messages come from the library's catalogue.
namespace messages {

inline constexpr const char* kProgram = "quelder-scan";

inline constexpr const char* help =
    "Usage: quelder-scan [OPTION]... INPUT...\n"
    "Checks collections of MIDI files, each as the reference program quelder checks it.\n"
    "An INPUT is a file, a directory (walked recursively, entries in sorted order),\n"
    "an archive (.tar, .tar.gz, .tgz, .tar.xz, .txz, .tar.zst, .tzst, .zip: members are\n"
    "checked in memory, nothing is extracted) or '-', a list of such paths read from\n"
    "standard input, one per line.\n"
    "\n"
    "Inputs:\n"
    "  -0, --null               paths in the list end with a NUL byte, not a line end\n"
    "  -L, --follow-symlinks    follow symbolic links found in directories\n"
    "      --all-files          check every regular file in directories and archives,\n"
    "                           not only *.mid, *.midi, *.kar, *.rmi and *.smf\n"
    "      --max-size=SIZE      the largest file held in memory (suffix K, M or G;\n"
    "                           default 256M); a larger one gets the memory file error\n"
    "Output:\n"
    "  -f, --format=FORMAT      text (default), jsonl, csv or sarif\n"
    "  -q, --quiet              report only the files that fail or cannot be read\n"
    "      --summary            totals by verdict, grade and code at the end (after the\n"
    "                           text on standard output; on standard error otherwise)\n"
    "      --color=WHEN         colour text verdicts: auto (on a terminal), always, never\n"
    "      --no-progress        no progress line on a terminal's standard error\n"
    "What fails a file:\n"
    "      --fail-on=LEVEL      error (default), or warning: warnings fail a file too\n"
    "      --strict             findings count too: what the reference program does\n"
    "                           not report, past its first error or under rules\n"
    "                           beyond its own (warnings among them only with\n"
    "                           --fail-on=warning as well)\n"
    "      --ignore=CODE        leave out every diagnostic and finding of CODE\n"
    "                           (repeatable)\n"
    "      --baseline=FILE      accept the codes listed in FILE for their files\n"
    "      --write-baseline=FILE  write the codes of this run to FILE as a baseline\n"
    "Running:\n"
    "  -j, --jobs=N             check N files at a time (default: one per core)\n"
    "  -h, --help               show this help and exit\n"
    "  -V, --version            show the version and exit\n"
    "\n"
    "Exit status:\n"
    "  0  every file conforms\n"
    "  1  a file fails: it does not conform, or a warning or finding counts (above)\n"
    "  2  a usage error, or a path, directory or archive could not be read (the\n"
    "     other inputs are still checked)\n";

inline constexpr const char* versionFormat = "quelder-scan %s (library %s)\n";
inline constexpr const char* tryHelp = "Try 'quelder-scan --help' for more information.\n";

// Usage errors.
inline constexpr const char* unknownOption = "unknown option ";
inline constexpr const char* missingValue = "a value is needed for ";
inline constexpr const char* invalidValue = "invalid value ";
inline constexpr const char* unknownCode = "no such code ";
inline constexpr const char* noInputs = "no input given (a file, a directory, an archive or -)";
inline constexpr const char* baselineBadLine =
    "not a baseline entry (CODE<TAB>PATH<TAB>MEMBER, a known code), line ";
inline constexpr const char* baselineUnreadable = "read error";
inline constexpr const char* cannotReadBaseline = "cannot read the baseline ";
inline constexpr const char* cannotWriteBaseline = "cannot write the baseline ";
inline constexpr const char* outputLost = "the output could not be written in full";

// Why an input or a file could not be read.
inline constexpr const char* unknownSystemError = "unknown system error";
inline constexpr const char* notRegularFile = "not a regular file";
inline constexpr const char* lockedByWriter = "locked by a writer";
inline constexpr const char* fileShrank = "the file ended before its size";
inline constexpr const char* outOfMemory = "out of memory";
inline constexpr const char* largerThanLimit = "larger than the limit of ";
inline constexpr const char* bytesLimitOption = " bytes (--max-size)";
inline constexpr const char* archiveUnreadable = "cannot be read as an archive";
inline constexpr const char* emptyListEntry = "empty path in the path list, line ";
inline constexpr const char* nulInListEntry = "NUL byte in a path of the path list, line ";
inline constexpr const char* directoryLoop = "directory loop: already being walked as ";
inline constexpr const char* symlinkLoop = "symbolic link loop";

// Verdicts and marks of the text and CSV lines.
inline constexpr const char* verdictConforms = "conforms";
inline constexpr const char* verdictConformsWithWarnings = "conforms, with warnings";
inline constexpr const char* verdictDoesNotConform = "does not conform";
inline constexpr const char* verdictUnreadable = "cannot be read";
inline constexpr const char* acceptedMark = " (accepted)";
inline constexpr const char* moreFindings = " [+%zu more]";
inline constexpr const char* acceptedByBaseline = "accepted by the baseline";

// The baseline file's first line.
inline constexpr const char* baselineHeader =
    "# quelder-scan baseline: CODE<TAB>PATH<TAB>MEMBER (\\xHH for control bytes)\n";

// SARIF: where its schema is published.
inline constexpr const char* sarifSchemaUri = "https://json.schemastore.org/sarif-2.1.0.json";

// The summary.
inline constexpr const char* summaryTitle = "Summary:\n";
inline constexpr const char* summaryFiles = "  files checked";
inline constexpr const char* summaryConform = "  conform";
inline constexpr const char* summaryConformWithWarnings = "  conform, with warnings";
inline constexpr const char* summaryDoNotConform = "  do not conform";
inline constexpr const char* summaryUnreadable = "  cannot be read";
inline constexpr const char* summaryInputErrors = "  inputs that cannot be read";
inline constexpr const char* summaryFailing = "  fail (exit status)";
inline constexpr const char* summaryGrades = "Findings by grade:\n";
inline constexpr const char* summaryNoGrade = "  (warnings, file errors)";
inline constexpr const char* summaryCodes = "Findings by code (reference, beyond):\n";

// Progress on a terminal.
inline constexpr const char* progressKnown = "%llu/%llu files  %.0f files/s  %s left";
inline constexpr const char* progressUnknown = "%llu files  %.0f files/s";

}  // namespace messages

// The system's reason for errno, in English whatever the locale; safe from
// any thread.
const char* systemReason(int error);
