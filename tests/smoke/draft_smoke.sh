#!/usr/bin/env bash
# The draft in the real editor: typed into, killed two seconds after the last key, started again:
# the question comes, "Восстановить" brings the whole passport back (texts, people, picture), closing
# keeps the draft, "Позже" asks again at the next start, "Удалить" ends the questions, and a passport
# saved to a file leaves no draft to offer.
set -euo pipefail

binary=$(realpath "$1")
here=$(dirname "$(realpath "$0")")

source "$here/x_session.sh"
source "$here/editor_session.sh"

# The draft holds everything of the original, the title with the typed letters added.
same_but_title() {
    python3 - "$original" "$1" "$2" <<'PY'
import sys, xml.dom.minidom
original, draft, typed = sys.argv[1:]
docs = [xml.dom.minidom.parse(path) for path in (original, draft)]
works = [doc.getElementsByTagName("work")[0] for doc in docs]
titles = [work.getAttribute("title") for work in works]
if titles[1] != titles[0] + typed:
    sys.exit(f"title {titles[1]!r}, expected {titles[0] + typed!r}")
for work in works:
    work.removeAttribute("title")
    work.removeAttribute("stored")
if works[0].toxml() != works[1].toxml():
    sys.exit("the draft differs from the passport beyond its title")
PY
}
question() {
    box=$(await_window "$title" 'паспорт работы') || fail "timed out after 30 s: the question about the draft"
    xdotool windowactivate --sync "$box"
}
# The editor has run its start-up: its own draft of a typed letter appears, and no question is up.
no_question_at_start() {
    main_window
    type_into_title Z
    await 30 "the draft of a letter typed at start" draft_title_ends_with Z
    [ -z "$(windows_named "$title" 'паспорт работы')" ] || fail "a draft was offered"
}

# 1. Typed into, then killed once the draft is there.
start_editor "$binary" "$original"
main_window
type_into_title XY
await 30 "the draft after the last key" draft_title_ends_with XY
draft=$(draft_files)
[ "$(stat -c %a "$drafts")" = 700 ] || fail "the draft folder is not 0700"
[ "$(stat -c %a "$draft")" = 600 ] || fail "the draft is not 0600"
same_but_title "$draft" XY || fail "the draft is not the whole passport"
kill -9 "$app"
wait "$app" 2>/dev/null || true
one_draft || fail "the draft did not survive the kill"
echo "ok: the draft was written two seconds after the last key and survived SIGKILL"

# 2. "Восстановить", one button before the default, pressed with the space bar as a focused button
# is; the editor holds it all: a letter more, and the next draft is the whole passport again.
start_editor "$binary"
question
xdotool key --clearmodifiers shift+Tab space
await_gone "$title" 'паспорт работы'
main_window
type_into_title W
await 30 "the draft of the restored passport" draft_title_ends_with XYW
same_but_title "$(draft_files)" XYW || fail "the restored passport is not whole"
close_and_expect_exit_0 "$wid" "$app"
one_draft || fail "closing the window did not keep the draft"
echo "ok: restored whole; closing the window keeps the draft"

# 3. "Позже" (Esc): an empty editor, and the same question at the next start.
for round in 1 2; do
    start_editor "$binary"
    question
    xdotool key --clearmodifiers Escape
    await_gone "$title" 'паспорт работы'
    main_window
    close_and_expect_exit_0 "$wid" "$app"
    one_draft || fail "\"Позже\" lost the draft (round $round)"
done
echo "ok: \"Позже\" offers the draft again"

# 4. "Удалить", one button after the default, confirmed with "Да".
start_editor "$binary"
question
xdotool key --clearmodifiers Tab space
confirm=$(await_window "$title" 'паспорт работы') || fail "timed out after 30 s: the confirmation"
xdotool windowactivate --sync "$confirm" key --clearmodifiers Return
await 30 "the draft to be deleted" no_draft
main_window
close_and_expect_exit_0 "$wid" "$app"
echo "ok: \"Удалить\" deletes the draft"

# 5. A passport saved to a file: its draft goes, and nothing is offered at the next start.
start_editor "$binary" "$original"
main_window
type_into_title V
await 30 "the draft before saving" draft_title_ends_with V
xdotool mousemove --window "$wid" 729 483 click 1
dialog=$(await_window 'Сохранение файла паспорта работы' 'Сохранение') || fail "timed out after 30 s: the save dialog"
xdotool windowactivate --sync "$dialog" key --clearmodifiers ctrl+a type --delay 2 "$work/out/saved.qdx.xml"
xdotool key --clearmodifiers Return
saved=$(await_window 'Паспорт сохранен' 'сохранен') || fail "timed out after 30 s: the confirmation of the save"
no_draft || fail "the draft outlived the save"
xdotool windowactivate --sync "$saved" key --clearmodifiers Return
kill -9 "$app"
wait "$app" 2>/dev/null || true

start_editor "$binary"
no_question_at_start
close_and_expect_exit_0 "$wid" "$app"
app=""
echo "PASS: drafts survive a kill and come back whole, and only while they hold what no file holds"
