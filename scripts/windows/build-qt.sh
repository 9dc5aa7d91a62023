#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The TALVEN developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds Qt for 64-bit Windows, the same version as the host's Qt, from
# source: qtbase from Debian's own source package, qtserialport from Qt's git
# tag with TALVEN's changes (patches/). Only what TALVEN uses is built (Core, Gui, Widgets with the Windows
# platform plugin and styles, Test, SerialPort). The result is kept in the
# cache and reused: a second run only checks it and prints its path. Beside
# Qt, the prefix keeps what the LGPL asks to pass on with it: the license
# texts of Qt and of each part built into it (talven-licenses/), and the
# exact sources it was built from, with the changes made to them and this
# script, which holds the configure lines (Qt-VERSION-sources.tar).
#   prefix=$(scripts/windows/build-qt.sh)    # progress goes to standard error
# TALVEN_CACHE          the cache folder (default ~/.cache/talven)
# TALVEN_QTSERIALPORT   where qtserialport's git tag is cloned from (a URL,
#                       a folder or a git bundle; default Qt's git server)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
exec 3>&1 1>&2 # only the prefix goes to standard output

# 6.4.2+dfsg-10, of the host's own architecture (another's may be installed too)
version=$(dpkg-query -W -f='${Version}' "qt6-base-dev:$(dpkg --print-architecture)")
qt_version=${version%%+*}
[[ $qt_version == 6.4.2 ]] || { echo "The host has Qt $qt_version; this builds 6.4.2." >&2; exit 1; }
serialport_tag=v6.4.2
serialport_commit=a29d4f9bb7f6145a6bfe0a0bb3889412a7032bfb
serialport_source=${TALVEN_QTSERIALPORT:-https://code.qt.io/qt/qtserialport.git}
[[ ! -e $serialport_source ]] || serialport_source=$(realpath "$serialport_source")

cache=${TALVEN_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/talven}
prefix=$cache/qt-$qt_version-mingw-w64
work=$cache/qt-$qt_version-work
# What the prefix was built from and how; a change rebuilds it.
recipe=$(cat "$0" "$here/mingw-w64-x86_64.cmake" "$here"/wintab/* "$here/collect-licenses.py" \
    "$here"/patches/* | sha256sum | cut -c1-16)
# The tool chain file that qtbase was configured with, which Qt's own
# qt.toolchain.cmake names by its path and loads for every later build.
toolchain=$prefix/talven-mingw-w64-x86_64.cmake
# The cache serves when it is whole and names nothing outside itself, such as
# the checkout that built it, which may be gone; checked when it is made and
# whenever it is used.
check_cache() {
    local named part problem=
    named=$(sed -n 's/^set(__qt_initially_configured_toolchain_file "\(.*\)")$/\1/p' \
        "$prefix/lib/cmake/Qt6/qt.toolchain.cmake" 2>/dev/null || true)
    [[ $named == "$toolchain" ]] || problem="its Qt loads the tool chain file '$named'"
    for part in "$toolchain" "$prefix/bin/Qt6Core.dll" "$prefix/bin/Qt6SerialPort.dll" \
        "$prefix/plugins/platforms/qwindows.dll" "$prefix/talven-licenses/parts.txt" \
        "$prefix/Qt-$qt_version-sources.tar"; do
        [[ -f $part ]] || problem="it lacks $part"
    done
    if [[ -n $problem ]]; then
        echo "The Qt for Windows in $prefix cannot serve: $problem. It should hold all of Qt" \
            "and load its own tool chain file, $toolchain. Remove it to have scripts/windows.sh" \
            "build it anew: rm -rf '$prefix'" >&2
        exit 1
    fi
}
if [[ -f $prefix/talven-recipe && $(cat "$prefix/talven-recipe") == "$recipe" ]]; then
    check_cache
    echo "Qt $qt_version for Windows: $prefix"
    echo "$prefix" >&3
    exit 0
fi
echo "Building Qt $qt_version for Windows into $prefix; about half an hour on two cores."
rm -rf "$prefix" "$work"
mkdir -p "$work"
# The tool chain file is kept in the cache and configured from there, so that
# Qt names no file of the checkout that built it: the cache serves every later
# checkout of the same recipe after that one is removed (as CI removes its
# clone), without any build having to name a tool chain file of its own.
mkdir -p "$prefix"
cp "$here/mingw-w64-x86_64.cmake" "$toolchain"
cd "$work"

# A step whose output goes to a log, shown only when it fails.
progress() {
    local log=$work/$1.log
    shift
    echo "$1 ... (log: $log)"
    shift
    if ! "$@" >"$log" 2>&1 < /dev/null; then
        tail -n 40 "$log" >&2
        echo "Failed; the whole log is $log" >&2
        exit 1
    fi
}
# Ninja's "[done/total]" lines as one line every 5 %, with the whole log kept.
build() {
    local log=$work/build-$1.log
    echo "Building $1 (log: $log)"
    cmake --build "$work/build-$1" --parallel "$(nproc)" </dev/null 2>&1 | tee "$log" \
        | awk -F'[][/]' '/^\[[0-9]+\/[0-9]+\]/ { step = int(20 * $2 / $3)
              if (step > shown) { shown = step; printf "  %d %%\n", 5 * step; fflush() } }' \
        || { tail -n 40 "$log" >&2; echo "Failed; the whole log is $log" >&2; exit 1; }
}

# qtbase: Debian's source package, with Debian's patches.
if ! apt-get source --download-only "qt6-base=$version" >apt-source.log 2>&1; then
    cat apt-source.log >&2
    echo "apt-get source qt6-base failed; scripts/install-dependencies.sh windows adds its deb-src entry."
    exit 1
fi
progress unpack "Unpacking qtbase" dpkg-source -x qt6-base_*.dsc qtbase
# Debian's sources leave out the tablet API headers; Wine's serve in their
# stead, copied into the tree beside the two that adapt them, and named with
# their license as every part built into Qt is (qt_attribution.json). (The
# plugin's DirectWrite 3 font database needs Direct2D in Qt 6.4, which is not
# built, so both are left out.)
wintab=qtbase/src/3rdparty/wintab
wine_version=$(dpkg-query -W -f='${Version}' "libwine-dev:$(dpkg --print-architecture)")
mkdir -p "$wintab/wine"
cp "$here"/wintab/*.h "$wintab/"
cp /usr/include/wine/wine/windows/{wintab,pktdef}.h "$wintab/wine/"
cp /usr/share/common-licenses/LGPL-2.1 "$wintab/wine/LGPL-2.1.txt"
cat >"$wintab/qt_attribution.json" <<END
{
    "Id": "wine-wintab",
    "Name": "Wine's tablet API headers wintab.h and pktdef.h (Debian's libwine-dev)",
    "Version": "$wine_version",
    "License": "GNU Lesser General Public License v2.1 or later",
    "LicenseId": "LGPL-2.1-or-later",
    "LicenseFile": "wine/LGPL-2.1.txt",
    "Copyright": "Copyright (C) 1991-1998 by LCS/Telegraphics; Copyright (C) 2002 Patrik Stridvall"
}
END

# qtserialport: the tag, checked against its commit.
progress clone "Cloning qtserialport $serialport_tag from $serialport_source" \
    git clone --quiet --branch "$serialport_tag" "$serialport_source" qtserialport
[[ $(git -C qtserialport rev-parse HEAD) == "$serialport_commit" ]] \
    || { echo "qtserialport $serialport_tag is not commit $serialport_commit." >&2; exit 1; }
# TALVEN's changes to it, each with its reason.
for patch in "$here"/patches/qtserialport-*.patch; do
    git -C qtserialport apply "$patch"
done

progress configure-qtbase "Configuring qtbase" \
    cmake -G Ninja -S qtbase -B build-qtbase \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DQT_QMAKE_TARGET_MKSPEC=win32-g++ \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_xml=OFF -DFEATURE_dbus=OFF \
    -DFEATURE_concurrent=OFF -DFEATURE_printsupport=OFF -DFEATURE_opengl=OFF \
    -DINPUT_opengl=no -DFEATURE_vulkan=OFF -DFEATURE_zstd=OFF -DFEATURE_icu=OFF \
    -DFEATURE_direct2d=OFF -DFEATURE_directwrite3=OFF \
    -DFEATURE_androiddeployqt=OFF -DFEATURE_openssl=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
    -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF \
    -DFEATURE_system_doubleconversion=OFF
build qtbase
progress install-qtbase "Installing qtbase" cmake --install build-qtbase

progress configure-qtserialport "Configuring qtserialport" \
    cmake -G Ninja -S qtserialport -B build-qtserialport \
    -DCMAKE_TOOLCHAIN_FILE="$prefix/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
build qtserialport
progress install-qtserialport "Installing qtserialport" cmake --install build-qtserialport

progress licenses "Collecting the license texts of Qt and of the parts built into it" \
    python3 "$here/collect-licenses.py" "$prefix/talven-licenses" \
    "qtbase=build-qtbase" "qtserialport=build-qtserialport"
cp qtbase/LICENSES/LGPL-3.0-only.txt qtbase/LICENSES/GPL-3.0-only.txt "$prefix/talven-licenses/"

# The sources as built: Debian's source package of qtbase (its patches are in
# the .debian.tar.xz), qtserialport's tag as Qt published it, with TALVEN's
# patches beside it, the folder added to qtbase, and this script with its
# tool chain file, which hold the configure lines.
sources=Qt-$qt_version-sources
mkdir -p "$sources/changes"
cp qt6-base_* "$sources/"
git -C qtserialport archive --prefix=qtserialport/ -o "$work/$sources/qtserialport-$serialport_tag.tar" \
    "$serialport_tag"
cp -r "$wintab" "$here/patches" "$here/build-qt.sh" "$here/mingw-w64-x86_64.cmake" \
    "$here/collect-licenses.py" "$sources/changes/"
cat >"$sources/README.txt" <<END
The sources of the Qt $qt_version that TALVEN for Windows ships, exactly as built:

- qt6-base_*: Debian's source package of qtbase; "dpkg-source -x" on the
  .dsc unpacks it with Debian's patches applied.
- qtserialport-$serialport_tag.tar: qtserialport's tag $serialport_tag
  (commit $serialport_commit) as "git archive" gives it, unchanged:
  its .tag file holds the commit, and git's own files are left out. The
  tree that was built is that tag with TALVEN's changes in changes/patches/
  applied:
      tar -xf qtserialport-$serialport_tag.tar
$(for patch in "$here"/patches/*.patch; do
    echo "      patch -d qtserialport -p1 < changes/patches/${patch##*/}"
done)
- changes/wintab/: the folder added as qtbase/src/3rdparty/wintab/, which
  Debian's sources leave out: Wine's tablet API headers wintab.h and
  pktdef.h (wine/, from Debian's libwine-dev
  $wine_version, LGPL-2.1-or-later, with its
  text), two headers of TALVEN's that adapt them to Qt, and the
  qt_attribution.json that names them.
- changes/build-qt.sh: the script that built it, with every configure line;
  changes/mingw-w64-x86_64.cmake is its tool chain file.
END
tar --sort=name --mtime=@0 --owner=0 --group=0 --numeric-owner -cf "$prefix/$sources.tar" "$sources"

echo "$recipe" >"$prefix/talven-recipe"
rm -rf "$work"
check_cache
echo "$prefix" >&3
