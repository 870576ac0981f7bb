#!/usr/bin/env bash
# Sets up and builds Tarnwick if needed, then runs every test through CTest.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$root/scripts/setup.sh"
cd "$root/build"
ctest --output-on-failure "$@"
