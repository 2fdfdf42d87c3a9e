// The draft of a passport that is in no file yet: when it is written and removed, where it lives
// and with which rights, what the start-up question says and what each answer does, two editors
// at once, locks left by a crash, drafts that cannot be read and folders that cannot be written.

#include "core/draft/DraftKeeper.h"
#include "core/draft/DraftStore.h"
#include "core/passport/PassportDocument.h"
#include "core/passport/PassportReader.h"
#include "core/shell/EndSignals.h"
#include "core/shell/Failure.h"
#include "support/EditorTest.h"
#include "support/FakeServices.h"
#include "support/Files.h"
#include "support/Passports.h"
#include "support/SmallDisk.h"
#include "support/Unwritable.h"
#include "support/UserActions.h"
#include "windows/Form.h"
#include "windows/MemoEdit.h"
#include "windows/Startup.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 kChangedAt = 1450000000; // 13.12.2015 09:46:40 UTC

QStringList draftsIn(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("draft-*.qdx.xml")}, QDir::Files, QDir::Name);
}

int modeOf(const QString& path)
{
    struct stat info
    {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return int(info.st_mode & 07777);
}

ReadPassport readDraft(const QString& path)
{
    return readPassportDocument(readAll(path));
}

PassportSnapshot titled(const QString& title)
{
    PassportSnapshot passport;
    passport.title = title;
    passport.description = QStringLiteral("Описание\r\nв две строки");
    passport.authors.append(participantEntry(validId(1234567), QStringLiteral("Иванов"), QString(), QString()));
    return passport;
}

// A draft left by an editor that no longer runs: no lock beside it. `source` is the passport file
// it holds changes of, or empty.
QString leaveDraft(const QString& folder, const PassportSnapshot& passport, qint64 stored, const QString& name,
                   const QString& source = QString())
{
    QDir().mkpath(folder);
    const QString path = folder + name;
    writeFileBytes(path, withDraftSource(serializePassportDocument(
                                             BuildPassportDocument(passport, PassportDocumentKind::Saved, stored)),
                                         source));
    return path;
}

// Above the largest pid Linux hands out (2^22): no process has it.
constexpr qint64 kDeadPid = 0x3ffffffe;

QByteArray lockOf(qint64 pid, const QString& program)
{
    return QByteArray::number(pid) + '\n' + program.toUtf8() + '\n' + QSysInfo::machineHostName().toUtf8() + '\n';
}

// The lock of an editor that still runs: this very process.
QByteArray runningLock()
{
    return lockOf(QCoreApplication::applicationPid(), QFileInfo(QCoreApplication::applicationFilePath()).fileName());
}

QByteArray deadLock()
{
    return lockOf(kDeadPid, QStringLiteral("lumarinda-passport"));
}

enum class Disk
{
    Free,
    Full,
    ReadOnly,
};

bool spoil(SmallDisk& disk, Disk state)
{
    switch (state) {
    case Disk::Free:
        return true;
    case Disk::Full:
        return disk.fill();
    case Disk::ReadOnly:
        return disk.makeReadOnly();
    }
    return false;
}

// A draft folder whose making fails: its parent is a file. Needs no root.
QString blockedDraftFolder(FakeServices& services)
{
    writeFileBytes(services.folder() + QStringLiteral("blocked"), "a file, not a folder");
    return services.folder() + QStringLiteral("blocked/lumarinda-passport");
}

// Everything a save asks for.
void fillComplete(UserActions& user)
{
    user.typeInto("title", QStringLiteral("Работа"));
    user.typeInto("description", QStringLiteral("Описание"));
    user.chooseSections({kBiology});
    user.addPerson(kAuthors, QStringLiteral("123-456-798"));
    user.typeNames(kAuthors, {QStringLiteral("Иванов"), QStringLiteral("Иван"), QStringLiteral("Иванович")});
    user.addPerson(kTeachers, QStringLiteral("100-018-305"));
    user.typeNames(kTeachers, {QStringLiteral("Петров"), QStringLiteral("Пётр"), QStringLiteral("Петрович")});
}

} // namespace

class DraftTest : public EditorTest
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void draftFollowsTheLastChange();
    void whatKeepsADraft_data();
    void whatKeepsADraft();
    void closingKeepsTheDraft();
    void askedToEnd_data();
    void askedToEnd();
    void draftIsPrivate();
    void folderFromTheEnvironment_data();
    void folderFromTheEnvironment();

    void questionTextsAndButtons_data();
    void questionTextsAndButtons();
    void answers_data();
    void answers();
    void newestFirst();
    void startWithAFileOffersOnlyItsDrafts();
    void restoredDraftKeepsItsFile();
    void twoEditors();
    void staleLock();
    void damagedDraft();

    void claimTable_data();
    void claimTable();
    void unclaimedDraftRestored();
    void staleLocksWithoutDraft_data();
    void staleLocksWithoutDraft();
    void sectionDialogOpen();

    void closeAsksOnlyWhenInputWouldBeLost_data();
    void closeAsksOnlyWhenInputWouldBeLost();
    void closeQuestionAnswers_data();
    void closeQuestionAnswers();
    void endNotes();

    void unwritableDraft_data();
    void unwritableDraft();
    void refusedFolder_data();
    void refusedFolder();

private:
    QString draftFolder() const { return m_services->draftFolderPath + u'/'; }
    TPasport& window() const { return *m_windows->Pasport; }
    void typeTitle(const QString& text) { user().typeInto("title", text); }
};

