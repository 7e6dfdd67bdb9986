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

# The desktop entry, in the folder where the desktops' screen savers look for
# programs (Categories=Screensaver); the same options as XScreenSaver's
# command. Written at install time for that install's prefix
# (desktop_entry.cmake).
set(desktop_entry ${CMAKE_CURRENT_BINARY_DIR}/varominea.desktop)
install(CODE "set(desktop_entry_in \"${CMAKE_CURRENT_SOURCE_DIR}/varominea.desktop.in\")
set(desktop_entry_out \"${desktop_entry}\")
set(program_dir \"${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver\")
include(\"${CMAKE_CURRENT_SOURCE_DIR}/desktop_entry.cmake\")")
install(FILES ${desktop_entry} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications/screensavers)

# The AppStream metadata. Its id is reversed DNS, and the project owns no
# domain yet: its home page is the placeholder under example.org, a name
# reserved for examples that nobody can own, so this id claims no one's
# domain. PLACEHOLDER, with the home page: once the project has an address of
# its own, the id becomes that domain reversed, and the file lists this one
# under <replaces> so that catalogues keep it as the same program.
set(VAROMINEA_APPSTREAM_ID org.example.varominea)
if(NOT VAROMINEA_HOME_PAGE MATCHES "^https?://([^/]*\\.)?example\\.org(/|$)")
  message(WARNING "VAROMINEA_HOME_PAGE is a real address; the AppStream id "
                  "${VAROMINEA_APPSTREAM_ID} is still the placeholder (linux/packaging.cmake)")
endif()
# The home page as the metadata's link and the base of its screenshot, the
# still picture the site holds under images/ (web/, from docs/images/).
set(home_page "${VAROMINEA_HOME_PAGE}")
if(NOT home_page MATCHES "/$")
  string(APPEND home_page "/")
endif()
string(REPLACE "&" "&amp;" home_page "${home_page}")
string(REPLACE "<" "&lt;" home_page "${home_page}")
string(REPLACE ">" "&gt;" VAROMINEA_HOME_PAGE_XML "${home_page}")
set(metainfo ${CMAKE_CURRENT_BINARY_DIR}/${VAROMINEA_APPSTREAM_ID}.metainfo.xml)
configure_file(varominea.metainfo.xml.in ${metainfo} @ONLY)
install(FILES ${metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

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
