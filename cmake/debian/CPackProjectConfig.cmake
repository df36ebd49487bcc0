# SPDX-License-Identifier: MIT
# Read by cpack: the Debian packages install under /usr, where the build's
# configured files (quelder.pc) and its multiarch libdir must point too.
if(CPACK_GENERATOR STREQUAL "DEB" AND NOT CPACK_QUELDER_INSTALL_PREFIX STREQUAL "/usr")
  message(FATAL_ERROR "The Debian packages need a build configured with "
                      "-DCMAKE_INSTALL_PREFIX=/usr (this one: ${CPACK_QUELDER_INSTALL_PREFIX})")
endif()
