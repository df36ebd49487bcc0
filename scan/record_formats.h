// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "scan/record.h"

// One record in each of the streaming formats, appended to out with its line
// end. The texts are English; names are echoed safely (text, CSV) or escaped
// (JSON).

// NAME: VERDICT[: CODE at OFFSET (track T, event E, tick K): MESSAGE]...
// with the verdict in colour when colour is set.
void appendTextLine(std::string* out, const Record& record, bool colour);

// One JSON object on one line, as scan/schema/quelder-scan-v2.schema.json
// describes it.
void appendJsonLine(std::string* out, const Record& record);

// The CSV header line, then one row per record (RFC 4180 quoting).
void appendCsvHeader(std::string* out);
void appendCsvRow(std::string* out, const Record& record);
