# Installation: the program, its menu entry, icon, AppStream data and
# manual page, where desktops and package tools look for them.
include(GNUInstallDirs)
install(TARGETS brisora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES data/brisora.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/brisora.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES data/org.example.brisora.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# Debian keeps manual pages compressed; -n leaves the date out so the
# package builds the same each time.
add_custom_command(OUTPUT brisora.6.gz
  COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/data/brisora.6 > brisora.6.gz
  DEPENDS data/brisora.6 VERBATIM)
add_custom_target(brisora_manual ALL DEPENDS brisora.6.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/brisora.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

# `cpack -G DEB` in the build tree makes the Debian package. The shared
# libraries it needs come from dpkg-shlibdeps; Qt's platform plugins and the
# fonts (the serif the label is sized for, and fallbacks for Arabic digits
# and Japanese time signs) are loaded at run time, so they are named here.
set(CPACK_PACKAGE_NAME brisora)
set(CPACK_PACKAGE_VENDOR "Brisora developers")
set(CPACK_PACKAGE_CONTACT "Brisora developers <brisora@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "decorative display with a wandering clock and confetti")
set(CPACK_PACKAGE_DESCRIPTION "Keeps a window busy with a wandering, colour-fading date and time\nlabel, random confetti and a red word building up square by square.")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2, fonts-dejavu-core, fonts-droid-fallback")
include(CPack)
