#include "core/passport/PassportRecord.h"
#include "core/sections/SectionCatalogue.h"
#include "core/shell/Failure.h"
#include "core/shell/TempFolder.h"
#include "core/shell/Trimming.h"
#include "core/shell/Windows1251.h"
#include "support/Failures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

class RecordTest : public QObject
{
    Q_OBJECT

private slots:
    void catalogueTitles_data();
    void catalogueTitles();
    void checkBoxCaptionsDifferWhereTheyShould();
    void recordStartsEmpty();
    void cp1251_data();
    void cp1251();
    void cp1251EveryByteRoundTrips();
    void trimmingRemovesControlsAtTheEndsOnly_data();
    void trimmingRemovesControlsAtTheEndsOnly();
    void privateFolderIsCreatedClosed();
    void privateFolderRefusesUntrustedPaths();
    void privateFolderRefusesAnotherOwner();
};

void RecordTest::catalogueTitles_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("title");
    QTest::newRow("0") << 0 << "";
    QTest::newRow("1") << 1 << "Астрономия, космонавтика и авиация";
    QTest::newRow("6 not the caption") << 6 << "Лингвистика";
    QTest::newRow("21") << 21 << "Краеведение";
    QTest::newRow("22") << 22 << "В помощь учителю";
    QTest::newRow("23 unassigned") << 23 << "";
    QTest::newRow("24 not the caption") << 24 << "Конкурс «Учебный проект»";
    QTest::newRow("25 capitalised") << 25 << "Русский язык";
    QTest::newRow("27") << 27 << "Немецкий язык";
    QTest::newRow("28 has no title") << 28 << "";
    QTest::newRow("negative") << -1 << "";
}

void RecordTest::catalogueTitles()
{
    QFETCH(int, id);
    QFETCH(QString, title);
    QCOMPARE(Sections::catalogueTitle(id), title);
}

void RecordTest::checkBoxCaptionsDifferWhereTheyShould()
{
    QCOMPARE(Sections::checkBoxCaption(6), QStringLiteral("Лингвистика:"));
    QCOMPARE(Sections::checkBoxCaption(24), QStringLiteral("Учебный проект"));
    QCOMPARE(Sections::checkBoxCaption(25), QStringLiteral("русский язык"));
    QCOMPARE(Sections::checkBoxCaption(28), QStringLiteral("другое"));
    QVERIFY(Sections::checkBoxCaption(23).isEmpty());
    int differing = 0;
    for (int id = 1; id <= 27; ++id) {
        if (Sections::checkBoxCaption(id) != Sections::catalogueTitle(id))
            ++differing;
    }
    QCOMPARE(differing, 5); // 6, 24, 25, 26, 27
    QCOMPARE(Sections::kindOf(15), Sections::Kind::Research);
    QCOMPARE(Sections::kindOf(16), Sections::Kind::Other);
    QCOMPARE(Sections::kindOf(23), Sections::Kind::None);
    QVERIFY(Sections::isMain(21));
    QVERIFY(!Sections::isMain(22));
}

void RecordTest::recordStartsEmpty()
{
    const PassportRecord record;
    QCOMPARE(record.SeasonId, 13);
    for (const ParticipantEntry& entry : record.Authors)
        QCOMPARE(entry, ParticipantEntry{});
    for (const ParticipantEntry& entry : record.Teachers)
        QCOMPARE(entry, ParticipantEntry{});
    for (std::int32_t slot : record.SubjectSlots)
        QCOMPARE(slot, 0);
    QCOMPARE(record.Authors.size(), 10u);
    QCOMPARE(record.Teachers.size(), 3u);
    for (int id = 0; id < 28; ++id)
        QCOMPARE(fromCp1251(record.SubjectTitles[id]), Sections::catalogueTitle(id));
    QCOMPARE(record.SubjectTitles[6], QByteArray("\xCB\xE8\xED\xE3\xE2\xE8\xF1\xF2\xE8\xEA\xE0"));
}

