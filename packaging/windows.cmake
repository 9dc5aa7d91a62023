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
foreach(runtime libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
                    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}")
        message(FATAL_ERROR "The compiler does not know where ${runtime} is.")
    endif()
    install(FILES ${path} DESTINATION ${bin})
endforeach()

set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_PACKAGE_NAME TALVEN)
set(CPACK_PACKAGE_VENDOR "${TALVEN_PUBLISHER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_FILE_NAME TALVEN-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY TALVEN)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY TALVEN)
set(CPACK_PACKAGE_EXECUTABLES talven "GPS Date Initialization")
set(CPACK_STRIP_FILES ON)
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
# packed and the installer once it is made.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/sign-windows.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/sign-windows.cmake)
include(CPack)
