#!/usr/bin/env bash
# Starts the real editor in a real X server with a window manager, finds its window by caption,
# checks the client size and the fixed-size hints, closes it as a user would and expects exit 0.
set -euo pipefail

binary=$(realpath "$1")
caption='Фестиваль «Lumarinda» - Электронный паспорт работы (2015 / 2016) v.2.2.4'

source "$(dirname "$(realpath "$0")")/x_session.sh"
trap '[ -n "${app:-}" ] && kill $app 2>/dev/null; end_x_session' EXIT

start_editor "$binary"

wid=$(await_window "$caption" Lumarinda) || fail "timed out after 30 s: a window titled '$caption'"
echo "window $wid"

info=$(xwininfo -id "$wid")
width=$(awk '/^  Width:/ {print $2}' <<<"$info")
height=$(awk '/^  Height:/ {print $2}' <<<"$info")
[ "$width" = 787 ] && [ "$height" = 502 ] || fail "client area ${width}x${height}, expected 787x502"

hints=$(xprop -id "$wid" WM_NORMAL_HINTS)
grep -q 'minimum size: 787 by 502' <<<"$hints" || fail "no fixed minimum size: $hints"
grep -q 'maximum size: 787 by 502' <<<"$hints" || fail "no fixed maximum size: $hints"

# The icon property may follow the window's mapping by a moment. Each property is read whole before
# it is searched: grep -q leaving early would cut xprop off and fail the pipeline.
has_icon() {
    local icon
    icon=$(xprop -id "$wid" _NET_WM_ICON)
    grep -q 'Icon (' <<<"$icon"
}
await 30 "the window's icon" has_icon

# Neither maximisable nor resizable: the window manager offers no maximise, and asking anyway
# leaves the size as it is.
actions=$(xprop -id "$wid" _NET_WM_ALLOWED_ACTIONS)
grep -q MAXIMIZE <<<"$actions" && fail "the window can be maximised: $actions"
wmctrl -i -r "$wid" -b add,maximized_vert,maximized_horz
# The window manager takes requests in order: once a later one shows, the maximise was handled.
wmctrl -i -r "$wid" -b add,above
is_above() {
    local state
    state=$(xprop -id "$wid" _NET_WM_STATE)
    grep -q ABOVE <<<"$state"
}
await 30 "the window manager to handle the maximise request" is_above
info=$(xwininfo -id "$wid")
[ "$(awk '/^  Width:/ {print $2}' <<<"$info")x$(awk '/^  Height:/ {print $2}' <<<"$info")" = 787x502 ] ||
    fail "the window changed its size when asked to maximise"

close_and_expect_exit_0 "$wid" "$app"
app=""
echo "PASS: window 787x502, closed with exit code 0"
