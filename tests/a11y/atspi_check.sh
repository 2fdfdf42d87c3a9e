#!/usr/bin/env bash
# Runs the real editor under Xvfb on a private D-Bus session with the AT-SPI bus, with Qt's
# accessibility bridge on, and reads its tree through the Atspi library as a screen reader would.
set -euo pipefail

binary=$(realpath "$1")
here=$(dirname "$(realpath "$0")")

if [ -z "${ATSPI_INSIDE:-}" ]; then
    export ATSPI_INSIDE=1
    exec dbus-run-session -- xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 NO_AT_BRIDGE=0
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
bus=$!
# Qt looks for the accessibility bus once, at start: start the editor only when the bus answers.
for _ in $(seq 100); do
    dbus-send --session --dest=org.a11y.Bus --print-reply /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null 2>&1 && break
    sleep 0.1
done
"$binary" >/dev/null 2>&1 &
app=$!
trap 'kill $app $bus 2>/dev/null || true' EXIT

/usr/bin/python3 "$here/atspi_check.py"
