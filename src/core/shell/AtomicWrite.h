#pragma once

#include <QByteArray>
#include <QString>

// Replaces the file whole or leaves it as it was: a failure never leaves half a file. A symbolic
// link at the path is replaced, not followed. Throws Failure naming the path and the reason.
void replaceFileWhole(const QString& path, const QByteArray& bytes);

// As replaceFileWhole, for a path the user chose: a symbolic link at the path (a synced or shared
// copy) keeps pointing where it did and its final target is replaced whole.
void replaceChosenFileWhole(const QString& path, const QByteArray& bytes);
