// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string_view>

#include "quelder/quelder.h"
#include "scan/file_load.h"

// The library's table of codes, in English, looked up by code.

// The row of code, or null when the library has no such code.
const quelder_code_info* findCode(std::string_view code);

// The row's index in the table, which SARIF rules follow; REQUIRES findCode(code).
std::size_t codeIndex(std::string_view code);

// The code of the file error for a failure to load (not none).
const quelder_code_info& fileErrorCode(LoadFailure failure);
