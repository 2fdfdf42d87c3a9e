#include "core/participants/ParticipantId.h"
#include "core/shell/Windows1251.h"
#include "support/EditorTest.h"
#include "support/FakeServices.h"
#include "support/Typing.h"
#include "windows/Form.h"
#include "windows/NameMarks.h"
#include "windows/Startup.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <memory>

namespace {

// A valid identifier in display form built from a seven-digit base.
QString validId(int base)
{
    const QByteArray digits = QByteArray::number(base);
    return QString::fromLatin1(FormatParticipantId(digits + ParticipantCheckCode(digits)));
}

} // namespace

class ParticipantsTest : public EditorTest
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void addShowsTheDisplayForm_data();
    void addShowsTheDisplayForm();
    void refusedAddsChangeNothing_data();
    void refusedAddsChangeNothing();
    void repeatInOwnListSelectsIt_data();
    void repeatInOwnListSelectsIt();
    void repeatInOtherListSelectsThereWithMessage_data();
    void repeatInOtherListSelectsThereWithMessage();
    void limits_data();
    void limits();
    void deletion_data();
    void deletion();
    void deletionAnsweredNo_data();
    void deletionAnsweredNo();
    void deletingTheOnlyAuthor();
    void deletingTheOnlySupervisor();
    void recipientFollowsDeletionsAndAdditions();
    void namesStayWithTheirEntry_data();
    void namesStayWithTheirEntry();
    void listKeepsItsSelection();
    void charactersOutsideCp1251Marked_data();
    void charactersOutsideCp1251Marked();

private:
    static const PeopleGroup& group(const QString& name) { return name == u"authors" ? kAuthors : kTeachers; }
    static const PeopleGroup& other(const QString& name) { return name == u"authors" ? kTeachers : kAuthors; }
    const ParticipantEntry& entry(const PeopleGroup& g, int place) const;

    QStringList shownNames(const PeopleGroup& g) const;
    QStringList items(const PeopleGroup& g) const;
    int selectedRow(const PeopleGroup& g) const;
    QStringList describe() const;
};

void ParticipantsTest::init()
{
    createEditor();
    m_windows->Pasport->show();
    find<QTabWidget>("SectionsTabs")->setCurrentIndex(2);
}

void ParticipantsTest::cleanup()
{
    destroyEditor();
}

const ParticipantEntry& ParticipantsTest::entry(const PeopleGroup& g, int place) const
{
    const PassportRecord& record = m_windows->Pasport->record();
    return &g == &kAuthors ? record.Authors.at(place) : record.Teachers.at(place);
}

QStringList ParticipantsTest::shownNames(const PeopleGroup& g) const
{
    QStringList names;
    for (const char* name : g.names)
        names << find<QLineEdit>(name)->text();
    return names;
}

QStringList ParticipantsTest::items(const PeopleGroup& g) const
{
    QStringList texts;
    const auto* list = find<QListWidget>(g.list);
    for (int row = 0; row < list->count(); ++row)
        texts << list->item(row)->text();
    return texts;
}

int ParticipantsTest::selectedRow(const PeopleGroup& g) const
{
    const auto* list = find<QListWidget>(g.list);
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.constFirst());
}

// Everything the handlers may touch, one line per item, for comparing whole states.
QStringList ParticipantsTest::describe() const
{
    QStringList lines;
    for (const PeopleGroup* g : {&kAuthors, &kTeachers}) {
        lines << QStringLiteral("%1: %2 selected %3")
                     .arg(g->list, items(*g).join(u','), QString::number(selectedRow(*g)));
        lines << find<QGroupBox>(g->box)->title();
        lines << QStringLiteral("add %1 delete %2")
                     .arg(find<QPushButton>(g->add)->isEnabled())
                     .arg(find<QPushButton>(g->remove)->isEnabled());
        for (const char* name : g->names) {
            const auto* edit = find<QLineEdit>(name);
            lines << QStringLiteral("%1 '%2' read-only %3").arg(name, edit->text()).arg(edit->isReadOnly());
        }
        for (int place = 0; place < g->limit; ++place) {
            const ParticipantEntry& e = entry(*g, place);
            lines << QStringLiteral("%1[%2] %3 %4 %5 %6")
                         .arg(g->list)
                         .arg(place)
                         .arg(fromCp1251(e.id), fromCp1251(e.surname), fromCp1251(e.name), fromCp1251(e.patronymic));
        }
    }
    const auto* leader = find<QComboBox>("LeaderID");
    QStringList leaderItems;
    for (int i = 0; i < leader->count(); ++i)
        leaderItems << leader->itemText(i);
    lines << QStringLiteral("LeaderID %1 current %2 enabled %3 label %4")
                 .arg(leaderItems.join(u','))
                 .arg(leader->currentIndex())
                 .arg(leader->isEnabled())
                 .arg(find<QLabel>("LeaderID_Label")->isEnabled());
    return lines;
}