void DraftTest::init()
{
    qputenv("TZ", "UTC");
    createEditor();
}

void DraftTest::cleanup()
{
    destroyEditor();
}

// Typing never waits on the disk: the draft comes two seconds after the last key, once.
void DraftTest::draftFollowsTheLastChange()
{
    typeTitle(QStringLiteral("Мост"));
    m_services->elapse(kDraftDelayMs - 1);
    QVERIFY(draftsIn(draftFolder()).isEmpty());
    typeTitle(QStringLiteral(" через реку"));
    m_services->elapse(kDraftDelayMs - 1);
    QVERIFY(draftsIn(draftFolder()).isEmpty());
    m_services->elapse(1);
    const QStringList drafts = draftsIn(draftFolder());
    QCOMPARE(drafts.size(), 1);
    QCOMPARE(readDraft(draftFolder() + drafts.constFirst()).passport.title, QStringLiteral("Мост через реку"));
    QCOMPARE(m_services->writtenFiles.size(), 1);
    m_services->elapse(10 * kDraftDelayMs);
    QCOMPARE(m_services->writtenFiles.size(), 1);
    QVERIFY(m_services->messages.isEmpty());
}

using Steps = std::function<void(DraftTest&, UserActions&, FakeServices&, TPasport&)>;

void DraftTest::whatKeepsADraft_data()
{
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<bool>("kept");
    const auto openFile = [](FakeServices& services, TPasport& window) {
        PassportSnapshot passport = titled(QStringLiteral("Из файла"));
        passport.subjectSlots[0] = 2;
        const QString path = leaveDraft(services.folder(), passport, kChangedAt, QStringLiteral("work.qdx.xml"));
        window.openPassport(path);
    };
    QTest::newRow("start state") << Steps([](auto&, auto&, auto&, auto&) {}) << false;
    QTest::newRow("a title typed") << Steps([](auto&, UserActions& user, auto&, auto&) {
        user.typeInto("title", QStringLiteral("Т"));
    }) << true;
    QTest::newRow("a comment typed, then erased") << Steps([](auto&, UserActions& user, auto&, auto&) {
        user.typeInto("Notes", QStringLiteral("Ж"));
        QTest::keyClick(user.control<QWidget>("Notes"), Qt::Key_Backspace);
    }) << false;
    QTest::newRow("an author added") << Steps([](auto&, UserActions& user, auto&, auto&) {
        user.addPerson(kAuthors, QStringLiteral("123-456-798"));
    }) << true;
    QTest::newRow("a section chosen") << Steps([](auto&, UserActions& user, auto&, auto&) {
        user.chooseSections({kBiology});
    }) << true;
    QTest::newRow("a passport opened") << Steps([openFile](auto&, auto&, FakeServices& services, TPasport& window) {
        openFile(services, window);
    }) << false;
    QTest::newRow("an opened passport changed")
        << Steps([openFile](auto&, UserActions& user, FakeServices& services, TPasport& window) {
               openFile(services, window);
               user.typeInto("public_phone", QStringLiteral("1"));
           })
        << true;
    QTest::newRow("typed, then saved") << Steps([](auto&, UserActions& user, FakeServices& services, auto&) {
        fillComplete(user);
        services.elapse(kDraftDelayMs);
        QCOMPARE(draftsIn(services.draftFolderPath).size(), 1);
        services.saveFileAnswers.push_back(services.folder() + QStringLiteral("Работа.qdx.xml"));
        user.press("SaveButton");
        services.messages.clear();
    }) << false;
}

void DraftTest::whatKeepsADraft()
{
    QFETCH(Steps, steps);
    QFETCH(bool, kept);
    UserActions actions = user();
    steps(*this, actions, *m_services, window());
    m_services->elapse(kDraftDelayMs);
    QVERIFY2(m_services->messages.isEmpty(), qPrintable(m_services->messages.value(0).text));
    QCOMPARE(draftsIn(draftFolder()).size(), kept ? 1 : 0);
}

// Closing asks nothing and writes the draft at once.
void DraftTest::closingKeepsTheDraft()
{
    typeTitle(QStringLiteral("Несохраненная работа"));
    window().show();
    QVERIFY(window().close());
    QVERIFY(m_services->messages.isEmpty());
    const QStringList drafts = draftsIn(draftFolder());
    QCOMPARE(drafts.size(), 1);
    QCOMPARE(readDraft(draftFolder() + drafts.constFirst()).passport.title, QStringLiteral("Несохраненная работа"));
}

