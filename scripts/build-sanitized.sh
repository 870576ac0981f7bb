#!/usr/bin/env bash
# Builds everything again into build-asan with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, and the fuzz targets; run by test.sh after
# setup.sh has installed what is missing.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# Paths relative to the checkout let the compiler cache serve a fresh clone
# from an earlier build in another folder.
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1

if [ ! -f "$root/build-asan/CMakeCache.txt" ]; then
    launcher=()
    if command -v ccache >/dev/null 2>&1; then
        launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    fi
    cmake -S "$root" -B "$root/build-asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=clang++ -DTARNWICK_SANITIZE=ON "${launcher[@]}"
fi
cmake --build "$root/build-asan" -j"$(nproc)"
