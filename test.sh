#!/usr/bin/env bash
# Sets up and builds Tarnwick if needed, then runs every test through CTest
# in build/, then again in build-asan/ with the sanitizers and the fuzz
# targets. The sanitized run takes the end-to-end layer's editing roads only
# (typing, Open and Save through the real dialogs): the whole layer runs
# once, in build/, which keeps the two runs together within a few minutes.
# Arguments go to every CTest run (e.g. -R files).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$root/scripts/setup.sh" --tests
status=0
(cd "$root/build" && ctest --output-on-failure "$@") || status=$?
"$root/scripts/build-sanitized.sh"
(cd "$root/build-asan" && ctest --output-on-failure -LE e2e "$@") || status=$?
(cd "$root/build-asan" && ctest --output-on-failure -R '^tst_e2e_editing$' "$@") ||
    status=$?
exit "$status"
