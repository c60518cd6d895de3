#!/bin/sh
# Builds the Debian package, checks it with Debian's own tools, installs it on this machine,
# runs the installed programs, asks xdg-mime about the case and penstock file types, and
# purges it again, checking that no file of it is left and that the types are gone.
# Called by tools/test-all.sh; needs root (or sudo) for apt-get.
set -eu
cd "$(dirname "$0")/.."

started=$(date +%s)
step() {
    printf -- '--- %s (at %ss)\n' "$*" "$(($(date +%s) - started))"
}
fail() {
    echo "test-debian-package: $*" >&2
    exit 1
}
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi

# The build it is made from: the package preset's, or (TAVORIN_PACKAGE_PRESET=dev, as
# tools/test-all.sh does) the build that every test has just run on, which holds the same
# programs (optimised, stripped when packaged).
preset=${TAVORIN_PACKAGE_PRESET:-package}
step "Build the package (preset $preset)"
cmake --preset "$preset" >/dev/null
cmake --build "build/$preset" --target package -j 2
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "build/$preset/CMakeCache.txt")
deb="$PWD/build/$preset/tavorin_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no package $deb"
ls -l "$deb"

step "lintian"
lintian --fail-on error,warning --info "$deb"

step "Depends"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
# Beyond what dpkg-shlibdeps finds: each package that cmake/debian-package.cmake adds.
for package in fonts-arphic-uming qt6-translations-l10n qt6-qpa-plugins shared-mime-info; do
    printf '%s\n' "$depends" | tr ',' '\n' | sed 's/^ *//; s/ .*//' | grep -qxF "$package" ||
        fail "the package does not depend on $package"
done

