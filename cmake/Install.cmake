# SPDX-License-Identifier: MIT
# Installation and the Debian package.
#
#   cmake --install <build> --prefix <dir>    bin/quelder, bin/quelder-utf8,
#                                              bin/quelder-en, bin/quelder-scan,
#                                              the manual pages and the C library
#                                              (cmake/InstallLibrary.cmake)
#   cpack -G DEB  (in the build directory,     quelder_<version>_<arch>.deb,
#   configured with CMAKE_INSTALL_PREFIX=/usr)  libquelder1_… and libquelder-dev_…
#
# Each install rule names its component, which is its Debian package:
# programs (quelder), library (libquelder1), development (libquelder-dev).
# A rule without one would be left out of every package.
#
# The manual pages are installed gzip-compressed, as Debian wants them:
# share/man/man1/quelder.1.gz and the Japanese page in
# share/man/ja/man1/quelder.1.gz. Without gzip they are installed as they are.
# quelder-utf8 and quelder-en share the page: theirs are links to it.

include(GNUInstallDirs)
include(cmake/InstallLibrary.cmake)

# Side by side: the reference program (CP932), Japanese in UTF-8, English.
set(QUELDER_PROGRAMS quelder quelder-en)
if(TARGET quelder-utf8)
  list(APPEND QUELDER_PROGRAMS quelder-utf8)
endif()
install(TARGETS ${QUELDER_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT programs)

set(QUELDER_MAN_PAGES
  "${PROJECT_SOURCE_DIR}/man/quelder.1|${CMAKE_INSTALL_MANDIR}/man1|man/quelder.1"
  "${PROJECT_SOURCE_DIR}/man/ja/quelder.1|${CMAKE_INSTALL_MANDIR}/ja/man1|man/ja/quelder.1")
# The collection program (scan/, built where libarchive is), with its own pages.
if(TARGET quelder-scan)
  install(TARGETS quelder-scan RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT programs)
  list(APPEND QUELDER_MAN_PAGES
    "${PROJECT_SOURCE_DIR}/man/quelder-scan.1|${CMAKE_INSTALL_MANDIR}/man1|man/quelder-scan.1"
    "${PROJECT_SOURCE_DIR}/man/ja/quelder-scan.1|${CMAKE_INSTALL_MANDIR}/ja/man1|man/ja/quelder-scan.1")
endif()

find_program(QUELDER_GZIP gzip)
set(QUELDER_COMPRESSED_PAGES)
foreach(entry IN LISTS QUELDER_MAN_PAGES)
  string(REPLACE "|" ";" entry "${entry}")
  list(GET entry 0 source)
  list(GET entry 1 destination)
  list(GET entry 2 name)
  if(QUELDER_GZIP)
    # -n leaves out the name and time stamp, so that the same page always
    # compresses to the same bytes.
    set(compressed "${PROJECT_BINARY_DIR}/${name}.gz")
    get_filename_component(compressed_dir "${compressed}" DIRECTORY)
    add_custom_command(
      OUTPUT "${compressed}"
      COMMAND ${CMAKE_COMMAND} -E make_directory "${compressed_dir}"
      COMMAND "${QUELDER_GZIP}" -9n -c "${source}" > "${compressed}"
      DEPENDS "${source}"
      COMMENT "Compressing ${name}"
      VERBATIM)
    list(APPEND QUELDER_COMPRESSED_PAGES "${compressed}")
    install(FILES "${compressed}" DESTINATION "${destination}" COMPONENT programs)
  else()
    install(FILES "${source}" DESTINATION "${destination}" COMPONENT programs)
  endif()
endforeach()
if(QUELDER_COMPRESSED_PAGES)
  add_custom_target(quelder_man_pages ALL DEPENDS ${QUELDER_COMPRESSED_PAGES})
endif()

# Who answers for the package. Debian's tools take the packager from
# DEBFULLNAME and DEBEMAIL; set QUELDER_MAINTAINER to override both.
if(DEFINED ENV{DEBFULLNAME} AND DEFINED ENV{DEBEMAIL})
  set(maintainer "$ENV{DEBFULLNAME} <$ENV{DEBEMAIL}>")
else()
  set(maintainer "The Quelder developers <quelder@example.org>")
endif()
set(QUELDER_MAINTAINER "${maintainer}" CACHE STRING "Maintainer of the Debian package: Name <address>")
set(QUELDER_HOMEPAGE "" CACHE STRING "Project home page, for the Debian package (optional)")

# share/doc/quelder: the licence as a machine-readable copyright file, and
# the Debian changelog.
set(QUELDER_DEB_VERSION "${PROJECT_VERSION}-1")
set(QUELDER_RELEASE_DATE "Tue, 08 Dec 2026 12:00:00 +0000")
set(QUELDER_COPYRIGHT_SOURCE "")
if(QUELDER_HOMEPAGE)
  set(QUELDER_COPYRIGHT_SOURCE "\nSource: ${QUELDER_HOMEPAGE}")
endif()
file(READ "${PROJECT_SOURCE_DIR}/LICENSE" license)
string(REGEX REPLACE "^.*\n(Permission)" "\\1" license "${license}")
string(REGEX REPLACE "\n+$" "" license "${license}")
string(REPLACE "\n\n" "\n.\n" license "${license}")
string(REPLACE "\n" "\n " license "${license}")
set(QUELDER_COPYRIGHT_LICENSE " ${license}")
configure_file(cmake/debian/copyright.in "${PROJECT_BINARY_DIR}/doc/copyright" @ONLY)
configure_file(cmake/debian/changelog.in "${PROJECT_BINARY_DIR}/doc/changelog.Debian" @ONLY)
set(QUELDER_DOC_FILES "${PROJECT_BINARY_DIR}/doc/copyright")
if(QUELDER_GZIP)
  add_custom_command(
    OUTPUT "${PROJECT_BINARY_DIR}/doc/changelog.Debian.gz"
    COMMAND "${QUELDER_GZIP}" -9nf "${PROJECT_BINARY_DIR}/doc/changelog.Debian" -c
            > "${PROJECT_BINARY_DIR}/doc/changelog.Debian.gz"
    DEPENDS "${PROJECT_BINARY_DIR}/doc/changelog.Debian"
    VERBATIM)
  add_custom_target(quelder_changelog ALL DEPENDS "${PROJECT_BINARY_DIR}/doc/changelog.Debian.gz")
  list(APPEND QUELDER_DOC_FILES "${PROJECT_BINARY_DIR}/doc/changelog.Debian.gz")
else()
  list(APPEND QUELDER_DOC_FILES "${PROJECT_BINARY_DIR}/doc/changelog.Debian")
endif()
# Every package carries both in share/doc/<package>, and the same lintian
# override: the packages are made here, not in Debian, so no ITP bug exists
# for their first changelog entry to close.
set(QUELDER_PACKAGES "programs|quelder")
if(TARGET quelder_shared)
  list(APPEND QUELDER_PACKAGES "library|libquelder${PROJECT_VERSION_MAJOR}"
                               "development|libquelder-dev")
endif()
file(READ cmake/debian/lintian-overrides quelder_overrides)
foreach(entry IN LISTS QUELDER_PACKAGES)
  string(REPLACE "|" ";" entry "${entry}")
  list(GET entry 0 component)
  list(GET entry 1 package)
  install(FILES ${QUELDER_DOC_FILES} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package}
          COMPONENT ${component})
  string(REPLACE "/doc/quelder/" "/doc/${package}/" overrides "${quelder_overrides}")
  file(CONFIGURE OUTPUT "${PROJECT_BINARY_DIR}/lintian-overrides/${package}"
       CONTENT "${overrides}" @ONLY)
  install(FILES "${PROJECT_BINARY_DIR}/lintian-overrides/${package}"
          DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides COMPONENT ${component})
