// SPDX-License-Identifier: MIT
#include "scan_test_support.h"

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

void makeParents(const std::string& path) {
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
}

}  // namespace

ScratchDir::ScratchDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern =
      std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/quelder-scan-test.XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
  path_ = pattern;
}

ScratchDir::~ScratchDir() {
  // A test may leave a directory it made unreadable.
  std::error_code error;
  for (auto it = std::filesystem::recursive_directory_iterator(
           path_, std::filesystem::directory_options::skip_permission_denied, error);
       it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    if (it->is_directory(error) && !it->is_symlink(error)) ::chmod(it->path().c_str(), 0700);
  }
  std::filesystem::remove_all(path_, error);
}

std::string ScratchDir::at(std::string_view relative) const {
  return path_ + "/" + std::string(relative);
}

void ScratchDir::write(std::string_view relative, std::string_view bytes) const {
  const std::string path = at(relative);
  makeParents(path);
  std::ofstream file(path, std::ios::binary);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(file.good()) << path;
}

void ScratchDir::makeDirectory(std::string_view relative) const {
  std::error_code error;
  std::filesystem::create_directories(at(relative), error);
  ASSERT_FALSE(error) << relative;
}

void ScratchDir::symlink(std::string_view target, std::string_view relative) const {
  const std::string path = at(relative);
  makeParents(path);
  ASSERT_EQ(::symlink(std::string(target).c_str(), path.c_str()), 0) << path;
}

void ScratchDir::fifo(std::string_view relative) const {
  const std::string path = at(relative);
  makeParents(path);
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0) << path;
}

bool writeArchive(const std::string& path, ArchiveKind kind,
                  const std::vector<ArchiveMember>& members) {
  makeParents(path);
  archive* writer = archive_write_new();
  bool ok = true;
  switch (kind) {
    case ArchiveKind::tar:
      ok = archive_write_set_format_pax_restricted(writer) == ARCHIVE_OK;
      break;
    case ArchiveKind::tarGz:
      ok = archive_write_set_format_pax_restricted(writer) == ARCHIVE_OK &&
           archive_write_add_filter_gzip(writer) == ARCHIVE_OK;
      break;
    case ArchiveKind::tarXz:
      ok = archive_write_set_format_pax_restricted(writer) == ARCHIVE_OK &&
           archive_write_add_filter_xz(writer) == ARCHIVE_OK;
      break;
    case ArchiveKind::tarZst:
      ok = archive_write_set_format_pax_restricted(writer) == ARCHIVE_OK &&
           archive_write_add_filter_zstd(writer) == ARCHIVE_OK;
      break;
    case ArchiveKind::zip: ok = archive_write_set_format_zip(writer) == ARCHIVE_OK; break;
  }
  ok = ok && archive_write_open_filename(writer, path.c_str()) == ARCHIVE_OK;
  for (const ArchiveMember& member : members) {
    if (!ok) break;
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, member.name.c_str());
    archive_entry_set_filetype(entry, AE_IFREG);
    archive_entry_set_perm(entry, 0644);
    archive_entry_set_size(entry, static_cast<la_int64_t>(member.bytes.size()));
    ok = archive_write_header(writer, entry) == ARCHIVE_OK &&
         (member.bytes.empty() ||
          archive_write_data(writer, member.bytes.data(), member.bytes.size()) ==
              static_cast<la_ssize_t>(member.bytes.size()));
    archive_entry_free(entry);
  }
  ok = archive_write_close(writer) == ARCHIVE_OK && ok;
  archive_write_free(writer);
  return ok;
}

std::string readWhole(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

std::string exampleBytes(std::string_view name) {
  return readWhole(std::string(QUELDER_EXAMPLES_DIR) + "/" + std::string(name));
}

std::string smfOfTrack(std::string_view track) {
  std::string bytes("MThd\0\0\0\6\0\0\0\1\0\x60MTrk\0\0\0", 21);
  bytes += static_cast<char>(track.size());
  bytes += track;
  return bytes;
}

std::vector<std::string> sarifResultLevels(const std::string& log) {
  std::vector<std::string> levels;
  const std::string key = "\"level\":\"";
  const std::size_t end = log.find("\"artifacts\":");
  for (std::size_t at = log.find(key); at < end; at = log.find(key, at)) {
    at += key.size();
    levels.push_back(log.substr(at, log.find('"', at) - at));
  }
  return levels;
}
