#!/usr/bin/env bash
# Starts the real editor in a real X server with a window manager, finds its window by caption,
# checks the client size and the fixed-size hints, closes it as a user would and expects exit 0.
set -euo pipefail

binary=$(realpath "$1")
caption='Фестиваль «Lumarinda» - Электронный паспорт работы (2015 / 2016) v.2.2.4'

if [ -z "${SMOKE_INSIDE_X:-}" ]; then
    export SMOKE_INSIDE_X=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

export QT_QPA_PLATFORM=xcb
fail() { echo "FAIL: $*" >&2; exit 1; }

openbox --sm-disable >/dev/null 2>&1 &
wm=$!
trap 'kill $wm 2>/dev/null || true; [ -n "${app:-}" ] && kill $app 2>/dev/null || true' EXIT
for _ in $(seq 50); do wmctrl -m >/dev/null 2>&1 && break; sleep 0.1; done
wmctrl -m >/dev/null 2>&1 || fail "window manager did not start"

"$binary" &
app=$!

# xdotool takes a regular expression: search by a plain part, then compare the whole caption.
wid=""
for _ in $(seq 300); do
    for candidate in $(xdotool search --onlyvisible --name 'Lumarinda' 2>/dev/null); do
        [ "$(xdotool getwindowname "$candidate")" = "$caption" ] && wid=$candidate && break
    done
    [ -n "$wid" ] && break
    sleep 0.1
done
[ -n "$wid" ] || fail "no window titled '$caption'"
echo "window $wid"

info=$(xwininfo -id "$wid")
width=$(awk '/^  Width:/ {print $2}' <<<"$info")
height=$(awk '/^  Height:/ {print $2}' <<<"$info")
[ "$width" = 787 ] && [ "$height" = 502 ] || fail "client area ${width}x${height}, expected 787x502"

hints=$(xprop -id "$wid" WM_NORMAL_HINTS)
grep -q 'minimum size: 787 by 502' <<<"$hints" || fail "no fixed minimum size: $hints"
grep -q 'maximum size: 787 by 502' <<<"$hints" || fail "no fixed maximum size: $hints"

xprop -id "$wid" _NET_WM_ICON | grep -q 'Icon (' || fail "the window shows no icon"

# Neither maximisable nor resizable: the window manager offers no maximise, and asking anyway
# leaves the size as it is.
xprop -id "$wid" _NET_WM_ALLOWED_ACTIONS | grep -q MAXIMIZE && fail "the window can be maximised"
wmctrl -i -r "$wid" -b add,maximized_vert,maximized_horz
sleep 0.3
info=$(xwininfo -id "$wid")
[ "$(awk '/^  Width:/ {print $2}' <<<"$info")x$(awk '/^  Height:/ {print $2}' <<<"$info")" = 787x502 ] ||
    fail "the window changed its size when asked to maximise"

wmctrl -i -c "$wid"
for _ in $(seq 100); do kill -0 $app 2>/dev/null || break; sleep 0.1; done
kill -0 $app 2>/dev/null && fail "the editor did not end after the close request (a question shown?)"
set +e
wait $app
code=$?
set -e
app=""
[ "$code" = 0 ] || fail "exit code $code"
echo "PASS: window 787x502, closed with exit code 0"