// A draft holds contacts and the private comment: nobody else may read it or its lock.
void DraftTest::draftIsPrivate()
{
    user().typeInto("Notes", QStringLiteral("Только для оргкомитета"));
    m_services->elapse(kDraftDelayMs);
    QCOMPARE(modeOf(m_services->draftFolderPath), 0700);
    const QStringList files = QDir(draftFolder()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(files.size(), 2); // the draft and its lock
    for (const QString& file : files)
        QVERIFY2(modeOf(draftFolder() + file) == 0600, qPrintable(file));
}

void DraftTest::folderFromTheEnvironment_data()
{
    QTest::addColumn<QByteArray>("stateHome");
    QTest::addColumn<QString>("expected");
    QTest::newRow("set") << QByteArray("/srv/state") << QStringLiteral("/srv/state/lumarinda-passport");
    QTest::newRow("unset") << QByteArray() << QDir::homePath() + QStringLiteral("/.local/state/lumarinda-passport");
    QTest::newRow("not absolute") << QByteArray("state")
                                  << QDir::homePath() + QStringLiteral("/.local/state/lumarinda-passport");
}

void DraftTest::folderFromTheEnvironment()
{
    QFETCH(QByteArray, stateHome);
    QFETCH(QString, expected);
    const QByteArray before = qgetenv("XDG_STATE_HOME");
    if (stateHome.isNull())
        qunsetenv("XDG_STATE_HOME");
    else
        qputenv("XDG_STATE_HOME", stateHome);
    const QString path = draftFolderPath();
    qputenv("XDG_STATE_HOME", before);
    QCOMPARE(path, expected);
}

void DraftTest::questionTextsAndButtons_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("startFile");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("expected");
    const QString found = QStringLiteral("Найден черновик паспорта работы, не сохраненный в файл:\n\n");
    const QString work = QStringLiteral("/home/ученик/Работа.qdx.xml");
    QTest::newRow("titled") << QStringLiteral("Мост через реку") << QString() << QString()
                            << found + QStringLiteral("«Мост через реку»\nпоследнее изменение: 13.12.2015 09:46\n\n"
                                                      "Восстановить его?");
    QTest::newRow("untitled") << QString() << QString() << QString()
                              << found + QStringLiteral("Без названия\nпоследнее изменение: 13.12.2015 09:46\n\n"
                                                        "Восстановить его?");
    QTest::newRow("changes of a file")
        << QStringLiteral("Мост") << QString() << work
        << QStringLiteral("Найден черновик паспорта работы:\n\nизменения паспорта «Мост», не сохраненные в файл "
                          "«Работа.qdx.xml»\nпоследнее изменение: 13.12.2015 09:46\n\nВосстановить его?");
    QTest::newRow("started with that file")
        << QStringLiteral("Мост") << work << work
        << QStringLiteral("Найден черновик паспорта работы:\n\nизменения паспорта «Мост», не сохраненные в файл "
                          "«Работа.qdx.xml»\nпоследнее изменение: 13.12.2015 09:46\n\nВосстановить его?\n"
                          "Если восстановить черновик, файл «Работа.qdx.xml» открыт не будет.");
    QTest::newRow("untitled changes of a file with a quote in its path")
        << QString() << QString() << QStringLiteral("/tmp/a?>b/«Работа» 2.qdx.xml")
        << QStringLiteral("Найден черновик паспорта работы:\n\nизменения паспорта Без названия, не сохраненные в "
                          "файл ««Работа» 2.qdx.xml»\nпоследнее изменение: 13.12.2015 09:46\n\nВосстановить его?");
}

void DraftTest::questionTextsAndButtons()
{
    QFETCH(QString, title);
    QFETCH(QString, startFile);
    QFETCH(QString, source);
    QFETCH(QString, expected);
    leaveDraft(draftFolder(), titled(title), kChangedAt, QStringLiteral("draft-left.qdx.xml"), source);
    m_services->choiceAnswers.push_back(1);
    QVERIFY(!window().offerLeftDrafts(startFile));
    QCOMPARE(m_services->choices.size(), 1);
    const FakeServices::Choice& choice = m_services->choices.constFirst();
    QCOMPARE(choice.text, expected);
    QCOMPARE(choice.caption, QStringLiteral("Электронный паспорт работы"));
    QCOMPARE(choice.buttons, (QStringList{"Восстановить", "Позже", "Удалить"}));
    QCOMPARE(choice.defaultButton, 1);
    QVERIFY(m_services->messages.isEmpty());
}

void DraftTest::answers_data()
{
    QTest::addColumn<QList<int>>("choices");
    QTest::addColumn<QList<DesktopServices::Answer>>("confirmations");
    QTest::addColumn<bool>("restored");
    QTest::addColumn<bool>("draftStays");
    using A = DesktopServices::Answer;
    QTest::newRow("restore") << QList<int>{0} << QList<A>{} << true << true;
    QTest::newRow("later") << QList<int>{1} << QList<A>{} << false << true;
    QTest::newRow("delete, not confirmed, later") << QList<int>{2, 1} << QList<A>{A::No} << false << true;
    QTest::newRow("delete, confirmed") << QList<int>{2} << QList<A>{A::Yes} << false << false;
}

void DraftTest::answers()
{
    QFETCH(QList<int>, choices);
    QFETCH(QList<DesktopServices::Answer>, confirmations);
    QFETCH(bool, restored);
    QFETCH(bool, draftStays);
    PassportSnapshot passport = titled(QStringLiteral("Мост"));
    setPicture(passport, 40, 30, QStringLiteral("Вид сбоку"));
    const QString left = leaveDraft(draftFolder(), passport, kChangedAt, QStringLiteral("draft-left.qdx.xml"));
    m_services->choiceAnswers.assign(choices.begin(), choices.end());
    m_services->answers.assign(confirmations.begin(), confirmations.end());

    QCOMPARE(window().offerLeftDrafts(QString()), restored);
    QCOMPARE(m_services->choices.size(), choices.size());
    for (const FakeServices::Message& message : m_services->messages) {
        QCOMPARE(message.text,
                 QStringLiteral("Удалить черновик паспорта работы «Мост»? Восстановить его будет нельзя."));
        QCOMPARE(message.caption, QStringLiteral("Электронный паспорт работы"));
        QCOMPARE(message.icon, DesktopServices::Icon::Question);
        QCOMPARE(message.buttons, DesktopServices::Buttons::YesNo);
    }
    QCOMPARE(QFileInfo::exists(left), draftStays);
    QCOMPARE(window().holdsInput(), restored);
    if (restored) {
        // Filled as opening the file would, and still a draft: the same file, rewritten on change.
        QCOMPARE(serializePassportDocument(
                     BuildPassportDocument(window().passportSnapshot(), PassportDocumentKind::Saved, kChangedAt)),
                 readAll(left));
        QVERIFY(QFileInfo::exists(left + QStringLiteral(".lock")));
        typeTitle(QStringLiteral(" и дорога"));
        m_services->elapse(kDraftDelayMs);
        QCOMPARE(draftsIn(draftFolder()), QStringList{QStringLiteral("draft-left.qdx.xml")});
        QCOMPARE(readDraft(left).passport.title, QStringLiteral("Мост и дорога"));
    } else {
        // Nobody holds it: the next start offers it again.
        QVERIFY(!QFileInfo::exists(left + QStringLiteral(".lock")));
    }
}

