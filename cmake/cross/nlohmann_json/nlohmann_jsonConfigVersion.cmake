# The version of the host's headers decides, as for a native build.
set(PACKAGE_VERSION_COMPATIBLE FALSE)
include(/usr/share/cmake/nlohmann_json/nlohmann_jsonConfigVersion.cmake OPTIONAL)
