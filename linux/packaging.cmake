# The Debian package of the Linux saver, X11 and Wayland (CPack's DEB
# generator); the library scan (dpkg-shlibdeps) names the libraries it needs,
# libwayland-client0 among them. Its own CPack
# configuration file, so that other packages of the project keep theirs:
#   cpack --config <build>/CPackDebConfig.cmake
# tools/package-deb.sh builds it into dist/.

# Debian's documentation files: the copyright text and the changelog,
# compressed the way Debian expects (maximum, without a time stamp).
configure_file(debian/changelog.in ${CMAKE_CURRENT_BINARY_DIR}/changelog @ONLY)
find_program(GZIP gzip REQUIRED)
execute_process(COMMAND ${GZIP} -9nc ${CMAKE_CURRENT_BINARY_DIR}/changelog
                OUTPUT_FILE ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz COMMAND_ERROR_IS_FATAL ANY)
set(deb_doc ${CMAKE_INSTALL_DATADIR}/doc/varominea)
install(FILES debian/copyright debian/README.Debian ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
        DESTINATION ${deb_doc})
# The manual page of /usr/bin/varominea, compressed the same way (again
# whenever it changes).
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS debian/varominea.1)
execute_process(COMMAND ${GZIP} -9nc ${CMAKE_CURRENT_SOURCE_DIR}/debian/varominea.1
                OUTPUT_FILE ${CMAKE_CURRENT_BINARY_DIR}/varominea.1.gz COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/varominea.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME varominea)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Varominea authors")
set(CPACK_PACKAGE_CONTACT "The Varominea authors <varominea@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver | xsecurelock | swayidle")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "palette-cycling screen saver for X11 and Wayland")
# The long description; CPack puts the summary above it as the synopsis.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "A 256 x 256 field of nested squares or noisy rings is stretched over the
screen and shown through a fixed 256-colour palette; every frame lowers each
cell by one, so the bands of colour travel outward from the middle over a
256-frame cycle.
.
It runs under XScreenSaver (its settings page offers the pattern, the size
of the picture and the frame rate) and under xsecurelock, or in a window of
its own. On Wayland desktops an idle daemon such as swayidle starts it as
varominea: it covers every output, as a layer-shell overlay where the
compositor offers one and as a fullscreen window elsewhere.")
set(CPACK_OUTPUT_CONFIG_FILE ${CMAKE_BINARY_DIR}/CPackDebConfig.cmake)
set(CPACK_SOURCE_OUTPUT_CONFIG_FILE ${CMAKE_BINARY_DIR}/CPackDebSourceConfig.cmake)
include(CPack)
