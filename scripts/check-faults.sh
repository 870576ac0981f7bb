#!/usr/bin/env bash
# Checks that the tests still catch every fault of scripts/faults.txt: for
# each one, makes the change, builds the test program it names, runs that
# program through CTest, and puts the file back exactly as it was. Run by
# hand after any change to the tests; not part of ./test.sh.
#
# Usage: scripts/check-faults.sh [--full] [--list FILE] [PATTERN...]
#   PATTERN  only the faults whose line matches one of these extended
#            regular expressions (a file, a test program, a word of the
#            description)
#   --full   build everything and run the whole of CTest for each fault,
#            instead of the one program the fault names
#   --list   another list of faults in the same format
#
# Prints one line per fault: "caught", "MISSED" (the tests passed, or the
# named test function was not among the failures), "does not build" or "NOT
# FOUND" (the original text is not in the file exactly once). Exits non-zero
# unless every fault checked was caught. Needs build/, as scripts/setup.sh
# or ./test.sh leave it.
set -uo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build"
list="$root/scripts/faults.txt"
# As scripts/setup.sh builds: the compiler cache serves the unchanged files.
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1

full=0
filters=()
while (($#)); do
    case "$1" in
    --full) full=1 ;;
    --list)
        list="$(realpath -- "${2:?--list needs a file}")"
        shift
        ;;
    -h | --help)
        sed -n '2,19s/^# \{0,1\}//p' "${BASH_SOURCE[0]}"
        exit 0
        ;;
    *) filters+=("$1") ;;
    esac
    shift
done

if [ ! -f "$build/CMakeCache.txt" ]; then
    echo "No build in $build: run scripts/setup.sh (or ./test.sh) first." >&2
    exit 2
fi

aside="$(mktemp -d)"
logs="$aside/logs"
mkdir "$logs"
changed="" # the file that holds a fault right now, relative to the checkout
step=""    # the build or test running now

# The original goes back by content: a new modification time makes the next
# build compile it again, where copying the old time back would leave the
# faulty object file looking up to date.
restore() {
    if [ -n "$changed" ]; then
        cp -- "$aside/original" "$root/$changed"
        if ! cmp -s -- "$aside/original" "$root/$changed"; then
            echo "Could not restore $changed; its original is in $aside/original" >&2
            exit 3
        fi
        changed=""
    fi
}
trap 'restore; rm -rf -- "$aside"' EXIT
# The interrupt may come while a step's output goes to its log.
exec 4>&2
interrupted() {
    [ -n "$step" ] && kill -TERM -- "-$step" 2>/dev/null
    restore
    echo "Interrupted; the file is restored. Build again before running the tests." >&4
    exit 130
}
trap interrupted INT TERM

# Runs a build or test step in the background, in a process group of its
# own that an interrupt ends whole, and waits for it: a wait gives way to
# Ctrl+C at once, where a step in the foreground that catches the signal
# itself (CTest does) would hold the interrupt back until it ends.
run() {
    setsid "$@" </dev/null &
    step=$!
    wait "$step"
    local status=$?
    step=""
    return "$status"
}

# How often the text occurs in the file, and the change itself, on bytes.
occurrences() {
    python3 - "$1" "$2" <<'EOF'
import sys
print(open(sys.argv[1], 'rb').read().count(sys.argv[2].encode()))
EOF
}
apply() {
    python3 - "$1" "$2" "$3" <<'EOF'
import sys
path, old, new = sys.argv[1], sys.argv[2].encode(), sys.argv[3].encode()
data = open(path, 'rb').read()
open(path, 'wb').write(data.replace(old, new, 1))
EOF
}

status=0
checked=0
caught=0
built_programs=()
started=$SECONDS
lineno=0
while IFS= read -r -u 3 line; do
    lineno=$((lineno + 1))
    case "$line" in '' | '#'*) continue ;; esac
    IFS=$'\t' read -r -a fields <<<"$line"
    if [ "${#fields[@]}" -ne 5 ]; then
        echo "faults.txt:$lineno: not five tab-separated fields" >&2
        status=1
        continue
    fi
    test="${fields[0]}" file="${fields[1]}" original="${fields[2]}"
    replacement="${fields[3]}" what="${fields[4]}"
    if ((${#filters[@]})); then
        wanted=0
        for filter in "${filters[@]}"; do
            [[ "$line" =~ $filter ]] && wanted=1
        done
        ((wanted)) || continue
    fi
    program="${test%%::*}"
    function=""
    [ "$program" != "$test" ] && function="${test#*::}"
    checked=$((checked + 1))
    log="$logs/$lineno.log"
    result=""

    count=0
    [ -f "$root/$file" ] && count="$(occurrences "$root/$file" "$original")"
    if [ "$count" -ne 1 ]; then
        result="NOT FOUND ($count times)"
    else
        cp -- "$root/$file" "$aside/original"
        changed="$file"
        apply "$root/$file" "$original" "$replacement"

        targets=(--target "$program")
        # Helper programs are found at run time, not linked.
        [[ "$file" == tools/* ]] && targets+=(tarnwick-batch clearscr keypress)
        ((full)) && targets=()
        built_programs+=("$program")
        if ! run nice -n 19 cmake --build "$build" -j2 "${targets[@]}" >"$log" 2>&1; then
            result="does not build"
        else
            tests=(-R "^$program\$")
            ((full)) && tests=()
            run nice -n 19 ctest --test-dir "$build" --output-on-failure "${tests[@]}" >>"$log" 2>&1
            ran=$?
            if ! grep -q "tests passed\|tests failed" "$log"; then
                result="MISSED (no test ran)"
            elif [ "$ran" -eq 0 ]; then
                result="MISSED"
            # A failure names its function; a crash names it in the line
            # after "Received signal".
            elif [ -n "$function" ] &&
                ! grep -Eq "^(FAIL!|QFATAL) *: [A-Za-z0-9_]+::$function\(|^ +$function function time:" "$log"; then
                result="MISSED (failed, but not in $function)"
            else
                result="caught"
            fi
        fi
        restore
    fi
    [ "$result" = caught ] && caught=$((caught + 1)) || status=1
    printf '%-14s %s\n               %s: %s\n' "$result" "$test" "$file" "$what"
    if [ "$result" != caught ] && [ -f "$log" ]; then
        echo "    (log: $build/check-faults-$lineno.log)"
        cp -- "$log" "$build/check-faults-$lineno.log"
    fi
done 3<"$list"

# The test programs were last built with a fault in them; built again from
# the restored sources (the compiler cache has them), build/ is as before.
if ((${#built_programs[@]})); then
    mapfile -t programs < <(printf '%s\n' "${built_programs[@]}" | sort -u)
    targets=(--target "${programs[@]}")
    ((full)) && targets=()
    if ! run nice -n 19 cmake --build "$build" -j2 "${targets[@]}" >"$logs/rebuild.log" 2>&1; then
        echo "Rebuilding the restored programs failed:" >&2
        tail -20 "$logs/rebuild.log" >&2
        status=1
    fi
fi

echo "$caught of $checked faults caught, in $(((SECONDS - started) / 60)) min $(((SECONDS - started) % 60)) s"
exit "$status"
