# libzip, expat and zlib: Debian's -dev packages natively; for Windows the
# static builds that scripts/setup makes from Debian's source packages
# (COLSPLIT_DEPS_PREFIX) and Debian's libz-mingw-w64-dev.
if(WIN32)
  if(NOT COLSPLIT_DEPS_PREFIX)
    message(FATAL_ERROR "COLSPLIT_DEPS_PREFIX must name the MinGW prefix made by scripts/setup")
  endif()
  find_path(ZIP_INCLUDE_DIR zip.h PATHS "${COLSPLIT_DEPS_PREFIX}/include" NO_DEFAULT_PATH REQUIRED)
  find_library(ZIP_LIBRARY NAMES zip libzip PATHS "${COLSPLIT_DEPS_PREFIX}/lib" NO_DEFAULT_PATH REQUIRED)
  find_path(EXPAT_INCLUDE_DIR expat.h PATHS "${COLSPLIT_DEPS_PREFIX}/include" NO_DEFAULT_PATH REQUIRED)
  find_library(EXPAT_LIBRARY NAMES expat libexpat libexpatMD libexpatMT PATHS "${COLSPLIT_DEPS_PREFIX}/lib" NO_DEFAULT_PATH REQUIRED)
  find_library(ZLIB_LIBRARY NAMES libz.a z REQUIRED)

  add_library(deps_zlib INTERFACE)
  target_link_libraries(deps_zlib INTERFACE "${ZLIB_LIBRARY}")

  add_library(deps_expat INTERFACE)
  target_include_directories(deps_expat SYSTEM INTERFACE "${EXPAT_INCLUDE_DIR}")
  target_compile_definitions(deps_expat INTERFACE XML_STATIC)
  target_link_libraries(deps_expat INTERFACE "${EXPAT_LIBRARY}")

  add_library(deps_zip INTERFACE)
  target_include_directories(deps_zip SYSTEM INTERFACE "${ZIP_INCLUDE_DIR}")
  target_compile_definitions(deps_zip INTERFACE ZIP_STATIC)
  target_link_libraries(deps_zip INTERFACE "${ZIP_LIBRARY}" deps_zlib bcrypt advapi32)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(LIBZIP REQUIRED IMPORTED_TARGET libzip)
  find_package(EXPAT REQUIRED)
  find_package(ZLIB REQUIRED)

  add_library(deps_zlib INTERFACE)
  target_link_libraries(deps_zlib INTERFACE ZLIB::ZLIB)
  add_library(deps_expat INTERFACE)
  target_link_libraries(deps_expat INTERFACE EXPAT::EXPAT)
  add_library(deps_zip INTERFACE)
  target_link_libraries(deps_zip INTERFACE PkgConfig::LIBZIP deps_zlib)
endif()
