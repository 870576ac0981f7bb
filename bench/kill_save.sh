#!/bin/bash
# Kills a 200 MB save with SIGKILL at random moments, many times, and checks
# after each kill that the file is the whole old or the whole new version and
# that nothing else is left in its folder. Run by hand:
#   bench/kill_save.sh [BUILD_DIR] [RUNS] [PARENT_FOLDER] [in-place]
# (BUILD_DIR defaults to build, RUNS to 50, PARENT_FOLDER to /var/tmp; the
# target bench_kill_save must be built.) With "in-place" the file has a
# second hard link, so every save writes into the file itself: that road
# is taken only where the atomic one cannot keep the file what it is, and
# this shows what a kill during it leaves.
set -eu
build=${1:-build}
runs=${2:-50}
program=$build/bench/bench_kill_save
[ -x "$program" ] || { echo "build the target bench_kill_save first" >&2; exit 2; }
folder=$(mktemp -d "${3:-/var/tmp}/kill_save.XXXXXX")
fifo=$(mktemp -u /tmp/kill_save_fifo.XXXXXX)
mkfifo "$fifo"
trap 'rm -rf "$folder" "$fifo"' EXIT
file=$folder/Big.java
second=$folder/Big-link.java
if [ "${4:-}" = in-place ]; then
    "$program" "$file" old >/dev/null
    ln "$file" "$second"
fi

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# The two versions' hashes, and how long a whole save takes from the moment
# the program starts writing until it returns (the longer of two).
declare -A hash
write_ms=0
for version in new old; do
    "$program" "$file" "$version" >"$fifo" &
    exec 3<"$fifo"
    read -r -u 3 _
    start=$(now_ms)
    read -r -u 3 _
    took=$(($(now_ms) - start))
    exec 3<&-
    wait $!
    ((took > write_ms)) && write_ms=$took
    hash[$version]=$(sha256sum <"$file" | cut -d' ' -f1)
done
echo "one save of 200 MB: $write_ms ms from its first write to its return; the file holds 'old'"

on_disk=old
old=0 new=0 torn=0 leftovers=0
for ((run = 1; run <= runs; run++)); do
    # Each save writes the version that is not on disk.
    if [ "$on_disk" = old ]; then writing=new; else writing=old; fi
    # Anywhere from the first write to a little past the end of the save.
    delay_ms=$((RANDOM % (write_ms * 11 / 10 + 1)))
    "$program" "$file" "$writing" >"$fifo" &
    pid=$!
    read -r _ <"$fifo"
    sleep "$(printf '%d.%03d' $((delay_ms / 1000)) $((delay_ms % 1000)))"
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true

    got=$(sha256sum <"$file" | cut -d' ' -f1)
    if [ "$got" = "${hash[$on_disk]}" ]; then
        old=$((old + 1)); verdict="the version before, whole"
    elif [ "$got" = "${hash[$writing]}" ]; then
        new=$((new + 1)); verdict="the version written, whole"; on_disk=$writing
    else
        torn=$((torn + 1)); verdict="TORN"
        # Go on from a known state.
        "$program" "$file" old >/dev/null; on_disk=old
    fi
    extra=$(find "$folder" -mindepth 1 ! -path "$file" ! -path "$second" | wc -l)
    if [ "$extra" -ne 0 ]; then
        leftovers=$((leftovers + extra))
        find "$folder" -mindepth 1 ! -path "$file" ! -path "$second" -delete
    fi
    printf 'run %2d: killed %4d ms into the save of %s: %s\n' "$run" "$delay_ms" "$writing" "$verdict"
done
echo "runs=$runs old=$old new=$new torn=$torn leftovers=$leftovers"
echo "(old: the file kept the version before the save; new: it holds the version written)"
[ "$torn" -eq 0 ] && [ "$leftovers" -eq 0 ]
