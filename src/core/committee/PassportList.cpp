#include "core/committee/PassportList.h"

#include "core/committee/Spreadsheet.h"
#include "core/sections/SectionCatalogue.h"
#include "core/shell/SystemReason.h"
#include "core/shell/Windows1251.h"
#include "core/shell/Wording.h"

#include <QDateTime>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <unistd.h>
#include <utility>

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
const QList<SheetColumn>& listColumns()
{
    static const QList<SheetColumn> columns = {
        {QStringLiteral("Файл"), 32},
        {QStringLiteral("Сохранён (UTC)"), 21},
        {QStringLiteral("Название"), 40, true},
        {QStringLiteral("Разделы"), 36},
        {QStringLiteral("Языки"), 28},
        {QStringLiteral("Авторы"), 50},
        {QStringLiteral("Руководители"), 50},
        {QStringLiteral("Получатель счёта"), 40},
        {QStringLiteral("Индекс"), 9},
        {QStringLiteral("Адрес"), 40, true},
        {QStringLiteral("Телефон"), 18},
        {QStringLiteral("Эл. почта"), 28},
        {QStringLiteral("Ширина рисунка"), 16},
        {QStringLiteral("Высота рисунка"), 16},
        {QStringLiteral("Подпись к рисунку"), 30, true},
        {QStringLiteral("Комментарий"), 60, true},
    };
    return columns;
}

QStringList passportListHeader()
{
    QStringList header;
    for (const SheetColumn& column : listColumns())
        header << column.header;
    return header;
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

// One CSV record, every field quoted (RFC 4180 allows it): a spreadsheet that also splits at
// semicolons or tabs keeps "; " inside a field. Ended by CR LF.
QString csvRecord(const QStringList& fields)
{
    QString line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += u',';
        QString field = fields.at(i);
        line += u'"' + field.replace(u'"', QStringLiteral("\"\"")) + u'"';
    }
    return line + QStringLiteral("\r\n");
}

bool namesSpreadsheet(const QByteArray& path)
{
    return path.toLower().endsWith(".xlsx");
}

// A list file of our own: created or emptied, and closed with its last write checked.
class ListFile
{
public:
    ListFile(const QByteArray& path, const QString& shown)
        : m_fd(::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666)), m_shown(shown)
    {
        if (m_fd < 0)
            throw OutputFailure(QStringLiteral("файл «%1» не создан: %2").arg(shown, lowerFirst(systemReason(errno))));
        m_output.emplace(m_fd, QStringLiteral("файл «%1»").arg(shown));
    }
    ~ListFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    ListFile(const ListFile&) = delete;
    ListFile& operator=(const ListFile&) = delete;

    Output& output() { return *m_output; }

    void close()
    {
        m_output->flush();
        const int result = ::close(std::exchange(m_fd, -1));
        if (result != 0 && errno != EINTR)
            throw OutputFailure(
                QStringLiteral("файл «%1» не записан: %2").arg(m_shown, lowerFirst(systemReason(errno))));
    }

private:
    int m_fd;
    QString m_shown;
    std::optional<Output> m_output;
};

} // namespace

int listPassports(const PathList& roots, const QByteArray& outputPath, Output& out, Output& err)
{
    bool allSound = true;
    PassportFileReport report;
    report.broken = [&](const QByteArray& path, const QString& problem) {
        allSound = false;
        err << reportLine(path, problem);
        err.flush();
    };
    const QString shown = displayPath(outputPath);
    if (namesSpreadsheet(outputPath)) {
        Spreadsheet sheet(outputPath, shown, listColumns());
        report.sound = [&](const QByteArray& path, const QByteArray&, const ReadPassport& read) {
            sheet.append(passportListRow(displayPath(path), read));
        };
        readPassportFiles(roots, report, err);
        sheet.save();
        return allSound ? kAllSound : kSomeBroken;
    }
    std::optional<ListFile> file;
    if (!outputPath.isEmpty())
        file.emplace(outputPath, shown);
    Output& target = file ? file->output() : out;
    // Spreadsheets take a file without the mark for the local code page and garble Cyrillic.
    target << QChar(0xFEFF) + csvRecord(passportListHeader());
    target.flush();
    report.sound = [&](const QByteArray& path, const QByteArray&, const ReadPassport& read) {
        target << csvRecord(passportListRow(displayPath(path), read));
        target.flush();
    };
    readPassportFiles(roots, report, err);
    if (file)
        file->close();
    return allSound ? kAllSound : kSomeBroken;
}
