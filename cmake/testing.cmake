# GoogleTest from the sources that Debian's googletest package installs, built
# with the project's own compiler (natively and for Windows alike).
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)

set(COLSPLIT_PYTHON /usr/bin/python3 CACHE FILEPATH "Debian's python3, which has openpyxl and xlsxwriter")

# One test executable is one ctest entry: under Wine every process start costs
# about a second, so cases are grouped into executables, not run one by one.
# WRAPPER: a bash script that runs the test program (the Windows build's
# through scripts/wine-run), for tests that need something set up around them.
# ARGS: arguments of the test program (a --gtest_filter).
function(colsplit_test name)
  cmake_parse_arguments(ARG "" "WRAPPER" "SOURCES;LIBS;LABELS;ARGS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE "${PROJECT_SOURCE_DIR}/tests")
  target_compile_definitions(${name} PRIVATE
    COLSPLIT_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    COLSPLIT_PYTHON="${COLSPLIT_PYTHON}")
  colsplit_warnings(${name})
  if(WIN32)
    target_link_options(${name} PRIVATE -static)
  endif()
  if(ARG_WRAPPER AND WIN32)
    add_test(NAME ${name} COMMAND bash "${ARG_WRAPPER}" "${PROJECT_SOURCE_DIR}/scripts/wine-run" "$<TARGET_FILE:${name}>" ${ARG_ARGS})
  elseif(ARG_WRAPPER)
    add_test(NAME ${name} COMMAND bash "${ARG_WRAPPER}" "$<TARGET_FILE:${name}>" ${ARG_ARGS})
  else()
    add_test(NAME ${name} COMMAND ${name} ${ARG_ARGS})
  endif()
  if(ARG_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
  endif()
endfunction()
