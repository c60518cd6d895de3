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

section "Sanitizer build (address, undefined behaviour): engine, batch tool and golden files"
cmake --workflow --preset asan-engine

section "Thread sanitizer (clang): the worker pool and the batch tool's tests"
cmake --workflow --preset tsan

section "Fuzzing: clang with sanitizers; corpus and regressions replayed, then 5 s per target"
cmake --workflow --preset fuzz

section "Debian package: from the dev build, lintian, install, run, purge"
TAVORIN_PACKAGE_PRESET=dev sh tools/test-debian-package.sh

section "Windows under Wine: cross build, then every test of the windows preset under Wine"
windows_started=$(date +%s)
cmake --preset windows >/dev/null
# Wine's prefix is made (the first time, half a minute mostly spent waiting) while the cross
# build runs; the tests' session below then finds it ready.
tools/wine-session.sh build/windows true >build/windows/wine-prepare.log 2>&1 &
prepare=$!
cmake --build --preset windows -j 2
wait "$prepare" || { cat build/windows/wine-prepare.log; exit 1; }
# Its tests include the 100,000 random cases against the Linux tavorin-calc of build/dev,
# built by the first section, and the release archive's tool on the golden file.
tools/wine-session.sh build/windows ctest --preset windows
echo "Windows section took $(($(date +%s) - windows_started)) s"

section "All sections passed in $(($(date +%s) - started)) s"
