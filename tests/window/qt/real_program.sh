#!/bin/sh
# The window program on a real X server, driven through xdotool as a user drives it: started
# on a case file, Ctrl+S twice (each time the file is written again as the one-line case, and
# no dialog opens), Ctrl+E with the focus in a box; each bad case file named on the command
# line gives a box titled "Tavorin" over Form1, which takes its keys once the box is closed.
# Run by CTest under xvfb-run with QT_QPA_PLATFORM=xcb.
# Usage: real_program.sh TAVORIN CASES_DIR SAVED_CASE
set -u
tavorin=$1
cases=$2
saved=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}

# The visible window of process $1 named as the pattern $2, waited for up to 10 s.
window() {
    i=0
    while [ "$i" -lt 200 ]; do
        found=$(xdotool search --all --onlyvisible --pid "$1" --name "$2" 2>/dev/null | head -n 1)
        if [ -n "$found" ]; then
            echo "$found"
            return 0
        fi
        sleep 0.05
        i=$((i + 1))
    done
    return 1
}
# Whether the window $1 is unmapped within 5 s.
closed() {
    i=0
    while xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; do
        [ "$i" -lt 100 ] || return 1
        sleep 0.05
        i=$((i + 1))
    done
}
# The names of the visible windows of process $1, on one line.
shown() {
    for w in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
        xdotool getwindowname "$w"
    done | sort | tr '\n' ' '
}
# Whether file $1 holds the bytes of file $2 within 5 s.
becomes() {
    i=0
    until cmp -s "$1" "$2"; do
        [ "$i" -lt 100 ] || return 1
        sleep 0.05
        i=$((i + 1))
    done
}
press() { xdotool windowfocus --sync "$1" key "$2"; }
stop() {
    kill -0 "$1" 2>/dev/null || fail "tavorin ended by itself"
    kill "$1" 2>/dev/null
    wait "$1" 2>/dev/null
}

file="$work/3号镇墩.tavorin"
printf '{\n  "HSt": "153",\n  "Text1": "3号镇墩"\n}\n' >"$file"
"$tavorin" "$file" &
pid=$!
if form=$(window "$pid" '^Form1$'); then
    for time in first second; do
        press "$form" ctrl+s
        becomes "$file" "$saved" || fail "the $time Ctrl+S did not write the case: $(cat "$file")"
        [ "$(shown "$pid")" = "Form1 " ] || fail "after the $time Ctrl+S: $(shown "$pid")"
        # The next Ctrl+S must write it again.
        printf '{}\n' >"$file"
    done
    # The focus is in Text1, whose end of line on X11 is Ctrl+E too.
    press "$form" ctrl+e
    if dialog=$(window "$pid" '^导出计算书$'); then
        press "$dialog" Escape
        closed "$dialog" || fail "the dialog of Ctrl+E stays"
    else
        fail "Ctrl+E from Text1 opened no dialog: $(shown "$pid")"
    fi
else
    fail "no window Form1 for a case file"
fi
stop "$pid"
echo "started on a case file, Ctrl+S twice, Ctrl+E: $failures failures"

bad=0
for path in "$cases"/*; do
    name=${path##*/}
    # The two regression files that read as cases.
    case $name in byte-order-mark-and-crlf | duplicate-names) continue ;; esac
    "$tavorin" "$path" &
    pid=$!
    if ! box=$(window "$pid" '^Tavorin$'); then
        fail "$name: no box titled Tavorin: $(shown "$pid")"
    elif [ "$(shown "$pid")" != "Form1 Tavorin " ]; then
        fail "$name: the windows are $(shown "$pid")"
    else
        press "$box" Return
        closed "$box" || fail "$name: the box stays"
        # The window takes its keys again.
        press "$(window "$pid" '^Form1$')" ctrl+o
        if dialog=$(window "$pid" '^打开$'); then
            press "$dialog" Escape
        else
            fail "$name: Ctrl+O after the box opened no dialog"
        fi
    fi
    stop "$pid"
    bad=$((bad + 1))
done
echo "$bad bad case files named on the command line: $failures failures in all"
[ "$bad" -ge 13 ] || fail "only $bad bad case files in $cases"
[ "$failures" -eq 0 ]
