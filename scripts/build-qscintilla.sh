#!/usr/bin/env bash
# Builds the text component, QScintilla, from Debian's own source package
# (the same archive and version as Debian 12's binary packages), with the
# patches in third_party/qscintilla/ applied on top of Debian's, as a static
# library in deps/qscintilla/. Run by setup.sh; does nothing when the
# library there was built from the same package, patches and script.
#
# Why not the system library: it measures text with a QTextLayout per
# segment and a cursorToX() per byte, which freezes the editor for seconds to
# minutes on lines of a megabyte or more (one-line JSON, generated code).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
here="$root/third_party/qscintilla"
prefix="$root/deps/qscintilla"
version=2.13.3+dfsg-3
archive="${TARNWICK_DEBIAN_ARCHIVE:-http://deb.debian.org/debian}/pool/main/q/qscintilla2"

stamp="$(cat "${BASH_SOURCE[0]}" "$here/SHA256SUMS" "$here"/*.patch | sha256sum | cut -d' ' -f1)"
if [ -f "$prefix/stamp" ] && [ "$(cat "$prefix/stamp")" = "$stamp" ]; then
    exit 0
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
echo "Building QScintilla $version with the editor's patches (a few minutes, once)"
while read -r _ file; do
    curl -fsSL --retry 3 -o "$file" "$archive/$file"
done < "$here/SHA256SUMS"
# All three files' checksums are pinned here, so what is built is exactly
# Debian's package; dpkg-source need not look for the uploader's key.
sha256sum --quiet -c "$here/SHA256SUMS"
dpkg-source --no-check -x "qscintilla2_$version.dsc" source >/dev/null
for patch in "$here"/*.patch; do
    patch -s -d source -p1 < "$patch"
done

mkdir build
cd build
compiler=()
if command -v ccache >/dev/null 2>&1; then
    compiler=("QMAKE_CXX=ccache g++")
    # Every build is in a new temporary folder: paths relative to it let
    # the cache serve the next one.
    export CCACHE_BASEDIR="$work" CCACHE_NOHASHDIR=1
fi
qmake6 ../source/src/qscintilla.pro CONFIG+=staticlib CONFIG+=release \
    CONFIG+=force_debug_info "${compiler[@]}" >/dev/null
make -s -j"$(nproc)" >/dev/null

rm -rf "$prefix.new"
mkdir -p "$prefix.new/lib" "$prefix.new/include"
cp libqscintilla2_qt6.a "$prefix.new/lib/"
cp -r ../source/src/Qsci "$prefix.new/include/"
echo "$stamp" > "$prefix.new/stamp"
rm -rf "$prefix"
mv "$prefix.new" "$prefix"
