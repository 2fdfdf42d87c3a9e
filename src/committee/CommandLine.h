#pragma once

#include "committee/Output.h"

#include <QByteArrayList>

// The committee's commands, without a window or a display. `args` are the arguments after the
// program's name, as bytes; the first starts with "--". Returns the exit status; a failed write
// ends the run with kOutputError and a message on `err`, as far as it can still be written.
int runCommandLine(const QByteArrayList& args, Output& out, Output& err);

// Whether the arguments after the program's name ask for one of the committee's commands: the
// first begins with "--" and is not "--" alone, which starts the editor with the path after it.
bool isCommitteeCommand(const QByteArrayList& args);
