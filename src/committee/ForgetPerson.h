#pragma once

#include "committee/Output.h"

#include <QByteArrayList>
#include <QString>

// `lumarinda-passport --forget-person ID`: the person leaves the list in `folder` (the data folder);
// no window, a line on `out` or `err`. Returns the exit status: 0 done (or not in the list), 1 the
// list cannot be read or written, 2 the command line is wrong.
int forgetPersonCommand(const QString& folder, const QByteArrayList& arguments, Output& out, Output& err);
