#!/bin/sh
# Renders a calculation sheet as a reader sees it: headless Chromium prints it to PDF (A4,
# no browser header or footer) and takes a screenshot of the screen view, and pdftoppm turns
# every PDF page into a PNG.
#   sh tools/render-sheet.sh tests/golden/sheet-turned.html build/sheet-render
set -eu
[ $# -eq 2 ] || { echo "usage: $0 SHEET.html OUTPUT_DIR" >&2; exit 2; }
sheet=$(realpath "$1")
out=$2
mkdir -p "$out"
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
flags="--headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking
--disable-component-update --disable-sync --user-data-dir=$profile"
# shellcheck disable=SC2086
chromium $flags --no-pdf-header-footer --print-to-pdf="$out/sheet.pdf" "file://$sheet" 2>/dev/null
# shellcheck disable=SC2086
chromium $flags --window-size=900,1400 --screenshot="$out/screen.png" "file://$sheet" 2>/dev/null
pdftoppm -r 100 -png "$out/sheet.pdf" "$out/page"
pdfinfo "$out/sheet.pdf" | grep -E '^(Pages|Page size)'
ls "$out"
