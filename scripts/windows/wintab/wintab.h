// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Debian's qtbase sources leave out the tablet API headers that Qt's Windows
// platform plugin includes; Wine's copies serve, given the two Wine macros
// they use and the calling-convention name Qt expects.
#pragma once
#include <windows.h>
#define WINELIB_NAME_AW(name) name##W
#define DECL_WINELIB_TYPE_AW(type) typedef WINELIB_NAME_AW(type) type;
#ifndef API
#define API WINAPI
#endif
#include "/usr/include/wine/wine/windows/wintab.h" // Debian's libwine-dev
