# SPDX-FileCopyrightText: 2026 The TALVEN developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Windows: the program with the Qt and MinGW run-time it needs beside it,
# laid out so that it runs from any folder; cpack makes a 64-bit NSIS
# installer and a ZIP of the same files.
include(GNUInstallDirs)

set(bin ${CMAKE_INSTALL_BINDIR})
install(FILES
        $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets>
        $<TARGET_FILE:Qt6::SerialPort>
        DESTINATION ${bin})
# Qt looks for its plugins in folders beside the program.
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION ${bin}/platforms)
install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION ${bin}/styles)
# licenses/ names every part shipped with its license, in README.txt, beside
# the texts: TALVEN's own; Qt's and those of the parts built into Qt, which
# scripts/windows/build-qt.sh collected; and the MinGW-w64 run-time's, the
# copyright files of the Debian packages that provide it.
set(qt_licenses ${QT6_INSTALL_PREFIX}/talven-licenses)
if(NOT EXISTS ${qt_licenses}/parts.txt)
    message(FATAL_ERROR "${qt_licenses} is missing: build Qt with scripts/windows/build-qt.sh.")
endif()
install(DIRECTORY ${qt_licenses}/ DESTINATION licenses/Qt PATTERN parts.txt EXCLUDE)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION licenses RENAME TALVEN-GPL-3.0-or-later.txt)
# Ships the copyright file of the Debian package that provides `path`, and
# names that package in `package`.
function(ship_copyright path)
    file(REAL_PATH ${path} path)
    execute_process(COMMAND dpkg-query -S ${path} OUTPUT_VARIABLE owner
                    OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX REPLACE ":.*" "" owner "${owner}")
    install(FILES /usr/share/doc/${owner}/copyright DESTINATION licenses
            RENAME ${owner}-copyright.txt)
    set(package ${owner} PARENT_SCOPE)
endfunction()
ship_copyright(${TALVEN_WINDOW_FONT})
set(qt_dlls Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll Qt6SerialPort.dll platforms/qwindows.dll
            styles/qwindowsvistastyle.dll)
list(TRANSFORM qt_dlls PREPEND ${bin}/)
string(JOIN "\n" readme
    "TALVEN for Windows: each file it ships, and the license it is shipped under."
    "Each license text named between square brackets is in this folder."
    ""
    "${bin}/talven.exe"
    "    TALVEN ${PROJECT_VERSION}, GPL-3.0-or-later [TALVEN-GPL-3.0-or-later.txt]"
    "    Built into it: the font Liberation Sans Bold, OFL-1.1, from Debian's package"
    "    ${package} [${package}-copyright.txt]"
    ""
    "${qt_dlls}"
    "    Qt ${Qt6_VERSION}, LGPL-3.0-only [Qt/LGPL-3.0-only.txt] [Qt/GPL-3.0-only.txt]"
    "    The sources of this Qt, exactly as built, with the changes made to them and"
    "    the configure lines, are Qt-${Qt6_VERSION}-sources.tar, published beside"
    "    the installer TALVEN-${PROJECT_VERSION}-win64.exe."
    "    Built into these files:")
string(REPLACE ";" " " readme "${readme}")
file(STRINGS ${qt_licenses}/parts.txt parts)
foreach(part IN LISTS parts)
    string(REPLACE "\t" ";" fields "${part}")
    list(GET fields 1 name)
    list(GET fields 2 version)
    list(GET fields 3 license)
    list(GET fields 4 texts)
    string(REGEX REPLACE "([^ ]+)" "[Qt/\\1]" texts "${texts}")
    string(STRIP "${name} ${version}" title)
    string(APPEND readme "\n        ${title}, ${license} ${texts}")
endforeach()
foreach(runtime libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
                    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}")
        message(FATAL_ERROR "The compiler does not know where ${runtime} is.")
    endif()
    install(FILES ${path} DESTINATION ${bin})
    ship_copyright(${path})
    string(APPEND readme "\n\n${bin}/${runtime}\n    The MinGW-w64 run-time, from Debian's "
                         "package ${package} [${package}-copyright.txt]")
endforeach()
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/licenses/README.txt "${readme}\n")
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/licenses/README.txt DESTINATION licenses)

set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_PACKAGE_NAME TALVEN)
set(CPACK_PACKAGE_VENDOR "${TALVEN_PUBLISHER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_FILE_NAME TALVEN-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY TALVEN)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY TALVEN)
set(CPACK_PACKAGE_EXECUTABLES talven "GPS Date Initialization")
set(CPACK_STRIP_FILES ON)
# The installer shows TALVEN's license on a page of its own.
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_NSIS_PACKAGE_NAME TALVEN)
set(CPACK_NSIS_DISPLAY_NAME TALVEN)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/app/pictures/talven.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/app/pictures/talven.ico)
set(CPACK_NSIS_INSTALLED_ICON_NAME "${bin}\\\\talven.exe")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# makensis makes a 32-bit installer unless told otherwise, which a 64-bit-only
# Windows layer (Wine as Debian builds it) does not run. The installer tells
# Windows what it is as the program does.
string(JOIN "\n" CPACK_NSIS_DEFINES
    "Target amd64-unicode"
    # No file times in the installer, which would make each one differ.
    "SetDateSave off"
    "VIProductVersion ${PROJECT_VERSION}.0"
    "VIFileVersion ${PROJECT_VERSION}.0"
    "VIAddVersionKey /LANG=1033 CompanyName '${TALVEN_PUBLISHER}'"
    "VIAddVersionKey /LANG=1033 FileDescription 'GPS Date Initialization installer'"
    "VIAddVersionKey /LANG=1033 FileVersion ${PROJECT_VERSION}"
    "VIAddVersionKey /LANG=1033 LegalCopyright '${TALVEN_COPYRIGHT}'"
    "VIAddVersionKey /LANG=1033 OriginalFilename ${CPACK_PACKAGE_FILE_NAME}.exe"
    "VIAddVersionKey /LANG=1033 ProductName TALVEN"
    "VIAddVersionKey /LANG=1033 ProductVersion ${PROJECT_VERSION}")
# With a code-signing certificate named, talven.exe is signed before it is
# packed and the installer once it is made. (The ZIP's entries take the time
# of the last commit from SOURCE_DATE_EPOCH, as cpack dates them.)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/sign-windows.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/sign-windows.cmake)
# What the program files tell Windows and what they ship; signed with a
# certificate that the check makes itself, the signatures checked. Debian's
# own Python, for which python3-pefile is installed.
if(BUILD_TESTING)
    set(package ${CMAKE_BINARY_DIR}/${CPACK_PACKAGE_FILE_NAME})
    add_test(NAME windows_files COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/check-windows-files.py
                                        ${package}.exe ${package}.zip ${PROJECT_VERSION})
    add_test(NAME windows_signing COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/check-signing.py
                                          ${CMAKE_BINARY_DIR})
    set_tests_properties(windows_signing PROPERTIES TIMEOUT 900)
endif()
include(CPack)