void DraftTest::newestFirst()
{
    leaveDraft(draftFolder(), titled(QStringLiteral("Старый")), kChangedAt, QStringLiteral("draft-a.qdx.xml"));
    leaveDraft(draftFolder(), titled(QStringLiteral("Новый")), kChangedAt + 86400, QStringLiteral("draft-b.qdx.xml"));
    leaveDraft(draftFolder(), titled(QStringLiteral("Средний")), kChangedAt + 60, QStringLiteral("draft-c.qdx.xml"));
    m_services->choiceAnswers = {1, 1, 1};
    QVERIFY(!window().offerLeftDrafts(QString()));
    QCOMPARE(m_services->choices.size(), 3);
    QVERIFY(m_services->choices.at(0).text.contains(QStringLiteral("«Новый»")));
    QVERIFY(m_services->choices.at(1).text.contains(QStringLiteral("«Средний»")));
    QVERIFY(m_services->choices.at(2).text.contains(QStringLiteral("«Старый»")));
}

// Each keeps its own draft, and a running editor's draft is offered to nobody; once it has ended,
// the next start offers it.
// A double click on a passport offers the drafts of that passport only; a plain start, all.
void DraftTest::startWithAFileOffersOnlyItsDrafts()
{
    const QString work = m_services->folder() + QStringLiteral("Работа.qdx.xml");
    writeFileBytes(work, "passport");
    leaveDraft(draftFolder(), titled(QStringLiteral("Своя")), kChangedAt, QStringLiteral("draft-a.qdx.xml"), work);
    leaveDraft(draftFolder(), titled(QStringLiteral("Чужая")), kChangedAt + 1, QStringLiteral("draft-b.qdx.xml"),
               m_services->folder() + QStringLiteral("Другая.qdx.xml"));
    leaveDraft(draftFolder(), titled(QStringLiteral("Новая")), kChangedAt + 2, QStringLiteral("draft-c.qdx.xml"));

    m_services->choiceAnswers.push_back(1);
    // The same file under another spelling of its path.
    QVERIFY(!window().offerLeftDrafts(m_services->folder() + QStringLiteral("./Работа.qdx.xml")));
    QCOMPARE(m_services->choices.size(), 1);
    QVERIFY2(m_services->choices[0].text.contains(QStringLiteral("«Своя»")), qPrintable(m_services->choices[0].text));

    m_services->choices.clear();
    m_services->choiceAnswers = {1, 1, 1};
    QVERIFY(!window().offerLeftDrafts(QString()));
    QCOMPARE(m_services->choices.size(), 3);
    QCOMPARE(draftsIn(draftFolder()).size(), 3);
}

// Restored, the draft of a file still says which file: the next draft of it does too, and the
// save dialog starts in that file's folder.
void DraftTest::restoredDraftKeepsItsFile()
{
    const QString folder = m_services->folder() + QStringLiteral("works/");
    QDir().mkpath(folder);
    const QString work = folder + QStringLiteral("Работа.qdx.xml");
    PassportSnapshot passport = titled(QStringLiteral("Мост"));
    passport.subjectSlots = {2, 0, 0, 0, 0};
    passport.authors = {person(1, QStringLiteral("Иванов"), QStringLiteral("Иван"), QStringLiteral("Иванович"))};
    passport.teachers = {person(2, QStringLiteral("Петров"), QStringLiteral("Пётр"), QStringLiteral("Петрович"))};
    passport.leaderIndex = 0;
    leaveDraft(draftFolder(), passport, kChangedAt, QStringLiteral("draft-a.qdx.xml"), work);
    m_services->choiceAnswers.push_back(0);
    QVERIFY(window().offerLeftDrafts(QString()));
    typeTitle(QStringLiteral("!"));
    m_services->elapse(kDraftDelayMs);
    const QStringList drafts = draftsIn(draftFolder());
    QCOMPARE(drafts.size(), 1);
    QCOMPARE(draftSourceOf(readAll(draftFolder() + drafts.constFirst())), work);

    m_services->saveFileAnswers.push_back(QString());
    user().press("SaveButton");
    QCOMPARE(m_services->saveRequests.size(), 1);
    QCOMPARE(m_services->saveRequests[0].folder, m_services->folder() + QStringLiteral("works"));
}

