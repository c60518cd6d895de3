#!/bin/sh
# Renders tavorin.svg and the penstock file type's application-x-tavorin-penstock.svg to the
# PNG sizes of the hicolor icon theme and packs the Windows icon tavorin.ico from some of
# them. The results are committed, so the build needs no SVG tool; run this again (needs
# rsvg-convert and python3) after editing a drawing.
set -eu
cd "$(dirname "$0")"

for size in 16 22 24 32 48 64 128 256; do
    mkdir -p "hicolor/${size}x${size}/apps" "hicolor/${size}x${size}/mimetypes"
    rsvg-convert -w "$size" -h "$size" tavorin.svg -o "hicolor/${size}x${size}/apps/tavorin.png"
    rsvg-convert -w "$size" -h "$size" application-x-tavorin-penstock.svg \
        -o "hicolor/${size}x${size}/mimetypes/application-x-tavorin-penstock.png"
done

python3 make_ico.py tavorin.ico \
    hicolor/16x16/apps/tavorin.png hicolor/24x24/apps/tavorin.png \
    hicolor/32x32/apps/tavorin.png hicolor/48x48/apps/tavorin.png \
    hicolor/64x64/apps/tavorin.png hicolor/256x256/apps/tavorin.png
