# The part both toolchain files share; they set CMAKE_SYSTEM_PROCESSOR and
# PELLON_MINGW_PREFIX first. The posix-thread compilers: the win32 thread model lacks
# std::mutex, which GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER   ${PELLON_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PELLON_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${PELLON_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${PELLON_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
