# Installation: the program, its menu entry, icon, AppStream data and
# manual page, where desktops and package tools look for them. The manual
# page goes in as it is: the Debian package's tools compress it.
include(GNUInstallDirs)
install(TARGETS brisora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES data/brisora.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/brisora.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES data/io.github.brisora.brisora.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES data/brisora.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
