# nlohmann-json is header-only, so a cross build (Windows, WebAssembly) can use the host's copy
# (Debian's nlohmann-json3-dev): through a folder that holds that one library, never the host's whole
# /usr/include, whose C headers are not the target's.
set(_tunnelsmith_json_headers /usr/include/nlohmann)
if(NOT EXISTS ${_tunnelsmith_json_headers}/json.hpp)
  set(nlohmann_json_FOUND FALSE)
  return()
endif()
if(NOT TARGET nlohmann_json::nlohmann_json)
  set(_tunnelsmith_json_view ${CMAKE_BINARY_DIR}/host-headers)
  file(MAKE_DIRECTORY ${_tunnelsmith_json_view})
  file(CREATE_LINK ${_tunnelsmith_json_headers} ${_tunnelsmith_json_view}/nlohmann SYMBOLIC)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES ${_tunnelsmith_json_view})
endif()