void DraftTest::twoEditors()
{
    auto second = std::make_unique<EditorWindows>(*m_services);
    typeTitle(QStringLiteral("Первый"));
    typeText(namedChild<QLineEdit>(*second->Pasport, "title"), QStringLiteral("Второй"));
    m_services->elapse(kDraftDelayMs);
    QCOMPARE(draftsIn(draftFolder()).size(), 2);

    QVERIFY(!window().offerLeftDrafts(QString()));
    QVERIFY(!second->Pasport->offerLeftDrafts(QString()));
    QVERIFY(m_services->choices.isEmpty());

    second.reset();
    QCOMPARE(draftsIn(draftFolder()).size(), 2);
    EditorWindows third(*m_services);
    m_services->choiceAnswers.push_back(1);
    QVERIFY(!third.Pasport->offerLeftDrafts(QString()));
    QCOMPARE(m_services->choices.size(), 1);
    QVERIFY(m_services->choices.constFirst().text.contains(QStringLiteral("«Второй»")));
}

// A crash leaves its lock behind; the owner no longer runs, so the draft is offered.
void DraftTest::staleLock()
{
    const QString left =
        leaveDraft(draftFolder(), titled(QStringLiteral("После сбоя")), kChangedAt, QStringLiteral("draft-x.qdx.xml"));
    writeFileBytes(left + QStringLiteral(".lock"), QByteArray::number(kDeadPid) + "\nlumarinda-passport\n" +
                                                       QSysInfo::machineHostName().toUtf8() + "\n");
    m_services->choiceAnswers.push_back(1);
    QVERIFY(!window().offerLeftDrafts(QString()));
    QCOMPARE(m_services->choices.size(), 1);
    QVERIFY(m_services->choices.constFirst().text.contains(QStringLiteral("«После сбоя»")));
}

// Said once, in Russian, and kept under its own name where no start looks for drafts.
void DraftTest::damagedDraft()
{
    QDir().mkpath(draftFolder());
    const QByteArray damaged = "<?xml version=\"1.0\"?><lumarinda><work title=\"Обрыв";
    writeFileBytes(draftFolder() + QStringLiteral("draft-d.qdx.xml"), damaged);
    QVERIFY(!window().offerLeftDrafts(QString()));
    QCOMPARE(m_services->messages.size(), 1);
    const FakeServices::Message& message = m_services->messages.constFirst();
    QVERIFY2(message.text.startsWith(QStringLiteral("Черновик паспорта работы «draft-d.qdx.xml» не читается: "
                                                    "текст файла не является правильным документом XML")),
             qPrintable(message.text));
    QVERIFY2(message.text.endsWith(QStringLiteral(".\nОн перенесен в папку «%1unreadable».").arg(draftFolder())),
             qPrintable(message.text));
    QCOMPARE(message.icon, DesktopServices::Icon::Warning);
    QCOMPARE(message.caption, QStringLiteral("Электронный паспорт работы"));
    QCOMPARE(readAll(draftFolder() + QStringLiteral("unreadable/draft-d.qdx.xml")), damaged);
    QVERIFY(draftsIn(draftFolder()).isEmpty());

    m_services->messages.clear();
    QVERIFY(!window().offerLeftDrafts(QString()));
    QVERIFY(m_services->messages.isEmpty());
    QVERIFY(m_services->choices.isEmpty());
}

void DraftTest::unwritableDraft_data()
{
    QTest::addColumn<bool>("fullDisk");
    QTest::addColumn<QString>("reason");
    QTest::newRow("read-only folder") << false << QStringLiteral("Доступ запрещен");
    QTest::newRow("full disk") << true << QStringLiteral("Файл слишком велик");
}

// Said once per run, with the folder and the reason; the editor goes on, and the draft comes
// once the folder takes it again.
void DraftTest::unwritableDraft()
{
    QFETCH(bool, fullDisk);
    QFETCH(QString, reason);
    m_services->draftFolder(); // made as the editor makes it, then closed
    std::unique_ptr<Unwritable> unwritable;
    rlimit original{};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &original), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    if (fullDisk) {
        m_services->writeHook = [&](const QString&, const QByteArray&) {
            const rlimit none{0, original.rlim_max};
            QCOMPARE(::setrlimit(RLIMIT_FSIZE, &none), 0);
        };
    } else {
        unwritable = std::make_unique<Unwritable>(m_services->draftFolderPath);
        REQUIRE_UNWRITABLE(*unwritable);
    }
    typeTitle(QStringLiteral("Т"));
    m_services->elapse(kDraftDelayMs);
    ::setrlimit(RLIMIT_FSIZE, &original);
    typeTitle(QStringLiteral("и"));
    m_services->elapse(kDraftDelayMs);
    ::setrlimit(RLIMIT_FSIZE, &original);
    std::signal(SIGXFSZ, previousHandler);

    QCOMPARE(m_services->messages.size(), 1);
    const FakeServices::Message& message = m_services->messages.constFirst();
    QCOMPARE(message.text, QStringLiteral("Не удалось записать черновик паспорта работы в папку «%1»: %2.\n"
                                          "Введенные данные сохранятся только при записи паспорта в файл.")
                               .arg(m_services->draftFolderPath, reason));
    QCOMPARE(message.icon, DesktopServices::Icon::Warning);
    QCOMPARE(window().passportSnapshot().title, QStringLiteral("Ти"));

    m_services->writeHook = nullptr;
    unwritable.reset();
    typeTitle(QStringLiteral("р"));
    m_services->elapse(kDraftDelayMs);
    QCOMPARE(draftsIn(draftFolder()).size(), 1);
    QCOMPARE(m_services->messages.size(), 1);
}

