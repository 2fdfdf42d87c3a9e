// Starting the next passport: Ctrl+N an empty one, Ctrl+Shift+N one that keeps the supervisors and
// the contacts; whatever was in no file is left as a draft for the next start, with no question;
// the menu in the tab bar's corner that shows these commands, and Ctrl+S.

#include "core/draft/DraftStore.h"
#include "core/passport/PassportReader.h"
#include "core/picture/Base64.h"
#include "core/picture/JpegImport.h"
#include "support/EditorTest.h"
#include "support/Files.h"
#include "support/Passports.h"
#include "windows/Subj.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <functional>

namespace {

ReadPassport held(const PassportSnapshot& passport)
{
    ReadPassport read{passport, 0, {}};
    read.picture = decodeStoredJpeg(Base64Decode(passport.pictureBase64.toLatin1()).value()).picture;
    return read;
}

QStringList draftsIn(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("draft-*.qdx.xml")}, QDir::Files, QDir::Name);
}

QString names(const QList<ParticipantEntry>& entries)
{
    QStringList out;
    for (const ParticipantEntry& e : entries)
        out << QString::fromLatin1(e.id) + u' ' + fromCp1251(e.surname) + u' ' + fromCp1251(e.name) + u' ' +
                   fromCp1251(e.patronymic);
    return out.join(QStringLiteral("; "));
}

using Shown = std::function<QString(const PassportSnapshot&, TPasport&)>;

} // namespace

Q_DECLARE_METATYPE(Shown)

class NewPassportTest : public EditorTest
{
    Q_OBJECT

private slots:
    void init() { createEditor(); }
    void cleanup() { destroyEditor(); }

    void nextPassportKeepsAndEmpties_data();
    void nextPassportKeepsAndEmpties();
    void emptyPassport();
    void unsavedPassportLeftAsDraft_data();
    void unsavedPassportLeftAsDraft();
    void savedPassportLeavesNoDraft();
    void draftFolderUnusableAsksFirst();
    void menuShowsTheCommands();
    void ctrlSPressesSave();

private:
    TPasport& window() const { return *m_windows->Pasport; }
    QString draftFolder() const { return m_services->draftFolderPath + u'/'; }
    void activate()
    {
        window().show();
        window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window()));
        find<QLineEdit>("title")->setFocus();
    }
    void keys(Qt::KeyboardModifiers modifiers) { QTest::keyClick(find<QLineEdit>("title"), Qt::Key_N, modifiers); }
};

