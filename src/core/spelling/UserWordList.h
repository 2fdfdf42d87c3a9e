#pragma once

#include <QString>
#include <QStringList>

// The user's own word list: UTF-8, one word a line, readable by the user alone.
namespace UserWordList {

// "$XDG_DATA_HOME/lumarinda-passport/dictionary.txt", "~/.local/share/..." when it is unset.
QString defaultPath();

// The valid words of the list; a damaged line is passed over, a missing or unreadable list is empty.
// Reads at most kMaxBytes.
QStringList read(const QString& path);

// Adds the word at the end, keeping every byte already there; false when it cannot be written or
// the word is not one a list can hold.
bool append(const QString& path, const QString& word);

// A word the list can hold: not empty, not too long, no blank or control character.
bool isStorable(const QString& word);

inline constexpr qint64 kMaxBytes = 1024 * 1024;
inline constexpr int kMaxWordLength = 64;

} // namespace UserWordList
