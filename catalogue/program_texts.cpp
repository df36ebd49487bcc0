// SPDX-License-Identifier: MIT
// The catalogue a command-line program prints with, chosen by its build.
#include "catalogue/texts.h"

const Texts& texts() { return QUELDER_PROGRAM_TEXTS(); }