void ParticipantsTest::addShowsTheDisplayForm_data()
{
    QTest::addColumn<QString>("groupName");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("display");
    QTest::newRow("author, digits") << "authors"
                                    << "123456798"
                                    << "123-456-798";
    QTest::newRow("author, spaces") << "authors"
                                    << "123 456 798"
                                    << "123-456-798";
    QTest::newRow("author, odd separators") << "authors"
                                            << "1-2345 6798"
                                            << "123-456-798";
    QTest::newRow("supervisor, digits") << "teachers"
                                        << "765432193"
                                        << "765-432-193";
    QTest::newRow("supervisor, blanks around") << "teachers"
                                               << " 100018-305"
                                               << "100-018-305";
    QTest::newRow("supervisor, odd separators") << "teachers"
                                                << "10001-8799"
                                                << "100-018-799";
}

void ParticipantsTest::addShowsTheDisplayForm()
{
    QFETCH(QString, groupName);
    QFETCH(QString, typed);
    QFETCH(QString, display);
    const PeopleGroup& g = group(groupName);
    user().addPerson(g, typed);

    QCOMPARE(items(g), QStringList{display});
    QCOMPARE(selectedRow(g), 0);
    QCOMPARE(entry(g, 0), (ParticipantEntry{display.toLatin1(), {}, {}, {}}));
    QCOMPARE(find<QGroupBox>(g.box)->title(), QString::fromUtf8(g.caption).arg(1));
    QVERIFY(find<QPushButton>(g.add)->isEnabled());
    QVERIFY(find<QPushButton>(g.remove)->isEnabled());
    for (const char* name : g.names) {
        const auto* edit = find<QLineEdit>(name);
        QVERIFY(!edit->isReadOnly());
        QVERIFY(edit->text().isEmpty());
        QCOMPARE(edit->palette().color(QPalette::Base), QApplication::palette(edit).color(QPalette::Base));
    }
    // The other group is untouched.
    QVERIFY(items(other(groupName)).isEmpty());
    QVERIFY(find<QLineEdit>(other(groupName).names[0])->isReadOnly());

    const auto* leader = find<QComboBox>("LeaderID");
    const bool supervisor = &g == &kTeachers;
    QCOMPARE(leader->count(), supervisor ? 1 : 0);
    QCOMPARE(leader->currentText(), supervisor ? display : QString());
    QCOMPARE(leader->isEnabled(), supervisor);
    QCOMPARE(find<QLabel>("LeaderID_Label")->isEnabled(), supervisor);
    QVERIFY(m_services->messages.isEmpty());
}

void ParticipantsTest::refusedAddsChangeNothing_data()
{
    QTest::addColumn<QString>("groupName");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<bool>("refused");
    QTest::newRow("author, wrong check code") << "authors"
                                              << "123-456-799" << true << true;
    QTest::newRow("author, one digit changed") << "authors"
                                               << "123456788" << true << true;
    QTest::newRow("author, cancelled") << "authors"
                                       << "100018305" << false << false;
    QTest::newRow("supervisor, wrong check code") << "teachers"
                                                  << "765 432 139" << true << true;
    QTest::newRow("supervisor, cancelled") << "teachers"
                                           << "100018305" << false << false;
    QTest::newRow("supervisor, cancelled empty") << "teachers"
                                                 << "" << false << false;
}

