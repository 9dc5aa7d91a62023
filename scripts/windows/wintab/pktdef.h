// SPDX-FileCopyrightText: 2026 The TALVEN developers
// SPDX-License-Identifier: LGPL-3.0-only

// See wintab.h beside this file.
#pragma once
#include "wine/pktdef.h"
