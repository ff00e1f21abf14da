# Installs a finished build into a fresh prefix, then configures, builds and runs the consumer
# program in this folder against that prefix alone. Run with cmake -P and:
#   BUILD_DIR     the built Tunnelsmith build tree to install
#   PREFIX        instead of BUILD_DIR: where Tunnelsmith is installed already (/usr, for the
#                 Debian package); nothing is installed then
#   WORK_DIR      scratch folder, emptied first: WORK_DIR/prefix and WORK_DIR/consumer
#   GENERATOR, MAKE_PROGRAM, C_COMPILER, CXX_COMPILER, BUILD_TYPE, FLAGS (C and C++)
#                 as the build tree used them
#   MAP, LEVEL    the map file the consumer compiles and the level name it expects
cmake_minimum_required(VERSION 3.25)

foreach(var WORK_DIR GENERATOR C_COMPILER CXX_COMPILER MAP LEVEL)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "run_install_test.cmake needs -D${var}=...")
  endif()
endforeach()

if(DEFINED PREFIX)
  set(prefix ${PREFIX})
elseif(DEFINED BUILD_DIR)
  set(prefix ${WORK_DIR}/prefix)
else()
  message(FATAL_ERROR "run_install_test.cmake needs -DBUILD_DIR=... or -DPREFIX=...")
endif()
set(consumer ${WORK_DIR}/consumer)
file(REMOVE_RECURSE ${WORK_DIR})

# Runs one step; stops the test with its output when it fails.
function(step what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${what} failed (${status}):\n${out}")
  endif()
  message(STATUS "${what}: ok")
  set(step_output "${out}" PARENT_SCOPE)
endfunction()

set(config)
if(BUILD_TYPE)
  set(config --config ${BUILD_TYPE})
endif()

if(NOT DEFINED PREFIX)
  step("install into ${prefix} (build the project first)"
    ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix} ${config})
endif()

set(configure ${CMAKE_COMMAND} -S ${CMAKE_CURRENT_LIST_DIR} -B ${consumer} -G ${GENERATOR}
  -DCMAKE_C_COMPILER=${C_COMPILER} -DCMAKE_CXX_COMPILER=${CXX_COMPILER}
  -DCMAKE_PREFIX_PATH=${prefix}
  -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF)
if(MAKE_PROGRAM)
  list(APPEND configure -DCMAKE_MAKE_PROGRAM=${MAKE_PROGRAM})
endif()
if(BUILD_TYPE)
  list(APPEND configure -DCMAKE_BUILD_TYPE=${BUILD_TYPE})
endif()
if(FLAGS)
  list(APPEND configure "-DCMAKE_C_FLAGS=${FLAGS}" "-DCMAKE_CXX_FLAGS=${FLAGS}")
endif()
step("configure the consumer" ${configure})

# The package must be the installed one, not a build tree or another copy on the machine.
file(STRINGS ${consumer}/CMakeCache.txt found REGEX "^Tunnelsmith_DIR:")
string(REGEX REPLACE "^[^=]*=" "" found "${found}")
file(REAL_PATH "${found}" found)
file(REAL_PATH "${prefix}" real_prefix)
string(FIND "${found}" "${real_prefix}/" at)
if(NOT at EQUAL 0)
  message(FATAL_ERROR "the consumer found Tunnelsmith in '${found}', not under ${prefix}")
endif()

step("build the consumer" ${CMAKE_COMMAND} --build ${consumer} ${config})
step("run the consumer" ${consumer}/tunnelsmith_consumer ${MAP} ${LEVEL})
message("${step_output}")
step("run the C consumer" ${consumer}/tunnelsmith_consumer_c ${MAP})
message("${step_output}")
