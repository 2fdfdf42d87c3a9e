#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

// Paths stay bytes from the command line to open(): a name written on another system need not be
// UTF-8, and a decoded name could not be opened again.
using PathList = QList<QByteArray>;

// One thing the walk found: a passport file to read, or a folder that could not be walked
// (`problem` set).
struct FoundPath
{
    QByteArray path;
    QString problem;
};

// What the walk reports beside the files: a folder reached a second time through a link.
using WalkNote = std::function<void(const QByteArray& path, const QString& note)>;

// Every argument that is not a folder is reported as it is; folders are walked recursively for
// names ending in ".qdx.xml" in any letter case, links followed, each folder entered once. The
// order is that of the paths sorted component by component, byte by byte. Only the entries of the
// folders on the way down are held, so memory does not grow with the number of files.
void walkPassportFiles(const PathList& roots, const std::function<void(const FoundPath&)>& found, const WalkNote& note);

bool hasPassportSuffix(const QByteArray& name);

// The path for a line of output: UTF-8 as it stands; a name in another encoding keeps its ASCII
// and shows every other byte as \xNN, so that the file can still be found.
QString displayPath(const QByteArray& path);
