#!/usr/bin/env bash
# Bad input on the real editor in a real X server with a window manager, clicked and typed as a
# person would: a double click on Save brings one box, not two; a title typed past its limit is
# cut at 250; a double click on Preview writes well-formed files and asks the desktop twice, one
# after the other; a named pipe chosen as the picture brings an error, not a frozen window; a
# temporary folder replaced by a symbolic link is refused and nothing is written through it.
set -euo pipefail

binary=$(realpath "$1")
caption='Фестиваль «Lumarinda» - Электронный паспорт работы (2015 / 2016) v.2.2.4'
errorCaption='Электронный паспорт работы'

source "$(dirname "$(realpath "$0")")/x_session.sh"

work=$(mktemp -d)
export HOME=$work/home XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" "$work/bin" "$work/victim"
mkdir -m 0700 "$XDG_RUNTIME_DIR"
temp=$XDG_RUNTIME_DIR/lumarinda-passport
# The desktop's document opener, replaced by one that notes each request.
cat >"$work/bin/xdg-open" <<EOF
#!/bin/sh
echo "\$1" >>"$work/opened"
EOF
chmod +x "$work/bin/xdg-open"
export PATH=$work/bin:$PATH

cleanup() {
    [ -n "${app:-}" ] && kill -9 $app 2>/dev/null
    rm -rf "$work"
    end_x_session
}
trap cleanup EXIT

click() { xdotool mousemove --window "$wid" "$1" "$2" click --repeat "${3:-1}" --delay 60 1; }
close_box() { xdotool windowactivate --sync "$1" key --clearmodifiers Return; }

start_editor "$binary"
wid=$(await_window "$caption" Lumarinda) || fail "timed out after 30 s: the main window"
xdotool windowactivate --sync "$wid"

# A double click on Save with nothing filled in: one incomplete-passport box.
click 729 483 2
box=$(await_window 'Неполная информация' 'информация') || fail "timed out after 30 s: the incomplete-passport box"
sleep 1
count=$(windows_named 'Неполная информация' 'информация' | wc -l)
[ "$count" = 1 ] || fail "$count incomplete-passport boxes after a double click"
close_box "$box"
await_gone 'Неполная информация' 'информация'
kill -0 $app || fail "the editor ended"
echo "ok: a double click on Save shows one box"

# 300 letters typed into the title: 250 stay, and the preview carries them.
click 240 74
xdotool type --delay 2 "$(printf 'a%.0s' $(seq 300))"
click 616 483 2
opened() { [ -e "$work/opened" ] && wc -l <"$work/opened" || echo 0; }
opened_twice() { [ "$(opened)" -ge 2 ]; }
await 30 "the desktop to be asked to open the preview twice" opened_twice
sleep 0.5
[ "$(opened)" = 2 ] || fail "the desktop was asked $(opened) times, not twice"
[ -z "$(windows_named "$errorCaption" 'паспорт')" ] || fail "an error box after the previews"
for file in preview.qdx.xml preview.qdx.html; do
    xmllint --noout "$temp/$file" || fail "$file is not well-formed"
done
length=$(xmllint --xpath 'string-length(/lumarinda/work/@title)' "$temp/preview.qdx.xml")
[ "$length" = 250 ] || fail "the title holds $length letters"
echo "ok: the title stops at 250; a double click on Preview previews twice, well-formed"

# A named pipe chosen in the open dialog: an error box, and the window still answers.
mkfifo "$work/photo.jpg"
click 240 74
xdotool key --clearmodifiers ctrl+Tab
click 217 425
dialog=$(await_window 'Открыть' 'Открыть') || fail "timed out after 30 s: the open dialog"
xdotool windowactivate --sync "$dialog" type --delay 2 "$work/photo.jpg"
xdotool key --clearmodifiers Return
box=$(await_window "$errorCaption" 'паспорт') ||
    fail "timed out after 30 s: the error box for a named pipe (is the editor stuck on it?)"
close_box "$box"
await_gone "$errorCaption" 'паспорт'
echo "ok: a named pipe as the picture is refused"

# The temporary folder replaced by a link to someone else's folder: refused, nothing written there.
rm -rf "$temp"
ln -s "$work/victim" "$temp"
click 616 483
box=$(await_window "$errorCaption" 'паспорт') || fail "timed out after 30 s: the error box for a linked temporary folder"
close_box "$box"
[ -z "$(ls -A "$work/victim")" ] || fail "files written through the link: $(ls -A "$work/victim")"
echo "ok: a temporary folder that is a link is refused"

close_and_expect_exit_0 "$wid" "$app"
app=""
echo "PASS: bad input in the real window"
