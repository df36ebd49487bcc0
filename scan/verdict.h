// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "scan/record.h"

// What the one-line formats (text, CSV) say of a record.

enum class Verdict { conforms, conformsWithWarnings, doesNotConform, unreadable };

Verdict verdictOf(const Record& record);
const char* verdictText(Verdict verdict);

// The diagnostic a one-line report shows: the first that counts, else the
// first reference diagnostic not ignored; null when there is none.
const Diagnostic* shownDiagnostic(const Record& record);

// How many diagnostics and findings, not ignored, there are beside the shown one.
std::size_t otherFindingCount(const Record& record, const Diagnostic* shown);

// Appends a name as the terminal shows it safely: each byte below 0x20 and
// 0x7F as '?', as the reference program echoes file names.
void appendPrintable(std::string* out, std::string_view name);

// The record's name, printable: PATH, or ARCHIVE::MEMBER for a member.
std::string displayName(const Record& record);
