#!/usr/bin/env bash
# Builds everything again into build-asan with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, and the fuzz targets, against the text
# component built the same way (deps/qscintilla-asan); run by test.sh after
# setup.sh --tests has installed what is missing.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# Paths relative to the checkout let the compiler cache serve a fresh clone
# from an earlier build in another folder.
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1

# The text component with the same compiler and sanitizers, so that a fault
# inside it (the patched loops over a line's bytes) is reported too.
"$root/scripts/build-qscintilla.sh" --sanitize
component="$root/deps/qscintilla-asan"

# Configured once, and again when the tree was configured against another
# build of the text component.
if ! grep -qx "TARNWICK_QSCINTILLA_PREFIX:PATH=$component" "$root/build-asan/CMakeCache.txt" 2>/dev/null; then
    launcher=()
    if command -v ccache >/dev/null 2>&1; then
        launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    fi
    cmake -S "$root" -B "$root/build-asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=clang++ -DTARNWICK_SANITIZE=ON \
        -DTARNWICK_QSCINTILLA_PREFIX="$component" "${launcher[@]}"
fi
cmake --build "$root/build-asan" -j"$(nproc)"