endforeach()
# The other programs' pages: symbolic links beside quelder's, in both languages.
if(QUELDER_GZIP)
  set(page_suffix .1.gz)
else()
  set(page_suffix .1)
endif()
foreach(program IN LISTS QUELDER_PROGRAMS)
  if(program STREQUAL "quelder")
    continue()
  endif()
  foreach(section man1 ja/man1)
    set(link "${PROJECT_BINARY_DIR}/man-links/${section}/${program}${page_suffix}")
    get_filename_component(link_dir "${link}" DIRECTORY)
    file(MAKE_DIRECTORY "${link_dir}")
    file(CREATE_LINK "quelder${page_suffix}" "${link}" SYMBOLIC)
    install(FILES "${link}" DESTINATION "${CMAKE_INSTALL_MANDIR}/${section}" COMPONENT programs)
  endforeach()
endforeach()

# Both pages are linted whenever a linter is installed: any groff warning or
# mandoc message fails the test.
if(BUILD_TESTING)
  find_program(QUELDER_GROFF groff)
  find_program(QUELDER_MANDOC mandoc)
  set(lint_programs)
  if(QUELDER_GROFF)
    list(APPEND lint_programs --groff "${QUELDER_GROFF}")
  endif()
  if(QUELDER_MANDOC)
    list(APPEND lint_programs --mandoc "${QUELDER_MANDOC}")
  endif()
  if(lint_programs)
    add_test(NAME man_pages_lint
      COMMAND sh "${PROJECT_SOURCE_DIR}/tests/man_lint_test.sh" ${lint_programs}
              "${PROJECT_SOURCE_DIR}/man/quelder.1" "${PROJECT_SOURCE_DIR}/man/ja/quelder.1")
  endif()
  # The DIAGNOSTICS of both pages and docs/codes.md are what the catalogue
  # makes of them, and the English page reads where Japanese cannot be drawn.
  find_package(Python3 COMPONENTS Interpreter QUIET)
  if(QUELDER_GROFF AND Python3_Interpreter_FOUND)
    add_test(NAME man_pages_diagnostics
      COMMAND sh tests/man_diagnostics_test.sh "${QUELDER_GROFF}" "${Python3_EXECUTABLE}"
              $<TARGET_FILE:quelder_catalogue_json> man/quelder.1
      WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}")
  endif()
