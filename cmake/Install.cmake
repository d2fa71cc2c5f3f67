# Install rules: the game, its four data files, a launcher that starts it from
# its data folder, a desktop entry and an icon, in the usual prefix layout.
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
  /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${SKORVANE_INSTALL_DATADIR})
file(RELATIVE_PATH SKORVANE_LAUNCHER_TO_BINARY
  /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${SKORVANE_INSTALL_GAMEDIR}/skorvane)
configure_file(${PROJECT_SOURCE_DIR}/dist/skorvane.in ${PROJECT_BINARY_DIR}/dist/skorvane @ONLY)
install(PROGRAMS ${PROJECT_BINARY_DIR}/dist/skorvane DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${PROJECT_SOURCE_DIR}/dist/skorvane.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/dist/skorvane.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
