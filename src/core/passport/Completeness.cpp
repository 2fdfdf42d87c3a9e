#include "core/passport/Completeness.h"

#include "core/passport/PassportDocument.h"
#include "core/shell/Trimming.h"

namespace {

// A text that would reach the file empty counts as empty, so a title made only of characters
// the file cannot carry is refused here rather than written as an empty title.
bool isEmpty(const QString& text)
{
    return trimControls(dropUnwritableXmlCharacters(text)).isEmpty();
}

bool isEmpty(const QByteArray& text)
{
    return trimControls(text).isEmpty();
}

// The line for the first gap of the group, entry by entry, surname before name before patronymic.
QString firstGap(const QList<ParticipantEntry>& entries, const QString& none, const QString& surname,
                 const QString& name, const QString& patronymic)
{
    if (entries.isEmpty())
        return none;
    for (const ParticipantEntry& entry : entries) {
        if (isEmpty(entry.surname))
            return surname;
        if (isEmpty(entry.name))
            return name;
        if (isEmpty(entry.patronymic))
            return patronymic;
    }
    return {};
}

} // namespace

QString CheckCompleteness(const PassportSnapshot& passport)
{
    QString missing;
    if (isEmpty(passport.title))
        missing += QStringLiteral(" - Название работы\n");
    if (isEmpty(passport.description))
        missing += QStringLiteral(" - Описание работы\n");
    if (passport.subjectSlots[0] == 0)
        missing += QStringLiteral(" - Не задан ни один раздел\n");
    missing += firstGap(passport.authors, QStringLiteral(" - Не указан ни один автор\n"),
                        QStringLiteral(" - Фамилии у всех авторов\n"), QStringLiteral(" - Имена у всех авторов\n"),
                        QStringLiteral(" - Отчества у всех авторов\n"));
    missing +=
        firstGap(passport.teachers, QStringLiteral(" - Не указан ни один руководитель\n"),
                 QStringLiteral(" - Фамилии у всех руководителей\n"), QStringLiteral(" - Имена у всех руководителей\n"),
                 QStringLiteral(" - Отчества у всех руководителей\n"));
    return missing;
}

QString incompletePassportMessage(const QString& missing)
{
    return QStringLiteral("Для записи электронного паспорта в файл необходимо заполнить следующие поля:\n\n") +
           missing + QStringLiteral("\nПаспорт работы не сохранен.");
}
