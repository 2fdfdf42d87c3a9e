#pragma once

#include <QByteArrayList>
#include <QTextStream>

// The committee's commands, without a window or a display. `args` are the arguments after the
// program's name, as bytes; the first starts with "--". Returns the exit status.
int runCommandLine(const QByteArrayList& args, QTextStream& out, QTextStream& err);
