#include "core/shell/TempFolder.h"

#include "core/shell/AppInfo.h"
#include "core/shell/Failure.h"
#include "core/shell/SystemReason.h"
#include "core/shell/XdgFolders.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString reason(int error)
{
    return systemReason(error);
}

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

QString preparePrivateFolder(const QString& path)
{
    return preparePrivateFolder(path, {QStringLiteral("Временная папка"), QStringLiteral("временную папку"),
                                       QStringLiteral("временной папке")});
}

QString preparePrivateFolder(const QString& path, const FolderNames& names)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat info
    {};
    if (::lstat(native.constData(), &info) != 0) {
        if (errno != ENOENT)
            throw Failure(QStringLiteral("Нет доступа к %1 «%2»: %3").arg(names.dative, shown(path), reason(errno)));
        if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
            throw Failure(
                QStringLiteral("Не удалось создать %1 «%2»: %3").arg(names.accusative, shown(path), reason(errno)));
        if (::lstat(native.constData(), &info) != 0)
            throw Failure(QStringLiteral("Нет доступа к %1 «%2»: %3").arg(names.dative, shown(path), reason(errno)));
    }
    if (S_ISLNK(info.st_mode))
        throw Failure(QStringLiteral("%1 «%2» является символической ссылкой и не будет использована")
                          .arg(names.nominative, shown(path)));
    if (!S_ISDIR(info.st_mode))
        throw Failure(QStringLiteral("%1 «%2» не является папкой").arg(names.nominative, shown(path)));
    if (info.st_uid != ::geteuid())
        throw Failure(QStringLiteral("%1 «%2» принадлежит другому пользователю и не будет использована")
                          .arg(names.nominative, shown(path)));
    if ((info.st_mode & 0077) != 0 && ::chmod(native.constData(), 0700) != 0)
        throw Failure(
            QStringLiteral("Не удалось закрыть доступ к %1 «%2»: %3").arg(names.dative, shown(path), reason(errno)));

    return path.endsWith(u'/') ? path : path + u'/';
}

QString privateTempFolder()
{
    const QString runtime = programRuntimeFolder();
    if (!runtime.isEmpty())
        return preparePrivateFolder(runtime);
    const QString name = QStringLiteral("%1-%2").arg(kProgramFolderName).arg(::geteuid());
    return preparePrivateFolder(QDir(QDir::tempPath()).filePath(name));
}