void ParticipantsTest::refusedAddsChangeNothing()
{
    QFETCH(QString, groupName);
    QFETCH(QString, typed);
    QFETCH(bool, accept);
    QFETCH(bool, refused);
    user().addPerson(kAuthors, QStringLiteral("123456798"));
    user().addPerson(kAuthors, QStringLiteral("765432193"));
    user().typeNames(kAuthors, {QStringLiteral("Петров"), QStringLiteral("Пётр"), QString()});
    user().pickEntry(kAuthors, 0);
    user().addPerson(kTeachers, QStringLiteral("100018799"));
    user().addPerson(kTeachers, QStringLiteral("100024700"));
    find<QComboBox>("LeaderID")->setCurrentIndex(1);
    user().pickEntry(kTeachers, 0);
    const QStringList before = describe();

    user().addPerson(group(groupName), typed, accept);

    QCOMPARE(describe(), before);
    if (refused) {
        QCOMPARE(m_services->messages.size(), 1);
        const FakeServices::Message& message = m_services->messages.constFirst();
        QCOMPARE(message.text, QStringLiteral("Введен ошибочный ID"));
        QCOMPARE(message.caption, QStringLiteral("Ошибка"));
        QCOMPARE(message.icon, DesktopServices::Icon::Error);
        QCOMPARE(message.buttons, DesktopServices::Buttons::Ok);
    } else {
        QVERIFY(m_services->messages.isEmpty());
    }
}

void ParticipantsTest::repeatInOwnListSelectsIt_data()
{
    QTest::addColumn<QString>("groupName");
    QTest::newRow("authors") << "authors";
    QTest::newRow("supervisors") << "teachers";
}

void ParticipantsTest::repeatInOwnListSelectsIt()
{
    QFETCH(QString, groupName);
    const PeopleGroup& g = group(groupName);
    user().addPerson(g, QStringLiteral("123456798"));
    user().typeNames(g, {QStringLiteral("Иванов"), QStringLiteral("Иван"), QStringLiteral("Иванович")});
    user().addPerson(g, QStringLiteral("765432193"));
    user().typeNames(g, {QStringLiteral("Петров"), QStringLiteral("Пётр"), QStringLiteral("Петрович")});
    const QStringList listed = items(g);
    const ParticipantEntry first = entry(g, 0);
    const ParticipantEntry second = entry(g, 1);

    user().addPerson(g, QStringLiteral("12 3456 798"));

    QCOMPARE(selectedRow(g), 0);
    QCOMPARE(shownNames(g), (QStringList{"Иванов", "Иван", "Иванович"}));
    QVERIFY(m_services->messages.isEmpty());
    QCOMPARE(items(g), listed);
    QCOMPARE(find<QGroupBox>(g.box)->title(), QString::fromUtf8(g.caption).arg(2));
    QCOMPARE(entry(g, 0), first);
    QCOMPARE(entry(g, 1), second);
    QCOMPARE(entry(g, 2), ParticipantEntry());
}

void ParticipantsTest::repeatInOtherListSelectsThereWithMessage_data()
{
    QTest::addColumn<QString>("groupName");
    QTest::addColumn<QString>("message");
    QTest::newRow("authors' Add, a supervisor") << "authors"
                                                << "Введенный ID уже является руководителем работы";
    QTest::newRow("supervisors' Add, an author") << "teachers"
                                                 << "Введенный ID уже является автором работы";
}

void ParticipantsTest::repeatInOtherListSelectsThereWithMessage()
{
    QFETCH(QString, groupName);
    QFETCH(QString, message);
    const PeopleGroup& own = group(groupName);
    const PeopleGroup& theirs = other(groupName);
    user().addPerson(theirs, QStringLiteral("123456798"));
    user().typeNames(theirs, {QStringLiteral("Иванов"), QStringLiteral("Иван"), QStringLiteral("Иванович")});
    user().addPerson(theirs, QStringLiteral("765432193"));
    user().typeNames(theirs, {QStringLiteral("Петров"), QStringLiteral("Пётр"), QStringLiteral("Петрович")});
    user().addPerson(own, QStringLiteral("100018305"));
    user().addPerson(own, QStringLiteral("100018799"));
    user().typeNames(own, {QStringLiteral("Сидоров"), QStringLiteral("Сидор"), QString()});
    const QStringList ownBefore = items(own);
    const QString leaderBefore = describe().constLast();

    user().addPerson(own, QStringLiteral("123-456798"));

    QCOMPARE(selectedRow(theirs), 0);
    QCOMPARE(shownNames(theirs), (QStringList{"Иванов", "Иван", "Иванович"}));
    QCOMPARE(items(theirs).size(), 2);
    QCOMPARE(items(own), ownBefore);
    QCOMPARE(selectedRow(own), 1);
    QCOMPARE(shownNames(own), (QStringList{"Сидоров", "Сидор", ""}));
    QCOMPARE(find<QGroupBox>(own.box)->title(), QString::fromUtf8(own.caption).arg(2));
    QCOMPARE(describe().constLast(), leaderBefore);

    QCOMPARE(m_services->messages.size(), 1);
    QCOMPARE(m_services->messages.constFirst().text, message);
    QCOMPARE(m_services->messages.constFirst().caption, QStringLiteral("Ошибка"));
    QCOMPARE(m_services->messages.constFirst().icon, DesktopServices::Icon::None);
    QCOMPARE(m_services->messages.constFirst().buttons, DesktopServices::Buttons::Ok);
}

