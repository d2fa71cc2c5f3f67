# Test registration: unit tests run directly; tests that need a display get
# their own virtual X server from xvfb-run. Display tests hold one lock so
# that pointer and keyboard events of one never land in another's window.
find_package(GTest REQUIRED)
include(GoogleTest)

find_program(XVFB_RUN xvfb-run)

# skorvane_unit_test(target sources... [LINK libs...])
function(skorvane_unit_test target)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINK" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  skorvane_warnings(${target})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${target} PRIVATE ${ARG_LINK} GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${target} PROPERTIES LABELS unit
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR} DISCOVERY_TIMEOUT 30)
endfunction()

# skorvane_display_test(name LABEL gl|e2e COMMAND cmd args... [TIMEOUT s])
function(skorvane_display_test name)
  cmake_parse_arguments(ARG "" "LABEL;TIMEOUT;WORKING_DIRECTORY" "COMMAND" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  if(NOT ARG_WORKING_DIRECTORY)
    set(ARG_WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  add_test(NAME ${name}
    COMMAND ${XVFB_RUN} -a -s "-screen 0 1280x1024x24 -nolisten tcp" ${ARG_COMMAND}
    WORKING_DIRECTORY ${ARG_WORKING_DIRECTORY})
  set_tests_properties(${name} PROPERTIES LABELS ${ARG_LABEL} TIMEOUT ${ARG_TIMEOUT}
    RESOURCE_LOCK xserver
    ENVIRONMENT "LIBGL_ALWAYS_SOFTWARE=1;ASAN_OPTIONS=detect_leaks=0")
endfunction()