step "Menu entry, AppStream metainfo and manual pages as packaged"
unpacked=$(mktemp -d) cases=$(mktemp -d)
trap 'rm -rf "$unpacked" "$cases"' EXIT
dpkg-deb -x "$deb" "$unpacked"
desktop-file-validate "$unpacked"/usr/share/applications/*.desktop
# --no-net: the screenshot and home page addresses are not reachable from CI.
appstreamcli validate --no-net "$unpacked"/usr/share/metainfo/*.metainfo.xml
for page in man1/tavorin.1.gz man1/tavorin-calc.1.gz \
            zh_CN/man1/tavorin.1.gz zh_CN/man1/tavorin-calc.1.gz; do
    path="$unpacked/usr/share/man/$page"
    # man exits 0 after warnings: any message on standard error is a failure.
    warnings=$(MANWIDTH=80 man --warnings -l "$path" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man --warnings $page: $warnings"
    lines=$(MANWIDTH=80 man -l "$path" 2>/dev/null | wc -l)
    [ "$lines" -gt 20 ] || fail "$page renders to $lines lines"
    echo "$page: $lines lines, no warnings"
done

step "Install with apt-get"
if dpkg-query -W -f='${Status}' tavorin 2>/dev/null | grep -q "installed"; then
    $sudo apt-get purge -y -qq -o DPkg::Lock::Timeout=600 tavorin
fi
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq -o DPkg::Lock::Timeout=600 \
    --no-install-recommends "$deb"
files=$(dpkg-query -L tavorin)

step "The installed tavorin-calc"
[ "$(/usr/bin/tavorin-calc --version)" = "tavorin-calc $version" ] ||
    fail "tavorin-calc --version printed \"$(/usr/bin/tavorin-calc --version)\""
man -w tavorin-calc >/dev/null || fail "man -w tavorin-calc finds no page"
[ "$(man -L zh_CN -w tavorin)" = /usr/share/man/zh_CN/man1/tavorin.1.gz ] ||
    fail "man -L zh_CN -w tavorin finds $(man -L zh_CN -w tavorin)"
output=$(mktemp)
for input in tests/golden/*.jsonl; do
    name=$(basename "$input" .jsonl)
    # <name>.expected holds the result lines, <name>.html the calculation sheet (--sheet).
    if [ -f "tests/golden/$name.expected" ]; then
        expected="tests/golden/$name.expected" option=""
    elif [ -f "tests/golden/$name.html" ]; then
        expected="tests/golden/$name.html" option="--sheet"
    else
        fail "$input has neither $name.expected nor $name.html"
    fi
    # The expected exit status is the one the golden test in tests/CMakeLists.txt names.
    expected_status=$(grep -oE "[ (]$name:[0-9]+" tests/CMakeLists.txt | head -n 1 | cut -d: -f2)
    [ -n "$expected_status" ] || fail "tests/CMakeLists.txt names no exit status for $name"
    status=0
    # shellcheck disable=SC2086
    /usr/bin/tavorin-calc $option <"$input" >"$output" || status=$?
    [ "$status" -eq "$expected_status" ] ||
        fail "$name: exit status $status, expected $expected_status"
    cmp "$output" "$expected" || fail "$name: output differs from $expected"
    echo "$name: $(wc -l <"$output") lines as expected, exit status $status"
done
rm -f "$output"

step "The file types"
# xdg-mime in its generic mode, as on a desktop it does not know: it asks mimetype, which reads
# the shared-mime-info database that the package's file trigger has rebuilt. No user's own
# types or defaults take part.
mimetype --version >/dev/null 2>&1 ||
    fail "no mimetype, without which xdg-mime cannot tell the type (sh tools/install-deps.sh)"
xdg_mime() {
    XDG_CURRENT_DESKTOP=X-Generic XDG_DATA_HOME="$cases/data" XDG_CONFIG_HOME="$cases/config" \
        xdg-mime "$@"
}
# The default case as the window saves it: the name box, then every input box and both lists
# in the window's order, on one line. tavorin-calc reads the same object.
printf '%s' '{"Text1":"3号镇墩","kj":"镇墩","k":"上侧","HSt":"152","DDt":"0.014","L1t":"50",' \
    '"L2t":"6","Dt":"1","DA1t":"35","DA2t":"63","Vt":"3.8","b1t":"0.1","b2t":"0.1","ft":"0.4",' \
    '"fgt":"0.4","fjt":"0.6","DSt":"1.03","H1t":"150","H2t":"200","D1t":"1","D2t":"1","DHt":"1",' \
    '"kkt":"0","spjText":"0"}' >"$cases/3号镇墩.tavorin"
echo >>"$cases/3号镇墩.tavorin"
/usr/bin/tavorin-calc <"$cases/3号镇墩.tavorin" >/dev/null || fail "tavorin-calc rejects the case file"
# A penstock file begins as Tavorin writes it: the name box, the line's head, then the points
# one to a line (which do not matter to its type).
printf '%s\n' '{"Text1":"1号管线","Zwt":"1030","Qt":"12","points":[' ']}' >"$cases/1号管线.penstock"
# A name without an extension is known by the first bytes, a penstock's not taken for a case's
# nor a case's for a penstock's; a .json name keeps its glob's type, so case files saved as
# JSON still open where JSON opens.
cp "$cases/3号镇墩.tavorin" "$cases/3号镇墩"
cp "$cases/3号镇墩.tavorin" "$cases/3号镇墩.json"
cp "$cases/1号管线.penstock" "$cases/1号管线"
for row in "3号镇墩.tavorin application/x-tavorin-case" "3号镇墩 application/x-tavorin-case" \
           "3号镇墩.json application/json" "1号管线.penstock application/x-tavorin-penstock" \
           "1号管线 application/x-tavorin-penstock"; do
    name=${row% *} expected=${row#* }
    type=$(xdg_mime query filetype "$cases/$name")
    [ "$type" = "$expected" ] || fail "xdg-mime query filetype $name: \"$type\", expected $expected"
    echo "$name: $type"
done
for type in application/x-tavorin-case application/x-tavorin-penstock; do
    default=$(xdg_mime query default $type)
    [ "$default" = org.example.tavorin.desktop ] ||
        fail "xdg-mime query default $type: \"$default\""
    echo "$type opens with $default"
done

step "The installed tavorin under Xvfb"
# The window program must map a top-level window named Form1 on a plain X server.
xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" env -u QT_QPA_PLATFORM sh -c '
    /usr/bin/tavorin & pid=$!
    window=$(timeout 30 xdotool search --sync --onlyvisible --name "^Form1\$" | head -n 1)
    state=$(xwininfo -id "$window" 2>/dev/null | sed -n "s/^ *Map State: //p")
    name=$(xwininfo -id "$window" 2>/dev/null | sed -n "s/^xwininfo: Window id: [^ ]* //p")
    # The icon the title bar and task bar show: its sizes, as width, height pairs.
    icon=$(xprop -id "$window" -notype 32c _NET_WM_ICON 2>/dev/null | head -c 60)
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    echo "window $window $name: $state; $icon"
    [ "$state" = IsViewable ] || exit 1
    case "$icon" in "_NET_WM_ICON = 16, 16,"*) ;; *) echo "no window icon"; exit 1 ;; esac
' || fail "the installed tavorin mapped no window Form1 with its icon"

step "A case file opened as a double-click opens it, then Ctrl+S"
# xdg-open runs the type's default, the menu entry's Exec=tavorin %f. The file is written by
# hand (spaces, one box only); Ctrl+S writes the window's case back into it, on one line.
printf '{ "Text1" : "双击", "HSt" : "160" }\n' >"$cases/双击.tavorin"
XDG_CURRENT_DESKTOP=X-Generic XDG_DATA_HOME="$cases/data" XDG_CONFIG_HOME="$cases/config" \
    xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" env -u QT_QPA_PLATFORM \
    sh -c 'file=$1
    xdg-open "$file" &
    window=$(timeout 30 xdotool search --sync --onlyvisible --name "^Form1\$" | head -n 1)
    [ -n "$window" ] || exit 1
    pid=$(xdotool getwindowpid "$window")
    xdotool windowfocus --sync "$window" key ctrl+s
    tries=0
    until grep -q "^{\"Text1\":\"双击\",\"kj\":\"镇墩\",.*\"HSt\":\"160\"," "$file"; do
        tries=$((tries + 1))
        [ $tries -le 100 ] || break
        sleep 0.1
    done
    kill "$pid"
    cat "$file"
    [ $tries -le 100 ]' sh "$cases/双击.tavorin" ||
    fail "xdg-open did not open the case in tavorin, or Ctrl+S did not save it to its file"

step "Purge"
DEBIAN_FRONTEND=noninteractive $sudo apt-get purge -y -qq -o DPkg::Lock::Timeout=600 tavorin
if dpkg-query -W -f='${Status}' tavorin 2>/dev/null | grep -q "ok"; then
    fail "dpkg still knows tavorin: $(dpkg-query -W -f='${Status}' tavorin)"
fi
# Every file of the package is gone; a folder may stay only while another package owns it.
left=""
for path in $files; do
    if [ -d "$path" ] && [ ! -L "$path" ]; then
        dpkg-query -S "$path" >/dev/null 2>&1 || left="$left $path"
    elif [ -e "$path" ] || [ -L "$path" ]; then
        left="$left $path"
    fi
done
[ -z "$left" ] || fail "left behind after the purge:$left"
# The triggers have rebuilt the databases without the file types.
for name in 3号镇墩.tavorin 3号镇墩 1号管线.penstock 1号管线; do
    type=$(xdg_mime query filetype "$cases/$name")
    case "$type" in application/x-tavorin-*) fail "after the purge, $name is still $type" ;; esac
    echo "after the purge, $name: $type"
done
for type in application/x-tavorin-case application/x-tavorin-penstock; do
    default=$(xdg_mime query default $type)
    [ -z "$default" ] || fail "after the purge, $type opens with $default"
done
echo "$(echo "$files" | wc -l) paths of the package checked: none left behind"

step "Debian package: passed in $(($(date +%s) - started)) s"
