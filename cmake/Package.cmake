# A Debian package of the installed tree, made by CPack (`make deb`, which
# configures Debian's games layout under /usr). Its dependencies are read off
# the binary by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_CONTACT "The Skorvane developers <skorvane@skorvane.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3-D arcade shooter among tumbling asteroids")
set(CPACK_PACKAGE_DESCRIPTION
  "Look down a streaming starfield at ten tumbling, textured asteroids, steer
with the mouse, and shoot bullets and rockets with smoke trails and orange
lights, through five levels with five lives. Fixed-function OpenGL; runs in
software rendering where there is no GPU driver.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/skorvane/skorvane)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
