#!/usr/bin/env bash
# Installs what Tarnwick needs on Debian 12 (only what is missing) and builds
# it incrementally into build/. Run by run.sh and test.sh.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# Paths relative to the checkout let the compiler cache serve a fresh clone
# from an earlier build in another folder.
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1

packages=(
    cmake g++ make pkg-config
    qt6-base-dev libgl-dev
    # Qt's Wayland platform plugin: without it Qt falls back to XWayland on
    # a Wayland session; the protocol files and the scanner give a started
    # console the activation token of the user's key
    qt6-wayland wayland-protocols libwayland-dev
    # the text component is built from Debian's source package
    curl dpkg-dev ccache
    fonts-dejavu-core fonts-liberation
    xvfb xauth xterm desktop-file-utils libx11-dev
    # the install checks: AppStream's validator, the manual page's formatter
    appstream groff-base
    # the end-to-end tests: a window manager, real X key and mouse events
    openbox xdotool x11-utils
    # files as shared lab machines have them: ACLs and extended attributes
    acl attr
    # a dark colour scheme as users set one, for the end-to-end colour test
    qt6ct
    # single-byte locales (KOI8-R) made for the code page tests
    locales
    # the accessibility tests: Qt's platform accessibility switched on in
    # the offscreen tests, a screen reader's view over AT-SPI end to end
    qt6-base-private-dev at-spi2-core python3-pyatspi dbus
    # the session test's stand-ins: GNOME's session manager and the portal
    # (python3-gi), an X11 session manager (libSM)
    python3-gi libsm-dev
    # the Wayland road: a headless GNOME compositor with XWayland, and the
    # terminal GNOME starts
    mutter xwayland gnome-terminal
    # the sanitizer build and the fuzz targets of test.sh
    clang libclang-rt-14-dev
    # the format check of CI
    clang-format
    # the package test: Debian's checker of the built .deb
    lintian
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
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
cmake --build "$root/build" -j"$(nproc)"
