// SPDX-License-Identifier: MIT
#pragma once

#include <set>
#include <string>
#include <string_view>

// Known findings that a project accepts: one line per code and file,
//
//   CODE<TAB>PATH<TAB>MEMBER
//
// MEMBER empty for a file that is not in an archive. A backslash, a tab and
// every byte below 0x20 or 0x7F in a path or member are written \xHH, so
// that any name fits on one line. Lines starting with '#' are comments. An
// entry accepts every diagnostic and finding of its code in that file.
class Baseline {
 public:
  // Reads the file at path; false with *error (naming the line) when it
  // cannot be read or a line is not an entry.
  bool load(const char* path, std::string* error);
  // Reads entries from text, as load does from a file.
  bool parse(std::string_view text, std::string* error);

  bool accepts(std::string_view code, std::string_view path, std::string_view member) const;

  void add(std::string_view code, std::string_view path, std::string_view member);
  // The file's text: a comment line, then the entries sorted, each once.
  std::string text() const;
  // Writes text() to path; false with *error when it cannot.
  bool write(const char* path, std::string* error) const;

 private:
  std::set<std::string, std::less<>> entries_;  // each an escaped line without its end
};

// A name as a baseline line holds it.
std::string escapeBaselineName(std::string_view name);
