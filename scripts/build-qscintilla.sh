#!/usr/bin/env bash
# Builds the text component, QScintilla, from Debian's own source package
# (the version of Debian 12's binary packages), with the patches in
# third_party/qscintilla/ applied on top of Debian's, as a static library.
# Run by setup.sh; does nothing when the library there was built from the
# same package, patches and script.
#
#   scripts/build-qscintilla.sh             into deps/qscintilla/ (g++)
#   scripts/build-qscintilla.sh --sanitize  into deps/qscintilla-asan/, with
#       clang and the sanitizers of build-asan/, so that they see inside the
#       component too (run by build-sanitized.sh)
#
# The source comes through apt, from the deb-src twins of this machine's own
# deb entries, or from a folder holding the three files of SHA256SUMS:
#   TARNWICK_QSCINTILLA_SOURCE=/path/to/folder scripts/build-qscintilla.sh
# Either way the files are checked against SHA256SUMS and kept in
# deps/qscintilla-source/ for the next build.
#
# Why not the system library: it measures text with a QTextLayout per
# segment and a cursorToX() per byte, which freezes the editor for seconds to
# minutes on lines of a megabyte or more (one-line JSON, generated code).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
here="$root/third_party/qscintilla"
package=qscintilla2
version=2.13.3+dfsg-3
sources="$root/deps/qscintilla-source"

sanitize=0
prefix="$root/deps/qscintilla"
if [ "${1:-}" = --sanitize ]; then
    sanitize=1
    prefix="$root/deps/qscintilla-asan"
fi

stamp="$(cat "${BASH_SOURCE[0]}" "$here/SHA256SUMS" "$here"/*.patch | sha256sum | cut -d' ' -f1)"
if [ -f "$prefix/stamp" ] && [ "$(cat "$prefix/stamp")" = "$stamp" ]; then
    exit 0
fi

die() {
    echo "build-qscintilla.sh: $*" >&2
    exit 1
}

# The deb-src entries of apt's configuration, made from this machine's deb
# entries: one-line ones from *.list into $1, deb822 paragraphs from
# *.sources into $2 (the folders as apt's configuration names them). Everything else (options, Signed-By) stays as it is, so
# apt checks the Release files exactly as it does for the binary packages.
source_entries() {
    local list parts file
    eval "$(apt-config shell list Dir::Etc::SourceList/f parts Dir::Etc::SourceParts/d)"
    local lists=("$list" "$parts"*.list)
    parts=("$parts"*.sources)
    : > "$1"
    : > "$2"
    for file in "${lists[@]}"; do
        [ -f "$file" ] || continue
        sed -n 's/^[[:space:]]*deb\([[:space:]]\)/deb-src\1/p' "$file" >> "$1"
    done
    for file in "${parts[@]}"; do
        [ -f "$file" ] || continue
        # Paragraph by paragraph: those whose Types name deb, with Types
        # made deb-src; continued lines (an inline key) are kept whole.
        awk 'BEGIN { RS = ""; ORS = "\n\n" }
            {
                n = split($0, lines, "\n"); out = ""; keep = 0
                for (i = 1; i <= n; i++) {
                    line = lines[i]
                    if (line ~ /^[Tt]ypes:/) {
                        if ((" " substr(line, 7) " ") ~ /[[:space:]]deb[[:space:]]/) keep = 1
                        line = "Types: deb-src"
                    }
                    out = out line "\n"
                }
                if (keep) printf "%s", out "\n"
            }' "$file" >> "$2"
    done
}

