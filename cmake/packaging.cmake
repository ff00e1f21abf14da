# The release packages that `cpack` makes of a build (scripts/release-packages drives it):
#   - on Linux, a Debian package (DEB) with every program, the library, its headers, its CMake
#     package, the README, the guide and the changes, and a man page per program made from its
#     --help by help2man (TUNNELSMITH_MAN_PAGES, on in the release-packages preset);
#   - on Windows (the windows preset), a zip of the static programs with the README, the guide
#     and the changes.
# Both carry the release version of project() in the top-level CMakeLists.txt.
option(TUNNELSMITH_MAN_PAGES "Make a man page per program from its --help (needs help2man)" OFF)

if(TUNNELSMITH_MAN_PAGES AND NOT CMAKE_CROSSCOMPILING)
  find_program(TUNNELSMITH_HELP2MAN help2man)
  if(NOT TUNNELSMITH_HELP2MAN)
    message(FATAL_ERROR "missing package help2man: scripts/install-deps packages installs it")
  endif()
  # The NAME line of each page: what the program does, in a few words.
  set(summary_tunnelsmith "compile a map text into a level's six files")
  set(summary_tunnelsmith-build "build map texts into level files, for designers, makefiles and editors")
  set(summary_tunnelsmith-check "report every problem of a map text where it stands")
  set(summary_tunnelsmith-inspect "decode level files record by record, and compare two")
  set(summary_tunnelsmith-preview "draw a map text as a PNG picture")
  set(summary_tunnelsmith-decompile "turn a level's six files back into a map text")
  set(summary_tunnelsmith-lsp "language server for editors of map texts")
  set(summary_tunnelsmith-docgen "keep the guide's generated lists and the editor grammar current")
  set(man_dir ${PROJECT_BINARY_DIR}/man)
  set(man_pages "")
  set(built "")
  foreach(program IN LISTS TUNNELSMITH_PROGRAMS)
    if(TARGET ${program})
      list(APPEND built ${program})
    endif()
  endforeach()
  list(JOIN built "," see_also)
  foreach(program IN LISTS built)
    add_custom_command(
      OUTPUT ${man_dir}/${program}.1.gz
      COMMAND ${CMAKE_COMMAND} -DHELP2MAN=${TUNNELSMITH_HELP2MAN}
              -DPROGRAM=$<TARGET_FILE:${program}> -DNAME=${program}
              "-DSUMMARY=${summary_${program}}" -DSEE_ALSO=${see_also}
              -DVERSION=${PROJECT_VERSION} -DOUT=${man_dir}/${program}.1
              -P ${PROJECT_SOURCE_DIR}/cmake/man_page.cmake
      DEPENDS ${program} ${PROJECT_SOURCE_DIR}/cmake/man_page.cmake
              ${PROJECT_SOURCE_DIR}/cmake/help_for_man.sh
      COMMENT "Man page of ${program}"
      VERBATIM)
    list(APPEND man_pages ${man_dir}/${program}.1.gz)
  endforeach()
  add_custom_target(man_pages ALL DEPENDS ${man_pages})
  install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT man)
endif()

set(CPACK_PACKAGE_NAME tunnelsmith)
set(CPACK_PACKAGE_VENDOR Tunnelsmith)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "level compiler for a dungeon-building strategy game, with its checker and tools")
set(CPACK_PACKAGE_CONTACT "Tunnelsmith developers <developers@tunnelsmith.invalid>")
set(CPACK_STRIP_FILES ON)
# Outside the source folder: the release script copies the packages into dist/.
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-windows-x86_64)
  # The programs and the documents in one folder named after the zip: no library, headers or
  # CMake package.
  set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
  set(CPACK_COMPONENTS_ALL programs docs)
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  # The dependencies (libpng for the preview, the C++ runtime) read from the programs.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The lines below the summary line, which CPack puts first.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "\
tunnelsmith compiles a plain-text map into the game's six level files.
tunnelsmith-build is the designer's build command, tunnelsmith-check reports
every problem of a map where it stands, tunnelsmith-inspect, -decompile and
-preview read level files back, and tunnelsmith-lsp serves editors. The static
library, its headers and its CMake package (find_package(Tunnelsmith)) let
other programs compile and check maps in memory.")
endif()
include(CPack)
