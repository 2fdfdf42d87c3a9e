# Sourced by the real-window checks: starts a private Xvfb and a window manager for the calling
# script, and offers what every check needs — waiting for a named step, windows found by their exact
# title, and closing the editor as a user would.
#
# Checks run side by side under `ctest -j` on a loaded machine, so every wait is generous and every
# timeout names what it waited for. Xvfb picks its own free display (-displayfd), so two checks that
# start together never share one.

export QT_QPA_PLATFORM=xcb
# A failure says what the editor printed and whether it still runs.
fail() {
    echo "FAIL: $*" >&2
    if [ -n "${app:-}" ]; then
        if kill -0 "$app" 2>/dev/null; then echo "the editor still runs" >&2; else echo "the editor has ended" >&2; fi
        [ -s "$x_session_dir/editor.log" ] && sed 's/^/editor: /' "$x_session_dir/editor.log" >&2
    fi
    local log
    for log in xvfb wm; do
        [ -s "$x_session_dir/$log.log" ] && sed "s/^/$log: /" "$x_session_dir/$log.log" >&2
    done
    exit 1
}

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
# Drafts of this session's editors stay in it: none offered from another run, none left behind.
export XDG_STATE_HOME=$x_session_dir/state
x_session_pids=()
# Ends what this session started and waits for it, so that a server still shutting down never meets
# the next session; a check that sets its own EXIT trap calls it from there.
end_x_session() {
    local pid
    for pid in "${x_session_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${x_session_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$x_session_dir"
}
trap end_x_session EXIT

# Xvfb writes its display number, then a line end, once it listens; a server that ends before a
# client gets through (another one shutting down on the same number) is replaced by a new one.
start_x_server() {
    local attempt server
    for attempt in 1 2 3 4 5; do
        : >"$x_session_dir/display"
        Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$x_session_dir/display" \
            >"$x_session_dir/xvfb.log" 2>&1 &
        server=$!
        x_session_pids+=("$server")
        server_reported() { grep -q '^[0-9][0-9]*$' "$x_session_dir/display" 2>/dev/null || ! kill -0 "$server" 2>/dev/null; }
        await 30 "Xvfb to listen" server_reported
        DISPLAY=:$(cat "$x_session_dir/display")
        export DISPLAY
        server_answers() { xdpyinfo >/dev/null 2>&1 || ! kill -0 "$server" 2>/dev/null; }
        await 30 "Xvfb on $DISPLAY to answer" server_answers
        kill -0 "$server" 2>/dev/null && return 0
        echo "Xvfb on $DISPLAY ended at once (attempt $attempt); starting another" >&2
    done
    fail "Xvfb did not start in five attempts"
}

# The same for the window manager: one that cannot open the display is started again.
start_window_manager() {
    local attempt
    for attempt in 1 2 3 4 5; do
        rm -f "$x_session_dir/wm-ready"
        # Openbox names itself the window manager before it has finished starting; the startup
        # command runs once it manages windows, so an editor started after it is framed and shown.
        openbox --sm-disable --startup "touch $x_session_dir/wm-ready" >"$x_session_dir/wm.log" 2>&1 &
        wm=$!
        x_session_pids+=("$wm")
        wm_reported() {
            { [ -e "$x_session_dir/wm-ready" ] && wmctrl -m >/dev/null 2>&1; } || ! kill -0 "$wm" 2>/dev/null
        }
        await 30 "the window manager to start on $DISPLAY" wm_reported
        kill -0 "$wm" 2>/dev/null && return 0
        echo "the window manager ended at once on $DISPLAY (attempt $attempt): $(cat "$x_session_dir/wm.log")" >&2
    done
    fail "the window manager did not start in five attempts"
}

unset XAUTHORITY
start_x_server
start_window_manager

# Starts the editor with the given arguments, its output kept for a failure report; sets $app.
start_editor() {
    "$@" >>"$x_session_dir/editor.log" 2>&1 &
    app=$!
    x_session_pids+=("$app")
}

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
