# Fills the page's folder with one build: the game's script, WebAssembly and
# packed data as skorvane.HASH.js, .wasm and .data.gz, the page's script and
# style as index.HASH.js and .css (each HASH of its own content), then
# index.html naming them and sw.js keeping them under the build's name, a hash
# of every file served. A page so only ever names one build's files, a new
# build never shares a name with an old one, and any change to any file gives
# the service worker a new build to keep.
# Usage: cmake -DLINKED=dir -DPAGE=dir -DSOURCE=web/page -DLICENSE=file -DICON=file -P publish.cmake
execute_process(COMMAND gzip -9 -n -f -k skorvane.data WORKING_DIRECTORY ${LINKED}
  RESULT_VARIABLE packed)
if(NOT packed EQUAL 0)
  message(FATAL_ERROR "Could not pack ${LINKED}/skorvane.data")
endif()

function(short_hash variable text)
  string(SHA256 hash "${text}")
  string(SUBSTRING ${hash} 0 12 hash)
  set(${variable} ${hash} PARENT_SCOPE)
endfunction()

file(MAKE_DIRECTORY ${PAGE})
# An earlier build's files, and the plain index.js and index.css of a folder
# made before the page's script and style were named by their content.
file(GLOB old ${PAGE}/skorvane.*.js ${PAGE}/skorvane.*.wasm ${PAGE}/skorvane.*.data.gz ${PAGE}/index.*js
  ${PAGE}/index.*css)
if(old)
  file(REMOVE ${old})
endif()

set(contents "")
foreach(suffix js wasm data.gz)
  file(SHA256 ${LINKED}/skorvane.${suffix} hash)
  string(APPEND contents ${hash})
endforeach()
short_hash(hash "${contents}")
set(GAME skorvane.${hash})
foreach(suffix js wasm data.gz)
  file(COPY_FILE ${LINKED}/skorvane.${suffix} ${PAGE}/${GAME}.${suffix})
endforeach()
foreach(suffix js css)
  file(SHA256 ${SOURCE}/index.${suffix} hash)
  string(SUBSTRING ${hash} 0 12 hash)
  set(index_${suffix} index.${hash}.${suffix})
  file(COPY_FILE ${SOURCE}/index.${suffix} ${PAGE}/${index_${suffix}})
  string(APPEND contents ${hash})
endforeach()
set(SCRIPT ${index_js})
set(STYLE ${index_css})
file(COPY_FILE ${SOURCE}/manifest.webmanifest ${PAGE}/manifest.webmanifest)
file(COPY_FILE ${LICENSE} ${PAGE}/LICENSE.txt)
file(COPY_FILE ${ICON} ${PAGE}/skorvane.svg)
configure_file(${SOURCE}/index.html.in ${PAGE}/index.html @ONLY)

foreach(file index.html manifest.webmanifest LICENSE.txt skorvane.svg)
  file(SHA256 ${PAGE}/${file} hash)
  string(APPEND contents ${hash})
endforeach()
short_hash(BUILD "${contents}")
configure_file(${SOURCE}/sw.js.in ${PAGE}/sw.js @ONLY)
