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

# Who answers for the package: one place, overridden at packaging time with
# -DTALVEN_MAINTAINER="Name <address>".
set(TALVEN_MAINTAINER "${TALVEN_PUBLISHER} <developers@talven.org>"
    CACHE STRING "The package's Maintainer")

# The manual page, and the copyright and changelog Debian asks of a package,
# with the project's version and maintainer; the page and the changelog
# compressed without a name or time so that each build makes the same files.
set(doc ${CMAKE_INSTALL_DATADIR}/doc/talven)
configure_file(copyright copyright @ONLY)
set(compressed)
foreach(file talven.1 changelog)
    configure_file(${file} ${file} @ONLY)
    set(source ${CMAKE_CURRENT_BINARY_DIR}/${file})
    add_custom_command(OUTPUT ${file}.gz COMMAND gzip -9nc ${source} > ${file}.gz
                       DEPENDS ${source} VERBATIM)
    list(APPEND compressed ${source}.gz)
endforeach()
add_custom_target(talven_documents ALL DEPENDS ${compressed})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/talven.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
        DESTINATION ${doc})
# From Debian 13 on, lintian validates the AppStream metadata and reports any
# finding under one tag, which AppStream 1.0's warning that TALVEN has no
# homepage sets off; Debian 12's lintian knows no such tag and refuses an
# override of it. A host that tells no version number, as Debian testing and
# unstable do not, is taken as newer than any that does. The package check
# (packaging/check-reproducible-deb.sh) runs the same validation on the
# package and lets nothing else through.
cmake_host_system_information(RESULT release QUERY DISTRIB_VERSION_ID)
if(NOT release OR release VERSION_GREATER_EQUAL 13)
    install(FILES lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
            RENAME talven)
endif()

# cpack -G DEB: a package whose library dependencies dpkg-shlibdeps finds; the
# platform plugins and the window's font are loaded at run time, so they are
# named here.
set(CPACK_PACKAGE_NAME talven)
set(CPACK_PACKAGE_VENDOR "${TALVEN_PUBLISHER}")
set(CPACK_PACKAGE_CONTACT "${TALVEN_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "TALVEN is a small desktop utility for the technician who sets the date of"
    "a satellite-navigation (GNSS) receiver through the serial line of a master"
    "clock. Choose the serial port the master clock is on and press one green"
    "button: TALVEN composes the receiver's date-setting frame from today's"
    "local date and writes it twice, with two different trailers, at 9600"
    "baud, 8 data bits, no parity, 1 stop bit."
    ""
    "It remembers the port between runs, lets go of a USB serial adapter that"
    "is pulled out, and says in one warning box why a step failed.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Liberation 2 is fonts-liberation2 on Debian 12 and fonts-liberation later.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation (>= 1:2) | fonts-liberation2")
set(CPACK_STRIP_FILES ON)
# A cross build's package is for the machine it is built for; cpack would
# name this one's.
if(CMAKE_CROSSCOMPILING)
    execute_process(COMMAND dpkg-architecture --host-type ${CMAKE_LIBRARY_ARCHITECTURE}
                            --query DEB_HOST_ARCH
                    OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_ARCHITECTURE
                    OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
endif()
include(CPack)

if(BUILD_TESTING)
    set(check ${CMAKE_CURRENT_SOURCE_DIR}/check-metadata.sh)
    add_test(NAME metainfo_is_valid
             COMMAND ${check} ${CMAKE_CURRENT_SOURCE_DIR}/org.talven.Talven.metainfo.xml)
    add_test(NAME desktop_entry_is_valid
             COMMAND ${check} ${CMAKE_CURRENT_SOURCE_DIR}/org.talven.Talven.desktop)
    # The .deb made twice in folders of its own as this build makes it (for
    # arm64 with its toolchain): the same file, passed by lintian. Slow, a
    # check of a release (ctest -LE release leaves it out).
    if(NOT TALVEN_SANITIZE)
        set(package_build)
        if(CMAKE_TOOLCHAIN_FILE)
            set(package_build -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE})
        endif()
        add_test(NAME debian_package_reproducible_and_clean
                 COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/check-reproducible-deb.sh ${package_build})
        set_tests_properties(debian_package_reproducible_and_clean PROPERTIES TIMEOUT 900
                             LABELS release)
    endif()
endif()
