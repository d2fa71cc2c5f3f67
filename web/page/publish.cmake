# Puts the linked game into the page's folder under names of its content:
# skorvane.HASH.js, .wasm and .data.gz (the data packed), and writes index.html
# and sw.js naming them. A page and its service worker so always name one
# build's files together, and a new build never shares a name with an old one.
# Usage: cmake -DLINKED=dir -DPAGE=dir -DSOURCE=web-dir -P publish.cmake
execute_process(COMMAND gzip -9 -n -f -k skorvane.data WORKING_DIRECTORY ${LINKED}
  RESULT_VARIABLE packed)
if(NOT packed EQUAL 0)
  message(FATAL_ERROR "Could not pack ${LINKED}/skorvane.data")
endif()
set(contents "")
foreach(suffix js wasm data.gz)
  file(SHA256 ${LINKED}/skorvane.${suffix} hash)
  string(APPEND contents ${hash})
endforeach()
string(SHA256 version "${contents}")
string(SUBSTRING ${version} 0 12 version)
set(GAME skorvane.${version})
file(GLOB old ${PAGE}/skorvane.*.js ${PAGE}/skorvane.*.wasm ${PAGE}/skorvane.*.data.gz)
if(old)
  file(REMOVE ${old})
endif()
foreach(suffix js wasm data.gz)
  file(COPY_FILE ${LINKED}/skorvane.${suffix} ${PAGE}/${GAME}.${suffix})
endforeach()
configure_file(${SOURCE}/index.html.in ${PAGE}/index.html @ONLY)
configure_file(${SOURCE}/sw.js.in ${PAGE}/sw.js @ONLY)
