#!/usr/bin/env bash
# The Debian package as the lab installs it: built by CPack from the build
# tree, its files and control fields as listed here, lintian without errors
# or warnings, and the editor unpacked under another root running its
# helpers from there and taking one road with a real terminal and JDK.
# Usage: package.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
build="$1" source="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*" >&2 && failed=1; }

(cd "$build" && cpack -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
deb="$work/out/tarnwick_1.0.0-1_amd64.deb"
[ -f "$deb" ] || { ls "$work/out"; exit 1; }

# Every file, its mode and place; the directories follow from them.
expected='-rwxr-xr-x usr/bin/tarnwick
-rwxr-xr-x usr/libexec/tarnwick/clearscr
-rwxr-xr-x usr/libexec/tarnwick/keypress
-rwxr-xr-x usr/libexec/tarnwick/tarnwick-batch
-rw-r--r-- usr/share/applications/tarnwick.desktop
-rw-r--r-- usr/share/doc/tarnwick/changelog.Debian.gz
-rw-r--r-- usr/share/doc/tarnwick/copyright
-rw-r--r-- usr/share/icons/hicolor/32x32/apps/tarnwick.png
-rw-r--r-- usr/share/icons/hicolor/scalable/apps/tarnwick.svg
-rw-r--r-- usr/share/lintian/overrides/tarnwick
-rw-r--r-- usr/share/man/man1/tarnwick.1.gz
-rw-r--r-- usr/share/metainfo/io.github.tarnwick.tarnwick.metainfo.xml'
files="$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub("^\\./", "", $6); print $1, $2, $6 }' | sort -k3)"
want="$(sed 's| | root/root |' <<<"$expected")"
[ "$files" = "$want" ] || fail "contents:"$'\n'"$(diff <(echo "$want") - <<<"$files")"

# Control fields: a regular expression each; Depends as dpkg-shlibdeps
# computed it from the binaries, with versions.
while IFS='|' read -r field pattern; do
    value="$(dpkg-deb -f "$deb" "$field")"
    [[ "$value" =~ $pattern ]] || fail "$field: \"$value\" does not match $pattern"
done <<'EOF_FIELDS'
Package|^tarnwick$
Version|^1\.0\.0-1$
Architecture|^amd64$
Depends|libqt6widgets6 \(>= [0-9.]+\).*libstdc\+\+6 \(>=
Recommends|default-jdk-headless.*x-terminal-emulator
Maintainer|^[^<]+ <[^@>]+@[^>]+>$
Description|^[a-z].*
EOF_FIELDS

# lintian: no error, no warning (the overrides name the one that does not
# apply); its remaining notes are information only.
lintian "$deb" >"$work/lintian.log" 2>&1
grep -E '^(E|W): ' "$work/lintian.log" && fail "lintian"

root="$work/root"
dpkg-deb -x "$deb" "$root"
# Nothing of the build machine's folders inside, not even in the binaries.
leaked="$(grep -rlF -e "$build" -e "$source" "$root")" && fail "build paths in: $leaked"

# The helpers from the unpacked tree, found as the editor's scripts find
# them: on PATH, by bare name.
printf '@echo OFF\r\nclearscr\r\necho from the package\r\nkeypress\r\n' >"$work/t.bat"
said="$(cd "$work" && PATH="$root/usr/libexec/tarnwick:$PATH" tarnwick-batch t.bat </dev/null 2>&1)"
[[ "$said" == *"from the package"* ]] || fail "helpers said: $said"

# The unpacked editor (the road starts TARNWICK_BUILD_DIR/bin/tarnwick): F9
# and Ctrl+F9 only work when it finds its helpers beside it.
TARNWICK_BUILD_DIR="$root/usr" TARNWICK_E2E_ROADS='^run/Run menu in a real terminal: compile' \
    dbus-run-session -- "$build/tests/e2e/tst_e2e_run" || fail "the road with the unpacked editor"
exit "$failed"
