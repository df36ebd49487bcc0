// SPDX-License-Identifier: MIT
// The catalogue a command-line program prints with, chosen by its build, and
// the encoding it was compiled in.
#include "catalogue/texts.h"

const Texts& texts() { return QUELDER_PROGRAM_TEXTS(); }
TextEncoding textEncoding() { return literalEncoding(); }
