#pragma once

#include "committee/Output.h"
#include "core/passport/PassportReader.h"
#include "core/shell/DisplayText.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

// Paths stay bytes from the command line to open(): a name written on another system need not be
// UTF-8, and a decoded name could not be opened again.
using PathList = QList<QByteArray>;

// What reading the files found reports, file by file.
struct PassportFileReport
{
    // A file read whole: its bytes and the passport they hold.
    std::function<void(const QByteArray& path, const QByteArray& bytes, const ReadPassport& read)> sound;
    // A file that is not a sound passport, or a folder that could not be walked: the first problem.
    std::function<void(const QByteArray& path, const QString& problem)> broken;
};

// Every argument that is not a folder is read as it is; folders are walked recursively for names
// ending in ".qdx.xml" in any letter case, links followed, each folder entered once. The order is
// that of the paths sorted component by component, byte by byte. Only the entries of the folders
// on the way down are held, so memory does not grow with the number of files. Each file is read by
// the reader that reopens a passport in the editor, its picture only checked. Notes about the walk (a
// folder reached again through a link) go to `err` as report lines.
// Files are read `threads` at a time, a few ahead of the one reported, and reported in the walk's
// order on the calling thread, notes among them where the walk made them: what is reported, and in
// which order, does not depend on the number of threads.
void readPassportFiles(const PathList& roots, const PassportFileReport& report, Output& err, int threads);
void readPassportFiles(const PathList& roots, const PassportFileReport& report, Output& err);

// Whether a file name (or a path) ends in ".qdx.xml", in any letter case.
bool hasPassportSuffix(const QByteArray& name);

// One thread per processor, at most kMaxReadingThreads; LUMARINDA_READING_THREADS (1 to
// kMaxReadingThreads) sets another number.
int readingThreads();
constexpr int kMaxReadingThreads = 8;
