# Strict warnings for the project's own targets only; errors with
# SKORVANE_WERROR (CI, developers who ask), so that a newer compiler's new
# warning never stops a player's or a packager's build.
function(skorvane_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion
    -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Wnull-dereference
    -Wdouble-promotion -Wformat=2)
  if(EMSCRIPTEN)
    # size_t has 32 bits in WebAssembly; the readers bound every size before
    # they narrow it (16384 pixels a side), so the narrowing loses nothing.
    target_compile_options(${target} PRIVATE -Wno-shorten-64-to-32)
  endif()
  if(SKORVANE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
