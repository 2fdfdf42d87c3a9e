#include "core/committee/PassportList.h"

#include "core/sections/SectionCatalogue.h"
#include "core/shell/Windows1251.h"

#include <QDateTime>

namespace {

const QString kJoin = QStringLiteral("; ");

QString person(const ParticipantEntry& entry)
{
    return QStringList{fromCp1251(entry.id), fromCp1251(entry.surname), fromCp1251(entry.name),
                       fromCp1251(entry.patronymic)}
        .join(u' ');
}

QString persons(const QList<ParticipantEntry>& entries)
{
    QStringList texts;
    for (const ParticipantEntry& entry : entries)
        texts << person(entry);
    return texts.join(kJoin);
}

QString section(int id)
{
    return QStringLiteral("%1 %2").arg(id).arg(Sections::catalogueTitle(id));
}

QString sections(const PassportSnapshot& passport)
{
    QStringList texts;
    for (std::int32_t id : passport.subjectSlots) {
        if (id != 0)
            texts << section(id);
    }
    return texts.join(kJoin);
}

QString languages(const Sections::LanguageChoices& choices)
{
    QStringList texts;
    if (choices.russian)
        texts << section(Sections::kFirstLanguage);
    if (choices.english)
        texts << section(Sections::kFirstLanguage + 1);
    if (choices.german)
        texts << section(Sections::kLastLanguage);
    if (choices.other)
        texts << QStringLiteral("другое: %1").arg(choices.otherText);
    return texts.join(kJoin);
}

QString storedTime(qint64 seconds)
{
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).toString(Qt::ISODate);
}

// The columns of the committee's list, in order; the comment is last because it may span lines.
QStringList passportListHeader()
{
    return {QStringLiteral("Файл"),
            QStringLiteral("Сохранён (UTC)"),
            QStringLiteral("Название"),
            QStringLiteral("Разделы"),
            QStringLiteral("Языки"),
            QStringLiteral("Авторы"),
            QStringLiteral("Руководители"),
            QStringLiteral("Получатель счёта"),
            QStringLiteral("Индекс"),
            QStringLiteral("Адрес"),
            QStringLiteral("Телефон"),
            QStringLiteral("Эл. почта"),
            QStringLiteral("Ширина рисунка"),
            QStringLiteral("Высота рисунка"),
            QStringLiteral("Подпись к рисунку"),
            QStringLiteral("Комментарий")};
}

// The fields of one sound passport, in the order of the header.
QStringList passportListRow(const QString& file, const ReadPassport& read)
{
    const PassportSnapshot& p = read.passport;
    const bool hasLeader = p.leaderIndex >= 0 && p.leaderIndex < p.teachers.size();
    return {file,
            storedTime(read.storedSeconds),
            p.title,
            sections(p),
            languages(p.languages),
            persons(p.authors),
            persons(p.teachers),
            hasLeader ? person(p.teachers.at(p.leaderIndex)) : QString(),
            p.postIndex,
            p.postAddress,
            p.phone,
            p.email,
            p.hasPicture ? QString::number(p.pictureWidth) : QString(),
            p.hasPicture ? QString::number(p.pictureHeight) : QString(),
            p.hasPicture ? p.pictureCaption : QString(),
            p.notes};
}

// One CSV record: RFC 4180 quoting where a field needs it, ended by CR LF.
QString csvRecord(const QStringList& fields)
{
    QString line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += u',';
        QString field = fields.at(i);
        if (field.contains(u',') || field.contains(u'"') || field.contains(u'\r') || field.contains(u'\n')) {
            field.replace(u'"', QStringLiteral("\"\""));
            field = u'"' + field + u'"';
        }
        line += field;
    }
    return line + QStringLiteral("\r\n");
}

} // namespace

int listPassports(const PathList& roots, Output& out, Output& err)
{
    // Spreadsheets take a file without the mark for the local code page and garble Cyrillic.
    out << QChar(0xFEFF) + csvRecord(passportListHeader());
    bool allSound = true;
    PassportFileReport report;
    report.sound = [&](const QByteArray& path, const ReadPassport& read) {
        out << csvRecord(passportListRow(displayPath(path), read));
        out.flush();
    };
    report.broken = [&](const QByteArray& path, const QString& problem) {
        allSound = false;
        err << reportLine(path, problem);
        err.flush();
    };
    readPassportFiles(roots, report, err);
    out.flush();
    return allSound ? kAllSound : kSomeBroken;
}
