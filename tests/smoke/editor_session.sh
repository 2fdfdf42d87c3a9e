# Sourced after x_session.sh by the checks that run the editor on a passport of their own: a home,
# a runtime folder and a state folder under $work (a check may make $work and $state first), all
# removed at the end with the X session; the editor's main window, typing into its title, and the
# drafts of the run. A check with more to undo defines undo_check, run before $work goes.

caption='Фестиваль «Lumarinda» - Электронный паспорт работы (2015 / 2016) v.2.2.4'
title='Электронный паспорт работы'

work=${work:-$(mktemp -d)}
state=${state:-$work/state}
export HOME=$work/home XDG_RUNTIME_DIR=$work/runtime XDG_STATE_HOME=$state
mkdir -p "$HOME" "$work/in" "$work/out"
mkdir -m 0700 "$XDG_RUNTIME_DIR"
drafts=$XDG_STATE_HOME/lumarinda-passport
end_editor_session() {
    [ -n "${app:-}" ] && kill -9 "$app" 2>/dev/null
    if declare -F undo_check >/dev/null; then undo_check; fi
    rm -rf "$work"
    end_x_session
}
trap end_editor_session EXIT

# A passport this program wrote: every kind of item, a picture, languages with "другое".
original="$work/in/Сказка о рыбке.qdx.xml"
cp "$here/passport.qdx.xml" "$original"

main_window() {
    wid=$(await_window "$caption" Lumarinda) || fail "timed out after 30 s: the main window"
    xdotool windowactivate --sync "$wid"
}
# Letters typed at the end of the title field.
type_into_title() {
    xdotool mousemove --window "$wid" 120 75 click 1
    xdotool key --clearmodifiers End
    xdotool type --delay 20 "$1"
}
process_ended() { ! kill -0 "$1" 2>/dev/null; }

draft_files() { find "$drafts" -maxdepth 1 -name 'draft-*.qdx.xml' 2>/dev/null; }
one_draft() { [ "$(draft_files | wc -l)" = 1 ]; }
no_draft() { [ -z "$(draft_files)" ]; }
# One draft, whose title ends with $1.
draft_title_ends_with() { one_draft && python3 -c '
import sys, xml.dom.minidom
sys.exit(not xml.dom.minidom.parse(sys.argv[1]).getElementsByTagName("work")[0].getAttribute("title").endswith(sys.argv[2]))' \
    "$(draft_files)" "$1"; }
