#!/usr/bin/env bash
# Sets up and builds Tarnwick if needed, then starts the editor.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$root/scripts/setup.sh"
exec "$root/build/bin/tarnwick"