void ParticipantsTest::limits_data()
{
    QTest::addColumn<QString>("groupName");
    QTest::newRow("ten authors") << "authors";
    QTest::newRow("three supervisors") << "teachers";
}

void ParticipantsTest::limits()
{
    QFETCH(QString, groupName);
    const PeopleGroup& g = group(groupName);
    auto* addButton = find<QPushButton>(g.add);
    for (int i = 0; i < g.limit; ++i) {
        QVERIFY(addButton->isEnabled());
        user().addPerson(g, validId(1234567 + 1111 * i));
    }
    QCOMPARE(items(g).size(), g.limit);
    QCOMPARE(find<QGroupBox>(g.box)->title(), QString::fromUtf8(g.caption).arg(g.limit));
    QVERIFY(!addButton->isEnabled());
    const int shown = m_services->modalShown;
    addButton->click();
    QCOMPARE(m_services->modalShown, shown);

    user().pickEntry(g, 1);
    user().deleteEntry(g);
    QVERIFY(addButton->isEnabled());
    QCOMPARE(find<QGroupBox>(g.box)->title(), QString::fromUtf8(g.caption).arg(g.limit - 1));
    user().addPerson(g, validId(7654321));
    QCOMPARE(items(g).constLast(), validId(7654321));
    QVERIFY(!addButton->isEnabled());
}

void ParticipantsTest::deletion_data()
{
    QTest::addColumn<QString>("groupName");
    QTest::addColumn<int>("removed");
    QTest::addColumn<int>("selected");
    for (const char* name : {"authors", "teachers"}) {
        QTest::addRow("%s, first", name) << name << 0 << 0;
        QTest::addRow("%s, middle", name) << name << 1 << 0;
        QTest::addRow("%s, last", name) << name << 2 << 1;
    }
}

