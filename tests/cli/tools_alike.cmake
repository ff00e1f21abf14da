# Every program answers --help (what it does, its options, its exit statuses) and --version
# (one release version for all, from the build); every tool but the compiler exits 2 for an
# unknown option and for an input file it cannot read. The compiler keeps its own interface: the two
# questions are answered after its banner, with the banner's fixed version, and anything else is a
# map file name.
#   cmake -DPROGRAMS=<name>=<path>;... -DVERSION=<x.y.z> -DBANNER_VERSION=<x.y> -DWORK_DIR=<dir>
#         [-DEMULATOR=<command>]
#         -P tools_alike.cmake
# EMULATOR runs programs built for another system (Wine, for the Windows build).
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
set(failures "")

function(expect condition what)
  if(NOT ${condition})
    set(failures "${failures}\n  ${what}" PARENT_SCOPE)
  endif()
endfunction()

foreach(entry IN LISTS PROGRAMS)
  string(REPLACE "=" ";" pair "${entry}")
  list(GET pair 0 name)
  list(GET pair 1 path)
  set(banner "")
  set(version ${VERSION})
  if(name STREQUAL "tunnelsmith")
    set(banner "Tunnelsmith version: ${BANNER_VERSION}\n")
    set(version ${BANNER_VERSION})
  endif()

  execute_process(COMMAND ${EMULATOR} ${path} --help WORKING_DIRECTORY ${WORK_DIR}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(FIND "${out}" "${name}" has_name)
  string(FIND "${out}" "Exit status" has_statuses)
  set(ok FALSE)
  if(status EQUAL 0 AND has_name GREATER -1 AND has_statuses GREATER -1)
    set(ok TRUE)
  endif()
  expect(ok "${name} --help: status ${status}, output:\n${out}${err}")

  execute_process(COMMAND ${EMULATOR} ${path} --version WORKING_DIRECTORY ${WORK_DIR}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(ok FALSE)
  if(status EQUAL 0 AND out STREQUAL "${banner}${name} ${version}\n")
    set(ok TRUE)
  endif()
  expect(ok "${name} --version: status ${status}, output:\n${out}${err}")

  if(NOT name STREQUAL "tunnelsmith")
    foreach(args "--no-such-option" "${WORK_DIR}/no-such-file.txt")
      execute_process(COMMAND ${EMULATOR} ${path} ${args} WORKING_DIRECTORY ${WORK_DIR}
                      RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
      set(ok FALSE)
      if(status EQUAL 2)
        set(ok TRUE)
      endif()
      expect(ok "${name} ${args}: status ${status} (expected 2), output:\n${out}${err}")
    endforeach()
  endif()
endforeach()

file(GLOB left ${WORK_DIR}/*)
if(left)
  set(failures "${failures}\n  files left behind: ${left}")
endif()
if(failures)
  message(FATAL_ERROR "programs that do not behave alike:${failures}")
endif()
