# The part of a MinGW-w64 cross build (Debian's posix threads variant) that
# both Windows architectures share; the toolchain files set
# COLSPLIT_MINGW_ARCH (i686 or x86_64) and include this.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${COLSPLIT_MINGW_ARCH})

set(CMAKE_C_COMPILER   ${COLSPLIT_MINGW_ARCH}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${COLSPLIT_MINGW_ARCH}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER  ${COLSPLIT_MINGW_ARCH}-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${COLSPLIT_MINGW_ARCH}-w64-mingw32)
if(COLSPLIT_DEPS_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH "${COLSPLIT_DEPS_PREFIX}")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests of the Windows builds run under Wine, through the project's wrapper,
# which picks the loader and prefix of the program's architecture.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run")