void ParticipantsTest::deletion()
{
    QFETCH(QString, groupName);
    QFETCH(int, removed);
    QFETCH(int, selected);
    const PeopleGroup& g = group(groupName);
    const QStringList ids = {QStringLiteral("123-456-798"), QStringLiteral("765-432-193"),
                             QStringLiteral("100-018-305")};
    const QStringList surnames = {QStringLiteral("Первый"), QStringLiteral("Второй"), QStringLiteral("Третий")};
    for (int i = 0; i < 3; ++i) {
        user().addPerson(g, ids.at(i));
        user().typeNames(g, {surnames.at(i), QStringLiteral("Имя %1").arg(i), QString()});
    }
    auto* leader = find<QComboBox>("LeaderID");
    leader->setCurrentIndex(2);
    user().pickEntry(g, removed);
    user().deleteEntry(g);

    QCOMPARE(m_services->messages.size(), 1);
    const FakeServices::Message& question = m_services->messages.constFirst();
    QCOMPARE(question.text, &g == &kAuthors
                                ? QStringLiteral("Вы действительно хотите удалить автора из списка?")
                                : QStringLiteral("Вы действительно хотите удалить руководителя из списка?"));
    QCOMPARE(question.caption, QStringLiteral("Удаление автора"));
    QCOMPARE(question.icon, DesktopServices::Icon::Question);
    QCOMPARE(question.buttons, DesktopServices::Buttons::YesNo);

    QStringList remainingIds = ids;
    QStringList remainingSurnames = surnames;
    remainingIds.removeAt(removed);
    remainingSurnames.removeAt(removed);
    QCOMPARE(items(g), remainingIds);
    QCOMPARE(find<QGroupBox>(g.box)->title(), QString::fromUtf8(g.caption).arg(2));
    for (int place = 0; place < 2; ++place) {
        QCOMPARE(fromCp1251(entry(g, place).id), remainingIds.at(place));
        QCOMPARE(fromCp1251(entry(g, place).surname), remainingSurnames.at(place));
    }
    QCOMPARE(entry(g, 2), ParticipantEntry());
    QCOMPARE(selectedRow(g), selected);
    QCOMPARE(shownNames(g).constFirst(), remainingSurnames.at(selected));
    QVERIFY(find<QPushButton>(g.remove)->isEnabled());
    QVERIFY(find<QPushButton>(g.add)->isEnabled());
    QVERIFY(!find<QLineEdit>(g.names[0])->isReadOnly());
    if (&g == &kTeachers) {
        QCOMPARE(leader->count(), 2);
        QCOMPARE(leader->itemText(0), remainingIds.at(0));
        QCOMPARE(leader->itemText(1), remainingIds.at(1));
        // The supervisor selected after the deletion receives the invoice.
        QCOMPARE(leader->currentIndex(), selected);
    }

    // A new entry starts with empty names, whatever moved.
    user().addPerson(g, QStringLiteral("100018799"));
    QCOMPARE(shownNames(g), (QStringList{"", "", ""}));
    QCOMPARE(entry(g, 2), (ParticipantEntry{"100-018-799", {}, {}, {}}));
}

void ParticipantsTest::deletionAnsweredNo_data()
{
    repeatInOwnListSelectsIt_data();
}

void ParticipantsTest::deletionAnsweredNo()
{
    QFETCH(QString, groupName);
    const PeopleGroup& g = group(groupName);
    user().addPerson(g, QStringLiteral("123456798"));
    user().addPerson(g, QStringLiteral("765432193"));
    user().typeNames(g, {QStringLiteral("Петров"), QString(), QString()});
    const QStringList before = describe();
    user().deleteEntry(g, DesktopServices::Answer::No);
    QCOMPARE(describe(), before);
    QCOMPARE(m_services->messages.size(), 1);
}

void ParticipantsTest::deletingTheOnlyAuthor()
{
    user().addPerson(kAuthors, QStringLiteral("123456798"));
    user().typeNames(kAuthors, {QStringLiteral("Иванов"), QStringLiteral("Иван"), QStringLiteral("Иванович")});
    user().deleteEntry(kAuthors);

    QVERIFY(items(kAuthors).isEmpty());
    QCOMPARE(find<QGroupBox>("AuthorsGroup")->title(), QStringLiteral("Авторы (0)"));
    QVERIFY(!find<QPushButton>("AuthorDelete")->isEnabled());
    QVERIFY(find<QPushButton>("AuthorAdd")->isEnabled());
    QCOMPARE(shownNames(kAuthors), (QStringList{"", "", ""}));
    for (const char* name : kAuthors.names) {
        auto* edit = find<QLineEdit>(name);
        QVERIFY(!edit->isReadOnly());
        QCOMPARE(edit->palette().color(QPalette::Base), QApplication::palette(edit).color(QPalette::Base));
    }
    QCOMPARE(entry(kAuthors, 0), ParticipantEntry());

    // Typing with no author stores nothing anywhere.
    user().typeNames(kAuthors, {QStringLiteral("Никто"), QStringLiteral("Ничей"), QStringLiteral("Ниоткуда")});
    for (int place = 0; place < kAuthors.limit; ++place)
        QCOMPARE(entry(kAuthors, place), ParticipantEntry());
    for (int place = 0; place < kTeachers.limit; ++place)
        QCOMPARE(entry(kTeachers, place), ParticipantEntry());

    user().addPerson(kAuthors, QStringLiteral("765432193"));
    QCOMPARE(shownNames(kAuthors), (QStringList{"", "", ""}));
    QCOMPARE(entry(kAuthors, 0), (ParticipantEntry{"765-432-193", {}, {}, {}}));
}

