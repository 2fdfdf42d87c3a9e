#pragma once

#include <QByteArray>
#include <QString>

// Files on disk.
class FileOperations
{
public:
    virtual ~FileOperations() = default;

    virtual bool fileExists(const QString& path) = 0;
    // Whether both paths name one existing file, links and "." or ".." resolved.
    virtual bool sameFile(const QString& first, const QString& second) = 0;
    // A failure to delete is ignored.
    virtual void deleteFile(const QString& path) = 0;
    // Replaces the file whole or leaves it as it was (a symbolic link at the path is replaced, not
    // followed); throws Failure naming the path and the reason.
    virtual void writeFile(const QString& path, const QByteArray& bytes) = 0;
    // For a path the user chose: as writeFile, but a symbolic link at the path (a synced or shared
    // copy) keeps pointing where it did and its final target is replaced whole.
    virtual void writeChosenFile(const QString& path, const QByteArray& bytes) = 0;
    // At most maxBytes from the file's start; empty when it cannot be read.
    virtual QByteArray readFile(const QString& path, qint64 maxBytes) = 0;
};