void NewPassportTest::nextPassportKeepsAndEmpties_data()
{
    QTest::addColumn<Shown>("shown");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char* name, Shown shown, const QString& expected) {
        QTest::newRow(name) << shown << expected;
    };
    row(
        "supervisors kept with their names", [](const PassportSnapshot& p, TPasport&) { return names(p.teachers); },
        QStringLiteral("%1 Петров Пётр Петрович; %2 Сидорова Мария Ильинична")
            .arg(QString::fromLatin1(participantId(3)), QString::fromLatin1(participantId(4))));
    row(
        "invoice recipient kept", [](const PassportSnapshot& p, TPasport&) { return QString::number(p.leaderIndex); },
        QStringLiteral("1"));
    row(
        "post index kept", [](const PassportSnapshot& p, TPasport&) { return p.postIndex; }, QStringLiteral("620000"));
    row(
        "address kept", [](const PassportSnapshot& p, TPasport&) { return p.postAddress; },
        QStringLiteral("г. Екатеринбург, ул. Ленина, д. 1"));
    row(
        "phone kept", [](const PassportSnapshot& p, TPasport&) { return p.phone; },
        QStringLiteral("+7 (343) 000-00-00"));
    row(
        "e-mail kept", [](const PassportSnapshot& p, TPasport&) { return p.email; },
        QStringLiteral("school@example.org"));
    row(
        "title emptied", [](const PassportSnapshot& p, TPasport&) { return p.title; }, QString());
    row(
        "description emptied", [](const PassportSnapshot& p, TPasport&) { return p.description; }, QString());
    row(
        "requirements emptied", [](const PassportSnapshot& p, TPasport&) { return p.techRequest; }, QString());
    row(
        "manual emptied", [](const PassportSnapshot& p, TPasport&) { return p.manual; }, QString());
    row(
        "authors emptied", [](const PassportSnapshot& p, TPasport&) { return names(p.authors); }, QString());
    row(
        "sections emptied",
        [](const PassportSnapshot& p, TPasport&) {
            QStringList used;
            for (int slot : p.subjectSlots)
                used << QString::number(slot);
            return used.join(u',');
        },
        QStringLiteral("0,0,0,0,0"));
    row(
        "languages emptied",
        [](const PassportSnapshot& p, TPasport&) {
            return QStringLiteral("%1%2%3%4 %5")
                .arg(p.languages.russian)
                .arg(p.languages.english)
                .arg(p.languages.german)
                .arg(p.languages.other)
                .arg(p.languages.otherText);
        },
        QStringLiteral("0000 "));
    row(
        "section titles emptied",
        [](const PassportSnapshot&, TPasport& w) { return namedChild<QLabel>(w, "subj1")->text(); },
        QStringLiteral("[ Раздел не задан ]"));
    row(
        "picture removed", [](const PassportSnapshot& p, TPasport&) { return p.pictureBase64; }, QString());
    row(
        "add picture enabled again",
        [](const PassportSnapshot&, TPasport& w) {
            return namedChild<QPushButton>(w, "AddImg")->isEnabled() ? QStringLiteral("yes") : QStringLiteral("no");
        },
        QStringLiteral("yes"));
    row(
        "caption emptied", [](const PassportSnapshot& p, TPasport&) { return p.pictureCaption; }, QString());
    row(
        "private comment emptied", [](const PassportSnapshot& p, TPasport&) { return p.notes; }, QString());
}

