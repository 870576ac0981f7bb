#!/usr/bin/env bash
# Sets up and builds Tarnwick if needed, then runs every test through CTest:
# once in build/, then again with the sanitizers and the fuzz targets in
# build-asan/. Arguments go to both CTest runs (e.g. -R document).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$root/scripts/setup.sh"
status=0
(cd "$root/build" && ctest --output-on-failure "$@") || status=$?
"$root/scripts/build-sanitized.sh"
(cd "$root/build-asan" && ctest --output-on-failure "$@") || status=$?
exit "$status"
