# SPDX-FileCopyrightText: 2026 The TALVEN developers
# SPDX-License-Identifier: GPL-3.0-or-later

include(GNUInstallDirs)

set(pictures ${PROJECT_SOURCE_DIR}/app/pictures)
set(hicolor ${CMAKE_INSTALL_DATADIR}/icons/hicolor)

install(FILES org.talven.Talven.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES org.talven.Talven.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 32 64)
    install(FILES ${pictures}/talven-${size}.png
            DESTINATION ${hicolor}/${size}x${size}/apps RENAME talven.png)
endforeach()
install(FILES ${pictures}/talven.svg DESTINATION ${hicolor}/scalable/apps)

# cpack -G DEB: a package whose library dependencies dpkg-shlibdeps finds; the
# platform plugins and the window's font are loaded at run time, so they are
# named here.
set(CPACK_PACKAGE_NAME talven)
set(CPACK_PACKAGE_VENDOR "${TALVEN_PUBLISHER}")
set(CPACK_PACKAGE_CONTACT "${TALVEN_PUBLISHER} <talven@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Liberation 2 is fonts-liberation2 on Debian 12 and fonts-liberation later.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation (>= 1:2) | fonts-liberation2")
set(CPACK_STRIP_FILES ON)
include(CPack)

if(BUILD_TESTING)
    set(check ${PROJECT_SOURCE_DIR}/tests/check-metadata.sh)
    add_test(NAME metainfo_is_valid
             COMMAND ${check} ${CMAKE_CURRENT_SOURCE_DIR}/org.talven.Talven.metainfo.xml)
    add_test(NAME desktop_entry_is_valid
             COMMAND ${check} ${CMAKE_CURRENT_SOURCE_DIR}/org.talven.Talven.desktop)
endif()