# Downloads the three files into the current folder through apt, with a
# configuration of its own in $1: no root needed, the machine's lists and
# caches untouched.
download_with_apt() {
    local apt="$1"
    mkdir -p "$apt/parts" "$apt/state/lists/partial" "$apt/cache/archives/partial"
    source_entries "$apt/sources.list" "$apt/parts/tarnwick.sources"
    if [ ! -s "$apt/sources.list" ] && [ ! -s "$apt/parts/tarnwick.sources" ]; then
        die "apt's configuration has no deb entries to take the source package from (/etc/apt/sources.list, /etc/apt/sources.list.d/). Put the three files named in third_party/qscintilla/SHA256SUMS into a folder and run again with TARNWICK_QSCINTILLA_SOURCE=/path/to/that/folder."
    fi
    local options=(
        -o "Dir::Etc::SourceList=$apt/sources.list"
        -o "Dir::Etc::SourceParts=$apt/parts"
        -o "Dir::State=$apt/state"
        -o "Dir::Cache=$apt/cache"
    )
    # As root, apt downloads as its own account _apt, which must reach the
    # folders.
    chmod 755 "$apt" "$work"
    if [ "$(id -u)" -eq 0 ]; then
        chown -R _apt "$apt/state/lists/partial" "$apt/cache/archives/partial" "$work/download" 2>/dev/null || true
    fi
    # A failed index (no network, an archive out of reach) is only a warning
    # to apt-get update; what it means shows when the source is not found.
    apt-get "${options[@]}" -q update > "$apt/update.log" 2>&1 || true
    if apt-get "${options[@]}" -q source --download-only "$package=$version" > "$apt/source.log" 2>&1; then
        return
    fi
    cat "$apt/update.log" "$apt/source.log" | sed 's/^/  /' >&2
    if grep -q '^[EW]: ' "$apt/update.log"; then
        die "apt could not read the source indexes of this machine's archives (no network? the messages are above). Without network, put the three files named in third_party/qscintilla/SHA256SUMS into a folder and run again with TARNWICK_QSCINTILLA_SOURCE=/path/to/that/folder."
    fi
    die "apt has no source package $package $version in this machine's archives: after a newer Debian point release it may have left them. Take the three files named in third_party/qscintilla/SHA256SUMS from a snapshot of the archive into a folder and run again with TARNWICK_QSCINTILLA_SOURCE=/path/to/that/folder."
}

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir "$work/download"
cd "$work/download"
echo "Building QScintilla $version with the editor's patches$([ "$sanitize" = 1 ] && echo ', sanitized') (a few minutes, once)"
if [ -n "${TARNWICK_QSCINTILLA_SOURCE:-}" ]; then
    while read -r _ file; do
        cp "$TARNWICK_QSCINTILLA_SOURCE/$file" . ||
            die "$file is not in TARNWICK_QSCINTILLA_SOURCE=$TARNWICK_QSCINTILLA_SOURCE"
    done < "$here/SHA256SUMS"
elif [ -d "$sources" ] && (cd "$sources" && sha256sum --quiet -c "$here/SHA256SUMS" >/dev/null 2>&1); then
    cp "$sources"/* .
    kept=1
else
    echo "Taking the source package $package $version through apt"
    download_with_apt "$work/apt"
fi
# All three files' checksums are pinned here, so what is built is exactly
# Debian's package whatever road it came by; dpkg-source need not look for
# the uploader's key.
sha256sum --quiet -c "$here/SHA256SUMS" ||
    die "the source files do not match the checksums of third_party/qscintilla/SHA256SUMS: refused"
if [ -z "${kept:-}" ]; then
    rm -rf "$sources"
    mkdir -p "$sources"
    while read -r _ file; do
        cp "$file" "$sources/"
    done < "$here/SHA256SUMS"
fi

dpkg-source --no-check -x "${package}_$version.dsc" "$work/source" >/dev/null
for patch in "$here"/*.patch; do
    patch -s -d "$work/source" -p1 < "$patch"
done

mkdir "$work/build"
cd "$work/build"
cxx=g++
spec=()
flags=()
if [ "$sanitize" = 1 ]; then
    # The flags of build-asan/ (CMakeLists.txt, TARNWICK_SANITIZE).
    cxx=clang++
    spec=(-spec linux-clang)
    flags=("QMAKE_CXXFLAGS+=-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined")
fi
if command -v ccache >/dev/null 2>&1; then
    cxx="ccache $cxx"
    # Every build is in a new temporary folder: paths relative to it let
    # the cache serve the next one.
    export CCACHE_BASEDIR="$work" CCACHE_NOHASHDIR=1
fi
qmake6 "${spec[@]}" ../source/src/qscintilla.pro CONFIG+=staticlib CONFIG+=release \
    CONFIG+=force_debug_info "QMAKE_CXX=$cxx" "${flags[@]}" >/dev/null
make -s -j"$(nproc)" >/dev/null

rm -rf "$prefix.new"
mkdir -p "$prefix.new/lib" "$prefix.new/include"
cp libqscintilla2_qt6.a "$prefix.new/lib/"
cp -r ../source/src/Qsci "$prefix.new/include/"
echo "$stamp" > "$prefix.new/stamp"
rm -rf "$prefix"
mv "$prefix.new" "$prefix"
