// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: LGPL-3.0-only

// Debian's qtbase sources leave out the tablet API headers that Qt's Windows
// platform plugin includes; Wine's copies (wine/, put there by build-qt.sh)
// serve, given the two Wine macros they use and the calling-convention name
// Qt expects. Built into Qt's plugin, this is under Qt's license.
#pragma once
#include <windows.h>
#define WINELIB_NAME_AW(name) name##W
#define DECL_WINELIB_TYPE_AW(type) typedef WINELIB_NAME_AW(type) type;
#ifndef API
#define API WINAPI
#endif
#include "wine/wintab.h"