void RecordTest::cp1251_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ascii") << "Ivanov 1" << QByteArray("Ivanov 1");
    QTest::newRow("cyrillic") << "Ёжик ёж" << QByteArray("\xA8\xE6\xE8\xEA \xB8\xE6");
    QTest::newRow("quotes and dash") << "«—…»" << QByteArray("\xAB\x97\x85\xBB");
    QTest::newRow("ukrainian") << "Ґї" << QByteArray("\xA5\xBF");
    QTest::newRow("latin accent missing") << "é" << QByteArray("?");
    QTest::newRow("cjk missing") << "名" << QByteArray("?");
    QTest::newRow("emoji is one character") << "a😀b" << QByteArray("a?b");
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QByteArray("?");
}

void RecordTest::cp1251()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(toCp1251(text), bytes);
}

void RecordTest::cp1251EveryByteRoundTrips()
{
    for (int value = 0; value < 256; ++value) {
        const QByteArray byte(1, static_cast<char>(value));
        const QString text = fromCp1251(byte);
        QCOMPARE(text.size(), 1);
        QCOMPARE(toCp1251(text), byte);
    }
    QCOMPARE(fromCp1251("\xC0\xFF"), QStringLiteral("Ая"));
}

void RecordTest::trimmingRemovesControlsAtTheEndsOnly_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("trimmed");
    QTest::newRow("blanks") << "  a b  "
                            << "a b";
    QTest::newRow("line breaks") << "\r\n\r\n"
                                 << "";
    QTest::newRow("controls") << QString("\x01\t a\x1f") << "a";
    QTest::newRow("inner kept") << "a\r\nb"
                                << "a\r\nb";
    QTest::newRow("no-break space kept") << "\u00a0a\u00a0"
                                         << "\u00a0a\u00a0";
    QTest::newRow("del kept") << "\x7f"
                              << "\x7f";
}

void RecordTest::trimmingRemovesControlsAtTheEndsOnly()
{
    QFETCH(QString, text);
    QFETCH(QString, trimmed);
    QCOMPARE(trimControls(text), trimmed);
    QCOMPARE(trimControls(toCp1251(text)), toCp1251(trimmed));
}

void RecordTest::privateFolderIsCreatedClosed()
{
    QTemporaryDir base;
    const QString path = base.filePath(QStringLiteral("lumarinda"));
    QCOMPARE(preparePrivateFolder(path), path + u'/');
    struct stat info
    {};
    QCOMPARE(::lstat(QFile::encodeName(path).constData(), &info), 0);
    QVERIFY(S_ISDIR(info.st_mode));
    QCOMPARE(info.st_mode & 0777, 0700u);

    // An existing folder of ours that others could enter is closed again.
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0755), 0);
    QCOMPARE(preparePrivateFolder(path + u'/'), path + u'/');
    QCOMPARE(::lstat(QFile::encodeName(path).constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, 0700u);
}

void RecordTest::privateFolderRefusesUntrustedPaths()
{
    QTemporaryDir base;
    const QString target = base.filePath(QStringLiteral("victim"));
    QVERIFY(QDir().mkdir(target));
    const QString link = base.filePath(QStringLiteral("link"));
    QVERIFY(QFile::link(target, link));
    const QString linkRefused = failureOf([&] { preparePrivateFolder(link); });
    QVERIFY2(linkRefused.contains(QStringLiteral("символической ссылкой")), "a symbolic link was accepted");
    QVERIFY(linkRefused.contains(link));

    const QString file = base.filePath(QStringLiteral("file"));
    QFile plain(file);
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    QVERIFY_THROWS_EXCEPTION(Failure, preparePrivateFolder(file));
}

void RecordTest::privateFolderRefusesAnotherOwner()
{
    if (::geteuid() != 0)
        QSKIP("only root can hand a folder to another user");
    QTemporaryDir base;
    const QString path = base.filePath(QStringLiteral("foreign"));
    QVERIFY(QDir().mkdir(path));
    QCOMPARE(::chown(QFile::encodeName(path).constData(), 4242, 4242), 0);
    QVERIFY2(failureOf([&] { preparePrivateFolder(path); }).contains(QStringLiteral("другому пользователю")),
             "a folder of another user was accepted");
}

QTEST_APPLESS_MAIN(RecordTest)
#include "tst_record.moc"
