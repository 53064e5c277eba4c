# The Debian package. `cpack -G DEB` in the build folder makes
# marking-client_<version>_<arch>.deb: both programs under /usr/bin, the menu
# entry and the icon. The package is built from what is already compiled, so
# build first.
include(GNUInstallDirs)

install(TARGETS marking-client demo-server RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/marking-client.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/marking-client.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME marking-client)
set(CPACK_PACKAGE_VERSION 0.1.0)
set(CPACK_PACKAGE_CONTACT "Marking client developers <marking-client@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop client for an online exam-marking service")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Teachers sign in to a marking server, fetch students' scanned answers one\n"
       "at a time, score each sub-question, draw marks on the answer image and\n"
       "submit; a second system lets a teacher review a class's marked papers.\n"
       "Includes demo-server, a demo marking server with sample answer sheets.")
# Debug information stays in the build folder; the package gets lean binaries.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
# The libraries the binaries link are found by dpkg-shlibdeps. What they load
# at run time is named here: Qt's Chinese texts and a font with Chinese glyphs
# (the program maps 宋体 to Noto CJK).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, fonts-noto-cjk")

include(CPack)
