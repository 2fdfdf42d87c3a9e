#include "core/shell/SystemReason.h"

#include <cerrno>
#include <cstring>

namespace {

// The C library's numbers stop well below this on Linux.
constexpr int kLastErrorNumber = 200;

} // namespace

QString systemReason(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return QStringLiteral("Доступ запрещен");
    case ENOENT:
        return QStringLiteral("Файл или папка не существует");
    case ENOTDIR:
        return QStringLiteral("Часть пути не является папкой");
    case EISDIR:
        return QStringLiteral("Это папка, а не файл");
    case ENOSPC:
        return QStringLiteral("На диске нет места");
    case EDQUOT:
        return QStringLiteral("Превышена дисковая квота");
    case EFBIG:
        return QStringLiteral("Файл слишком велик");
    case EROFS:
        return QStringLiteral("Диск доступен только для чтения");
    case ENAMETOOLONG:
        return QStringLiteral("Слишком длинное имя файла");
    case ELOOP:
        return QStringLiteral("Слишком много символических ссылок подряд");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("Открыто слишком много файлов");
    case EIO:
        return QStringLiteral("Ошибка ввода-вывода");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("Файл занят");
    case EEXIST:
        return QStringLiteral("Файл уже существует");
    case ENXIO:
    case ENODEV:
        return QStringLiteral("Устройство недоступно");
    case ENOMEM:
        return QStringLiteral("Недостаточно памяти");
    case EINVAL:
        return QStringLiteral("Недопустимое имя или действие");
    case EXDEV:
        return QStringLiteral("Файл находится на другом диске");
    case EAGAIN:
        return QStringLiteral("Файл временно недоступен");
    case EINTR:
        return QStringLiteral("Действие прервано");
    default:
        return QStringLiteral("Системная ошибка %1").arg(error);
    }
}

QString systemReason(const QString& reportedByQt)
{
    // Qt words a few errors in English whatever the locale and hands the rest to the C library,
    // which speaks the locale's language: both wordings are matched.
    const QString reported = reportedByQt.trimmed();
    for (int error = 1; error <= kLastErrorNumber; ++error) {
        if (reported == qt_error_string(error) || reported == QString::fromLocal8Bit(std::strerror(error)).trimmed())
            return systemReason(error);
    }
    return QStringLiteral("Системная ошибка");
}
