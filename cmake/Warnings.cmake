# Strict warnings for the project's own targets only; errors with
# SKORVANE_WERROR (CI, developers who ask), so that a newer compiler's new
# warning never stops a player's or a packager's build.
function(skorvane_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion
    -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Wnull-dereference
    -Wdouble-promotion -Wformat=2)
  if(SKORVANE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
