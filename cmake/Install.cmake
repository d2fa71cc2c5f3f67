# Install rules: the game, its four data files, a launcher that starts it from
# its data folder, a desktop entry, an icon, metainfo, a man page, the
# changelog and the copyright file. Debian's games layout is
#   -DCMAKE_INSTALL_BINDIR=games -DCMAKE_INSTALL_DATADIR=share/games
# and the desktop files still go under share/, the only place desktops look.
include(GNUInstallDirs)

set(SKORVANE_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/skorvane)
set(SKORVANE_INSTALL_GAMEDIR ${CMAKE_INSTALL_LIBEXECDIR}/skorvane)

# The real binary is not meant to be started directly: it reads its files from
# the working directory, which the launcher in bin/ sets.
install(TARGETS skorvane RUNTIME DESTINATION ${SKORVANE_INSTALL_GAMEDIR})
install(FILES
  ${SKORVANE_DATA_DIR}/asteroid.bmp
  ${SKORVANE_DATA_DIR}/fire.bmp
  ${SKORVANE_DATA_DIR}/smoke.bmp
  ${SKORVANE_DATA_DIR}/cessna500.m
  DESTINATION ${SKORVANE_INSTALL_DATADIR})

# The launcher finds both relative to itself, so the tree can be installed
# under any prefix and moved afterwards.
file(RELATIVE_PATH SKORVANE_LAUNCHER_TO_DATA
  ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/skorvane)
file(RELATIVE_PATH SKORVANE_LAUNCHER_TO_BINARY
  ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBEXECDIR}/skorvane/skorvane)
configure_file(${PROJECT_SOURCE_DIR}/dist/skorvane.in ${PROJECT_BINARY_DIR}/dist/skorvane @ONLY)
install(PROGRAMS ${PROJECT_BINARY_DIR}/dist/skorvane DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${PROJECT_SOURCE_DIR}/dist/skorvane.desktop
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/dist/skorvane.svg
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/dist/io.github.skorvane.Skorvane.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)

# Compressed as Debian ships them; man and zless read them either way. -n
# keeps the file's name and time out, so two builds give the same bytes.
find_program(GZIP gzip REQUIRED)
foreach(doc skorvane.6 changelog)
  set(copy ${PROJECT_BINARY_DIR}/dist/${doc})
  add_custom_command(OUTPUT ${copy}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/dist/${doc} ${copy}
    COMMAND ${GZIP} -9nf ${copy}
    DEPENDS ${PROJECT_SOURCE_DIR}/dist/${doc})
  list(APPEND SKORVANE_COMPRESSED_DOCS ${copy}.gz)
endforeach()
add_custom_target(compressed_docs ALL DEPENDS ${SKORVANE_COMPRESSED_DOCS})
install(FILES ${PROJECT_BINARY_DIR}/dist/skorvane.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${PROJECT_BINARY_DIR}/dist/changelog.gz ${PROJECT_SOURCE_DIR}/dist/copyright
  DESTINATION ${CMAKE_INSTALL_DOCDIR})
