# Cross build for 64-bit Windows (the product's twin) with Debian's MinGW-w64.
set(COLSPLIT_MINGW_ARCH x86_64)
include("${CMAKE_CURRENT_LIST_DIR}/mingw-cross.cmake")
