# SPDX-License-Identifier: MIT
# Run by cpack after it has made the packages (CPACK_POST_BUILD_SCRIPTS).
# The runtime library package gets the control files Debian gives a library:
# an ldconfig trigger instead of CPack's maintainer scripts that call
# ldconfig themselves, and a symbols file beside the shlibs file, listing
# each exported function with the version that brought it.
find_program(dpkg_deb dpkg-deb REQUIRED)
find_program(nm nm REQUIRED)
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  get_filename_component(name "${deb}" NAME)
  if(NOT name MATCHES "^${CPACK_QUELDER_LIBRARY_PACKAGE}_")
    continue()
  endif()
  set(root "${CPACK_TOPLEVEL_DIRECTORY}/library-control")
  file(REMOVE_RECURSE "${root}")
  execute_process(COMMAND "${dpkg_deb}" -R "${deb}" "${root}" COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE "${root}/DEBIAN/postinst" "${root}/DEBIAN/postrm")
  file(WRITE "${root}/DEBIAN/triggers" "activate-noawait ldconfig\n")

  file(GLOB library "${root}/usr/lib/*/libquelder.so.*.*" "${root}/usr/lib/libquelder.so.*.*")
  execute_process(COMMAND "${nm}" -D --defined-only "${library}"
                  OUTPUT_VARIABLE exported COMMAND_ERROR_IS_FATAL ANY)
  string(REGEX MATCHALL "[^\n ]+@@?QUELDER_[0-9]+" symbols "${exported}")
  list(TRANSFORM symbols REPLACE "@@" "@")
  # The version nodes themselves, as dpkg-gensymbols lists them.
  string(REGEX MATCHALL " A QUELDER_[0-9]+" nodes "${exported}")
  list(TRANSFORM nodes REPLACE "^ A (.*)$" "\\1@\\1")
  list(APPEND symbols ${nodes})
  list(SORT symbols)
  list(REMOVE_DUPLICATES symbols)
  list(TRANSFORM symbols PREPEND " ")
  list(TRANSFORM symbols APPEND " ${CPACK_QUELDER_SYMBOLS_VERSION}")
  list(JOIN symbols "\n" symbols)
  file(WRITE "${root}/DEBIAN/symbols"
       "${CPACK_QUELDER_SONAME} ${CPACK_QUELDER_LIBRARY_PACKAGE} #MINVER#\n"
       "* Build-Depends-Package: ${CPACK_QUELDER_DEVELOPMENT_PACKAGE}\n${symbols}\n")
  file(CHMOD "${root}/DEBIAN/triggers" "${root}/DEBIAN/symbols"
       FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  execute_process(COMMAND "${dpkg_deb}" --root-owner-group -b "${root}" "${deb}"
                  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE "${root}")
endforeach()
