#include "core/shell/AtomicWrite.h"

#include "core/shell/Failure.h"
#include "core/shell/SystemReason.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>

namespace {

// In English, word for word as the runtime library of the earlier editor (Delphi's EFCreateError)
// worded it: users and the committee know this message. The reason after it is Russian.
Failure cannotCreate(const QString& path, const QString& reason)
{
    return Failure(QStringLiteral("Cannot create file \"%1\". %2").arg(QDir::toNativeSeparators(path), reason), reason);
}

// Written beside the target and renamed over it. Failures name the path the caller gave.
void replaceWhole(const QString& target, const QString& shownPath, const QByteArray& bytes)
{
    QSaveFile file(target);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        // Qt words a read-only file in a sentence of its own rather than the system's reason.
        const QFileInfo existing(target);
        throw cannotCreate(shownPath, existing.exists() && !existing.isWritable() ? systemReason(EACCES)
                                                                                  : systemReason(file.errorString()));
    }
    const auto writeFailure = [&] {
        const QString reason = systemReason(file.errorString());
        return Failure(
            QStringLiteral("Ошибка записи файла \"%1\". %2").arg(QDir::toNativeSeparators(shownPath), reason), reason);
    };
    // A short write (a full disk) is no error to Qt, and commit() would then put a truncated file
    // in place of the old one: write until everything is out, and flush before committing. A
    // flush that got only part of the buffer out fails without a reason; its retry names it.
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0)
            throw writeFailure();
        done += written;
    }
    if (!file.flush() && !file.flush())
        throw writeFailure();
    if (!file.commit())
        throw writeFailure();
}

// The system's own limit on links in a row.
constexpr int kMaxLinkHops = 40;

} // namespace

void replaceFileWhole(const QString& path, const QByteArray& bytes)
{
    // QSaveFile would write through a link.
    if (QFileInfo(path).isSymLink())
        QFile::remove(path);
    replaceWhole(path, path, bytes);
}

void replaceChosenFileWhole(const QString& path, const QByteArray& bytes)
{
    // Resolved here, link by link, so that a dangling link gets its target created rather than
    // replaced by a plain file.
    QString target = path;
    for (int hop = 0; QFileInfo(target).isSymLink(); ++hop) {
        if (hop == kMaxLinkHops)
            throw cannotCreate(path, systemReason(ELOOP));
        target = QFileInfo(target).symLinkTarget();
    }
    replaceWhole(target, path, bytes);
}