void NewPassportTest::nextPassportKeepsAndEmpties()
{
    QFETCH(Shown, shown);
    QFETCH(QString, expected);
    activate();
    window().loadPassport(held(fullPassport()));
    keys(Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(shown(window().passportSnapshot(), window()), expected);
    QVERIFY(m_services->messages.isEmpty());
}

void NewPassportTest::emptyPassport()
{
    activate();
    window().loadPassport(held(fullPassport()));
    keys(Qt::ControlModifier);
    QVERIFY(!window().holdsInput());
    QCOMPARE(window().passportSnapshot().postAddress, QString());
    QCOMPARE(find<QComboBox>("LeaderID")->count(), 0);
}

void NewPassportTest::unsavedPassportLeftAsDraft_data()
{
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Ctrl+N") << int(Qt::ControlModifier);
    QTest::newRow("Ctrl+Shift+N") << int(Qt::ControlModifier | Qt::ShiftModifier);
}

// Typed and in no file: left as a draft that the next start offers, no question asked. The new
// passport's own draft is another file.
void NewPassportTest::unsavedPassportLeftAsDraft()
{
    QFETCH(int, modifiers);
    activate();
    window().loadPassport(held(fullPassport()));
    keys(Qt::KeyboardModifiers(modifiers));
    QVERIFY(m_services->messages.isEmpty());
    QVERIFY(m_services->choices.isEmpty());

    const QStringList drafts = draftsIn(draftFolder());
    QCOMPARE(drafts.size(), 1);
    QCOMPARE(readPassportDocument(readAll(draftFolder() + drafts.constFirst())).passport.title,
             QStringLiteral("Птицы нашего парка"));
    DraftStore nextStart(draftFolder());
    QCOMPARE(nextStart.claimLeftDrafts().size(), std::size_t(1));

    user().typeInto("title", QStringLiteral("Вторая работа"));
    m_services->elapse(5000);
    QCOMPARE(draftsIn(draftFolder()).size(), 2);
}

void NewPassportTest::savedPassportLeavesNoDraft()
{
    activate();
    const QString path = saveFolder() + QStringLiteral("first.qdx.xml");
    writeFileBytes(path, serializePassportDocument(
                             BuildPassportDocument(fullPassport(), PassportDocumentKind::Saved, 1450000000)));
    window().openPassport(path);
    QCOMPARE(window().passportSnapshot().title, QStringLiteral("Птицы нашего парка"));
    keys(Qt::ControlModifier | Qt::ShiftModifier);
    m_services->elapse(5000);
    QVERIFY(draftsIn(draftFolder()).isEmpty());
    QVERIFY(m_services->messages.isEmpty());
}

// Without a draft the input would be lost: then, and only then, the user is asked.
void NewPassportTest::draftFolderUnusableAsksFirst()
{
    activate();
    writeFileBytes(m_services->folder() + QStringLiteral("not-a-folder"), "x");
    m_services->draftFolderPath = m_services->folder() + QStringLiteral("not-a-folder");
    user().typeInto("title", QStringLiteral("Несохраненная"));
    m_services->answers.push_back(DesktopServices::Answer::No);
    keys(Qt::ControlModifier);
    QCOMPARE(m_services->messages.size(), 2);
    QCOMPARE(m_services->messages[1].text,
             QStringLiteral("Введенные данные не удалось сохранить как черновик, и в новом паспорте они будут "
                            "потеряны.\nНачать новый паспорт работы?"));
    QCOMPARE(m_services->messages[1].buttons, DesktopServices::Buttons::YesNo);
    QCOMPARE(window().passportSnapshot().title, QStringLiteral("Несохраненная"));

    m_services->answers.push_back(DesktopServices::Answer::Yes);
    keys(Qt::ControlModifier);
    QCOMPARE(window().passportSnapshot().title, QString());
}

void NewPassportTest::menuShowsTheCommands()
{
    auto* button = qobject_cast<QToolButton*>(find<QTabWidget>("SectionsTabs")->cornerWidget(Qt::TopRightCorner));
    QVERIFY(button);
    QCOMPARE(button->text(), QStringLiteral("Паспорт"));
    QVERIFY(button->menu());
    QStringList shown;
    for (const QAction* action : button->menu()->actions()) {
        if (!action->isSeparator())
            shown << action->text() + u' ' + action->shortcut().toString(QKeySequence::PortableText);
    }
    QCOMPARE(shown,
             QStringList({QStringLiteral("Новый паспорт Ctrl+N"), QStringLiteral("Новый паспорт из этого Ctrl+Shift+N"),
                          QStringLiteral("Открыть… Ctrl+O"), QStringLiteral("Сохранить… Ctrl+S")}));
    QCOMPARE(find<QPushButton>("SaveButton")->toolTip(), QStringLiteral("Сохранить паспорт работы в файл (Ctrl+S)"));
    // The button sits outside the tab order that was drawn.
    QCOMPARE(button->focusPolicy(), Qt::NoFocus);
    // In the free corner: beside the last tab, as high as the tab bar, inside the window.
    window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&window()));
    auto* tabs = find<QTabWidget>("SectionsTabs");
    const QRect tabBar(tabs->tabBar()->mapTo(&window(), QPoint()), tabs->tabBar()->size());
    const QRect corner(button->mapTo(&window(), QPoint()), button->size());
    QVERIFY2(button->isVisible() && corner.left() >= tabBar.right() && corner.right() < window().width() &&
                 corner.bottom() <= tabBar.bottom() + 2 && corner.width() >= button->sizeHint().width(),
             qPrintable(QStringLiteral("tab bar %1,%2 %3x%4; button %5,%6 %7x%8")
                            .arg(tabBar.x())
                            .arg(tabBar.y())
                            .arg(tabBar.width())
                            .arg(tabBar.height())
                            .arg(corner.x())
                            .arg(corner.y())
                            .arg(corner.width())
                            .arg(corner.height())));
}

void NewPassportTest::ctrlSPressesSave()
{
    activate();
    QTest::keyClick(find<QLineEdit>("title"), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(m_services->messages.size(), 1);
    QVERIFY2(m_services->messages[0].text.startsWith(
                 QStringLiteral("Для записи электронного паспорта в файл необходимо заполнить следующие поля:")),
             qPrintable(m_services->messages[0].text));
}

QTEST_MAIN(NewPassportTest)
#include "tst_new_passport.moc"
