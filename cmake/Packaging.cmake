# Installation under the prefix, as a desktop program: the executable, its
# menu entry and icon, the README; and the Debian package made of them
# (`cpack -G DEB` in the build folder).
include(GNUInstallDirs)

install(TARGETS falmide RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/data/falmide.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/data/icons/falmide.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 32 48 64 128 256)
    install(FILES ${CMAKE_SOURCE_DIR}/data/icons/${size}/falmide.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/falmide)

set(CPACK_PACKAGE_NAME falmide)
set(CPACK_PACKAGE_VENDOR Falmide)
set(CPACK_PACKAGE_CONTACT "Falmide <falmide@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Contabilità e fatturazione per il libero professionista")
set(CPACK_PACKAGE_DESCRIPTION "Clienti, fornitori, fatture, parcelle e acquisti di un \
geometra o altro professionista: calcolo di contributo integrativo, IVA e ritenuta, stampa e \
archivio PDF delle fatture.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION office)
# The libraries the program links (objdump -p: NEEDED) and those it loads
# on first use (cmake/LazyLibrary.cmake: libcurl and GMime for the PEC,
# OpenSSL, libzip, libxlsxwriter, libpq), the SQLite and PostgreSQL
# drivers Qt loads as plug-ins (the second for archives on a database
# server), and the fonts the page layouts are measured with.
# Opening a PDF and choosing the default printer use xdg-open and lpoptions
# when they are there.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6, libstdc++6, libgcc-s1, libsqlite3-0, libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libqt6printsupport6 (>= 6.4), libqt6sql6 (>= 6.4), libqt6sql6-sqlite (>= 6.4), libqt6sql6-psql (>= 6.4), libpq5, libzip4, libssl3, libcurl4, libgmime-3.0-0, libqt6keychain1, libqt6charts6 (>= 6.4), libxlsxwriter4, fonts-liberation2, fontconfig")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, xdg-utils, cups-client")
include(CPack)
