// SPDX-License-Identifier: MIT
#include "scan/baseline.h"

#include <cerrno>
#include <cstdio>

#include "scan/codes.h"
#include "scan/messages.h"

namespace {

bool needsEscape(unsigned char byte) { return byte < 0x20 || byte == 0x7F || byte == '\\'; }

std::string entryOf(std::string_view code, std::string_view path, std::string_view member) {
  std::string entry(code);
  entry += '\t';
  entry += escapeBaselineName(path);
  entry += '\t';
  entry += escapeBaselineName(member);
  return entry;
}

bool isHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// An escaped name is well formed when each backslash starts \xHH and no byte
// that should have been escaped is left bare.
bool isEscapedName(std::string_view name) {
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto byte = static_cast<unsigned char>(name[i]);
    if (byte == '\\') {
      if (i + 3 >= name.size()) return false;
      if (name[i + 1] != 'x' || !isHexDigit(name[i + 2]) || !isHexDigit(name[i + 3])) return false;
      i += 3;
    } else if (needsEscape(byte)) {
      return false;
    }
  }
  return true;
}

// Checks one line: a known code, then two escaped names.
bool isEntry(std::string_view line) {
  const std::size_t firstTab = line.find('\t');
  if (firstTab == std::string_view::npos) return false;
  const std::size_t secondTab = line.find('\t', firstTab + 1);
  if (secondTab == std::string_view::npos) return false;
  const std::string_view path = line.substr(firstTab + 1, secondTab - firstTab - 1);
  return findCode(line.substr(0, firstTab)) != nullptr && !path.empty() && isEscapedName(path) &&
         isEscapedName(line.substr(secondTab + 1));
}

}  // namespace

std::string escapeBaselineName(std::string_view name) {
  std::string escaped;
  escaped.reserve(name.size());
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (needsEscape(byte)) {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", byte);
      escaped += hex;
    } else {
      escaped += c;
    }
  }
  return escaped;
}

bool Baseline::parse(std::string_view text, std::string* error) {
  std::size_t lineNumber = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++lineNumber;
    if (line.empty() || line.front() == '#') continue;
    if (!isEntry(line)) {
      *error = messages::baselineBadLine + std::to_string(lineNumber);
      return false;
    }
    entries_.emplace(line);
  }
  return true;
}

bool Baseline::load(const char* path, std::string* error) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) {
    *error = systemReason(errno);
    return false;
  }
  std::string text;
  char block[65536];
  std::size_t got;
  while ((got = std::fread(block, 1, sizeof block, file)) > 0) text.append(block, got);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) {
    *error = messages::baselineUnreadable;
    return false;
  }
  return parse(text, error);
}

bool Baseline::accepts(std::string_view code, std::string_view path,
                       std::string_view member) const {
  return entries_.find(entryOf(code, path, member)) != entries_.end();
}

void Baseline::add(std::string_view code, std::string_view path, std::string_view member) {
  entries_.insert(entryOf(code, path, member));
}

std::string Baseline::text() const {
  std::string text = messages::baselineHeader;
  for (const std::string& entry : entries_) {
    text += entry;
    text += '\n';
  }
  return text;
}

bool Baseline::write(const char* path, std::string* error) const {
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) {
    *error = systemReason(errno);
    return false;
  }
  const std::string content = text();
  const bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
  if (std::fclose(file) != 0 || !written) {
    *error = systemReason(errno);
    return false;
  }
  return true;
}
