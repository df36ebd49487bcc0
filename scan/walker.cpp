// SPDX-License-Identifier: MIT
#include "scan/walker.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "scan/messages.h"

namespace {

bool endsWithIgnoringCase(std::string_view text, std::string_view suffix) {
  if (text.size() < suffix.size()) return false;
  const std::string_view end = text.substr(text.size() - suffix.size());
  return std::equal(end.begin(), end.end(), suffix.begin(),
                    [](char a, char b) { return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b; });
}

bool endsWithAny(std::string_view name, std::initializer_list<std::string_view> suffixes) {
  return std::any_of(suffixes.begin(), suffixes.end(),
                     [&](std::string_view suffix) { return endsWithIgnoringCase(name, suffix); });
}

std::string joinPath(const std::string& directory, const std::string& name) {
  if (!directory.empty() && directory.back() == '/') return directory + name;
  return directory + '/' + name;
}

unsigned char typeOfMode(mode_t mode) {
  if (S_ISDIR(mode)) return DT_DIR;
  if (S_ISREG(mode)) return DT_REG;
  if (S_ISLNK(mode)) return DT_LNK;
  return DT_UNKNOWN;
}

void setInputError(Task* task, std::string path, std::string reason) {
  task->kind = Task::Kind::inputError;
  task->path = std::move(path);
  task->member.clear();
  task->reason = std::move(reason);
}

void setFile(Task* task, std::string path) {
  task->kind = Task::Kind::file;
  task->path = std::move(path);
  task->member.clear();
}

}  // namespace

bool isMidiName(std::string_view name) {
  return endsWithAny(name, {".mid", ".midi", ".kar", ".rmi", ".smf"});
}

bool isArchiveName(std::string_view name) {
  return endsWithAny(name,
                     {".tar", ".tar.gz", ".tgz", ".tar.xz", ".txz", ".tar.zst", ".tzst", ".zip"});
}

struct InputWalker::ListedEntry {
  std::string name;
  unsigned char type;  // DT_*, DT_UNKNOWN when the file system does not say
};

struct InputWalker::Directory {
  std::string path;
  std::vector<ListedEntry> entries;  // sorted by name
  std::size_t next = 0;
  dev_t device = 0;  // known only when links are followed: for loops
  ino_t inode = 0;
};

InputWalker::InputWalker(std::vector<std::string> inputs, const WalkOptions& options,
                         std::FILE* pathList)
    : inputs_(std::move(inputs)), options_(options), pathList_(pathList) {}

InputWalker::~InputWalker() = default;

bool InputWalker::next(Task* task) {
  for (;;) {
    // Innermost first: an archive may sit in a directory, a directory in a
    // path list, and the path list is an input.
    if (archive_ != nullptr) {
      if (nextFromArchive(task)) return true;
    } else if (!directories_.empty()) {
      if (nextFromDirectory(task)) return true;
    } else if (readingPathList_) {
      if (nextFromPathList(task)) return true;
    } else if (nextInput_ < inputs_.size()) {
      if (nextInput(task)) return true;
    } else {
      return false;
    }
  }
}

bool InputWalker::nextInput(Task* task) {
  const std::string& input = inputs_[nextInput_++];
  if (input == "-") {
    readingPathList_ = true;
    pathListLine_ = 0;
    return false;
  }
  return startInput(input, task);
}

bool InputWalker::nextFromPathList(Task* task) {
  char* line = nullptr;
  std::size_t capacity = 0;
  const ssize_t length =
      ::getdelim(&line, &capacity, options_.nullSeparated ? '\0' : '\n', pathList_);
  if (length < 0) {
    const bool failed = std::ferror(pathList_) != 0;
    std::free(line);
    readingPathList_ = false;
    if (failed) setInputError(task, "-", systemReason(errno));
    return failed;
  }
  ++pathListLine_;
  std::string path(line, static_cast<std::size_t>(length));
  std::free(line);
  if (!path.empty() && path.back() == (options_.nullSeparated ? '\0' : '\n')) path.pop_back();
  if (path.empty() || path.find('\0') != std::string::npos) {
    setInputError(task, "-",
                  std::string(path.empty() ? messages::emptyListEntry : messages::nulInListEntry) +
                      std::to_string(pathListLine_));
    return true;
  }
  return startInput(path, task);
}

