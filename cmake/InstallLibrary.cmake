# SPDX-License-Identifier: MIT
# Installation of the C library, in two components that become two Debian
# packages:
#
#   library      lib/<multiarch>/libquelder.so.1.1.0 and its SONAME link
#                libquelder.so.1 (libquelder1)
#   development  include/quelder/quelder.h, libquelder.so, libquelder.a,
#                pkgconfig/quelder.pc and cmake/quelder/ with the targets
#                quelder::quelder (shared) and quelder::quelder_static
#                (libquelder-dev)
#
# GNUInstallDirs gives the multiarch libdir on Debian when the prefix is /usr.

include(CMakePackageConfigHelpers)

set(QUELDER_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/quelder)

set_target_properties(quelder_library PROPERTIES EXPORT_NAME quelder_static)
if(TARGET quelder_shared)
  set_target_properties(quelder_shared PROPERTIES EXPORT_NAME quelder)
  install(TARGETS quelder_shared EXPORT quelderTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT library
            NAMELINK_COMPONENT development)
endif()
install(TARGETS quelder_library EXPORT quelderTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)
install(FILES ${PROJECT_SOURCE_DIR}/include/quelder/quelder.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/quelder COMPONENT development)
install(EXPORT quelderTargets NAMESPACE quelder:: DESTINATION ${QUELDER_CMAKE_DIR}
        COMPONENT development)

configure_package_config_file(cmake/library/quelderConfig.cmake.in
  "${PROJECT_BINARY_DIR}/library/quelderConfig.cmake" INSTALL_DESTINATION ${QUELDER_CMAKE_DIR})
# A 1.x library serves a program written against any 1.y with y <= x.
write_basic_package_version_file("${PROJECT_BINARY_DIR}/library/quelderConfigVersion.cmake"
  COMPATIBILITY SameMajorVersion)
install(FILES "${PROJECT_BINARY_DIR}/library/quelderConfig.cmake"
              "${PROJECT_BINARY_DIR}/library/quelderConfigVersion.cmake"
        DESTINATION ${QUELDER_CMAKE_DIR} COMPONENT development)

# pkg-config: the C++ runtime only for a static link; the shared library
# names its own.
foreach(dir INCLUDEDIR LIBDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${dir}}")
    set(QUELDER_PC_${dir} "${CMAKE_INSTALL_${dir}}")
  else()
    set(QUELDER_PC_${dir} "\${prefix}/${CMAKE_INSTALL_${dir}}")
  endif()
endforeach()
configure_file(cmake/library/quelder.pc.in "${PROJECT_BINARY_DIR}/library/quelder.pc" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/library/quelder.pc"
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)
