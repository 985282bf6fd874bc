# Cross-compiles the 32-bit Windows program with the mingw-w64 compilers.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(PELLON_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
