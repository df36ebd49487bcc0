// SPDX-License-Identifier: MIT
#include "check/file_kind.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

using namespace std::string_view_literals;

// A kind known by fixed bytes at fixed offsets: `magic` at `at`, and `more`
// at `moreAt` when it is not empty.
struct Signature {
  FileKind kind;
  std::uint32_t at;
  std::string_view magic;
  std::uint32_t moreAt;
  std::string_view more;
};

// Tried in order; the first that matches names the file.
constexpr Signature kSignatures[] = {
    {FileKind::smf, 0, "MThd"sv, 0, ""sv},
    {FileKind::rmid, 0, "RIFF"sv, 8, "RMID"sv},
    {FileKind::wave, 0, "RIFF"sv, 8, "WAVE"sv},
    {FileKind::mp3, 0, "ID3"sv, 0, ""sv},
    {FileKind::ogg, 0, "OggS"sv, 0, ""sv},
    {FileKind::flac, 0, "fLaC"sv, 0, ""sv},
    {FileKind::zip, 0, "PK\x03\x04"sv, 0, ""sv},
    {FileKind::zip, 0, "PK\x05\x06"sv, 0, ""sv},  // an empty archive
    {FileKind::gzip, 0, "\x1F\x8B"sv, 0, ""sv},
    {FileKind::sevenZip, 0, "7z\xBC\xAF\x27\x1C"sv, 0, ""sv},
    {FileKind::rar, 0, "Rar!\x1A\x07"sv, 0, ""sv},
    {FileKind::lha, 2, "-lh"sv, 6, "-"sv},
    {FileKind::lha, 2, "-lz"sv, 6, "-"sv},
    {FileKind::pdf, 0, "%PDF-"sv, 0, ""sv},
    {FileKind::png, 0, "\x89PNG\r\n\x1A\n"sv, 0, ""sv},
    {FileKind::jpeg, 0, "\xFF\xD8\xFF"sv, 0, ""sv},
    {FileKind::gif, 0, "GIF87a"sv, 0, ""sv},
    {FileKind::gif, 0, "GIF89a"sv, 0, ""sv},
    {FileKind::macBinary, 128, "MThd"sv, 0, "\0"sv},  // and a zero first byte
};

constexpr const char* kNames[] = {"smf",  "rmid", "wave", "mp3",  "ogg",       "flac",  "zip",
                                  "gzip", "7z",   "rar",  "lha",  "pdf",       "png",   "jpeg",
                                  "gif",  "html", "xml",  "text", "macbinary", "empty", "unknown"};
static_assert(std::size(kNames) == static_cast<std::size_t>(FileKind::unknown) + 1);

// A view of the image that answers false rather than read past its end.
struct Image {
  const std::uint8_t* bytes;
  std::uint32_t size;

  bool has(std::uint32_t at, std::string_view text) const {
    return at <= size && text.size() <= size - at &&
           std::memcmp(bytes + at, text.data(), text.size()) == 0;
  }
  std::uint32_t le32(std::uint32_t at) const {
    return std::uint32_t{bytes[at]} | std::uint32_t{bytes[at + 1]} << 8 |
           std::uint32_t{bytes[at + 2]} << 16 | std::uint32_t{bytes[at + 3]} << 24;
  }
  std::uint32_t be32(std::uint32_t at) const {
    return std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 |
           std::uint32_t{bytes[at + 2]} << 8 | std::uint32_t{bytes[at + 3]};
  }
};

bool matches(const Image& image, const Signature& signature) {
  return image.has(signature.at, signature.magic) &&
         (signature.more.empty() || image.has(signature.moreAt, signature.more));
}

// An MPEG audio frame header without a tag: eleven set sync bits, a layer,
// and a bitrate index that is not the forbidden one.
bool isMpegFrame(const Image& image) {
  if (image.size < 3 || image.bytes[0] != 0xFF) return false;
  const std::uint8_t second = image.bytes[1];
  const std::uint8_t third = image.bytes[2];
  return (second & 0xE0) == 0xE0 && (second & 0x06) != 0 && (third & 0xF0) != 0xF0;
}

