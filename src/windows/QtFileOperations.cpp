#include "core/shell/AtomicWrite.h"
#include "windows/QtDesktopServices.h"

#include <QFile>
#include <QFileInfo>

bool QtDesktopServices::fileExists(const QString& path)
{
    return QFileInfo(path).isFile();
}

bool QtDesktopServices::sameFile(const QString& first, const QString& second)
{
    const QString canonical = QFileInfo(first).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(second).canonicalFilePath();
}

void QtDesktopServices::deleteFile(const QString& path)
{
    QFile::remove(path);
}

void QtDesktopServices::writeFile(const QString& path, const QByteArray& bytes)
{
    replaceFileWhole(path, bytes);
}

void QtDesktopServices::writeChosenFile(const QString& path, const QByteArray& bytes)
{
    replaceChosenFileWhole(path, bytes);
}

QByteArray QtDesktopServices::readFile(const QString& path, qint64 maxBytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(maxBytes);
}
