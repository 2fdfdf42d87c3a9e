#include "committee/PassportList.h"

#include "committee/Resends.h"
#include "committee/Spreadsheet.h"
#include "core/sections/SectionCatalogue.h"
#include "core/shell/SystemReason.h"
#include "core/shell/Windows1251.h"
#include "core/shell/Wording.h"

#include <QDataStream>
#include <QDateTime>
#include <QDir>
#include <QHash>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdlib>
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

// What the list shows of one sound passport, held on disk between reading every file and writing
// the list, which needs all of them to name the resends.
struct Listed
{
    QByteArray path;
    qint64 storedSeconds = 0;
    QString title;
    QString description;
    QString techRequest;
    QString manual;
    QString sections;
    QString languages;
    QStringList authors;
    QStringList teachers;
    QString leader;
    QString postIndex;
    QString postAddress;
    QString phone;
    QString email;
    QString pictureWidth;
    QString pictureHeight;
    QString pictureCaption;
    QString notes;
    // For the counts: the sections chosen, and the languages ticked (Russian, English, German, other).
    QList<int> sectionIds;
    QList<bool> languageTicks;
};

QDataStream& operator<<(QDataStream& stream, const Listed& l)
{
    return stream << l.path << l.storedSeconds << l.title << l.description << l.techRequest << l.manual << l.sections
                  << l.languages << l.authors << l.teachers << l.leader << l.postIndex << l.postAddress << l.phone
                  << l.email << l.pictureWidth << l.pictureHeight << l.pictureCaption << l.notes << l.sectionIds
                  << l.languageTicks;
}

QDataStream& operator>>(QDataStream& stream, Listed& l)
{
    return stream >> l.path >> l.storedSeconds >> l.title >> l.description >> l.techRequest >> l.manual >> l.sections >>
           l.languages >> l.authors >> l.teachers >> l.leader >> l.postIndex >> l.postAddress >> l.phone >> l.email >>
           l.pictureWidth >> l.pictureHeight >> l.pictureCaption >> l.notes >> l.sectionIds >> l.languageTicks;
}

Listed listed(const QByteArray& path, const ReadPassport& read)
{
    const PassportSnapshot& p = read.passport;
    const bool hasLeader = p.leaderIndex >= 0 && p.leaderIndex < p.teachers.size();
    Listed l;
    l.path = path;
    l.storedSeconds = read.storedSeconds;
    l.title = p.title;
    l.description = p.description;
    l.techRequest = p.techRequest;
    l.manual = p.manual;
    l.sections = sections(p);
    l.languages = languages(p.languages);
    for (const ParticipantEntry& author : p.authors)
        l.authors << person(author);
    for (const ParticipantEntry& teacher : p.teachers)
        l.teachers << person(teacher);
    l.leader = hasLeader ? person(p.teachers.at(p.leaderIndex)) : QString();
    l.postIndex = p.postIndex;
    l.postAddress = p.postAddress;
    l.phone = p.phone;
    l.email = p.email;
    l.pictureWidth = p.hasPicture ? QString::number(p.pictureWidth) : QString();
    l.pictureHeight = p.hasPicture ? QString::number(p.pictureHeight) : QString();
    l.pictureCaption = p.hasPicture ? p.pictureCaption : QString();
    l.notes = p.notes;
    for (std::int32_t id : p.subjectSlots) {
        if (id != 0)
            l.sectionIds << id;
    }
    l.languageTicks = {p.languages.russian, p.languages.english, p.languages.german, p.languages.other};
    return l;
}

QString utcTime(qint64 seconds)
{
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).toString(Qt::ISODate);
}

