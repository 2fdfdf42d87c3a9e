#pragma once

#include "core/committee/PassportCheck.h"

// The byte order mark and the header, then one record per sound passport; broken files and notes
// about the walk go to `err` only. Returns kAllSound or kSomeBroken.
int listPassports(const PathList& roots, Output& out, Output& err);
