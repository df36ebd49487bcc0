// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "scan/archive_members.h"
#include "scan/byte_buffer.h"

// One thing to check or to report, in the order of the run.
struct Task {
  enum class Kind {
    file,        // a file to load and check: path
    member,      // an archive member already read: path, member, bytes
    tooLarge,    // an archive member over the size limit, never held: path, member
    inputError,  // path (and member) could not be read: reason
    archive      // an archive left closed (WalkOptions::openArchives off): path
  };
  Kind kind = Kind::file;
  std::string path;
  std::string member;
  ByteBuffer bytes;
  std::uint64_t size = 0;
  std::string reason;
};

struct WalkOptions {
  bool followSymlinks = false;  // in directories; named paths are always followed
  bool allFiles = false;        // every regular file in a directory, not only MIDI names
  bool nullSeparated = false;   // path lists end each path with NUL, not a line feed
  std::uint64_t maxSize = 0;    // archive members larger than this are not read
  bool openArchives = true;     // false: an archive is one task of its own, for counting
};

// True for the names that a directory walk checks: MIDI files by their
// extension (.mid, .midi, .kar, .rmi, .smf, any case).
bool isMidiName(std::string_view name);

// True for the names that are opened as archives: .tar, .tar.gz, .tgz,
// .tar.xz, .txz, .tar.zst, .tzst and .zip, any case.
bool isArchiveName(std::string_view name);

// Turns the inputs of a run into tasks, one at a time and in a fixed order:
// the inputs as given; a directory's entries sorted by their bytes, each
// subdirectory walked where it sorts; an archive's members in their stored
// order; "-" reads a list of paths from pathList, each taken as an input. At
// most one archive is open and at most one member held here at a time.
class InputWalker {
 public:
  InputWalker(std::vector<std::string> inputs, const WalkOptions& options, std::FILE* pathList);
  ~InputWalker();
  InputWalker(const InputWalker&) = delete;
  InputWalker& operator=(const InputWalker&) = delete;

  // The next task; false when every input is done.
  bool next(Task* task);

 private:
  struct Directory;
  struct ListedEntry;

  bool nextFromArchive(Task* task);
  bool nextFromDirectory(Task* task);
  bool nextFromPathList(Task* task);
  bool nextInput(Task* task);
  // Starts on path, named as an input; true with *task when it yields one at once.
  bool startInput(const std::string& path, Task* task);
  bool startDirectory(const std::string& path, dev_t device, ino_t inode, Task* task);
  bool startArchive(const std::string& path, Task* task);
  bool visitEntry(const std::string& path, const ListedEntry& entry, Task* task);

  std::vector<std::string> inputs_;
  std::size_t nextInput_ = 0;
  WalkOptions options_;
  std::FILE* pathList_;
  bool readingPathList_ = false;
  std::uint64_t pathListLine_ = 0;
  std::vector<std::unique_ptr<Directory>> directories_;  // the walk's open frames, innermost last
  std::unique_ptr<ArchiveMembers> archive_;
  std::string archivePath_;
};