void ParticipantsTest::deletingTheOnlySupervisor()
{
    user().addPerson(kTeachers, QStringLiteral("123456798"));
    user().typeNames(kTeachers, {QStringLiteral("Иванов"), QStringLiteral("Иван"), QStringLiteral("Иванович")});
    user().deleteEntry(kTeachers);

    auto* leader = find<QComboBox>("LeaderID");
    QVERIFY(items(kTeachers).isEmpty());
    QCOMPARE(find<QGroupBox>("TeachersGroup")->title(), QStringLiteral("Руководители (0)"));
    QVERIFY(!find<QPushButton>("TeacherDelete")->isEnabled());
    QCOMPARE(shownNames(kTeachers), (QStringList{"", "", ""}));
    for (const char* name : kTeachers.names) {
        auto* edit = find<QLineEdit>(name);
        QVERIFY(edit->isReadOnly());
        QCOMPARE(edit->palette().color(QPalette::Base), QApplication::palette(edit).color(QPalette::Button));
    }
    QCOMPARE(leader->count(), 0);
    QVERIFY(!leader->isEnabled());
    QVERIFY(!find<QLabel>("LeaderID_Label")->isEnabled());
    QCOMPARE(entry(kTeachers, 0), ParticipantEntry());

    user().addPerson(kTeachers, QStringLiteral("765432193"));
    QCOMPARE(leader->count(), 1);
    QCOMPARE(leader->currentIndex(), 0);
    QVERIFY(leader->isEnabled());
    QVERIFY(find<QLabel>("LeaderID_Label")->isEnabled());
    QVERIFY(!find<QLineEdit>("TeachersLastname")->isReadOnly());
    QCOMPARE(shownNames(kTeachers), (QStringList{"", "", ""}));
}

void ParticipantsTest::recipientFollowsDeletionsAndAdditions()
{
    auto* leader = find<QComboBox>("LeaderID");
    user().addPerson(kTeachers, QStringLiteral("123456798"));
    user().addPerson(kTeachers, QStringLiteral("765432193"));
    QCOMPARE(leader->currentIndex(), 0);
    leader->setCurrentIndex(1);
    user().addPerson(kTeachers, QStringLiteral("100018305"));
    QCOMPARE(leader->currentText(), QStringLiteral("765-432-193"));

    // Choosing in the list is not choosing the recipient.
    leader->setCurrentIndex(2);
    user().pickEntry(kTeachers, 0);
    QCOMPARE(leader->currentIndex(), 2);

    // With the third as recipient, deleting the first makes the new first the recipient.
    user().deleteEntry(kTeachers);
    QCOMPARE(leader->currentText(), QStringLiteral("765-432-193"));
    QCOMPARE(selectedRow(kTeachers), 0);

    // Adding authors leaves the recipient alone.
    user().addPerson(kAuthors, QStringLiteral("100018799"));
    QCOMPARE(leader->currentText(), QStringLiteral("765-432-193"));

    leader->setCurrentIndex(0);
    user().pickEntry(kTeachers, 1);
    user().deleteEntry(kTeachers);
    QCOMPARE(leader->count(), 1);
    QCOMPARE(leader->currentText(), QStringLiteral("765-432-193"));
    user().addPerson(kTeachers, QStringLiteral("100024700"));
    QCOMPARE(leader->currentText(), QStringLiteral("765-432-193"));
}

void ParticipantsTest::namesStayWithTheirEntry_data()
{
    repeatInOwnListSelectsIt_data();
}

