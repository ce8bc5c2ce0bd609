# Packages a user installs without building: `cpack` in a build directory makes
#   zelkov_<version>_<arch>.deb   from the Linux build: bin/zelkov, its manual page, README
#                                 and the changelog Debian asks for;
#   zelkov-<version>-win32.zip    from the 32-bit MinGW build: zelkov.exe, README, the manual
#                                 as plain text and the example project.
# A package holds exactly the install rules of the component "package" below. They are left
# out of a plain `cmake --install`, which keeps installing what CMakeLists.txt names. The
# version is the project's, given in its project() call.

set(zelkov_package_rules COMPONENT package EXCLUDE_FROM_ALL)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "write a makefile for a program made of Fortran and C sources")
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};package;/")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  # Windows has no man: the manual goes along as plain text with CR LF line ends.
  find_program(ZELKOV_GROFF groff NO_CMAKE_FIND_ROOT_PATH)
  if(ZELKOV_GROFF)
    add_custom_command(
      OUTPUT zelkov.txt
      COMMAND ${CMAKE_COMMAND} -DGROFF=${ZELKOV_GROFF} -DIN=${PROJECT_SOURCE_DIR}/zelkov.1
              -DOUT=${CMAKE_BINARY_DIR}/zelkov.txt -P ${CMAKE_CURRENT_LIST_DIR}/man-to-text.cmake
      DEPENDS ${PROJECT_SOURCE_DIR}/zelkov.1 ${CMAKE_CURRENT_LIST_DIR}/man-to-text.cmake
      VERBATIM)
    add_custom_target(zelkov_manual_text ALL DEPENDS zelkov.txt)
    install(FILES ${CMAKE_BINARY_DIR}/zelkov.txt DESTINATION . ${zelkov_package_rules})
  else()
    message(WARNING "No groff: the Windows package will lack the manual (zelkov.txt)")
  endif()
  install(TARGETS zelkov RUNTIME DESTINATION . ${zelkov_package_rules})
  install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION . ${zelkov_package_rules})
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION examples
          ${zelkov_package_rules})

  set(CPACK_GENERATOR ZIP)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(CPACK_PACKAGE_FILE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-win32)
  else()
    set(CPACK_PACKAGE_FILE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-win64)
  endif()
  include(CPack)
elseif(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  set(ZELKOV_PACKAGE_MAINTAINER
      "zelkov maintainers <maintainers@users.noreply.c-seed-3bcc5428.example>"
      CACHE STRING "Maintainer named in the Debian package")
  # Debian wants a changelog in every package; this one has the single entry of the release
  # built (SOURCE_DATE_EPOCH, when set, gives its date).
  string(TIMESTAMP zelkov_package_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
  file(
    CONFIGURE
    OUTPUT changelog
    CONTENT
      "${PROJECT_NAME} (${PROJECT_VERSION}) unstable; urgency=medium

  * Release ${PROJECT_VERSION}, packaged by the project's own build; see README.md.

 -- ${ZELKOV_PACKAGE_MAINTAINER}  ${zelkov_package_date}
")
  # Debian keeps manual pages and changelogs compressed, with no time stamp in the gzip header.
  find_program(ZELKOV_GZIP gzip REQUIRED)
  add_custom_command(
    OUTPUT zelkov.1.gz changelog.gz
    COMMAND ${ZELKOV_GZIP} -9nc ${PROJECT_SOURCE_DIR}/zelkov.1 > ${CMAKE_BINARY_DIR}/zelkov.1.gz
    COMMAND ${ZELKOV_GZIP} -9nc ${CMAKE_BINARY_DIR}/changelog > ${CMAKE_BINARY_DIR}/changelog.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/zelkov.1 ${CMAKE_BINARY_DIR}/changelog)
  add_custom_target(zelkov_package_gz ALL DEPENDS zelkov.1.gz changelog.gz)
  install(TARGETS zelkov RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} ${zelkov_package_rules})
  install(FILES ${CMAKE_BINARY_DIR}/zelkov.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
          ${zelkov_package_rules})
  install(FILES ${PROJECT_SOURCE_DIR}/README.md ${CMAKE_BINARY_DIR}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DOCDIR} ${zelkov_package_rules})

  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${ZELKOV_PACKAGE_MAINTAINER})
  set(CPACK_DEBIAN_PACKAGE_SECTION devel)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "zelkov reads the Fortran and C sources named on its command line, follows the
include files they read (Fortran INCLUDE, C #include) and the modules they
define and use (MODULE, USE, SUBMODULE), and writes to standard output a
makefile that compiles every source in dependency order and links the program.
It checks that every module used is defined by one of the given sources.")
  include(CPack)
endif()