bool isSpace(std::uint8_t byte) {
  return byte == ' ' || byte == '\t' || byte == '\r' || byte == '\n' || byte == '\f';
}

// How many bytes the start of a text examines.
constexpr std::uint32_t kTextSample = 512;

// Markup after an optional UTF-8 byte order mark and white space: html for a
// document type, html, head or body tag or a comment, xml for its declaration.
FileKind markupKind(const Image& image) {
  std::uint32_t at = image.has(0, "\xEF\xBB\xBF"sv) ? 3 : 0;
  while (at < image.size && isSpace(image.bytes[at])) ++at;
  if (image.has(at, "<?xml"sv)) return FileKind::xml;
  char lower[16] = {};
  const std::uint32_t count = std::min<std::uint32_t>(sizeof lower - 1, image.size - at);
  for (std::uint32_t i = 0; i < count; ++i) {
    const char c = static_cast<char>(image.bytes[at + i]);
    lower[i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  const std::string_view start(lower, count);
  for (const std::string_view tag :
       {"<!doctype html"sv, "<html"sv, "<head"sv, "<body"sv, "<!--"sv}) {
    if (start.starts_with(tag)) return FileKind::html;
  }
  return FileKind::unknown;
}

// Plain text: no control characters but white space in the first bytes.
// Bytes from 80 hex are taken as text in UTF-8 or Shift-JIS.
bool isText(const Image& image) {
  const std::uint32_t count = std::min(image.size, kTextSample);
  return std::all_of(image.bytes, image.bytes + count, [](std::uint8_t byte) {
    return (byte >= 0x20 && byte != 0x7F) || isSpace(byte);
  });
}

// RIFF chunks from offset 12: a four-byte type, a little-endian length, the
// data padded to an even length. The SMF is the data chunk's data.
void findRmidData(const Image& image, FileIdentity* identity) {
  std::uint32_t at = 12;
  // The pad byte of a last chunk may be missing: at can pass the end by one.
  while (at <= image.size && image.size - at >= 8) {
    const std::uint32_t length = image.le32(at + 4);
    if (image.has(at, "data"sv)) {
      identity->holdsSmf = true;
      identity->smfOffset = at + 8;
      identity->smfSize = std::min(length, image.size - identity->smfOffset);
      return;
    }
    if (length > image.size - at - 8) return;
    at += 8 + length + (length & 1);
  }
}

// The data fork, the SMF, follows the 128-byte header; its length stands at
// offset 83. When that length does not fit, the rest of the image is taken.
void findMacBinaryData(const Image& image, FileIdentity* identity) {
  constexpr std::uint32_t kHeaderSize = 128;
  const std::uint32_t length = image.be32(83);
  identity->holdsSmf = true;
  identity->smfOffset = kHeaderSize;
  identity->smfSize =
      length != 0 && length <= image.size - kHeaderSize ? length : image.size - kHeaderSize;
}

}  // namespace

FileIdentity identifyFile(const std::uint8_t* bytes, std::uint32_t size) {
  const Image image{bytes, size};
  FileIdentity identity;
  if (size == 0) {
    identity.kind = FileKind::empty;
    return identity;
  }
  const auto signature = std::find_if(std::begin(kSignatures), std::end(kSignatures),
                                      [&](const Signature& s) { return matches(image, s); });
  if (signature != std::end(kSignatures)) {
    identity.kind = signature->kind;
  } else if (isMpegFrame(image)) {
    identity.kind = FileKind::mp3;
  } else {
    const FileKind markup = markupKind(image);
    identity.kind = markup != FileKind::unknown ? markup
                    : isText(image)             ? FileKind::text
                                                : FileKind::unknown;
  }
  if (identity.kind == FileKind::rmid) findRmidData(image, &identity);
  if (identity.kind == FileKind::macBinary) findMacBinaryData(image, &identity);
  return identity;
}

const char* fileKindName(FileKind kind) { return kNames[static_cast<std::size_t>(kind)]; }
