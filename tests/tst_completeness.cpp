#include "core/passport/Completeness.h"
#include "core/shell/Windows1251.h"
#include "support/IncompleteMessage.h"
#include "support/Passports.h"

#include <QTest>

Q_DECLARE_METATYPE(PassportSnapshot)

namespace {

PassportSnapshot complete()
{
    PassportParts parts;
    parts.leaveOutExtras();
    parts.title = QStringLiteral("Работа");
    parts.description = QStringLiteral("Описание");
    parts.authors = {person(QStringLiteral("Иванов"), QStringLiteral("Иван"), QStringLiteral("Иванович"))};
    parts.teachers = {person(QStringLiteral("Петрова"), QStringLiteral("Анна"), QStringLiteral("Сергеевна"))};
    parts.leaderIndex = -1;
    parts.subjectSlots = {2, 0, 0, 0, 0};
    return fullPassport(parts);
}

} // namespace

class CompletenessTest : public QObject
{
    Q_OBJECT

private slots:
    void missingItems_data();
    void missingItems();
    void messageRightAfterStartUp();
};

void CompletenessTest::missingItems_data()
{
    QTest::addColumn<PassportSnapshot>("passport");
    QTest::addColumn<QString>("missing");

    QTest::newRow("complete, contacts, picture and comment empty") << complete() << "";

    PassportSnapshot p = complete();
    p.title = QStringLiteral("   ");
    p.description = QStringLiteral("\r\n\r\n");
    QTest::newRow("blank title, line breaks for description") << p << " - Название работы\n - Описание работы\n";

    p = complete();
    p.title = QStringLiteral("\t\uFFFF\u0001 ");
    QTest::newRow("title of characters the file cannot carry") << p << " - Название работы\n";

    p = complete();
    p.title = QStringLiteral("\u00a0");
    QTest::newRow("no-break space is text") << p << "";

    p = complete();
    p.subjectSlots = {0, 0, 0, 0, 0};
    QTest::newRow("no section") << p << " - Не задан ни один раздел\n";

    p = complete();
    p.authors = {person("Иванов", "Иван", ""), person("", "Пётр", "Петрович")};
    QTest::newRow("first gap wins across authors") << p << " - Отчества у всех авторов\n";

    p = complete();
    p.authors = {person("", "", "")};
    QTest::newRow("surname before name before patronymic") << p << " - Фамилии у всех авторов\n";

    p = complete();
    p.authors = {person("Иванов", " \t ", "Иванович")};
    QTest::newRow("blank name") << p << " - Имена у всех авторов\n";

    p = complete();
    p.teachers = {person("Петрова", "Анна", "Сергеевна"), person("Сидоров", "", "Ильич")};
    QTest::newRow("only a supervisor's name") << p << " - Имена у всех руководителей\n";

    p = complete();
    p.teachers = {person("Петрова", "Анна", "")};
    QTest::newRow("supervisor patronymic") << p << " - Отчества у всех руководителей\n";

    p = complete();
    p.teachers = {person("", "Анна", "")};
    QTest::newRow("supervisor surname") << p << " - Фамилии у всех руководителей\n";

    p = complete();
    p.teachers.clear();
    QTest::newRow("no supervisor") << p << " - Не указан ни один руководитель\n";

    p = complete();
    p.authors = {person("😀", "?", "Ёжиков")};
    QTest::newRow("a name of characters outside the code page is filled") << p << "";

    p = PassportSnapshot();
    p.authors = {person("", "", "")};
    p.teachers = {person("А", "Б", "")};
    QTest::newRow("one line per step, five at most")
        << p
        << " - Название работы\n - Описание работы\n - Не задан ни один раздел\n - Фамилии у всех авторов\n"
           " - Отчества у всех руководителей\n";
}

void CompletenessTest::missingItems()
{
    QFETCH(PassportSnapshot, passport);
    QFETCH(QString, missing);
    QCOMPARE(CheckCompleteness(passport), missing);
}

void CompletenessTest::messageRightAfterStartUp()
{
    const QString text = incompletePassportMessage(CheckCompleteness(PassportSnapshot()));
    QCOMPARE(text.split(u'\n'), kIncompleteAtStartUpLines);
    QCOMPARE(kIncompletePassportCaption, QStringLiteral("Неполная информация"));
}

QTEST_APPLESS_MAIN(CompletenessTest)
#include "tst_completeness.moc"
