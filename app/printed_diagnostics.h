// SPDX-License-Identifier: MIT
#pragma once

#include "check/diagnostic.h"

// The command-line programs' sink: each diagnostic printed at once on
// standard error as its line in the program's catalogue, a file error's file
// name as PrintableName shows it.
DiagnosticSink printingSink();
