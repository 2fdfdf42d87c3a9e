#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtGlobal>

// Whole files, read and written in one go.

// Empty when the file cannot be read.
inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// For files a test checks it could write.
inline bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// For a test's own fixtures: one it cannot write ends the run.
inline void writeFileBytes(const QString& path, const QByteArray& bytes)
{
    if (!writeAll(path, bytes))
        qFatal("cannot write %s", qPrintable(path));
}
