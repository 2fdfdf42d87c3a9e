# Sourced by the real-window checks: starts a private Xvfb and a window manager for the calling
# script, and offers what every check needs — waiting for a named step, windows found by their exact
# title, and closing the editor as a user would.
#
# Checks run side by side under `ctest -j` on a loaded machine, so every wait is generous and every
# timeout names what it waited for. Xvfb picks its own free display (-displayfd), so two checks that
# start together never share one.

export QT_QPA_PLATFORM=xcb
fail() { echo "FAIL: $*" >&2; exit 1; }

# await SECONDS STEP COMMAND...: runs COMMAND every tenth of a second until it succeeds; fails the
# check naming STEP when SECONDS pass first.
await() {
    local seconds=$1 step=$2
    shift 2
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || fail "timed out after ${seconds} s: $step"
        sleep 0.1
    done
}

x_session_dir=$(mktemp -d)
x_session_pids=()
# Ends what this session started; a check that sets its own EXIT trap calls it from there.
end_x_session() {
    local pid
    for pid in "${x_session_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$x_session_dir"
}
trap end_x_session EXIT

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$x_session_dir/display" \
    >"$x_session_dir/xvfb.log" 2>&1 &
x_session_pids+=($!)
# Xvfb writes its display number, then a line end, once it accepts clients.
display_written() { grep -q '^[0-9][0-9]*$' "$x_session_dir/display" 2>/dev/null; }
await 30 "Xvfb to accept clients" display_written
DISPLAY=:$(cat "$x_session_dir/display")
export DISPLAY
unset XAUTHORITY

openbox --sm-disable >/dev/null 2>&1 &
x_session_pids+=($!)
wm=$!
wm_running() { wmctrl -m >/dev/null 2>&1; }
await 30 "the window manager to start on $DISPLAY" wm_running

# The visible windows whose title is exactly $1; xdotool takes a regular expression, so it searches
# by the plain part $2 and the whole title is compared here.
windows_named() {
    local id
    for id in $(xdotool search --onlyvisible --name "$2" 2>/dev/null); do
        [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$1" ] && echo "$id"
    done
    return 0
}

# Waits up to 30 s for a window titled $1 (searched by $2) and prints its id.
await_window() {
    local found deadline=$((SECONDS + 30))
    while [ "$SECONDS" -lt "$deadline" ]; do
        found=$(windows_named "$1" "$2")
        [ -n "$found" ] && echo "${found%%$'\n'*}" && return 0
        sleep 0.1
    done
    return 1
}

no_window_named() { [ -z "$(windows_named "$1" "$2")" ]; }
await_gone() { await 30 "the window '$1' to close" no_window_named "$1" "$2"; }

# Asks the window manager to close window $1 of process $2 and expects the process to end by itself
# (no question asked) with exit code 0.
close_and_expect_exit_0() {
    local code
    wmctrl -i -c "$1"
    process_ended() { ! kill -0 "$1" 2>/dev/null; }
    await 30 "the editor to end after the close request (a question shown?)" process_ended "$2"
    set +e
    wait "$2"
    code=$?
    set -e
    [ "$code" = 0 ] || fail "exit code $code"
}
