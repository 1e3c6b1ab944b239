# Warnings for the project's own targets (not for third-party code).
function(colsplit_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(COLSPLIT_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