endif()

# The Debian packages, one per component: the programs (quelder), the shared
# library (libquelder1) and what programs using the library are built with
# (libquelder-dev).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quelder)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Quelder developers")
set(CPACK_PACKAGE_CONTACT "${QUELDER_MAINTAINER}")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL programs)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUELDER_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SOURCE quelder)
if(QUELDER_HOMEPAGE)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${QUELDER_HOMEPAGE}")
endif()
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Control files as dpkg-deb wants them: 0644, scripts 0755.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Each description's first line is the package's summary; CPack indents the
# rest as the control file requires (an empty line becomes " .").
set(CPACK_DEBIAN_PROGRAMS_PACKAGE_NAME quelder)
set(CPACK_DEBIAN_PROGRAMS_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PROGRAMS_DESCRIPTION "conformance checker for Standard MIDI Files (SMF 1.0)
Quelder tells whether MIDI files (.mid) are well-formed Standard MIDI
Files, version 1.0, for anyone who writes, converts or collects them and
wants to know that other software will read them as meant.

It walks each file once from its first byte to its last: the header chunk,
the chain of chunks, every event of every track and the rules for particular
meta events. It reports the first error with the byte offset of the field
concerned, warns about unknown chunk and meta-event types, and ends each
file with a one-line verdict.

quelder prints Japanese as Shift_JIS (CP932) bytes, the reference output;
quelder-utf8 prints the same Japanese texts in UTF-8, for UTF-8 terminals;
quelder-en prints them in English. All three check alike.

quelder-scan checks whole collections alike: directory trees, tar and zip
archives (in memory) and lists of paths, on all cores, with one record per
file as text, JSON Lines, CSV or SARIF, and an exit status for scripts and
CI.")

set(library_text "It checks a file or a buffer and hands back the verdict and every
diagnostic as values: a stable code, the severity, the byte offset, the
track, event and tick where it was found, and the message in English or
Japanese. Any number of threads may check files at the same time.")
if(TARGET quelder_shared)
  list(APPEND CPACK_COMPONENTS_ALL library development)
  set(library_package libquelder${PROJECT_VERSION_MAJOR})
  set(CPACK_DEBIAN_LIBRARY_PACKAGE_NAME ${library_package})
  set(CPACK_DEBIAN_LIBRARY_PACKAGE_SECTION libs)
  set(CPACK_DEBIAN_LIBRARY_DESCRIPTION "Standard MIDI File conformance checker - shared library
Quelder tells whether MIDI files (.mid) are well-formed Standard MIDI
Files, version 1.0. This package holds its C library.

${library_text}")
  # The shlibs file names this package for programs linked with the
  # library, any release from this one on.
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
  # ... and an ldconfig trigger and a symbols file, made after the package.
  set(CPACK_QUELDER_LIBRARY_PACKAGE ${library_package})
  set(CPACK_QUELDER_DEVELOPMENT_PACKAGE libquelder-dev)
  set(CPACK_QUELDER_SONAME libquelder.so.${PROJECT_VERSION_MAJOR})
  # Every function exported today came with 1.1.0; a function added later
  # is listed with the version that adds it.
  set(CPACK_QUELDER_SYMBOLS_VERSION 1.1.0)
  set(CPACK_POST_BUILD_SCRIPTS "${PROJECT_SOURCE_DIR}/cmake/debian/LibraryControl.cmake")
  set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME ${CPACK_QUELDER_DEVELOPMENT_PACKAGE})
  set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
  set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS
      "${library_package} (= ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})")
  set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION "Standard MIDI File conformance checker - development files
Quelder tells whether MIDI files (.mid) are well-formed Standard MIDI
Files, version 1.0. This package holds what programs that use its C library
are built with: the header quelder/quelder.h, the static library, the link
for the shared one, a pkg-config file and CMake package files
(find_package(quelder)).

${library_text}")
endif()

# The configured files of the library (quelder.pc) name the install prefix,
# and the multiarch libdir comes with /usr only: a package of another prefix
# would be wrong, so cpack refuses it.
set(CPACK_QUELDER_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_PROJECT_CONFIG_FILE "${PROJECT_SOURCE_DIR}/cmake/debian/CPackProjectConfig.cmake")

# The source package, should anyone make one, carries no build trees.
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/" "/fuzz/corpus-work/")

include(CPack)
