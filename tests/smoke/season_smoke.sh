#!/usr/bin/env bash
# A teacher's season in the real editor: a passport opened and saved, Ctrl+Shift+N, a pupil of that
# passport added by identifier alone: the names come filled in; in a new run of the program they come
# again.
set -euo pipefail

binary=$(realpath "$1")
here=$(dirname "$(realpath "$0")")

source "$here/x_session.sh"
source "$here/editor_session.sh"
export XDG_DATA_HOME=$work/data

# A draft that holds the participant $1 with the surname $2 and an empty title: the new passport.
draft_has_person() {
    python3 - "$1" "$2" $(find "$drafts" -maxdepth 1 -name 'draft-*.qdx.xml' 2>/dev/null) <<'PY'
import sys, xml.dom.minidom
wanted_id, surname = sys.argv[1:3]
for path in sys.argv[3:]:
    try:
        doc = xml.dom.minidom.parse(path)
    except Exception:
        continue
    if doc.getElementsByTagName("work")[0].getAttribute("title"):
        continue
    for person in doc.getElementsByTagName("person"):
        if person.getAttribute("p_id_full") == wanted_id and person.getAttribute("surname") == surname:
            sys.exit(0)
sys.exit(1)
PY
}
# On the authors' page, "Добавить" under the authors, the identifier typed into the dialog.
add_author() {
    xdotool mousemove --window "$wid" 120 75 click 1
    xdotool key --clearmodifiers ctrl+Tab ctrl+Tab
    xdotool mousemove --window "$wid" 57 200 click 1
    dialog=$(await_window 'Добавить' 'Добавить') || fail "timed out after 30 s: the identifier dialog"
    xdotool windowactivate --sync "$dialog" type --delay 20 "$1"
    xdotool key --clearmodifiers Return
    await_gone 'Добавить' 'Добавить'
}

# 1. The first passport opened and saved: its people go to the user's list.
start_editor "$binary" "$original"
main_window
xdotool key --clearmodifiers ctrl+s
dialog=$(await_window 'Сохранение файла паспорта работы' 'Сохранение') || fail "timed out after 30 s: the save dialog"
xdotool windowactivate --sync "$dialog" key --clearmodifiers ctrl+a type --delay 2 "$work/out/first.qdx.xml"
xdotool key --clearmodifiers Return
box=$(await_window 'Паспорт сохранен' 'сохранен') || fail "timed out after 30 s: the confirmation of the save"
xdotool windowactivate --sync "$box" key --clearmodifiers Return
await_gone 'Паспорт сохранен' 'сохранен'
[ "$(stat -c %a "$XDG_DATA_HOME/lumarinda-passport/people.txt")" = 600 ] || fail "the list of people is not 0600"
echo "ok: saved with Ctrl+S; the people remembered"

# 2. Ctrl+Shift+N, then a pupil of the first passport added by identifier: the names are there.
main_window
xdotool key --clearmodifiers ctrl+shift+n
add_author 100792050
await 30 "a draft with the pupil's names filled in" draft_has_person 100-792-050 Иванов
close_and_expect_exit_0 "$wid" "$app"
echo "ok: Ctrl+Shift+N and a known pupil: the names filled in"

# 3. A new run: the draft put off with "Позже", a supervisor of the first passport added as an
# author, and the names come from the list again.
start_editor "$binary"
box=$(await_window "$title" 'паспорт работы') || fail "timed out after 30 s: the question about the draft"
xdotool windowactivate --sync "$box" key --clearmodifiers Escape
await_gone "$title" 'паспорт работы'
main_window
add_author 102-375-876
await 30 "a draft with the names filled in by the new run" draft_has_person 102-375-876 Петров
close_and_expect_exit_0 "$wid" "$app"
app=""
echo "PASS: a teacher's second passport in the real window"
