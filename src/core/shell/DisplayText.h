#pragma once

#include <QByteArray>
#include <QString>

// Text from a file or a file name for a terminal, a log or a report: one line whatever it holds.

// The path for a line of output, one line whatever the name, and back to one name only: a backslash
// is doubled; in a UTF-8 name, ASCII controls show as \xNN and the characters that break or turn a
// line (C1 controls, U+2028, U+2029, the bidirectional controls) as \uXXXX; a name in another
// encoding keeps its ASCII and shows every other byte as \xNN.
QString displayPath(const QByteArray& path);

// A text from a file (a problem quoting the file's content) for a line of output, escaped as a
// UTF-8 name is.
QString displayText(const QString& text);

// "PATH: TEXT" and a line feed, both escaped.
QString reportLine(const QByteArray& path, const QString& text);
