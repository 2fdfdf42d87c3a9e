#include "core/shell/SystemReason.h"
#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <cstring>
#include <sys/resource.h>
#include <unistd.h>

// The reasons the program gives for files the system refused, from the text Qt reports after a
// real failure: run in the C locale and on a Russian desktop, where the C library speaks Russian
// and Qt still words some errors in English.
class SystemReasonTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void reasonForWhatQtReports_data();
    void reasonForWhatQtReports();
    void textNamingNoError();

private:
    QTemporaryDir m_dir;
};

namespace {

// The unprivileged user's id, to meet a permission check as root.
constexpr uid_t kNobody = 65534;

// Opens the path as told and, for writing, writes and flushes a byte; Qt's text for the failure.
QString qtFailureText(const QString& path, QIODevice::OpenMode mode)
{
    QFile file(path);
    if (!file.open(mode))
        return file.errorString();
    if (mode & QIODevice::WriteOnly && (file.write("x", 1) != 1 || !file.flush()))
        return file.errorString();
    return QStringLiteral("no failure");
}

} // namespace

void SystemReasonTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // A Russian run in a locale the system lacks would quietly test the C locale again.
    if (qEnvironmentVariable("LC_ALL").startsWith(QLatin1String("ru_RU")))
        QVERIFY2(QString::fromLocal8Bit(std::strerror(EACCES)) != QLatin1String("Permission denied"),
                 "the ru_RU.UTF-8 locale is missing: run scripts/install-deps.sh");
}

void SystemReasonTest::reasonForWhatQtReports_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("reason");
    QTest::newRow("folder without write permission") << "unwritable"
                                                     << "Доступ запрещен";
    QTest::newRow("vanished folder") << "vanished"
                                     << "Файл или папка не существует";
    QTest::newRow("full disk") << "full"
                               << "На диске нет места";
    QTest::newRow("too many open files") << "descriptors"
                                         << "Открыто слишком много файлов";
    QTest::newRow("a file where a folder should be") << "not a folder"
                                                     << "Часть пути не является папкой";
    QTest::newRow("a folder opened as a file") << "folder"
                                               << "Это папка, а не файл";
    QTest::newRow("overlong name") << "long name"
                                   << "Слишком длинное имя файла";
}

void SystemReasonTest::reasonForWhatQtReports()
{
    QFETCH(QString, failure);
    QFETCH(QString, reason);
    const QString dir = m_dir.path() + u'/' + QString::fromUtf8(QTest::currentDataTag()) + u'/';
    QVERIFY(QDir().mkpath(dir));
    constexpr auto write = QIODevice::WriteOnly;
    QString text;
    if (failure == QLatin1String("unwritable")) {
        const bool root = ::geteuid() == 0;
        QVERIFY(QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                               QFileDevice::ExeOther));
        if (root && ::seteuid(kNobody) != 0)
            QSKIP("root cannot act as an unprivileged user here");
        text = qtFailureText(dir + QStringLiteral("Работа.qdx.xml"), write);
        if (root)
            QCOMPARE(::seteuid(0), 0);
        QVERIFY(QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    } else if (failure == QLatin1String("vanished")) {
        QVERIFY(QDir(dir).removeRecursively());
        text = qtFailureText(dir + QStringLiteral("Работа.qdx.xml"), write);
    } else if (failure == QLatin1String("full")) {
        text = qtFailureText(QStringLiteral("/dev/full"), write);
    } else if (failure == QLatin1String("descriptors")) {
        rlimit original{};
        QCOMPARE(::getrlimit(RLIMIT_NOFILE, &original), 0);
        const rlimit none{0, original.rlim_max};
        QCOMPARE(::setrlimit(RLIMIT_NOFILE, &none), 0);
        text = qtFailureText(QStringLiteral("/dev/null"), QIODevice::ReadOnly);
        QCOMPARE(::setrlimit(RLIMIT_NOFILE, &original), 0);
    } else if (failure == QLatin1String("not a folder")) {
        QVERIFY(writeAll(dir + QStringLiteral("Работы"), "a file"));
        text = qtFailureText(dir + QStringLiteral("Работы/Работа.qdx.xml"), write);
    } else if (failure == QLatin1String("folder")) {
        text = qtFailureText(m_dir.path(), write);
    } else if (failure == QLatin1String("long name")) {
        text = qtFailureText(dir + QString(300, u'я'), write);
    }
    QCOMPARE(systemReason(text), reason);
}

void SystemReasonTest::textNamingNoError()
{
    QCOMPARE(systemReason(QStringLiteral("Cannot rename the file")), QStringLiteral("Системная ошибка"));
    QCOMPARE(systemReason(QString()), QStringLiteral("Системная ошибка"));
}

QTEST_GUILESS_MAIN(SystemReasonTest)
#include "tst_system_reason.moc"
