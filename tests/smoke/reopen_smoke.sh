#!/usr/bin/env bash
# A saved passport given on the command line opens in the real editor, and saving it again through
# the real save dialog writes the same file but for the time it was stored.
set -euo pipefail

binary=$(realpath "$1")
here=$(dirname "$(realpath "$0")")

source "$here/x_session.sh"
source "$here/editor_session.sh"

again="$work/out/again.qdx.xml"

start_editor "$binary" "$original"
main_window

# Save: an opened passport is complete, so the save dialog comes, not the incomplete-passport box.
xdotool mousemove --window "$wid" 729 483 click 1
dialog=$(await_window 'Сохранение файла паспорта работы' 'Сохранение') || {
    [ -n "$(windows_named 'Неполная информация' 'информация')" ] && fail "the passport did not open: it is incomplete"
    fail "timed out after 30 s: the save dialog"
}
xdotool windowactivate --sync "$dialog" key --clearmodifiers ctrl+a type --delay 2 "$again"
xdotool key --clearmodifiers Return
box=$(await_window 'Паспорт сохранен' 'сохранен') || fail "timed out after 30 s: the confirmation of the save"
xdotool windowactivate --sync "$box" key --clearmodifiers Return
await_gone 'Паспорт сохранен' 'сохранен'

# Both read by a conforming parser; then byte for byte, with only the stored time set aside.
python3 - "$original" "$again" <<'PY' || fail "saved again, the passport differs"
import re, sys, xml.dom.minidom
first, second = (open(path, "rb").read() for path in sys.argv[1:])
for data in (first, second):
    work = xml.dom.minidom.parseString(data).getElementsByTagName("work")[0]
    assert work.getAttribute("stored").isdigit(), "no stored time"
stored = re.compile(rb' stored="[0-9]+"')
assert len(stored.findall(first)) == len(stored.findall(second)) == 1
if stored.sub(b"", first) != stored.sub(b"", second):
    sys.exit("the files differ beyond the stored time")
PY
echo "ok: opened from the command line, saved again: the same file but for the stored time"

close_and_expect_exit_0 "$wid" "$app"
app=""
echo "PASS: a passport reopened in the real window saves back unchanged"