using FolderPlant = std::function<bool(const QString& path)>;

void DraftTest::refusedFolder_data()
{
    QTest::addColumn<FolderPlant>("plant");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("a link in place of the folder") << FolderPlant([](const QString& path) {
        const QString elsewhere = path + QStringLiteral("-elsewhere");
        return QDir().mkpath(elsewhere) && QFile::link(elsewhere, path);
    }) << QStringLiteral("является символической ссылкой и не будет использована");
    QTest::newRow("another user's folder") << FolderPlant([](const QString& path) {
        return ::geteuid() == 0 && QDir().mkpath(path) &&
               ::chown(QFile::encodeName(path).constData(), 65534, 65534) == 0;
    }) << QStringLiteral("принадлежит другому пользователю и не будет использована");
}

// Refused like the temporary folder, said once; nothing is written there, and the editor goes on.
void DraftTest::refusedFolder()
{
    QFETCH(FolderPlant, plant);
    QFETCH(QString, refusal);
    QDir().mkpath(QFileInfo(m_services->draftFolderPath).path());
    if (!plant(m_services->draftFolderPath))
        QSKIP("only root can give a folder to another user");

    QVERIFY(!window().offerLeftDrafts(QString()));
    typeTitle(QStringLiteral("Т"));
    m_services->elapse(kDraftDelayMs);
    typeTitle(QStringLiteral("и"));
    m_services->elapse(kDraftDelayMs);
    QCOMPARE(m_services->messages.size(), 1);
    QCOMPARE(m_services->messages.constFirst().text,
             QStringLiteral("Не удалось записать черновик паспорта работы: папка черновиков «%1» %2.\n"
                            "Введенные данные сохранятся только при записи паспорта в файл.")
                 .arg(m_services->draftFolderPath, refusal));
    QVERIFY(draftsIn(m_services->draftFolderPath).isEmpty());
    QVERIFY(m_services->writtenFiles.isEmpty());
    QCOMPARE(window().passportSnapshot().title, QStringLiteral("Ти"));
}

// A shutdown or a closed terminal reaches the event loop instead of ending the program there and
// then; what the editor does then is checked on the real program (smoke_end_signal).
void DraftTest::askedToEnd_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGHUP") << SIGHUP;
}

void DraftTest::askedToEnd()
{
    QFETCH(int, signal);
    bool ended = false;
    const EndSignals endSignals([&ended] { ended = true; });
    QVERIFY(::raise(signal) == 0);
    QVERIFY(!ended);
    QTRY_VERIFY(ended);
}

void DraftTest::claimTable_data()
{
    QTest::addColumn<Disk>("disk");
    QTest::addColumn<QByteArray>("lock");
    QTest::addColumn<bool>("offered");
    QTest::addColumn<bool>("claimed");
    const struct
    {
        const char* name;
        Disk disk;
    } disks[] = {{"free disk", Disk::Free}, {"full disk", Disk::Full}, {"read-only disk", Disk::ReadOnly}};
    for (const auto& disk : disks) {
        const bool free = disk.disk == Disk::Free;
        QTest::addRow("%s, no lock", disk.name) << disk.disk << QByteArray() << true << free;
        QTest::addRow("%s, owner gone", disk.name) << disk.disk << deadLock() << true << free;
        QTest::addRow("%s, owner runs", disk.name) << disk.disk << runningLock() << false << false;
    }
}

// A draft that can be read is offered whether or not it can be claimed; one whose editor still
// runs is left alone. The draft itself is never changed by being looked at.
void DraftTest::claimTable()
{
    QFETCH(Disk, disk);
    QFETCH(QByteArray, lock);
    QFETCH(bool, offered);
    QFETCH(bool, claimed);
    SmallDisk small;
    REQUIRE_SMALL_DISK(small);
    const QString folder = prepareDraftFolder(small.path() + QStringLiteral("drafts"));
    const QString left =
        leaveDraft(folder, titled(QStringLiteral("Оставленный")), kChangedAt, QStringLiteral("draft-left.qdx.xml"));
    const QByteArray bytes = readAll(left);
    if (!lock.isEmpty())
        writeFileBytes(left + QStringLiteral(".lock"), lock);
    QVERIFY(spoil(small, disk));

    DraftStore store(folder);
    std::vector<ClaimedDraft> found = store.claimLeftDrafts();
    QCOMPARE(found.size(), offered ? 1U : 0U);
    if (offered) {
        QCOMPARE(found.front().path(), left);
        QCOMPARE(found.front().isClaimed(), claimed);
    }
    found.clear();
    QCOMPARE(readAll(left), bytes);
    if (lock == runningLock())
        QCOMPARE(readAll(left + QStringLiteral(".lock")), lock);
}

