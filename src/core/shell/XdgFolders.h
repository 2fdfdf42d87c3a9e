#pragma once

#include <QString>

// The XDG base directory rule: the folder an $XDG_*_HOME variable names when it holds an absolute
// path (a relative one is ignored), otherwise its default under the home folder.
QString xdgBaseFolder(const char* variable, const QString& defaultUnderHome);

// The program's own files among the user's data ($XDG_DATA_HOME/lumarinda-passport/<name>,
// ~/.local/share/... by default) and state ($XDG_STATE_HOME/lumarinda-passport/, ~/.local/state/...).
QString programDataFile(const QString& name);
QString programStateFolder();

// $XDG_RUNTIME_DIR/lumarinda-passport when that variable names a folder that exists, empty otherwise.
QString programRuntimeFolder();
