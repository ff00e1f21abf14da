# One version for the whole release, and the compiler's banner as it always was. The release
# version is project()'s in CMakeLists.txt; every package's own manifest must carry it, the
# newest entry of CHANGELOG.md must be it, and the compiler must still print the banner that
# stored logs and calling tools read, whatever the release version.
#   cmake -DVERSION=<x.y.z> -DSOURCE=<source dir> -DCOMPILER=<tunnelsmith> -DWORK_DIR=<dir>
#         -P versions.cmake
set(failures "")
function(expect_equal what found wanted)
  if(NOT "${found}" STREQUAL "${wanted}")
    set(failures "${failures}\n  ${what}: '${found}', expected '${wanted}'" PARENT_SCOPE)
  endif()
endfunction()

if(NOT VERSION MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+$")
  set(failures "${failures}\n  the release version '${VERSION}' is not major.minor.patch")
endif()

# The package manifests (the npm package's is generated from its template at configure time).
foreach(manifest editors/vscode/package.json editors/vscode/package-lock.json studio/package.json
                 studio/package-lock.json js/package.json js/package-lock.json)
  file(READ ${SOURCE}/${manifest} text)
  string(JSON found ERROR_VARIABLE error GET "${text}" version)
  expect_equal("${manifest}'s version" "${found}" "${VERSION}")
endforeach()
file(READ ${SOURCE}/js/src/package.json.in text)
string(JSON found GET "${text}" version)
expect_equal("js/src/package.json.in's version" "${found}" "@PROJECT_VERSION@")

file(STRINGS ${SOURCE}/CHANGELOG.md entries REGEX "^## ")
list(GET entries 0 newest)
expect_equal("CHANGELOG.md's newest entry" "${newest}" "## ${VERSION}")

# The banner, with no map, and the compiler's --version: the text never changes.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
execute_process(COMMAND ${COMPILER} WORKING_DIRECTORY ${WORK_DIR} OUTPUT_VARIABLE out)
string(REGEX REPLACE "\n.*" "" banner "${out}")
expect_equal("the compiler's banner" "${banner}" "Tunnelsmith version: 1.2")
execute_process(COMMAND ${COMPILER} --version WORKING_DIRECTORY ${WORK_DIR} OUTPUT_VARIABLE out)
expect_equal("tunnelsmith --version" "${out}" "Tunnelsmith version: 1.2\ntunnelsmith 1.2\n")
file(REMOVE_RECURSE ${WORK_DIR})

if(failures)
  message(FATAL_ERROR "the release's versions disagree:${failures}")
endif()