// Offered though it cannot be claimed, with word that it stays; restored, it shows and is kept in
// its file: closing asks nothing until something is typed that no draft can take.
void DraftTest::unclaimedDraftRestored()
{
    SmallDisk small;
    REQUIRE_SMALL_DISK(small);
    m_services->draftFolderPath = small.path() + QStringLiteral("drafts");
    const QString left = leaveDraft(m_services->draftFolder(), titled(QStringLiteral("Мост")), kChangedAt,
                                    QStringLiteral("draft-left.qdx.xml"));
    QVERIFY(small.fill());

    m_services->choiceAnswers.push_back(0);
    QVERIFY(window().offerLeftDrafts(QString()));
    QCOMPARE(m_services->choices.size(), 1);
    QCOMPARE(m_services->choices.constFirst().text,
             QStringLiteral("Найден черновик паспорта работы, не сохраненный в файл:\n\n«Мост»\n"
                            "последнее изменение: 13.12.2015 09:46\n\nВосстановить его?\n"
                            "Черновик останется в папке «%1drafts», пока его не удастся удалить.")
                 .arg(small.path()));
    QCOMPARE(window().passportSnapshot().title, QStringLiteral("Мост"));
    QVERIFY(window().holdsInput());
    window().show();
    QVERIFY(window().close());
    QCOMPARE(m_services->choices.size(), 1);
    QVERIFY(QFileInfo::exists(left));

    window().show();
    typeTitle(QStringLiteral(" и дорога"));
    m_services->elapse(kDraftDelayMs);
    QCOMPARE(m_services->messages.size(), 1);
    const QString failure =
        QStringLiteral("Не удалось записать черновик паспорта работы в папку «%1drafts»: На диске нет места.")
            .arg(small.path());
    QCOMPARE(m_services->messages.constFirst().text,
             failure + QStringLiteral("\nВведенные данные сохранятся только при записи паспорта в файл."));
    m_services->choiceAnswers.push_back(2);
    QVERIFY(!window().close());
    QCOMPARE(m_services->choices.size(), 2);
    QCOMPARE(m_services->choices.constLast().text,
             failure + QStringLiteral("\nВведенные данные не сохранены ни в файле, ни в черновике и при закрытии окна "
                                      "будут потеряны.\n\nСохранить паспорт в файл?"));
    QCOMPARE(window().passportSnapshot().title, QStringLiteral("Мост и дорога"));
    QCOMPARE(readDraft(left).passport.title, QStringLiteral("Мост"));
}

void DraftTest::staleLocksWithoutDraft_data()
{
    QTest::addColumn<QByteArray>("lock");
    QTest::addColumn<bool>("draftBeside");
    QTest::addColumn<bool>("removed");
    QTest::newRow("owner gone, no draft") << deadLock() << false << true;
    QTest::newRow("owner gone, a draft beside it, offered") << deadLock() << true << true;
    QTest::newRow("owner runs, no draft yet") << runningLock() << false << false;
}

// Left by an editor killed after its passport was saved: removed at the next start.
void DraftTest::staleLocksWithoutDraft()
{
    QFETCH(QByteArray, lock);
    QFETCH(bool, draftBeside);
    QFETCH(bool, removed);
    const QString draft = draftFolder() + QStringLiteral("draft-k.qdx.xml");
    QDir().mkpath(draftFolder());
    writeFileBytes(draft + QStringLiteral(".lock"), lock);
    if (draftBeside) {
        leaveDraft(draftFolder(), titled(QStringLiteral("Рядом")), kChangedAt, QStringLiteral("draft-k.qdx.xml"));
        m_services->choiceAnswers.push_back(1);
    }
    window().offerLeftDrafts(QString());
    QCOMPARE(QFileInfo::exists(draft + QStringLiteral(".lock")), !removed);
    QCOMPARE(QFileInfo::exists(draft), draftBeside);
    QCOMPARE(m_services->choices.size(), draftBeside ? 1 : 0);
}

// The two seconds run out while the section dialog is open: the draft takes the passport as last
// confirmed, not the boxes ticked in the dialog meanwhile.
void DraftTest::sectionDialogOpen()
{
    typeTitle(QStringLiteral("Мост"));
    m_services->modalScripts.push_back(dialogScript([this](QDialog& dialog) {
        auto* russian = dialogChild<QCheckBox>(dialog, "CheckBox25");
        QTest::mouseClick(russian, Qt::LeftButton, {}, QPoint(6, russian->height() / 2));
        QVERIFY(russian->isChecked());
        m_services->elapse(kDraftDelayMs);
        dialog.reject();
    }));
    user().press("Button3");
    const QStringList drafts = draftsIn(draftFolder());
    QCOMPARE(drafts.size(), 1);
    const ReadPassport read = readDraft(draftFolder() + drafts.constFirst());
    QCOMPARE(read.passport.title, QStringLiteral("Мост"));
    QVERIFY(!read.passport.languages.russian);
    QCOMPARE(read.passport.subjectSlots, (std::array<std::int32_t, PassportRecord::kSlotCount>{}));
}

using Situation = std::function<void(DraftTest&, UserActions&, FakeServices&, TPasport&)>;

void DraftTest::closeAsksOnlyWhenInputWouldBeLost_data()
{
    QTest::addColumn<Situation>("situation");
    QTest::addColumn<bool>("folderUsable");
    QTest::addColumn<bool>("asked");
    QTest::newRow("nothing typed") << Situation([](auto&, auto&, auto&, auto&) {}) << false << false;
    QTest::newRow("typed, the draft written")
        << Situation([](auto&, UserActions& user, auto&, auto&) { user.typeInto("title", QStringLiteral("Т")); })
        << true << false;
    QTest::newRow("typed, no draft possible")
        << Situation([](auto&, UserActions& user, auto&, auto&) { user.typeInto("title", QStringLiteral("Т")); })
        << false << true;
    QTest::newRow("typed and saved, no draft possible")
        << Situation([](auto&, UserActions& user, FakeServices& services, auto&) {
               fillComplete(user);
               services.saveFileAnswers.push_back(services.folder() + QStringLiteral("Работа.qdx.xml"));
               user.press("SaveButton");
           })
        << false << false;
    QTest::newRow("a passport opened, no draft possible")
        << Situation([](auto&, auto&, FakeServices& services, TPasport& window) {
               window.openPassport(leaveDraft(services.folder(), titled(QStringLiteral("Из файла")), kChangedAt,
                                              QStringLiteral("work.qdx.xml")));
           })
        << false << false;
}

