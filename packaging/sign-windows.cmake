# SPDX-FileCopyrightText: 2026 The TALVEN developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Run by cpack, before packing (on the staged files) and after (on the
# packages): signs talven.exe, then the installer, when TALVEN_SIGN_PKCS12
# names a code-signing certificate; see scripts/windows/sign.sh.
if("$ENV{TALVEN_SIGN_PKCS12}" STREQUAL "")
    return()
endif()
if(DEFINED CPACK_PACKAGE_FILES) # the packages are made
    set(files ${CPACK_PACKAGE_FILES})
    list(FILTER files INCLUDE REGEX "\\.exe$")
else()
    file(GLOB_RECURSE files ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/talven.exe)
endif()
foreach(file IN LISTS files)
    execute_process(COMMAND ${CMAKE_CURRENT_LIST_DIR}/../scripts/windows/sign.sh ${file}
                    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
