# Every test is a Windows executable run under Wine in a private prefix inside the build
# folder. A fixture boots that prefix once with a persistent wineserver, so each test
# starts in a fraction of a second and no Wine background process holds ctest's pipes.
set(PELLON_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(PELLON_WINE_ENV
    WINEPREFIX=${PELLON_WINEPREFIX} WINEARCH=win32 WINEDEBUG=-all
    "WINEDLLOVERRIDES=mscoree,mshtml,winemenubuilder.exe=")
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_COMMAND} -E env ${PELLON_WINE_ENV} wine)

set(GTEST_DIR /usr/src/googletest)
if(NOT EXISTS ${GTEST_DIR}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources missing: run tools/install-deps.sh")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

enable_testing()

# pellon_add_test(<name> SOURCES <files...> [LIBS <libs...>])
# Builds a GoogleTest executable and registers it to run under Wine after the
# prefix fixture. Tests run inside xvfb-run (see tools/test.sh), so windows work.
function(pellon_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300)
endfunction()

# Adds every immediate sub-folder that has a CMakeLists.txt, so that a new module
# (also one merged in later: the glob is checked again at build time)
# needs no edit of its parent folder.
function(pellon_add_subdirectories)
  file(GLOB children LIST_DIRECTORIES true CONFIGURE_DEPENDS RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
       ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child IN LISTS children)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# The simulated board also runs in a 64-bit prefix, where a 32-bit caller uses
# the inline (WOW64) method-call layout that the driver can serve end to end.
set(PELLON_WINEPREFIX64 ${CMAKE_BINARY_DIR}/wineprefix64)
set(PELLON_BOARD_PROFILE "8x4" CACHE STRING "Board profile the test prefixes' driver starts with")
set(PELLON_WINE64_ENV
    WINEPREFIX=${PELLON_WINEPREFIX64} WINEARCH=win64 WINEDEBUG=-all
    "WINEDLLOVERRIDES=mscoree,mshtml,winemenubuilder.exe=")

# pellon_add_board_test(<name> SOURCES <files...> [LIBS <libs...>])
# A GoogleTest executable run as a 32-bit program in the 64-bit prefix, on the
# simulated board started with PELLON_BOARD_PROFILE.
function(pellon_add_board_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${CMAKE_COMMAND} -E env ${PELLON_WINE64_ENV} wine $<TARGET_FILE:${name}>)
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine64 TIMEOUT 300)
endfunction()
