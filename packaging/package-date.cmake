# SPDX-FileCopyrightText: 2026 The TALVEN developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Read by cpack: the file times in the package are those of the last commit
# (SOURCE_DATE_EPOCH), so that the same commit always makes the same package.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
    execute_process(COMMAND git -C "@PROJECT_SOURCE_DIR@" log -1 --format=%ct
                    OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE
                    ERROR_QUIET)
    if(commit_time)
        set(ENV{SOURCE_DATE_EPOCH} "${commit_time}")
    endif()
endif()
