# Cross-builds Windows programs (x86-64) on Debian with MinGW-w64 (g++-mingw-w64-x86-64-posix:
# the POSIX thread model, which std::thread needs). The programs are linked statically, so an
# .exe needs nothing but Windows itself. Tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TUNNELSMITH_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TUNNELSMITH_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TUNNELSMITH_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TUNNELSMITH_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TUNNELSMITH_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs (and GoogleTest's discovery of their tests) run under Wine. Debian installs the
# 64-bit loader as /usr/lib/wine/wine64 and the `wine` command that chooses it.
find_program(TUNNELSMITH_WINE NAMES wine64 wine PATHS /usr/lib/wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_COMMAND} -E env WINEDEBUG=-all ${TUNNELSMITH_WINE})

# nlohmann-json is header-only: the host's headers serve (see cmake/cross/nlohmann_json).
set(nlohmann_json_DIR ${CMAKE_CURRENT_LIST_DIR}/../cross/nlohmann_json CACHE PATH
    "nlohmann-json for the cross build: the host's headers")
