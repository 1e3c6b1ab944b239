# AddressSanitizer and UndefinedBehaviorSanitizer for everything the sanitize
# preset builds; any finding stops the program (no recovering past undefined
# behaviour). Code is also instrumented for libFuzzer's coverage feedback; only
# the fuzz targets link libFuzzer's driver (-fsanitize=fuzzer).
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "The sanitize preset needs clang (libFuzzer): CMAKE_CXX_COMPILER=clang++")
endif()
add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
                    -fsanitize=fuzzer-no-link)
add_link_options(-fsanitize=address,undefined)
