// SPDX-License-Identifier: MIT
#include "scan/codes.h"

#include <string_view>
#include <unordered_map>

namespace {

// Code to index, made once: the table is fixed for the library's lifetime.
const std::unordered_map<std::string_view, std::size_t>& codeIndexes() {
  static const std::unordered_map<std::string_view, std::size_t> indexes = [] {
    std::unordered_map<std::string_view, std::size_t> made;
    for (std::size_t i = 0; i < quelder_code_count(); ++i) {
      made.emplace(quelder_code(i, QUELDER_LANGUAGE_EN)->code, i);
    }
    return made;
  }();
  return indexes;
}

// The library's file errors, by the step of loading that fails.
std::string_view fileErrorName(LoadFailure failure) {
  switch (failure) {
    case LoadFailure::open: return "open-failed";
    case LoadFailure::size: return "size-failed";
    case LoadFailure::read: return "read-failed";
    case LoadFailure::tooLarge:
    case LoadFailure::memory:
    case LoadFailure::none: break;
  }
  return "memory-failed";
}

}  // namespace

const quelder_code_info* findCode(std::string_view code) {
  const auto& indexes = codeIndexes();
  const auto found = indexes.find(code);
  return found == indexes.end() ? nullptr : quelder_code(found->second, QUELDER_LANGUAGE_EN);
}

std::size_t codeIndex(std::string_view code) { return codeIndexes().at(code); }

const quelder_code_info& fileErrorCode(LoadFailure failure) {
  return *findCode(fileErrorName(failure));
}
