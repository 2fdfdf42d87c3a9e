#pragma once

#include "core/committee/PassportCheck.h"

#include <QStringList>

// The columns of the committee's list, in order; the comment is last because it may span lines.
QStringList passportListHeader();

// The fields of one sound passport, in the order of the header.
QStringList passportListRow(const QString& file, const ReadPassport& passport);

// One CSV record: RFC 4180 quoting where a field needs it, ended by CR LF.
QString csvRecord(const QStringList& fields);

// The byte order mark and the header, then one record per sound passport; broken files and notes
// about the walk go to `err` only. Returns kAllSound or kSomeBroken.
int listPassports(const PathList& roots, QTextStream& out, QTextStream& err,
                  const PassportFileRead& read = readCommitteePassport);
