#!/usr/bin/env bash
# Sets up and builds Tarnwick if needed, then starts the editor.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# The editor runs as the user: files it saves and programs it starts must
# not belong to root. The set-up asks for sudo itself, only to install.
if [ "$(id -u)" -eq 0 ] && [ -n "${SUDO_USER:-}" ]; then
    echo "run.sh: start it as yourself, not with sudo; the set-up asks for sudo when it installs packages." >&2
    exit 1
fi
"$root/scripts/setup.sh"
exec "$root/build/bin/tarnwick"
