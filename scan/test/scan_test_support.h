// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Scratch files for the tests of quelder-scan: a fresh directory, removed
// with everything in it when the test ends, and archives written into it.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  // path()/relative.
  std::string at(std::string_view relative) const;

  // Each makes what it names under path(), with any missing parent
  // directories; a failure fails the test.
  void write(std::string_view relative, std::string_view bytes) const;
  void makeDirectory(std::string_view relative) const;
  void symlink(std::string_view target, std::string_view relative) const;
  void fifo(std::string_view relative) const;

 private:
  std::string path_;
};

struct ArchiveMember {
  std::string name;
  std::string bytes;
};

enum class ArchiveKind { tar, tarGz, tarXz, tarZst, zip };

// Writes members into an archive of kind at path; false when libarchive cannot.
bool writeArchive(const std::string& path, ArchiveKind kind,
                  const std::vector<ArchiveMember>& members);

// The bytes of a file, for expectations; empty when it cannot be read.
std::string readWhole(const std::string& path);

// The shipped example files, by name (conforming.mid, nonconforming.mid, warnings.mid).
std::string exampleBytes(std::string_view name);

// A format 0 file of one track, 96 ticks per quarter note, holding track
// (under 256 bytes).
std::string smfOfTrack(std::string_view track);

// Track events for the findings: a Note On of velocity FF, which only a rule
// beyond the reference program's finds, then End of Track; and a Copyright
// Notice without "(C)", an error graded recommendation.
inline const std::string kLoudNoteTrack("\0\x90\x3C\xFF\0\xFF\x2F\0", 8);
inline const std::string kCopyrightWithoutSign(
    "\0\xFF\x02\x03"
    "abc",
    7);

// The levels of a SARIF log's results, in order.
std::vector<std::string> sarifResultLevels(const std::string& log);
