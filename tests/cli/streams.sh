#!/bin/sh
# tavorin-calc against streams that fail: each case must give a message on standard error
# and its documented exit status. Usage: streams.sh path/to/tavorin-calc
set -u
calc=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
passed=0

# expect NAME STATUS STDERR-PATTERN COMMAND…
expect() {
    name=$1 status=$2 pattern=$3
    shift 3
    "$@" 2>"$tmp/err"
    got=$?
    if [ "$got" -ne "$status" ] || { [ -n "$pattern" ] && ! grep -q -- "$pattern" "$tmp/err"; }; then
        echo "FAIL $name: status $got (want $status), stderr: $(head -c 300 "$tmp/err")"
        failures=$((failures + 1))
    else
        passed=$((passed + 1))
    fi
}

printf '{}\n{"kj": "支墩"}\n' >"$tmp/cases"
expect "output to a full device" 3 "cannot write the results.*No space left" \
    sh -c '"$0" <"$1" >/dev/full' "$calc" "$tmp/cases"
expect "output closed" 3 "cannot write the results" \
    sh -c '"$0" <"$1" >&-' "$calc" "$tmp/cases"
expect "input a folder" 3 "cannot read the input: Is a directory" \
    sh -c '"$0" </ >/dev/null' "$calc"
expect "input closed" 3 "cannot read the input" \
    sh -c '"$0" <&- >/dev/null' "$calc"
expect "help to a full device" 3 "cannot write the help" \
    sh -c '"$0" --help >/dev/full' "$calc"
expect "wrong argument" 2 "unknown argument" "$calc" --frobnicate
expect "empty input" 0 "" sh -c '"$0" </dev/null >/dev/null' "$calc"

# Out of memory on one line is that line's error; the next line is still calculated.
# (Not under the address sanitizer, whose shadow memory needs more address space.)
if grep -q __asan_init "$calc"; then
    echo "passed $passed, skipped the out-of-memory case: built with the address sanitizer"
    [ "$failures" -eq 0 ]
    exit
fi
head -c 50000000 /dev/zero | tr '\0' '1' >"$tmp/digits"
{ printf '{"HSt": "'; cat "$tmp/digits"; printf '"}\n{}\n'; } >"$tmp/huge"
(ulimit -v 110000 && "$calc" <"$tmp/huge" >"$tmp/out" 2>"$tmp/err")
got=$?
if [ "$got" -ne 1 ] || ! head -n 1 "$tmp/out" | grep -q '^{"error":"第 1 行：内存不足' ||
    ! sed -n 2p "$tmp/out" | grep -q '"x1":"77.5667185956496"'; then
    echo "FAIL out of memory: status $got, $(head -c 200 "$tmp/out") $(head -c 200 "$tmp/err")"
    failures=$((failures + 1))
else
    passed=$((passed + 1))
fi

echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
