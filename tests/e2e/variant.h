// SPDX-License-Identifier: MIT
#pragma once

// The program under test. Each variant has its own test binary, built from the
// same cases and linked with the catalogue that its program was built with
// (tests/CMakeLists.txt), so that the expected texts are rendered from it.
// The tables run against quelder; the other two run the cases where programs
// differ: the driver and the catalogue.
enum class Variant {
  japaneseCp932,  // quelder, the reference program
  japaneseUtf8,   // quelder-utf8
  english,        // quelder-en
};

Variant variant();
// The program's name as its banner gives it.
const char* bannerName();
// The program built beside the tests.
const char* builtBinary();
