// The people and contacts remembered: the lists' text and its round trip, newest names winning,
// the bounds, lists that are damaged, foreign, too big or links set aside with one message; on the
// window, names filled in for a known identifier and contact completions from saved passports.

#include "committee/ForgetPerson.h"
#include "core/people/PeopleMemory.h"
#include "core/shell/Failure.h"
#include "support/EditorTest.h"
#include "support/Files.h"
#include "support/Passports.h"

#include <QCompleter>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QStringListModel>
#include <functional>
#include <sys/stat.h>

namespace {

KnownPerson known(int n, const QString& surname, const QString& name, const QString& patronymic)
{
    return {participantId(n), surname, name, patronymic};
}

int modeOf(const QString& path)
{
    struct stat info
    {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return int(info.st_mode & 07777);
}

using Plant = std::function<void(const QString& path)>;

} // namespace

Q_DECLARE_METATYPE(Plant)

class PeopleTest : public EditorTest
{
    Q_OBJECT

private slots:
    void init() { createEditor(); }
    void cleanup() { destroyEditor(); }

    void roundTrip();
    void fileText();
    void newestNamesWin();
    void boundedList();
    void badList_data();
    void badList();
    void rememberedFromSavedOpenedRestored();
    void listIsPrivate();
    void forget();
    void forgetCommand_data();
    void forgetCommand();
    void knownPupilFilledIn();
    void unknownIdentifierFillsNothing();
    void contactCompletionsFromSavedPassports();

private:
    TPasport& window() const { return *m_windows->Pasport; }
    QString listPath() const { return m_services->dataFolderPath + QStringLiteral("/people.txt"); }
    void savePassport(const PassportSnapshot& passport, const QString& name)
    {
        window().loadPassport({passport, 0, {}});
        m_services->saveFileAnswers.push_back(saveFolder() + name);
        user().press("SaveButton");
        QVERIFY(m_services->saveFileAnswers.empty());
        QCOMPARE(m_services->messages.size(), 1);
        QCOMPARE(m_services->messages[0].caption, QStringLiteral("Паспорт сохранен"));
        m_services->messages.clear();
    }
};

void PeopleTest::roundTrip()
{
    const QList<KnownPerson> people = {
        known(1, QStringLiteral("Иванов"), QStringLiteral("Иван"), QStringLiteral("Иванович")),
        known(2, QStringLiteral("Tab\there"), QStringLiteral("back\\slash"), QStringLiteral("line\nbreak\r")),
        known(3, QString(), QStringLiteral("Ёлка 🎄"), QString()),
        known(4, QStringLiteral("\x01\x1f"), QStringLiteral("\\x41"), QStringLiteral("end\\")),
    };
    QCOMPARE(parsePeople(serializePeople(people)), people);
    const QList<KnownContacts> contacts = {
        {QStringLiteral("620000"), QStringLiteral("ул. Ленина\t1"), QStringLiteral("+7"), QStringLiteral("a@b.c")},
        {QString(), QString(), QString(), QStringLiteral("x@y.z")},
    };
    QCOMPARE(parseContacts(serializeContacts(contacts)), contacts);
    QCOMPARE(parsePeople(serializePeople({})), QList<KnownPerson>());
}

void PeopleTest::fileText()
{
    const QByteArray text =
        serializePeople({{"100-000-050", QStringLiteral("Петров"), QStringLiteral("Пётр"), QStringLiteral("a\tb")}});
    QCOMPARE(text, QByteArray("lumarinda-passport people 1\n"
                              "100-000-050\t\xD0\x9F\xD0\xB5\xD1\x82\xD1\x80\xD0\xBE\xD0\xB2\t"
                              "\xD0\x9F\xD1\x91\xD1\x82\xD1\x80\ta\\x09b\n"));
}

void PeopleTest::newestNamesWin()
{
    const QList<KnownPerson> old = {known(1, QStringLiteral("Старая"), QString(), QString()),
                                    known(2, QStringLiteral("Другой"), QString(), QString())};
    const QList<KnownPerson> merged = withPeople(old, {known(1, QStringLiteral("Новая"), QString(), QString())});
    QCOMPARE(merged, QList<KnownPerson>({known(1, QStringLiteral("Новая"), QString(), QString()),
                                         known(2, QStringLiteral("Другой"), QString(), QString())}));
}

void PeopleTest::boundedList()
{
    QList<KnownPerson> many;
    for (int i = 0; i < 2100; ++i)
        many.append(known(i, QStringLiteral("Ф%1").arg(i), QString(), QString()));
    const QList<KnownPerson> kept = withPeople({}, many);
    QCOMPARE(kept.size(), 2000);
    QCOMPARE(kept.constLast().surname, QStringLiteral("Ф1999"));
}

void PeopleTest::badList_data()
{
    QTest::addColumn<Plant>("plant");
    QTest::addColumn<QString>("reason");
    const QByteArray header = "lumarinda-passport people 1\n";
    const QByteArray good = QByteArray(participantId(1)) + "\tИванов\tИван\tИванович\n";
    const auto bytes = [](const QByteArray& content) {
        return Plant([content](const QString& path) { writeFileBytes(path, content); });
    };
    QTest::newRow("garbage") << bytes("\x01\x02 not a list") << QStringLiteral("это не список этой программы");
    QTest::newRow("foreign list") << bytes("id,surname\n1,2\n") << QStringLiteral("это не список этой программы");
    QTest::newRow("later version") << bytes("lumarinda-passport people 2\n")
                                   << QStringLiteral("это не список этой программы");
    QTest::newRow("wrong check code") << bytes(header + "100-000-051\tИванов\tИван\tИванович\n")
                                      << QStringLiteral("файл поврежден");
    QTest::newRow("three fields") << bytes(header + QByteArray(participantId(1)) + "\tИванов\tИван\n")
                                  << QStringLiteral("файл поврежден");
    QTest::newRow("code of a printable character")
        << bytes(header + QByteArray(participantId(1)) + "\tИв\\x41\t\t\n") << QStringLiteral("файл поврежден");
    QTest::newRow("unknown escape") << bytes(header + QByteArray(participantId(1)) + "\tИв\\qанов\t\t\n")
                                    << QStringLiteral("файл поврежден");
    QTest::newRow("not UTF-8") << bytes(header + QByteArray(participantId(1)) + "\t\xC8\xE2\xE0\xED\t\t\n")
                               << QStringLiteral("файл поврежден");
    QTest::newRow("cut short") << bytes(header + good.left(good.size() - 3)) << QStringLiteral("файл поврежден");
    QTest::newRow("name too long") << bytes(header + QByteArray(participantId(1)) + '\t' + QByteArray(51, 'a') +
                                            "\t\t\n")
                                   << QStringLiteral("файл поврежден");
    QTest::newRow("huge") << bytes(header + good.repeated(6000)) << QStringLiteral("файл слишком велик");
    QTest::newRow("too many people") << bytes(header + good.repeated(2001)) << QStringLiteral("файл слишком велик");
    QTest::newRow("link") << Plant([](const QString& path) {
        const QString target = QFileInfo(path).dir().filePath(QStringLiteral("elsewhere.txt"));
        writeFileBytes(target, "lumarinda-passport people 1\n");
        QVERIFY(QFile::link(target, path));
    }) << QStringLiteral("это ссылка, а не файл");
    QTest::newRow("folder") << Plant([](const QString& path) { QVERIFY(QDir().mkpath(path)); })
                            << QStringLiteral("это не файл");
}

// Set aside with one message naming the list and why; the editor goes on with a new list, and
// never takes names from the bad one.
void PeopleTest::badList()
{
    QFETCH(Plant, plant);
    QFETCH(QString, reason);
    const QString folder = m_services->dataFolder();
    plant(listPath());

    PeopleMemory memory(*m_services);
    QVERIFY(!memory.find(participantId(1)));
    QCOMPARE(m_services->messages.size(), 1);
    QCOMPARE(m_services->messages[0].text,
             QStringLiteral("Список «%1people.txt» не читается: %2.\nОн перенесен в папку «%1unreadable», "
                            "начат новый список.")
                 .arg(folder, reason));
    QCOMPARE(m_services->messages[0].icon, DesktopServices::Icon::Warning);
    QVERIFY(QFileInfo::exists(folder + QStringLiteral("unreadable/people.txt")) ||
            QFileInfo(folder + QStringLiteral("unreadable/people.txt")).isSymLink());

    PassportSnapshot passport;
    passport.authors = {person(5, QStringLiteral("Новиков"), QStringLiteral("Нил"), QString())};
    memory.rememberPeople(passport);
    QCOMPARE(memory.find(participantId(5))->surname, QStringLiteral("Новиков"));
    QCOMPARE(m_services->messages.size(), 1);
}

void PeopleTest::rememberedFromSavedOpenedRestored()
{
    PassportSnapshot saved;
    saved.title = QStringLiteral("Сохраненная");
    saved.description = QStringLiteral("Описание");
    saved.subjectSlots = {2, 0, 0, 0, 0};
    saved.authors = {person(1, QStringLiteral("Иванов"), QStringLiteral("Иван"), QStringLiteral("Иванович"))};
    saved.teachers = {person(3, QStringLiteral("Петров"), QStringLiteral("Пётр"), QStringLiteral("Петрович"))};
    saved.leaderIndex = 0;
    savePassport(saved, QStringLiteral("saved.qdx.xml"));
    PeopleMemory memory(*m_services);
    QCOMPARE(memory.find(participantId(1))->patronymic, QStringLiteral("Иванович"));
    QCOMPARE(memory.find(participantId(3))->name, QStringLiteral("Пётр"));

    PassportSnapshot opened = saved;
    opened.authors = {person(7, QStringLiteral("Открытая"), QStringLiteral("Ольга"), QString())};
    const QString path = saveFolder() + QStringLiteral("opened.qdx.xml");
    writeFileBytes(path, serializePassportDocument(BuildPassportDocument(opened, PassportDocumentKind::Saved, 1)));
    m_services->answers.push_back(DesktopServices::Answer::Yes);
    window().openPassport(path);
    QCOMPARE(memory.find(participantId(7))->surname, QStringLiteral("Открытая"));
    QCOMPARE(memory.find(participantId(1))->surname, QStringLiteral("Иванов"));
}

void PeopleTest::listIsPrivate()
{
    PeopleMemory memory(*m_services);
    PassportSnapshot passport;
    passport.authors = {person(1, QStringLiteral("Иванов"), QString(), QString())};
    memory.rememberPeople(passport);
    QCOMPARE(modeOf(listPath()), 0600);
    QCOMPARE(modeOf(m_services->dataFolderPath), 0700);
}

void PeopleTest::forget()
{
    PeopleMemory memory(*m_services);
    PassportSnapshot passport;
    passport.authors = {person(1, QStringLiteral("Иванов"), QString(), QString()),
                        person(2, QStringLiteral("Петров"), QString(), QString())};
    memory.rememberPeople(passport);
    QVERIFY(memory.forget(participantId(1)));
    QVERIFY(!memory.find(participantId(1)));
    QCOMPARE(memory.find(participantId(2))->surname, QStringLiteral("Петров"));
    QVERIFY(!memory.forget(participantId(1)));
}

void PeopleTest::forgetCommand_data()
{
    QTest::addColumn<Plant>("plant");
    QTest::addColumn<QByteArrayList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("said");
    QTest::addColumn<QString>("left"); // the surnames after a change; empty: the file as it was
    const QByteArray list = serializePeople({known(1, QStringLiteral("Иванов"), QString(), QString()),
                                             known(2, QStringLiteral("Петров"), QString(), QString())});
    const Plant sound = [list](const QString& path) { writeFileBytes(path, list); };
    const QString first = QString::fromLatin1(participantId(1));
    QTest::newRow("known") << sound << QByteArrayList{participantId(1)} << 0
                           << QStringLiteral("Участник %1 удален из списка.\n").arg(first) << QStringLiteral("Петров");
    QTest::newRow("typed without hyphens")
        << sound << QByteArrayList{participantId(1).replace('-', "")} << 0
        << QStringLiteral("Участник %1 удален из списка.\n").arg(first) << QStringLiteral("Петров");
    QTest::newRow("not in the list")
        << sound << QByteArrayList{participantId(3)} << 0
        << QStringLiteral("Участника %1 нет в списке.\n").arg(QString::fromLatin1(participantId(3))) << QString();
    QTest::newRow("no list yet") << Plant([](const QString&) {}) << QByteArrayList{participantId(1)} << 0
                                 << QStringLiteral("Участника %1 нет в списке.\n").arg(first) << QString();
    const QString usage = QStringLiteral("Использование: lumarinda-passport --forget-person ID (ID участника вида "
                                         "123-456-789 с верным контрольным кодом)\n");
    QTest::newRow("wrong check code") << sound << QByteArrayList{"100-000-051"} << 2 << usage
                                      << QStringLiteral("Иванов,Петров");
    QTest::newRow("no identifier") << sound << QByteArrayList{} << 2 << usage << QStringLiteral("Иванов,Петров");
    QTest::newRow("two identifiers") << sound << QByteArrayList{participantId(1), participantId(2)} << 2 << usage
                                     << QStringLiteral("Иванов,Петров");
    QTest::newRow("damaged list") << Plant([](const QString& path) { writeFileBytes(path, "garbage"); })
                                  << QByteArrayList{participantId(1)} << 1
                                  << QStringLiteral("Список участников не изменен: это не список этой программы.\n")
                                  << QString();
    QTest::newRow("link") << Plant([list](const QString& path) {
        writeFileBytes(path + QStringLiteral(".real"), list);
        QVERIFY(QFile::link(path + QStringLiteral(".real"), path));
    }) << QByteArrayList{participantId(1)}
                          << 1 << QStringLiteral("Список участников не изменен: это не файл.\n") << QString();
}

// What the terminal reads, and what the list holds afterwards.
void PeopleTest::forgetCommand()
{
    QFETCH(Plant, plant);
    QFETCH(QByteArrayList, arguments);
    QFETCH(int, status);
    QFETCH(QString, said);
    QFETCH(QString, left);
    const QString folder = m_services->dataFolder();
    plant(folder + QStringLiteral("people.txt"));
    const QByteArray before = readAll(folder + QStringLiteral("people.txt"));
    QByteArray outText;
    QByteArray errText;
    Output out(outText);
    Output err(errText);
    QCOMPARE(forgetPersonCommand(folder, arguments, out, err), status);
    QCOMPARE(QString::fromUtf8(status == 0 ? outText : errText), said);
    QVERIFY((status == 0 ? errText : outText).isEmpty());
    if (status != 0 || left.isEmpty()) {
        QCOMPARE(readAll(folder + QStringLiteral("people.txt")), before);
        return;
    }
    QStringList surnames;
    for (const KnownPerson& person : parsePeople(readAll(folder + QStringLiteral("people.txt"))))
        surnames << person.surname;
    QCOMPARE(surnames.join(u','), left);
    QCOMPARE(modeOf(folder + QStringLiteral("people.txt")), 0600);
}

void PeopleTest::knownPupilFilledIn()
{
    PeopleMemory memory(*m_services);
    PassportSnapshot passport;
    passport.authors = {person(1, QStringLiteral("Иванов"), QStringLiteral("Иван"), QStringLiteral("Иванович"))};
    memory.rememberPeople(passport);

    user().openPage("Authors_n_teacheersTSh");
    user().addPerson(kAuthors, QString::fromLatin1(participantId(1)));
    QCOMPARE(find<QLineEdit>("AuthorsLastname")->text(), QStringLiteral("Иванов"));
    QCOMPARE(find<QLineEdit>("AuthorsName")->text(), QStringLiteral("Иван"));
    QCOMPARE(find<QLineEdit>("AuthorsPatronymic")->text(), QStringLiteral("Иванович"));
    QVERIFY(!find<QLineEdit>("AuthorsName")->isReadOnly());
    QCOMPARE(window().passportSnapshot().authors.constFirst().surname, toCp1251(QStringLiteral("Иванов")));

    // Still editable: the change is what the passport holds.
    user().typeNames(kAuthors, {QStringLiteral("Иванова"), QStringLiteral("Ивана"), QString()});
    QCOMPARE(fromCp1251(window().passportSnapshot().authors.constFirst().surname), QStringLiteral("Иванова"));
}

void PeopleTest::unknownIdentifierFillsNothing()
{
    PeopleMemory memory(*m_services);
    PassportSnapshot passport;
    passport.authors = {person(1, QStringLiteral("Иванов"), QStringLiteral("Иван"), QStringLiteral("Иванович"))};
    memory.rememberPeople(passport);

    user().openPage("Authors_n_teacheersTSh");
    user().addPerson(kTeachers, QString::fromLatin1(participantId(2)));
    QCOMPARE(find<QLineEdit>("TeachersLastname")->text(), QString());
    QCOMPARE(find<QLineEdit>("TeachersName")->text(), QString());
    QVERIFY(m_services->messages.isEmpty());
}

// A new passport's contact fields stay empty; typing in them offers what this user saved.
void PeopleTest::contactCompletionsFromSavedPassports()
{
    PassportSnapshot first;
    first.title = QStringLiteral("Первая");
    first.description = QStringLiteral("Описание");
    first.subjectSlots = {2, 0, 0, 0, 0};
    first.authors = {person(1, QStringLiteral("Иванов"), QStringLiteral("Иван"), QStringLiteral("Ильич"))};
    first.teachers = {person(3, QStringLiteral("Петров"), QStringLiteral("Пётр"), QStringLiteral("Ильич"))};
    first.leaderIndex = 0;
    first.postAddress = QStringLiteral("г. Пермь, ул. Мира, д. 2");
    first.email = QStringLiteral("school@example.org");
    savePassport(first, QStringLiteral("first.qdx.xml"));

    m_windows.reset();
    m_windows = std::make_unique<EditorWindows>(*m_services);
    QCOMPARE(window().passportSnapshot().postAddress, QString());
    auto* address = find<QLineEdit>("public_post_address");
    QFocusEvent entered(QEvent::FocusIn);
    QCoreApplication::sendEvent(address, &entered);
    auto* model = qobject_cast<QStringListModel*>(address->completer()->model());
    QVERIFY(model);
    QCOMPARE(model->stringList(), QStringList({QStringLiteral("г. Пермь, ул. Мира, д. 2")}));
    auto* email = find<QLineEdit>("public_email");
    QCOMPARE(qobject_cast<QStringListModel*>(email->completer()->model())->stringList(),
             QStringList({QStringLiteral("school@example.org")}));
    QCOMPARE(qobject_cast<QStringListModel*>(find<QLineEdit>("public_phone")->completer()->model())->stringList(),
             QStringList());
}

QTEST_MAIN(PeopleTest)
#include "tst_people.moc"
