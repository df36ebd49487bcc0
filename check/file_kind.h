// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

// What a file is, from the signatures at its start: a Standard MIDI File, or
// what else it is when its first bytes are not an SMF header. Two kinds hold
// an SMF inside: a RIFF RMID file in its data chunk, and a MacBinary file
// behind its 128-byte header.
enum class FileKind : std::uint8_t {
  smf,
  rmid,
  wave,
  mp3,
  ogg,
  flac,
  zip,
  gzip,
  sevenZip,
  rar,
  lha,
  pdf,
  png,
  jpeg,
  gif,
  html,
  xml,
  text,
  macBinary,
  empty,
  unknown,
};

struct FileIdentity {
  FileKind kind = FileKind::unknown;
  // The SMF inside, for rmid and macBinary when it is there: where it starts
  // in the image and how many of its bytes the image holds.
  bool holdsSmf = false;
  std::uint32_t smfOffset = 0;
  std::uint32_t smfSize = 0;
};

// Names the image[0, size). Reads nothing outside it.
FileIdentity identifyFile(const std::uint8_t* image, std::uint32_t size);

// "smf", "rmid", "wave", "mp3", "ogg", "flac", "zip", "gzip", "7z", "rar",
// "lha", "pdf", "png", "jpeg", "gif", "html", "xml", "text", "macbinary",
// "empty", "unknown".
const char* fileKindName(FileKind kind);
