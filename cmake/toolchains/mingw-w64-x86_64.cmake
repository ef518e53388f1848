# Cross build for 64-bit Windows with Debian's MinGW-w64 compilers.
#
# The -posix compilers are used because GoogleTest needs std::thread and
# friends, which the -win32 thread model lacks. Everything is linked
# statically, so the .exe files run on a bare Windows (and under Wine) without
# the compiler's runtime DLLs beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VARNOK_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VARNOK_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VARNOK_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VARNOK_MINGW_TRIPLET}-windres)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Libraries and headers come from the MinGW-w64 tree only; tools still run on
# the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${VARNOK_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The header-only libraries the command-line tool uses are taken from the
# build machine's packages, through package files that expose those headers
# and nothing else of /usr/include (see cross-packages/header_only.cmake).
set(CLI11_DIR ${CMAKE_CURRENT_LIST_DIR}/../cross-packages/CLI11)
set(nlohmann_json_DIR ${CMAKE_CURRENT_LIST_DIR}/../cross-packages/nlohmann_json)

# ctest (and test discovery) run the .exe files under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../wine-run)
