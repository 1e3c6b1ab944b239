# Cross build for 32-bit Windows (the product) with Debian's MinGW-w64.
set(COLSPLIT_MINGW_ARCH i686)
include("${CMAKE_CURRENT_LIST_DIR}/mingw-cross.cmake")
