# Installation and the Debian package.
#
#   cmake --install <build> --prefix <dir>    bin/quelder and the manual pages
#   cpack -G DEB  (in the build directory)     quelder_<version>_<arch>.deb
#
# The manual pages are installed gzip-compressed, as Debian wants them:
# share/man/man1/quelder.1.gz and the Japanese page in
# share/man/ja/man1/quelder.1.gz. Without gzip they are installed as they are.

include(GNUInstallDirs)

install(TARGETS quelder RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(QUELDER_MAN_PAGES
  "${PROJECT_SOURCE_DIR}/man/quelder.1|${CMAKE_INSTALL_MANDIR}/man1|man/quelder.1"
  "${PROJECT_SOURCE_DIR}/man/ja/quelder.1|${CMAKE_INSTALL_MANDIR}/ja/man1|man/ja/quelder.1")

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
    install(FILES "${compressed}" DESTINATION "${destination}")
  else()
    install(FILES "${source}" DESTINATION "${destination}")
  endif()
endforeach()
if(QUELDER_COMPRESSED_PAGES)
  add_custom_target(quelder_man_pages ALL DEPENDS ${QUELDER_COMPRESSED_PAGES})
endif()

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
endif()

# The Debian package: one binary package holding everything installed above.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quelder)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quelder developers")
set(CPACK_PACKAGE_CONTACT "Quelder developers <quelder@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "conformance checker for Standard MIDI Files (SMF 1.0)")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The extended description; CPack puts the summary above it and indents it as
# the control file requires (an empty line becomes " .").
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Quelder checks whether Standard MIDI Files conform to the SMF 1.0
standard. It walks each file once from its first byte to its
last: the header chunk, the chain of chunks, every event of every track and
the rules for particular meta events. It reports the first error with the
byte offset of the field concerned, warns about unknown chunk and meta-event
types, and ends each file with a one-line verdict.

All output is Japanese, written as Shift_JIS (CP932) bytes; on a UTF-8
terminal pipe it through iconv -f CP932 -t UTF-8.")
# The source package, should anyone make one, carries no build trees.
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/" "/fuzz/corpus-work/")

include(CPack)