void DraftTest::closeAsksOnlyWhenInputWouldBeLost()
{
    QFETCH(Situation, situation);
    QFETCH(bool, folderUsable);
    QFETCH(bool, asked);
    if (!folderUsable)
        m_services->draftFolderPath = blockedDraftFolder(*m_services);
    window().show();
    UserActions actions = user();
    situation(*this, actions, *m_services, window());
    if (asked)
        m_services->choiceAnswers.push_back(1);
    QVERIFY(window().close());
    QCOMPARE(m_services->choices.size(), asked ? 1 : 0);
    QCOMPARE(draftsIn(draftFolder()).size(), folderUsable && window().holdsInput() ? 1 : 0);
}

void DraftTest::closeQuestionAnswers_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<QString>("savedAs");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<QStringList>("captionsShown");
    QTest::newRow("Сохранить") << 0 << true << QStringLiteral("Работа.qdx.xml") << true
                               << QStringList{"Паспорт сохранен"};
    QTest::newRow("Сохранить, the dialog cancelled") << 0 << true << QString() << false << QStringList();
    QTest::newRow("Сохранить, incomplete") << 0 << false << QString() << false << QStringList{"Неполная информация"};
    QTest::newRow("Закрыть без сохранения") << 1 << true << QString() << true << QStringList();
    QTest::newRow("Отмена") << 2 << true << QString() << false << QStringList();
}

// With no draft to be had, closing asks; "Сохранить" is the save command, and the window closes
// only once the passport is in its file.
void DraftTest::closeQuestionAnswers()
{
    QFETCH(int, answer);
    QFETCH(bool, complete);
    QFETCH(QString, savedAs);
    QFETCH(bool, closed);
    QFETCH(QStringList, captionsShown);
    m_services->draftFolderPath = blockedDraftFolder(*m_services);
    window().show();
    UserActions actions = user();
    if (complete)
        fillComplete(actions);
    else
        typeTitle(QStringLiteral("Работа"));
    m_services->elapse(kDraftDelayMs);
    QCOMPARE(m_services->messages.size(), 1);
    const QString folderFailure = m_services->messages.constFirst().text.section(u'\n', 0, 0);
    QVERIFY2(folderFailure.startsWith(QStringLiteral("Не удалось записать черновик паспорта работы: ")),
             qPrintable(folderFailure));
    m_services->messages.clear();

    m_services->choiceAnswers.push_back(answer);
    if (answer == 0 && complete)
        m_services->saveFileAnswers.push_back(savedAs.isEmpty() ? QString() : m_services->folder() + savedAs);
    QCOMPARE(window().close(), closed);
    QCOMPARE(m_services->choices.size(), 1);
    const FakeServices::Choice& choice = m_services->choices.constFirst();
    QCOMPARE(choice.text, folderFailure + QStringLiteral("\nВведенные данные не сохранены ни в файле, ни в черновике "
                                                         "и при закрытии окна будут потеряны.\n\n"
                                                         "Сохранить паспорт в файл?"));
    QCOMPARE(choice.caption, QStringLiteral("Электронный паспорт работы"));
    QCOMPARE(choice.buttons, (QStringList{"Сохранить", "Закрыть без сохранения", "Отмена"}));
    QCOMPARE(choice.defaultButton, 2);
    QStringList captions;
    for (const FakeServices::Message& message : m_services->messages)
        captions << message.caption;
    QCOMPARE(captions, captionsShown);
    QCOMPARE(QFileInfo::exists(m_services->folder() + QStringLiteral("Работа.qdx.xml")), !savedAs.isEmpty());
    QCOMPARE(window().isVisible(), !closed);
    QCOMPARE(window().passportSnapshot().title, QStringLiteral("Работа"));
}

// What the log says when the program is asked to end and no question can be shown.
void DraftTest::endNotes()
{
    QCOMPARE(window().draft().endNote(), QString());
    typeTitle(QStringLiteral("Мост"));
    window().draft().keepNow(DraftKeeper::Report::Never);
    const QStringList drafts = draftsIn(draftFolder());
    QCOMPARE(drafts.size(), 1);
    QCOMPARE(window().draft().endNote(),
             QStringLiteral("введенные данные сохранены в черновике «%1».").arg(draftFolder() + drafts.constFirst()));

    m_services->draftFolderPath = blockedDraftFolder(*m_services);
    EditorWindows unkept(*m_services);
    typeText(namedChild<QLineEdit>(*unkept.Pasport, "title"), QStringLiteral("Мост"));
    unkept.Pasport->draft().keepNow(DraftKeeper::Report::Never);
    const QString note = unkept.Pasport->draft().endNote();
    QVERIFY2(note.startsWith(QStringLiteral("Не удалось записать черновик паспорта работы: ")), qPrintable(note));
    QVERIFY2(note.endsWith(QStringLiteral(". Введенные данные, не сохраненные в файл, потеряны.")), qPrintable(note));
    QVERIFY(m_services->messages.isEmpty());
}

QTEST_MAIN(DraftTest)
#include "tst_draft.moc"
