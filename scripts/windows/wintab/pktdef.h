// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: GPL-3.0-or-later

// See wintab.h beside this file.
#pragma once
#include "/usr/include/wine/wine/windows/pktdef.h"
