# Every test is a Windows executable run under Wine in a private prefix inside the build
# folder. A fixture boots that prefix once with a persistent wineserver, so each test
# starts in a fraction of a second and no Wine background process holds ctest's pipes.
set(PELLON_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
if(PELLON_X64)
  # The 64-bit loader for everything the tests start (see tools/winebin/wine).
  set(PELLON_WINE_ARCH win64)
  set(PELLON_SESSION_ENV "PATH=${CMAKE_SOURCE_DIR}/tools/winebin:$ENV{PATH}")
else()
  set(PELLON_WINE_ARCH win32)
  set(PELLON_SESSION_ENV)
endif()
set(PELLON_WINE_ENV
    WINEPREFIX=${PELLON_WINEPREFIX} WINEARCH=${PELLON_WINE_ARCH} WINEDEBUG=-all
    "WINEDLLOVERRIDES=mscoree,mshtml,winemenubuilder.exe=" ${PELLON_SESSION_ENV})
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

# pellon_def(<file.def> <out-var>): the export description for this architecture. The
# files name stdcall entries as the 32-bit linker decorates them (Name@bytes); x64 has
# one convention and no decoration, so its copy drops the suffixes.
function(pellon_def def out)
  if(NOT PELLON_X64)
    set(${out} ${def} PARENT_SCOPE)
    return()
  endif()
  get_filename_component(name ${def} NAME)
  set(plain ${CMAKE_CURRENT_BINARY_DIR}/x64-${name})
  file(READ ${def} text)
  string(REGEX REPLACE "([A-Za-z_][A-Za-z0-9_]*)@[0-9]+" "\\1" text "${text}")
  file(WRITE ${plain}.tmp "${text}")
  configure_file(${plain}.tmp ${plain} COPYONLY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
  set(${out} ${plain} PARENT_SCOPE)
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

# The simulated board also runs in a 64-bit prefix, where every caller uses the inline
# method-call layout that the driver can serve end to end.
set(PELLON_WINEPREFIX64 ${CMAKE_BINARY_DIR}/wineprefix64)
set(PELLON_BOARD_PROFILE "8x4" CACHE STRING "Board profile the test prefixes' driver starts with")
set(PELLON_WINE64_ENV
    WINEPREFIX=${PELLON_WINEPREFIX64} WINEARCH=win64 WINEDEBUG=-all
    "WINEDLLOVERRIDES=mscoree,mshtml,winemenubuilder.exe=" ${PELLON_SESSION_ENV})

# pellon_add_board_test(<name> SOURCES <files...> [LIBS <libs...>])
# A GoogleTest executable run in the 64-bit prefix (the x86 build's under WOW64), on the
# simulated board started with PELLON_BOARD_PROFILE.
function(pellon_add_board_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${CMAKE_COMMAND} -E env ${PELLON_WINE64_ENV} wine $<TARGET_FILE:${name}>)
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine64 TIMEOUT 300)
endfunction()