bool InputWalker::startInput(const std::string& path, Task* task) {
  struct stat info;
  // A name that cannot even be looked up is left to the load, which says why.
  if (::stat(path.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return startDirectory(path, info.st_dev, info.st_ino, task);
    if (S_ISREG(info.st_mode) && isArchiveName(path)) return startArchive(path, task);
  }
  setFile(task, path);
  return true;
}

bool InputWalker::startArchive(const std::string& path, Task* task) {
  if (!options_.openArchives) {
    task->kind = Task::Kind::archive;
    task->path = path;
    return true;
  }
  auto members = std::make_unique<ArchiveMembers>();
  std::string reason;
  if (!members->open(path.c_str(), &reason)) {
    setInputError(task, path, reason);
    return true;
  }
  archive_ = std::move(members);
  archivePath_ = path;
  return false;
}

bool InputWalker::nextFromArchive(Task* task) {
  std::string name;
  std::string reason;
  for (;;) {
    const ArchiveMembers::Entry entry = archive_->next(&name, &reason);
    if (entry == ArchiveMembers::Entry::end) {
      archive_.reset();
      return false;
    }
    if (entry == ArchiveMembers::Entry::failed) {
      setInputError(task, archivePath_, reason);
      archive_.reset();
      return true;
    }
    if (options_.allFiles || isMidiName(name)) break;
  }
  task->path = archivePath_;
  task->member = name;
  switch (archive_->read(options_.maxSize, &task->bytes, &task->size, &reason)) {
    case ArchiveMembers::Data::read: task->kind = Task::Kind::member; break;
    case ArchiveMembers::Data::tooLarge:
    case ArchiveMembers::Data::noMemory:
      task->kind = Task::Kind::tooLarge;
      task->bytes.release();
      break;
    case ArchiveMembers::Data::failed:
      task->kind = Task::Kind::inputError;
      task->reason = reason;
      task->bytes.release();
      archive_.reset();
      break;
  }
  return true;
}

bool InputWalker::startDirectory(const std::string& path, dev_t device, ino_t inode, Task* task) {
  // Only a followed link can lead back into a directory being walked.
  if (options_.followSymlinks) {
    for (const auto& open : directories_) {
      if (open->device == device && open->inode == inode) {
        setInputError(task, path, messages::directoryLoop + open->path);
        return true;
      }
    }
  }
  DIR* stream = ::opendir(path.c_str());
  if (stream == nullptr) {
    setInputError(task, path, systemReason(errno));
    return true;
  }
  auto directory = std::make_unique<Directory>();
  directory->path = path;
  directory->device = device;
  directory->inode = inode;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(stream);
    if (entry == nullptr) break;
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    directory->entries.push_back({entry->d_name, entry->d_type});
  }
  const int listError = errno;
  ::closedir(stream);
  if (listError != 0) {
    setInputError(task, path, systemReason(listError));
    return true;
  }
  std::sort(directory->entries.begin(), directory->entries.end(),
            [](const ListedEntry& a, const ListedEntry& b) { return a.name < b.name; });
  directories_.push_back(std::move(directory));
  return false;
}

bool InputWalker::nextFromDirectory(Task* task) {
  Directory& directory = *directories_.back();
  if (directory.next == directory.entries.size()) {
    directories_.pop_back();
    return false;
  }
  const ListedEntry& entry = directory.entries[directory.next++];
  return visitEntry(joinPath(directory.path, entry.name), entry, task);
}

bool InputWalker::visitEntry(const std::string& path, const ListedEntry& entry, Task* task) {
  unsigned char type = entry.type;
  struct stat info {};
  if (type == DT_UNKNOWN || (type == DT_LNK && options_.followSymlinks) ||
      (type == DT_DIR && options_.followSymlinks)) {
    const int status =
        options_.followSymlinks ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info);
    if (status != 0) {
      setInputError(task, path, errno == ELOOP ? messages::symlinkLoop : systemReason(errno));
      return true;
    }
    type = typeOfMode(info.st_mode);
  }
  if (type == DT_DIR) return startDirectory(path, info.st_dev, info.st_ino, task);
  if (type != DT_REG) return false;  // links not followed, devices, FIFOs, sockets
  if (isArchiveName(entry.name)) return startArchive(path, task);
  if (!options_.allFiles && !isMidiName(entry.name)) return false;
  setFile(task, path);
  return true;
}
