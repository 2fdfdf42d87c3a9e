#pragma once

#include "core/committee/PassportFiles.h"
#include "core/passport/PassportReader.h"

#include <QTextStream>
#include <functional>

// Reads one passport file: throws Failure with the first problem, without the file's name.
using PassportFileRead = std::function<ReadPassport(const QByteArray& path)>;

// The program's own reading: the file's bytes by readPassportBytes, the document by the same
// reader that reopens a passport in the editor.
ReadPassport readCommitteePassport(const QByteArray& path);

// Exit statuses of the committee's commands.
constexpr int kAllSound = 0;
constexpr int kSomeBroken = 1;
constexpr int kUsageError = 2;

// One line per file found, "PATH: OK" or "PATH: first problem", then the summary line; notes
// about the walk go to `err`. Returns kAllSound or kSomeBroken.
int checkPassports(const PathList& roots, QTextStream& out, QTextStream& err,
                   const PassportFileRead& read = readCommitteePassport);

// The summary line after the files.
QString checkSummary(qint64 checked, qint64 sound);
