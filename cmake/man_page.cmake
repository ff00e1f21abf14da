# Writes the man page of one program from its --help with help2man, gzipped as Debian keeps
# man pages. Run with cmake -P and:
#   HELP2MAN  the help2man program      PROGRAM  the built program
#   NAME      the program's name        SUMMARY  what it does, for the NAME line
#   VERSION   the release version       OUT      the page to write (OUT.gz is kept)
#   SEE_ALSO  every program's name, separated by commas
cmake_minimum_required(VERSION 3.25)
get_filename_component(here ${CMAKE_CURRENT_LIST_FILE} DIRECTORY)
get_filename_component(folder ${OUT} DIRECTORY)
file(MAKE_DIRECTORY ${folder})

set(see_also "")
string(REPLACE "," ";" programs "${SEE_ALSO}")
foreach(other IN LISTS programs)
  if(NOT other STREQUAL NAME)
    list(APPEND see_also "\\fB${other}\\fR(1)")
  endif()
endforeach()
list(JOIN see_also ", " see_also)
file(WRITE ${OUT}.include "[SEE ALSO]
${see_also}.
.PP
The designers' guide to the map format, with every section, every name the compiler knows and
every console message: /usr/share/doc/tunnelsmith/map-format.md.
")

# help2man hands its program line to the shell, which runs the wrapper on the program.
execute_process(
  COMMAND ${HELP2MAN} --no-info --section=1 --name=${SUMMARY}
          "--version-string=${NAME} ${VERSION}" --include=${OUT}.include --output=${OUT}
          "sh ${here}/help_for_man.sh ${PROGRAM}"
  RESULT_VARIABLE status ERROR_VARIABLE err)
file(REMOVE ${OUT}.include)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "help2man failed for ${NAME}: ${err}")
endif()
execute_process(COMMAND gzip -9nf ${OUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip failed for ${OUT}")
endif()