// The offset of the machine's local time now, as a header shows it: "UTC+03:00".
QString offsetName(int offsetSeconds)
{
    const int minutes = std::abs(offsetSeconds) / 60;
    return QStringLiteral("UTC%1%2:%3")
        .arg(offsetSeconds < 0 ? QStringLiteral("-") : QStringLiteral("+"))
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString localTime(qint64 seconds, int offsetSeconds)
{
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::OffsetFromUTC, offsetSeconds)
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

const QString kResendHeader = QStringLiteral("Повтор");

// The columns of the CSV list, in order; the comment is last but for the resend, added after it
// so that imports of the older list keep working.
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
        {kResendHeader, 40},
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
QStringList csvRow(const Listed& l, const QString& resend)
{
    return {displayPath(l.path),
            utcTime(l.storedSeconds),
            l.title,
            l.sections,
            l.languages,
            l.authors.join(kJoin),
            l.teachers.join(kJoin),
            l.leader,
            l.postIndex,
            l.postAddress,
            l.phone,
            l.email,
            l.pictureWidth,
            l.pictureHeight,
            l.pictureCaption,
            l.notes,
            resend};
}

// The spreadsheet's list: the CSV's columns with the work's other texts, the time in local time,
// one person a line.
QList<SheetColumn> workColumns(int offsetSeconds)
{
    return {
        {QStringLiteral("Файл"), 32},
        {QStringLiteral("Сохранён (%1)").arg(offsetName(offsetSeconds)), 21},
        {QStringLiteral("Название"), 40, true},
        {QStringLiteral("Описание"), 60, true},
        {QStringLiteral("Технические требования"), 40, true},
        {QStringLiteral("Руководство"), 60, true},
        {QStringLiteral("Разделы"), 36, true},
        {QStringLiteral("Языки"), 28, true},
        {QStringLiteral("Авторы"), 45, true},
        {QStringLiteral("Руководители"), 45, true},
        {QStringLiteral("Получатель счёта"), 40, true},
        {QStringLiteral("Индекс"), 9},
        {QStringLiteral("Адрес"), 40, true},
        {QStringLiteral("Телефон"), 18},
        {QStringLiteral("Эл. почта"), 28},
        {QStringLiteral("Ширина рисунка"), 16},
        {QStringLiteral("Высота рисунка"), 16},
        {QStringLiteral("Подпись к рисунку"), 30, true},
        {QStringLiteral("Комментарий"), 60, true},
        {kResendHeader, 40, true},
    };
}

QStringList workRow(const Listed& l, const QString& resend, int offsetSeconds)
{
    return {displayPath(l.path),
            localTime(l.storedSeconds, offsetSeconds),
            l.title,
            l.description,
            l.techRequest,
            l.manual,
            l.sections,
            l.languages,
            l.authors.join(u'\n'),
            l.teachers.join(u'\n'),
            l.leader,
            l.postIndex,
            l.postAddress,
            l.phone,
            l.email,
            l.pictureWidth,
            l.pictureHeight,
            l.pictureCaption,
            l.notes,
            resend};
}

// Works, authors and supervisors per section and language, each work counted once.
class Counts
{
public:
    void add(const Listed& l)
    {
        const Count count{1, l.authors.size(), l.teachers.size()};
        m_total += count;
        for (int id : l.sectionIds)
            m_bySection[id] += count;
        for (qsizetype i = 0; i < l.languageTicks.size() && i < m_byLanguage.size(); ++i) {
            if (l.languageTicks.at(i))
                m_byLanguage[i] += count;
        }
    }

    void write(Spreadsheet& book, int sheet) const
    {
        for (int id = 1; id < Sections::kFirstLanguage; ++id) {
            if (!Sections::catalogueTitle(id).isEmpty())
                book.append(sheet, row(section(id), m_bySection.value(id)));
        }
        for (int i = 0; i <= Sections::kLastLanguage - Sections::kFirstLanguage; ++i)
            book.append(sheet, row(section(Sections::kFirstLanguage + i), m_byLanguage.at(i)));
        book.append(sheet, row(QStringLiteral("другой язык"), m_byLanguage.last()));
        book.append(sheet, row(QStringLiteral("Всего"), m_total));
    }

private:
    struct Count
    {
        qsizetype works = 0;
        qsizetype authors = 0;
        qsizetype teachers = 0;
        Count& operator+=(const Count& other)
        {
            works += other.works;
            authors += other.authors;
            teachers += other.teachers;
            return *this;
        }
    };

    static QList<SheetCell> row(const QString& what, const Count& count)
    {
        return {what, double(count.works), double(count.authors), double(count.teachers)};
    }

    QHash<int, Count> m_bySection;
    QList<Count> m_byLanguage = QList<Count>(4);
    Count m_total;
};

const QList<SheetColumn>& countColumns()
{
    static const QList<SheetColumn> columns = {
        {QStringLiteral("Раздел или язык"), 50},
        {QStringLiteral("Работ"), 10, false, true},
        {QStringLiteral("Авторов"), 10, false, true},
        {QStringLiteral("Руководителей"), 15, false, true},
    };
    return columns;
}

const QList<SheetColumn>& problemColumns()
{
    static const QList<SheetColumn> columns = {
        {QStringLiteral("Файл"), 50},
        {QStringLiteral("Ошибка"), 100, true},
    };
    return columns;
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

namespace {

// Every sound passport's Listed, kept in a file of its own while the folders are read.
class Spool
{
public:
    Spool() : m_file(QDir::tempPath() + QStringLiteral("/lumarinda-list-XXXXXX"))
    {
        if (!m_file.open())
            fail(QStringLiteral("не создан"));
        m_stream.setDevice(&m_file);
    }

    void add(const Listed& listed)
    {
        m_stream << listed;
        if (m_stream.status() != QDataStream::Ok)
            fail(QStringLiteral("не записан"));
    }

    // Back to the first, for reading in the order added.
    void rewind()
    {
        if (!m_file.flush() || !m_file.seek(0))
            fail(QStringLiteral("не записан"));
        m_stream.resetStatus();
    }

    Listed next()
    {
        Listed listed;
        m_stream >> listed;
        if (m_stream.status() != QDataStream::Ok)
            fail(QStringLiteral("не прочитан"));
        return listed;
    }

private:
    [[noreturn]] void fail(const QString& what) const
    {
        const int error = errno;
        throw OutputFailure(
            QStringLiteral("временный файл списка в «%1» %2: %3")
                .arg(displayPath(QFile::encodeName(QDir::tempPath())), what, lowerFirst(systemReason(error))));
    }

    QTemporaryFile m_file;
    QDataStream m_stream;
};

} // namespace

int listPassports(const PathList& roots, const QByteArray& outputPath, Output& out, Output& err)
{
    // Before the output, so that a temporary folder that takes no file leaves no empty list behind.
    Spool spool;
    const bool spreadsheet = namesSpreadsheet(outputPath);
    const QString shown = displayPath(outputPath);
    std::optional<Spreadsheet> book;
    std::optional<ListFile> file;
    if (spreadsheet)
        book.emplace(outputPath, shown);
    else if (!outputPath.isEmpty())
        file.emplace(outputPath, shown);

    // The machine's offset now, one for the whole column, so that its header tells it exactly.
    const int offset = QDateTime::currentDateTime().offsetFromUtc();
    int works = -1;
    int counts = -1;
    int problems = -1;
    if (book) {
        works = book->addSheet(QStringLiteral("Работы"), workColumns(offset), {true, true});
        counts = book->addSheet(QStringLiteral("Сводка"), countColumns());
        problems = book->addSheet(QStringLiteral("С ошибками"), problemColumns(), {true, false});
    }

    // A list that cannot be written is told before every passport has been read for nothing.
    Output& target = file ? file->output() : out;
    if (!book) {
        // Spreadsheets take a file without the mark for the local code page and garble Cyrillic.
        target << QChar(0xFEFF) + csvRecord(passportListHeader());
        target.flush();
    }

    bool allSound = true;
    QList<ResendKey> keys;
    PassportFileReport report;
    report.broken = [&](const QByteArray& path, const QString& problem) {
        allSound = false;
        err << reportLine(path, problem);
        err.flush();
        if (book)
            book->append(problems, QStringList{displayPath(path), displayText(problem)});
    };
    report.sound = [&](const QByteArray& path, const QByteArray& bytes, const ReadPassport& read) {
        keys.append(resendKey(path, bytes, read));
        spool.add(listed(path, read));
    };
    readPassportFiles(roots, report, err);
    const QList<Resend> resends = findResends(keys);
    spool.rewind();

    if (book) {
        Counts tally;
        for (const Resend& resend : resends) {
            const Listed l = spool.next();
            book->append(works, workRow(l, resendText(resend), offset));
            if (resend.kind == Resend::Kind::None)
                tally.add(l);
        }
        tally.write(*book, counts);
        book->save();
        return allSound ? kAllSound : kSomeBroken;
    }
    for (const Resend& resend : resends)
        target << csvRecord(csvRow(spool.next(), resendText(resend)));
    target.flush();
    if (file)
        file->close();
    return allSound ? kAllSound : kSomeBroken;
}
