#pragma once

#include "committee/ExitCodes.h"
#include "committee/PassportFiles.h"

// One line per file found, "PATH: OK" or "PATH: first problem", then the summary line; a sound
// file that repeats an earlier one says which ("PATH: OK, повторяет EARLIER"). `quiet` leaves out
// the lines of sound files that repeat nothing. The lines come once every file has been read, in
// the order of the walk; notes about the walk go to `err`. A resend is no problem: returns
// kAllSound or kSomeBroken by the problems alone.
int checkPassports(const PathList& roots, bool quiet, Output& out, Output& err);
