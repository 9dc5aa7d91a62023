#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The TALVEN developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Installs the Debian packages TALVEN needs when any of them is missing: for
# "run", what building and running it takes; for "test", what its tests take
# as well; for "windows", what cross-building Qt and TALVEN for Windows and
# testing them under Wine take, with the deb-src entry that qtbase's sources
# come from. As root it installs them; otherwise it prints the command to run.
#   scripts/install-dependencies.sh run|test|windows
set -euo pipefail

kind=${1:?say run, test or windows}
# The window's font, Liberation 2: fonts-liberation2 on Debian 12, where
# fonts-liberation is Liberation 1; fonts-liberation from Debian 13 on.
release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
font=fonts-liberation
[[ $release == bookworm ]] && font=fonts-liberation2
packages=(cmake g++ make qt6-base-dev qt6-serialport-dev qt6-qpa-plugins "$font")
if [[ $kind == windows ]]; then
    # MinGW-w64 with POSIX threads, Ninja and git for Qt; Wine's tablet
    # headers, which Debian's qtbase sources lack; NSIS for the installer;
    # osslsigncode and openssl to sign the program files; Wine, an X server,
    # xdotool, xclip and pefile for the tests.
    packages+=(g++-mingw-w64-x86-64-posix ninja-build git dpkg-dev libwine-dev nsis
               wine wine64 xvfb xauth xdotool xclip python3 python3-pefile osslsigncode openssl)
fi
if [[ $kind == test ]]; then
    # The sanitizer build, the style checks, the package checks (lintian, and
    # reuse, which reads what git ignores), an X server for the button, and
    # python3 to make a socket at the settings path.
    packages+=(clang libclang-rt-dev clang-format clang-tidy appstream desktop-file-utils
               dpkg-dev lintian reuse git xvfb xauth python3)
fi

# Once a second architecture is added, a name alone matches the package of
# either; this machine's own (or "all") is the one meant.
native=$(dpkg --print-architecture)
missing=()
for package in "${packages[@]}"; do
    wanted="$native|all"
    [[ $package != *:* ]] || wanted=${package#*:}
    installed=$(dpkg-query -W -f='${Architecture} ${Status}\n' "${package%:*}" 2>/dev/null || true)
    grep -qxE "($wanted) install ok installed" <<<"$installed" || missing+=("$package")
done

# "apt-get source qt6-base" needs a deb-src entry; it takes the mirror that
# the machine's own bookworm entry names.
sources=/etc/apt/sources.list.d/talven-deb-src.sources
add_sources=
if [[ $kind == windows && -z $(apt-get indextargets 'Created-By: Sources' 'Release: bookworm') ]]; then
    mirror=$(apt-get indextargets --format '$(REPO_URI)' 'Created-By: Packages' 'Release: bookworm' \
        | head -n1)
    [[ -n "$mirror" ]] || { echo "No bookworm entry in this machine's apt sources." >&2; exit 1; }
    add_sources="Types: deb-src
URIs: $mirror
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg"
fi
[[ ${#missing[@]} -eq 0 && -z $add_sources ]] && exit 0

if [[ $(id -u) -ne 0 ]]; then
    echo "Missing Debian packages or sources. Add them with:" >&2
    if [[ -n $add_sources ]]; then
        printf "  sudo tee %s >/dev/null <<'END'\n%s\nEND\n" "$sources" "$add_sources" >&2
    fi
    install=${missing[*]:+ && sudo apt-get install -y ${missing[*]}}
    echo "  sudo apt-get update$install" >&2
    exit 1
fi
[[ -z $add_sources ]] || { echo "Adding $sources"; echo "$add_sources" >"$sources"; }
apt-get update -qq
if [[ ${#missing[@]} -gt 0 ]]; then
    echo "Installing ${missing[*]}"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
fi
