# SPDX-FileCopyrightText: 2026 The TALVEN developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Cross-builds for Debian arm64 with crossbuild-essential-arm64 against Qt's
# arm64 packages, installed beside this machine's own (multiarch): the
# libraries are found in /usr/lib/aarch64-linux-gnu, and moc, rcc and uic are
# this machine's.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
