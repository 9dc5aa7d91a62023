#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The TALVEN developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Installs the Debian packages TALVEN needs when any of them is missing: for
# "run", what building and running it takes; for "test", what its tests take
# as well; for "windows", what cross-building Qt and TALVEN for Windows and
# testing them under Wine take, with the deb-src entry that qtbase's sources
# come from; for "arm64", what cross-building TALVEN for Debian arm64 and
# running its suite under qemu-user take, with the arm64 architecture, and
# has the kernel run arm64 programs through that qemu; for "bench", what the
# benchmarks take. As root it installs them; otherwise it prints the
# commands to run.
#   scripts/install-dependencies.sh run|test|windows|arm64|bench
set -euo pipefail

kind=${1:?say run, test, windows, arm64 or bench}
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
    # xdotool, xclip, pefile and Pillow (to read the screen) for the tests.
    packages+=(g++-mingw-w64-x86-64-posix ninja-build git dpkg-dev libwine-dev nsis
               wine wine64 xvfb xauth xdotool xclip python3 python3-pefile python3-pil osslsigncode
               openssl)
fi
# What the suite runs: the package checks (lintian, and reuse, which reads
# what git ignores), an X server for the button, python3 to make a socket at
# the settings path, and DejaVu Sans, a font wider than the window's.
suite=(appstream desktop-file-utils dpkg-dev lintian reuse git xvfb xauth python3 fonts-dejavu-core)
if [[ $kind == test ]]; then
    # ... with the sanitizer build and the style checks.
    packages+=(clang libclang-rt-dev clang-format clang-tidy "${suite[@]}")
fi
# The benchmarks count instructions with valgrind, and may run on an X server.
[[ $kind != bench ]] || packages+=(valgrind xvfb xauth)
if [[ $kind == arm64 ]]; then
    # The cross compiler and Qt's arm64 packages, and debootstrap for the bare
    # arm64 Debians that the package is checked on.
    packages+=("${suite[@]}" crossbuild-essential-arm64 qt6-base-dev:arm64
               qt6-serialport-dev:arm64 qt6-qpa-plugins:arm64 debootstrap)
fi

