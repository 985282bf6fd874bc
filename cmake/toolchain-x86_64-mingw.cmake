# Cross-compiles a 64-bit build of everything with the mingw-w64 compilers. The program
# ships as 32-bit; this build lets the tests run on hosts that execute 64-bit code only
# (IA-32 emulation switched off), where Wine runs no 32-bit program.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(PELLON_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
