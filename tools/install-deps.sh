#!/bin/sh
# Installs the Debian 12 packages that building, running and testing Tavorin need, and
# only those that are missing. Uses sudo when not run as root.
set -eu

packages="g++ cmake ninja-build pkg-config clang-format groff-base
libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev libmpfr-dev
qt6-base-dev qt6-qpa-plugins qt6-translations-l10n fonts-arphic-uming
xvfb xauth libxcb1-dev python3
clang-14 libclang-rt-14-dev
dpkg-dev lintian desktop-file-utils appstream man-db xdotool x11-utils
xdg-utils libfile-mimeinfo-perl
g++-mingw-w64-x86-64-posix googletest wine wine64 fonts-wine imagemagick unzip"

missing=""
for p in $packages; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
echo "Installing:$missing"
$sudo apt-get update -qq
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
