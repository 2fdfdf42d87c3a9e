#!/usr/bin/env bash
# Runs the real editor under Xvfb on a private D-Bus session with the AT-SPI bus, with Qt's
# accessibility bridge on, and reads its tree through the Atspi library as a screen reader would.
set -euo pipefail

binary=$(realpath "$1")
here=$(dirname "$(realpath "$0")")

if [ -z "${ATSPI_INSIDE:-}" ]; then
    export ATSPI_INSIDE=1
    exec dbus-run-session -- "$0" "$@"
fi

source "$here/../smoke/x_session.sh"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 NO_AT_BRIDGE=0
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
x_session_pids+=($!)
# Qt looks for the accessibility bus once, at start: start the editor only when the bus answers.
bus_answers() {
    dbus-send --session --dest=org.a11y.Bus --print-reply /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null 2>&1
}
await 30 "the accessibility bus to answer" bus_answers
start_editor "$binary"

/usr/bin/python3 "$here/atspi_check.py"