void ParticipantsTest::namesStayWithTheirEntry()
{
    QFETCH(QString, groupName);
    const PeopleGroup& g = group(groupName);
    user().addPerson(g, QStringLiteral("123456798"));
    user().typeNames(g, {QStringLiteral("Ёлкин😀"), QStringLiteral("Ян"), QStringLiteral(" Андреевич ")});
    user().addPerson(g, QStringLiteral("765432193"));
    user().typeNames(g, {QStringLiteral("Smith"), QStringLiteral("John"), QString()});

    user().pickEntry(g, 0);
    QCOMPARE(shownNames(g), (QStringList{"Ёлкин?", "Ян", " Андреевич "}));
    find<QLineEdit>(g.names[1])->end(false);
    typeText(find<QLineEdit>(g.names[1]), QStringLiteral("ис"));
    user().pickEntry(g, 1);
    QCOMPARE(shownNames(g), (QStringList{"Smith", "John", ""}));

    // Windows-1251 in the record, untrimmed, "?" for what the code page lacks.
    QCOMPARE(entry(g, 0), (ParticipantEntry{"123-456-798", "\xA8\xEB\xEA\xE8\xED?", "\xDF\xED\xE8\xF1",
                                            " \xC0\xED\xE4\xF0\xE5\xE5\xE2\xE8\xF7 "}));
    QCOMPARE(entry(g, 1), (ParticipantEntry{"765-432-193", "Smith", "John", ""}));
    // The other group's entries are not touched.
    QCOMPARE(entry(other(groupName), 0), ParticipantEntry());
}

void ParticipantsTest::listKeepsItsSelection()
{
    user().addPerson(kAuthors, QStringLiteral("123456798"));
    user().addPerson(kAuthors, QStringLiteral("765432193"));
    user().pickEntry(kAuthors, 1, Qt::ControlModifier);
    QCOMPARE(selectedRow(kAuthors), 1);
    user().typeNames(kAuthors, {QStringLiteral("Петров"), QString(), QString()});
    QCOMPARE(entry(kAuthors, 1).surname, toCp1251(QStringLiteral("Петров")));
    QVERIFY(find<QPushButton>("AuthorDelete")->isEnabled());
}

void ParticipantsTest::charactersOutsideCp1251Marked_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("marks");
    QTest::addColumn<QString>("tooltip");
    QTest::addColumn<QString>("stored");
    QTest::newRow("one") << QStringLiteral("Ŋгуен") << QStringLiteral("0+1")
                         << QStringLiteral(
                                "Знака «Ŋ» нет в кодировке Windows-1251: в паспорт он будет записан как «?».")
                         << QStringLiteral("?гуен");
    QTest::newRow("several, one twice") << QStringLiteral("Ёлкин😀😀é") << QStringLiteral("5+2 7+2 9+1")
                                        << QStringLiteral("Знаков «😀», «é» нет в кодировке Windows-1251: "
                                                          "в паспорт они будут записаны как «?».")
                                        << QStringLiteral("Ёлкин???");
    QTest::newRow("cyrillic and latin") << QStringLiteral("Ёлкин Smith") << QString() << QString()
                                        << QStringLiteral("Ёлкин Smith");
    QTest::newRow("a question mark typed")
        << QStringLiteral("Кто?") << QString() << QString() << QStringLiteral("Кто?");
}

// Told while typing, where the characters stand; what is stored stays "?" for each.
void ParticipantsTest::charactersOutsideCp1251Marked()
{
    QFETCH(QString, typed);
    QFETCH(QString, marks);
    QFETCH(QString, tooltip);
    QFETCH(QString, stored);
    const auto reddish = [](QLineEdit* edit) {
        const QImage shot = edit->grab().toImage();
        int count = 0;
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x) {
                const QColor pixel = shot.pixelColor(x, y);
                count += pixel.red() > pixel.green() + 30 && pixel.red() > pixel.blue() + 30;
            }
        }
        return count;
    };
    user().addPerson(kAuthors, QStringLiteral("123456798"));
    auto* edit = find<QLineEdit>("AuthorsName");
    QCOMPARE(reddish(edit), 0);
    user().typeNames(kAuthors, {QString(), typed, QString()});

    QCOMPARE(edit->text(), typed);
    QCOMPARE(edit->toolTip(), tooltip);
    const auto* marked = edit->findChild<NameMarks*>();
    QVERIFY(marked);
    QStringList shown;
    for (const Cp1251Gap& gap : marked->marked())
        shown << QStringLiteral("%1+%2").arg(gap.start).arg(gap.length);
    QCOMPARE(shown.join(u' '), marks);
    QCOMPARE(reddish(edit) > 0, !marks.isEmpty());
    QCOMPARE(fromCp1251(entry(kAuthors, 0).name), stored);

    edit->clear();
    QCOMPARE(edit->toolTip(), QString());
    QCOMPARE(reddish(edit), 0);
}

QTEST_MAIN(ParticipantsTest)
#include "tst_participants.moc"
