#pragma once

#include "committee/PassportCheck.h"

// A header, then one row per sound passport, the last column naming the earlier file a resend
// repeats; broken files and notes about the walk go to `err` only. The list goes to `out`, or to
// the file `outputPath` when one is named: an Office Open XML workbook when its name ends in
// ".xlsx" in any letter case (the works, the counts per section and language, the files that
// failed), CSV otherwise. CSV is UTF-8 with a byte order mark, every field quoted, records ended
// by CR LF. The rows wait in a temporary file until every file is read, so memory does not grow
// with their text. Returns kAllSound or kSomeBroken.
int listPassports(const PathList& roots, const QByteArray& outputPath, Output& out, Output& err);
