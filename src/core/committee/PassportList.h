#pragma once

#include "core/committee/PassportCheck.h"

// A header, then one row per sound passport; broken files and notes about the walk go to `err`
// only. The list goes to `out`, or to the file `outputPath` when one is named: an Office Open XML
// spreadsheet when its name ends in ".xlsx" in any letter case, CSV otherwise. CSV is UTF-8 with a
// byte order mark, every field quoted, records ended by CR LF. Returns kAllSound or kSomeBroken.
int listPassports(const PathList& roots, const QByteArray& outputPath, Output& out, Output& err);
