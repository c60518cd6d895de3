#!/bin/sh
# Builds Tavorin and runs every test: the Linux build with all its CTest suites, then one
# section for each further build. Stops at the first failure with a non-zero status. This is
# the README's test command (after tools/install-deps.sh) and what CI runs.
set -eu
cd "$(dirname "$0")/.."

started=$(date +%s)
section() {
    printf '\n=== %s (at %ss)\n' "$*" "$(($(date +%s) - started))"
}

section "Linux: dev build and every test"
cmake --workflow --preset dev

section "Release build: engine, batch tool, sin/cos reference and golden files"
cmake --workflow --preset release-tests

section "Sanitizer build (address, undefined behaviour): engine, batch tool and golden files"
cmake --workflow --preset asan-engine

section "Thread sanitizer (clang): the worker pool and the batch tool's tests"
cmake --workflow --preset tsan

section "Fuzzing: clang with sanitizers; corpus and regressions replayed, then 20 s per target"
cmake --workflow --preset fuzz

section "Debian package: build, lintian, install, run, purge"
sh tools/test-debian-package.sh

section "Windows under Wine: cross build, engine tests, golden files, driver, Linux against Wine"
windows_started=$(date +%s)
win=build/windows
cmake --preset windows >/dev/null
cmake --build --preset windows -j 2
# The same random inputs through the Linux tool and, under Wine, the Windows one.
build/dev/tests/random_cases 100000 >"$win/random-cases.jsonl"
build/dev/cli/tavorin-calc <"$win/random-cases.jsonl" >"$win/random-cases.linux.out"
# The release archive, unpacked: its tool must write the golden bytes too.
(cd "$win" && cpack >/dev/null)
zip="$win/package/tavorin-$(sed -n 's/^project(Tavorin VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)-windows-x86_64.zip"
rm -rf "$win/package/unpacked" "$win/random-cases.wine.out" "$win/ctest.log" "$win/zip.out"
unzip -q "$zip" -d "$win/package/unpacked"
tools/wine-session.sh "$win" sh -c '
    ctest --preset windows 2>&1 | tee "$1/ctest.log"
    tools/wine-session.sh run "$1/cli/tavorin-calc.exe" \
        <"$1/random-cases.jsonl" >"$1/random-cases.wine.out"
    tools/wine-session.sh run "$1"/package/unpacked/*/tavorin-calc.exe \
        <tests/golden/calculate.jsonl >"$1/zip.out"' sh "$win" || true
tests=$(sed -n 's/.* tests failed out of \([0-9]*\)$/\1/p' "$win/ctest.log")
failed=$(sed -n 's/.* \([0-9]*\) tests failed out of [0-9]*$/\1/p' "$win/ctest.log")
tests=${tests:-1}
failed=${failed:-1}
if cmp -s "$win/random-cases.linux.out" "$win/random-cases.wine.out"; then
    echo "100000 random cases: Linux and Wine wrote the same bytes"
else
    lines=$(diff "$win/random-cases.linux.out" "$win/random-cases.wine.out" | grep -c '^<' || true)
    echo "100000 random cases: $lines output lines differ between Linux and Wine" \
        "(diff $win/random-cases.linux.out $win/random-cases.wine.out)"
    failed=$((failed + 1))
fi
if cmp -s tests/golden/calculate.expected "$win/zip.out"; then
    echo "$zip: its tavorin-calc.exe writes the golden bytes"
else
    echo "$zip: its tavorin-calc.exe does not write tests/golden/calculate.expected"
    failed=$((failed + 1))
fi
tests=$((tests + 2))
echo "Windows section took $(($(date +%s) - windows_started)) s"
echo "$((tests - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]

section "All sections passed in $(($(date +%s) - started)) s"
