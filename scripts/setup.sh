#!/usr/bin/env bash
# Installs what Tarnwick needs on Debian 12 (only what is missing) and builds
# it incrementally into build/. Run by run.sh and test.sh.
#
#   scripts/setup.sh          what building and running the editor need; builds
#                             the editor and its helper programs
#   scripts/setup.sh --tests  that and what the tests need; builds everything
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# Paths relative to the checkout let the compiler cache serve a fresh clone
# from an earlier build in another folder.
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1

tests=0
if [ "${1:-}" = --tests ]; then
    tests=1
fi

# What building and running the editor need.
packages=(
    cmake g++ make pkg-config
    qt6-base-dev libgl-dev libx11-dev
    # Qt's Wayland platform plugin: without it Qt falls back to XWayland on
    # a Wayland session; the protocol files, the scanner and Qt's private
    # headers give a started console the activation token of the user's key
    qt6-wayland wayland-protocols libwayland-dev qt6-base-private-dev
    # the text component is built from Debian's source package, taken
    # through apt and unpacked by dpkg-source
    dpkg-dev ccache
    fonts-dejavu-core fonts-liberation
    # the console of the Run menu
    xterm
)

# What the tests add (./test.sh).
test_packages=(
    # the install checks: the desktop entry's and AppStream's validators,
    # the manual page's formatter
    desktop-file-utils appstream groff-base
    # the end-to-end tests: an X server, a window manager, real X key and
    # mouse events, each group on a private session bus
    xvfb xauth openbox xdotool x11-utils dbus
    # files as shared lab machines have them: ACLs and extended attributes
    acl attr
    # a dark colour scheme as users set one, for the end-to-end colour test
    qt6ct
    # single-byte locales (KOI8-R) made for the code page tests
    locales
    # the accessibility tests: a screen reader's view over AT-SPI end to end
    at-spi2-core python3-pyatspi
    # the session test's stand-ins: GNOME's session manager and the portal
    # (python3-gi), an X11 session manager (libSM)
    python3-gi libsm-dev
    # the Wayland road: headless GNOME compositors (mutter, GNOME Shell) with
    # XWayland, and the terminal GNOME starts
    mutter gnome-shell xwayland gnome-terminal
    # the sanitizer build and the fuzz targets of test.sh
    clang libclang-rt-14-dev
    # the format check of CI
    clang-format
    # the package test: Debian's checker of the built .deb
    lintian
)
if [ "$tests" = 1 ]; then
    packages+=("${test_packages[@]}")
fi

missing=()
installed="$(dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null || true)"
for package in "${packages[@]}"; do
    if ! grep -q "^$package install ok installed$" <<<"$installed"; then
        missing+=("$package")
    fi
done
# The run commands and their tests need a JDK; any installed one will do.
if ! command -v javac >/dev/null 2>&1; then
    missing+=(default-jdk-headless)
fi

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo_cmd=(sudo)
    fi
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

"$root/scripts/build-qscintilla.sh"

if [ ! -f "$root/build/CMakeCache.txt" ]; then
    launcher=()
    # A compiler cache, where one is installed, makes rebuilds in fresh
    # clones cheap; nothing depends on it.
    if command -v ccache >/dev/null 2>&1; then
        launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    fi
    cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}"
fi
if [ "$tests" = 1 ]; then
    cmake --build "$root/build" -j"$(nproc)"
else
    # The editor and the helper programs its Run menu starts, nothing else.
    cmake --build "$root/build" -j"$(nproc)" --target tarnwick tarnwick-batch clearscr keypress
fi
