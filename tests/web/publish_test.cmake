# The page published from a stand-in game, then again with each of its own
# files changed in turn: each time the service worker must change too, or the
# browsers that keep the game offline never take the change.
# Usage: cmake -DPAGE_SOURCE=web/page -DLICENSE=file -DICON=file -DWORK=dir -P publish_test.cmake
file(REMOVE_RECURSE ${WORK})
foreach(suffix js wasm data)
  file(WRITE ${WORK}/link/skorvane.${suffix} "the game's ${suffix}")
endforeach()

function(publish name changed)
  set(source ${WORK}/${name}/source)
  file(COPY ${PAGE_SOURCE}/ DESTINATION ${source})
  file(COPY_FILE ${LICENSE} ${source}/LICENSE)
  file(COPY_FILE ${ICON} ${source}/skorvane.svg)
  if(changed)
    file(APPEND ${source}/${changed} "\n")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -DLINKED=${WORK}/link -DPAGE=${WORK}/${name}/page -DSOURCE=${source}
    -DLICENSE=${source}/LICENSE -DICON=${source}/skorvane.svg -P ${source}/publish.cmake RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "publishing with ${changed} changed failed")
  endif()
  file(READ ${WORK}/${name}/page/sw.js worker)
  set(worker "${worker}" PARENT_SCOPE)
endfunction()

publish(first "")
set(first "${worker}")
foreach(file index.html.in index.js index.css manifest.webmanifest LICENSE skorvane.svg)
  publish(${file} ${file})
  if(worker STREQUAL first)
    message(FATAL_ERROR "${file} changed, and the service worker is the same")
  endif()
endforeach()
message(STATUS "a new service worker for each file changed")
