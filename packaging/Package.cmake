# Installation rules and the Debian package (./package.sh): the program, the password tool, the guide's PDF,
# the desktop entry and the icon. The dependencies come from the Debian packages of the libraries the programs link
# (dpkg-shlibdeps) plus what they load at run time.
include(GNUInstallDirs)
# Installing (and so packaging) builds only what is installed, not every test and benchmark first:
# package.sh builds the two programs itself.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
install(TARGETS carvenna carvenna_setpassword RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET carvenna_camera)
    # The webcam's back end, which the program looks for in bin/../lib/carvenna.
    install(TARGETS carvenna_camera LIBRARY DESTINATION lib/carvenna)
endif()
file(READ ${CMAKE_CURRENT_SOURCE_DIR}/packaging/carvenna.desktop.in CARVENNA_DESKTOP)
string(REPLACE "@EXEC@" "carvenna" CARVENNA_DESKTOP "${CARVENNA_DESKTOP}")
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/packaging/carvenna.desktop "${CARVENNA_DESKTOP}")
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/carvenna.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The guide's PDF: the program opens it from its data folder when a copy is there, else from here.
install(FILES ${CMAKE_BINARY_DIR}/Guida.pdf DESTINATION ${CMAKE_INSTALL_DATADIR}/carvenna)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/src/resources/carvenna.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME carvenna)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Carvenna")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Ricevute e anagrafica per la segreteria della scuola dell'infanzia")
set(CPACK_PACKAGE_DESCRIPTION "Carvenna emette le ricevute delle rette in duplice copia, tiene l'archivio annuale \
delle ricevute e l'anagrafica degli iscritti, totalizza gli incassi, esporta in foglio di calcolo e controlla \
codici fiscali e partite IVA. Il comando carvenna lavora nella cartella data con --cartella, o con la variabile \
CARVENNA_CARTELLA, o in ~/Carvenna.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Carvenna <segreteria@carvenna.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so dpkg-shlibdeps cannot see them: the X11 platform plugin, the SVG plugins, Qt's
# Italian texts, the fonts the documents name, the camera's media back end, the spreadsheet and ZIP libraries
# (opened when first used) and the desktop opener.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, libqt6svg6, libxlsxwriter4, libzip4, qt6-translations-l10n, fonts-liberation, fonts-dejavu-core, \
gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, xdg-utils")
include(CPack)