# Once a second architecture is added, a name alone matches the package of
# either; this machine's own (or "all") is the one meant.
native=$(dpkg --print-architecture)
missing=()
for package in "${packages[@]}"; do
    wanted="$native|all"
    [[ $package != *:* ]] || wanted=${package#*:}
    installed=$(dpkg-query -W -f='${Architecture} ${Status}\n' "${package%:*}" 2>/dev/null || true)
    grep -qxE "($wanted) install ok installed" <<<"$installed" && continue
    missing+=("$package")
    # Qt's packages are of one version on both sides: this machine's are named
    # too, so that they are upgraded with the arm64 ones.
    [[ $package != *:arm64 ]] || missing+=("${package%:arm64}")
done

# An apt entry of the machine's own Debian mirror, the one its bookworm entry
# names: TYPE SUITE.
mirror_entry() {
    local mirror
    mirror=$(apt-get indextargets --format '$(REPO_URI)' 'Created-By: Packages' 'Release: bookworm' \
        | head -n1)
    [[ -n "$mirror" ]] || { echo "No bookworm entry in this machine's apt sources." >&2; exit 1; }
    printf 'Types: %s\nURIs: %s\nSuites: %s\nComponents: main\n%s\n' "$1" "$mirror" "$2" \
        'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg'
}

# "apt-get source qt6-base" needs a deb-src entry.
sources=
add_sources=
if [[ $kind == windows && -z $(apt-get indextargets 'Created-By: Sources' 'Release: bookworm') ]]; then
    sources=/etc/apt/sources.list.d/talven-deb-src.sources
    add_sources=$(mirror_entry deb-src bookworm)
fi
# qemu-user before 8 refuses the clone() with CLONE_PIDFD that QProcess
# makes; the suite runs under qemu 10, which Debian 12 has in its backports.
qemu=()
if [[ $kind == arm64 ]]; then
    qemu_version=$(dpkg-query -W -f='${Version}' qemu-user 2>/dev/null || true)
    binfmt_status=$(dpkg-query -W -f='${Status}' qemu-user-binfmt 2>/dev/null || true)
    if ! dpkg --compare-versions "$qemu_version" ge 1:10 \
        || [[ $binfmt_status != "install ok installed" ]]; then
        qemu=(qemu-user qemu-user-binfmt)
        if [[ $release == bookworm ]]; then
            qemu=(qemu-user/bookworm-backports qemu-user-binfmt/bookworm-backports)
            if [[ -z $(apt-get indextargets 'Created-By: Packages' 'Release: bookworm-backports') ]]; then
                sources=/etc/apt/sources.list.d/talven-backports.sources
                add_sources=$(mirror_entry deb bookworm-backports)
            fi
        fi
    fi
fi
add_architecture=
if [[ $kind == arm64 ]] && ! dpkg --print-foreign-architectures | grep -qx arm64; then
    add_architecture=arm64
fi
install=("${missing[@]}" "${qemu[@]}")

if [[ ${#install[@]} -gt 0 || -n $add_sources || -n $add_architecture ]]; then
    if [[ $(id -u) -ne 0 ]]; then
        echo "Missing Debian packages or sources. Add them with:" >&2
        [[ -z $add_architecture ]] || echo "  sudo dpkg --add-architecture $add_architecture" >&2
        if [[ -n $add_sources ]]; then
            printf "  sudo tee %s >/dev/null <<'END'\n%s\nEND\n" "$sources" "$add_sources" >&2
        fi
        echo "  sudo apt-get update${install[*]:+ && sudo apt-get install -y ${install[*]}}" >&2
        exit 1
    fi
    [[ -z $add_architecture ]] || { echo "Adding the architecture $add_architecture"; dpkg --add-architecture "$add_architecture"; }
    [[ -z $add_sources ]] || { echo "Adding $sources"; echo "$add_sources" >"$sources"; }
    apt-get update -qq
    if [[ ${#install[@]} -gt 0 ]]; then
        echo "Installing ${install[*]}"
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${install[@]}"
    fi
fi

# The kernel runs arm64 programs through the installed qemu (binfmt_misc,
# which a container may not have mounted). A registration made for another
# qemu keeps running that one, so it is made anew.
if [[ $kind == arm64 ]]; then
    binfmt=/proc/sys/fs/binfmt_misc
    qemu_runs_arm64() {
        [[ $(QEMU_VERSION=1 /lib/ld-linux-aarch64.so.1 2>/dev/null | head -n1) \
            == "$(qemu-aarch64 --version | head -n1)" ]]
    }
    if ! qemu_runs_arm64; then
        conf=/usr/lib/binfmt.d/qemu-aarch64.conf
        if [[ $(id -u) -ne 0 ]]; then
            echo "arm64 programs do not run through qemu-aarch64. Have them do so with:" >&2
            echo "  mountpoint -q $binfmt || sudo mount -t binfmt_misc binfmt_misc $binfmt" >&2
            echo "  sudo sh -c '[ ! -e $binfmt/qemu-aarch64 ] || echo -1 >$binfmt/qemu-aarch64; cat $conf >$binfmt/register'" >&2
            exit 1
        fi
        echo "Having the kernel run arm64 programs through $(qemu-aarch64 --version | head -n1)"
        mountpoint -q $binfmt || mount -t binfmt_misc binfmt_misc $binfmt
        [[ ! -e $binfmt/qemu-aarch64 ]] || echo -1 >$binfmt/qemu-aarch64
        cat $conf >$binfmt/register
        qemu_runs_arm64 || { echo "arm64 programs still do not run through qemu-aarch64." >&2; exit 1; }
    fi
fi
