#!/usr/bin/env bash
# Drafts on a full disk in the real editor: a draft left in a state folder that has no byte free is
# still offered and restored; what is typed then fits in no draft, so closing the window asks
# whether to save, Esc keeps the window and the text, and "Закрыть без сохранения" ends the run. A
# program asked to end by SIGTERM says in its log where the text went. The full disk is a tmpfs of
# its own: the check needs root and the right to mount, and says so when it skips.
set -euo pipefail

binary=$(realpath "$1")
here=$(dirname "$(realpath "$0")")
work=$(mktemp -d)
state=$work/state
mkdir -p "$state"
if [ "$(id -u)" != 0 ] || ! mount -t tmpfs -o size=256k,mode=0755 tmpfs "$state" 2>/dev/null; then
    rm -rf "$work"
    echo "SKIP: no tmpfs of the check's own (it needs root and the right to mount): no full disk to test on"
    exit 77
fi

cleanup() {
    [ -n "${app:-}" ] && kill -9 "$app" 2>/dev/null
    umount -l "$state" 2>/dev/null || true
    rm -rf "$work"
    if declare -F end_x_session >/dev/null; then end_x_session; fi
}
trap cleanup EXIT
source "$here/x_session.sh"
undo_check() { umount -l "$state" 2>/dev/null || true; }
source "$here/editor_session.sh"

mkdir -m 0700 "$drafts"
left=$drafts/draft-left.qdx.xml
cp "$here/passport.qdx.xml" "$left"
chmod 0600 "$left"
# Every byte taken: a lock holds a line of text, which no longer fits.
dd if=/dev/zero of="$state/filler" bs=4k 2>/dev/null || true
[ "$(df --output=avail "$state" | tail -1 | tr -d ' ')" = 0 ] || fail "the tmpfs is not full"
left_bytes=$(sha256sum <"$left")

box() {
    found=$(await_window "$title" 'паспорт работы') || fail "timed out after 30 s: $1"
    xdotool windowactivate --sync "$found"
}
running() { kill -0 "$app" 2>/dev/null; }

# 1. Offered though it cannot be claimed; "Восстановить", one button before the default.
start_editor "$binary"
box "the question about the left draft"
xdotool key --clearmodifiers shift+Tab space
await_gone "$title" 'паспорт работы'
main_window
echo "ok: a draft on a full disk is offered and restored"

# 2. Typed into: the draft cannot take it, said once.
type_into_title XY
box "the word that the draft cannot be written"
xdotool key --clearmodifiers Return
await_gone "$title" 'паспорт работы'

# 3. Closing asks; Esc keeps the window, the editor and its text.
main_window
wmctrl -i -c "$wid"
box "the question on closing"
xdotool key --clearmodifiers Escape
await_gone "$title" 'паспорт работы'
running || fail "Esc ended the editor"
main_window
[ "$(sha256sum <"$left")" = "$left_bytes" ] || fail "the left draft changed"
echo "ok: closing with text no draft holds asks, and Esc keeps the window"

# 4. "Закрыть без сохранения", one button before the default: the run ends, the left draft stays.
wmctrl -i -c "$wid"
box "the question on closing, again"
xdotool key --clearmodifiers shift+Tab space
await 30 "the editor to end after \"Закрыть без сохранения\"" process_ended "$app"
code=0
wait "$app" || code=$?
[ "$code" = 0 ] || fail "exit code $code"
[ "$(sha256sum <"$left")" = "$left_bytes" ] || fail "the left draft changed"
echo "ok: \"Закрыть без сохранения\" ends the run and leaves the draft where it was"

# 5. Asked to end: the draft tried once more, and the log says the text did not fit anywhere.
start_editor "$binary"
box "the question about the left draft, again"
xdotool key --clearmodifiers shift+Tab space
await_gone "$title" 'паспорт работы'
main_window
type_into_title Q
kill -TERM "$app"
await 30 "the editor to end on SIGTERM" process_ended "$app"
code=0
wait "$app" || code=$?
[ "$code" = 0 ] || fail "exit code $code after SIGTERM"
grep -q '^lumarinda-passport: Не удалось записать черновик паспорта работы в папку .*Введенные данные, не сохраненные в файл, потеряны\.$' \
    "$x_session_dir/editor.log" || fail "the log does not say where the text went"
app=""
echo "PASS: a full disk loses no draft and no text without a question"
