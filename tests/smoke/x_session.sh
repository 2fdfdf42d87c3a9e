# Sourced by the real-window checks: runs the calling script again inside Xvfb, starts a window
# manager, and offers what every check needs — windows found by their exact title, and closing
# the editor as a user would.

if [ -z "${SMOKE_INSIDE_X:-}" ]; then
    export SMOKE_INSIDE_X=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

export QT_QPA_PLATFORM=xcb
fail() { echo "FAIL: $*" >&2; exit 1; }

openbox --sm-disable >/dev/null 2>&1 &
wm=$!
for _ in $(seq 50); do wmctrl -m >/dev/null 2>&1 && break; sleep 0.1; done
wmctrl -m >/dev/null 2>&1 || fail "window manager did not start"

# The visible windows whose title is exactly $1; xdotool takes a regular expression, so it searches
# by the plain part $2 and the whole title is compared here.
windows_named() {
    local id
    for id in $(xdotool search --onlyvisible --name "$2" 2>/dev/null); do
        [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$1" ] && echo "$id"
    done
    return 0
}

# Waits for a window titled $1 (searched by $2), up to $3 tenths of a second, and prints its id.
await_window() {
    local found
    for _ in $(seq "${3:-100}"); do
        found=$(windows_named "$1" "$2" | head -n1)
        [ -n "$found" ] && echo "$found" && return 0
        sleep 0.1
    done
    return 1
}

await_gone() {
    for _ in $(seq 50); do [ -z "$(windows_named "$1" "$2")" ] && return 0; sleep 0.1; done
    return 1
}

# Asks the window manager to close window $1 of process $2 and expects the process to end by itself
# (no question asked) with exit code 0.
close_and_expect_exit_0() {
    local code
    wmctrl -i -c "$1"
    for _ in $(seq 100); do kill -0 "$2" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$2" 2>/dev/null && fail "the editor did not end after the close request (a question shown?)"
    set +e
    wait "$2"
    code=$?
    set -e
    [ "$code" = 0 ] || fail "exit code $code"
}
