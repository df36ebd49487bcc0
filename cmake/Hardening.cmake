# SPDX-License-Identifier: MIT
# The hardening that Debian's dpkg-buildflags gives a package built with
# hardening=+all, applied here so that every build has it, with or without
# dpkg-dev: fortified libc calls, stack protector and stack-clash probes,
# control-flow protection on x86, a read-only GOT bound at start-up, and a
# position-independent executable. Included before any target is defined.
#
# Only for native ELF builds with GCC or clang: the MinGW build links
# statically against a runtime without these, and the sanitizer and fuzz
# builds bring their own instrumentation.

include(CheckPIESupported)
check_pie_supported(OUTPUT_VARIABLE pie_message LANGUAGES CXX)
if(CMAKE_CXX_LINK_PIE_SUPPORTED)
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
else()
  message(STATUS "Hardening: no PIE (${pie_message})")
endif()

# _FORTIFY_SOURCE needs optimisation; the -U keeps compilers that predefine
# it from warning about a redefinition.
add_compile_options(
  "$<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>"
  -fstack-protector-strong -fstack-clash-protection)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64|i[3-6]86)$")
  add_compile_options(-fcf-protection)
endif()
add_link_options(LINKER:-z,relro LINKER:-z,now)
