#pragma once

// The frame of one file's check, the same for every front end: the progress
// line, the check with whatever diagnostics it prints, the verdict line.

void printProgress(const char* name);
void printVerdict(const char* name, bool conforms);

// Runs check() between name's progress and verdict lines; returns its verdict.
template <typename Check>
bool checkBetweenLines(const char* name, Check check) {
  printProgress(name);
  const bool conforms = check();
  printVerdict(name, conforms);
  return conforms;
}
