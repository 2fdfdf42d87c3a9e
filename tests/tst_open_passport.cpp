// Reopening a saved passport on the main window: every item back where the editing handlers put
// it, so that saving again writes the same file but for `stored`; nothing of the passport before
// survives; the question before replacing input; refused passports change nothing; Ctrl+O, a
// dropped file and the command line.

#include "core/participants/ParticipantId.h"
#include "core/passport/PassportDocument.h"
#include "core/passport/PassportReader.h"
#include "core/picture/Base64.h"
#include "core/picture/JpegEncode.h"
#include "core/picture/JpegImport.h"
#include "core/sections/SectionRules.h"
#include "core/shell/AppInfo.h"
#include "core/shell/Failure.h"
#include "core/shell/Windows1251.h"
#include "support/EditorTest.h"
#include "support/JpegFixtures.h"
#include "support/Passports.h"
#include "support/Xml.h"
#include "windows/ErrorBox.h"
#include "windows/ImageCanvas.h"
#include "windows/MemoEdit.h"
#include "windows/Subj.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QUrl>
#include <functional>

Q_DECLARE_METATYPE(PassportSnapshot)

namespace {

constexpr qint64 kStoredBefore = 1450000000;
constexpr qint64 kStoredAgain = 1460000000;

PassportSnapshot richPassport()
{
    PassportParts parts;
    parts.title = QStringLiteral("Сказка о \"Золотой рыбке\", часть 1/2 & <ещё>");
    parts.description = QStringLiteral("Первая строка\r\n\tвторая с табуляцией 🐟\r\n\r\n");
    parts.techRequest = QStringLiteral("Браузер, 1024 x 768");
    parts.manual = QStringLiteral("Открыть index.html\r\nи читать");
    parts.notes = QStringLiteral("Спасибо!\r\nС уважением, авторы");
    parts.authors = {person(1, QStringLiteral("Иванов"), QStringLiteral("Иван"), QStringLiteral("Иванович")),
                     person(2, QStringLiteral("Ёлкина-Соколова"), QStringLiteral("Анна"), QStringLiteral("Сергеевна"))};
    parts.subjectSlots = {2, 11, 22, 24, 0};
    parts.languages = {};
    parts.pictureWidth = 200;
    parts.pictureHeight = 100;
    parts.pictureCaption = QStringLiteral("Рыбка у берега");
    return fullPassport(parts);
}

PassportSnapshot crowdedPassport()
{
    PassportSnapshot p = richPassport();
    p.authors.clear();
    for (int i = 0; i < PassportRecord::kMaxAuthors; ++i)
        p.authors.append(person(10 + i, QStringLiteral("Автор%1").arg(i), QStringLiteral("Имя"), QString()));
    // A name outside Windows-1251 was stored as "?" and stays so.
    p.authors[4].surname = toCp1251(QStringLiteral("Ng 阮"));
    p.teachers.append(person(30, QStringLiteral("Кузнецов"), QStringLiteral("Олег"), QStringLiteral("Андреевич")));
    p.leaderIndex = 2;
    return p;
}

PassportSnapshot linguisticsPassport(bool russian, bool english, bool german, bool other, const QString& otherText)
{
    PassportSnapshot p = richPassport();
    p.subjectSlots = {6, 8, 24, 0, 0};
    p.languages = {russian, english, german, other, otherText};
    return p;
}

PassportSnapshot barePassport()
{
    PassportSnapshot p;
    p.title = QStringLiteral("Только название");
    p.description = QStringLiteral("Только описание");
    p.authors = {person(40, QString(), QString(), QString())};
    p.subjectSlots = {18, 0, 0, 0, 0};
    return p;
}

// The passport as the reader hands it over, its picture decoded; the reader is not the subject here.
ReadPassport held(const PassportSnapshot& passport)
{
    ReadPassport read{passport, 0, {}};
    if (passport.hasPicture)
        read.picture = decodeStoredJpeg(Base64Decode(passport.pictureBase64.toLatin1()).value()).picture;
    return read;
}

} // namespace

class OpenPassportTest : public EditorTest
{
    Q_OBJECT

private slots:
    void init() { createEditor(); }
    void cleanup() { destroyEditor(); }

    void savingAgainWritesTheSameFile_data();
    void savingAgainWritesTheSameFile();
    void itemsGoWhereTheHandlersPutThem();
    void nothingOfThePassportBeforeSurvives_data();
    void nothingOfThePassportBeforeSurvives();
    void passportsTheEditorCannotHoldChangeNothing_data();
    void passportsTheEditorCannotHoldChangeNothing();
    void askFirstWhenTheEditorHoldsInput_data();
    void askFirstWhenTheEditorHoldsInput();
    void ctrlOShowsTheOpenDialog();
    void refusedFileShowsTheErrorAndChangesNothing();
    void droppedPassportOpens();
    void damagedPictureSalvaged();
    void commandLineOpensAtStart();
    void passportOfTheRealWindowCheckOpens();

private:
    TPasport& window() { return *m_windows->Pasport; }
    QByteArray savedAgain() { return build(window().passportSnapshot(), PassportDocumentKind::Saved, kStoredAgain); }
    QString writePassport(const PassportSnapshot& passport, const QString& name = QStringLiteral("work.qdx.xml"));
    QStringList stateOf(const EditorWindows& windows) const;
};

QString OpenPassportTest::writePassport(const PassportSnapshot& passport, const QString& name)
{
    const QString path = m_services->folder() + name;
    writeFileBytes(path, build(passport, PassportDocumentKind::Saved, kStoredBefore));
    return path;
}

// Everything a user can see or reach in the three windows, control by control.
QStringList OpenPassportTest::stateOf(const EditorWindows& windows) const
{
    QStringList state;
    QList<QWidget*> widgets = windows.Pasport->findChildren<QWidget*>();
    widgets.prepend(windows.Pasport.get());
    for (QWidget* w : widgets) {
        const QString name = w->objectName();
        // Qt's own parts: the tab bar's scroll buttons follow the window's size, not the passport.
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")) || qobject_cast<QTabBar*>(w->parentWidget()))
            continue;
        QString line = name + (w->isEnabled() ? QStringLiteral(" on") : QStringLiteral(" off"));
        if (auto* edit = qobject_cast<QLineEdit*>(w))
            line += QStringLiteral(" [%1] ro=%2 base=%3")
                        .arg(edit->text())
                        .arg(edit->isReadOnly())
                        .arg(edit->palette().color(QPalette::Base).name());
        else if (auto* memo = qobject_cast<MemoEdit*>(w))
            line += QStringLiteral(" [%1]").arg(memo->text());
        else if (auto* text = qobject_cast<QPlainTextEdit*>(w))
            line += QStringLiteral(" [%1]").arg(text->toPlainText());
        else if (auto* list = qobject_cast<QListWidget*>(w)) {
            for (int i = 0; i < list->count(); ++i)
                line += QStringLiteral(" %1%2").arg(list->item(i)->text(), list->item(i)->isSelected() ? "*" : "");
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            for (int i = 0; i < combo->count(); ++i)
                line += QStringLiteral(" %1%2").arg(combo->itemText(i), combo->currentIndex() == i ? "*" : "");
        } else if (auto* label = qobject_cast<QLabel*>(w))
            line += QStringLiteral(" [%1]").arg(label->text());
        else if (auto* box = qobject_cast<QGroupBox*>(w))
            line += QStringLiteral(" [%1]").arg(box->title());
        else if (auto* check = qobject_cast<QCheckBox*>(w))
            line += check->isChecked() ? QStringLiteral(" checked") : QString();
        else if (auto* tabs = qobject_cast<QTabWidget*>(w))
            line += QStringLiteral(" page %1").arg(tabs->currentIndex());
        else if (auto* image = qobject_cast<ImageCanvas*>(w))
            line += QStringLiteral(" %1x%2 #%3")
                        .arg(image->bitmap().width())
                        .arg(image->bitmap().height())
                        .arg(qHashBits(image->bitmap().constBits(), size_t(image->bitmap().sizeInBytes())));
        state.append(line);
    }
    const PassportRecord& record = windows.Pasport->record();
    const auto entries = [&state](const auto& places) {
        for (const ParticipantEntry& e : places)
            state.append(QString::fromLatin1((e.id + '|' + e.surname + '|' + e.name + '|' + e.patronymic).toHex()));
    };
    entries(record.Authors);
    entries(record.Teachers);
    for (std::int32_t slot : record.SubjectSlots)
        state.append(QString::number(slot));
    return state;
}

void OpenPassportTest::savingAgainWritesTheSameFile_data()
{
    QTest::addColumn<PassportSnapshot>("passport");
    QTest::newRow("rich") << richPassport();
    QTest::newRow("10 authors, 3 supervisors, the third gets the invoice") << crowdedPassport();
    QTest::newRow("empty optional fields, no picture, no supervisor") << barePassport();
    QTest::newRow("linguistics: Russian") << linguisticsPassport(true, false, false, false, {});
    QTest::newRow("linguistics: all languages and другое")
        << linguisticsPassport(true, true, true, true, QStringLiteral("эсперанто"));
    QTest::newRow("linguistics: другое alone")
        << linguisticsPassport(false, false, false, true, QStringLiteral("ток-писин"));
    QTest::newRow("linguistics: другое left empty") << linguisticsPassport(false, true, false, true, QString());
    // Confirmed with linguistics, unticked again and the dialog closed by its close box.
    QTest::newRow("linguistics without a language") << linguisticsPassport(false, false, false, false, QString());
    PassportSnapshot thin = barePassport();
    setPicture(thin, 1, 300, QString());
    QTest::newRow("1x300 picture without caption") << thin;
    PassportSnapshot blankCaption = richPassport();
    blankCaption.pictureCaption = QStringLiteral("   ");
    setPicture(blankCaption, 300, 300, QStringLiteral("   "));
    QTest::newRow("300x300 picture, caption of blanks") << blankCaption;
    PassportSnapshot limits = richPassport();
    limits.title = QString(250, u'Щ');
    limits.description = QString(498, u'a') + QStringLiteral("\r\n");
    limits.manual = QStringLiteral("\r\n").repeated(250);
    limits.notes = QString(1999, u'z') + QStringLiteral("!");
    limits.postIndex = QString(10, u'9');
    limits.authors[0].surname = QByteArray(50, 'W');
    QTest::newRow("texts at their limits") << limits;
}

void OpenPassportTest::savingAgainWritesTheSameFile()
{
    QFETCH(PassportSnapshot, passport);
    const QByteArray file = build(passport, PassportDocumentKind::Saved, kStoredBefore);
    // The reader is not this test's subject: a snapshot goes straight in.
    window().loadPassport(held(passport));
    QCOMPARE(savedAgain(), build(passport, PassportDocumentKind::Saved, kStoredAgain));
    const XmlDoc again(savedAgain());
    QVERIFY2(again.ok(), qPrintable(again.errors()));
    QCOMPARE(again.string(QStringLiteral("/lumarinda/work/@stored")), QString::number(kStoredAgain));

    // Through the file and the reader as a user opens it, over the passport just loaded.
    m_services->answers.push_back(DesktopServices::Answer::Yes);
    window().openPassport(writePassport(passport));
    QByteArray expected = file;
    expected.replace(QByteArray::number(kStoredBefore), QByteArray::number(kStoredAgain));
    QCOMPARE(savedAgain(), expected);
}

void OpenPassportTest::itemsGoWhereTheHandlersPutThem()
{
    const PassportSnapshot passport = linguisticsPassport(false, true, false, true, QStringLiteral("эсперанто"));
    window().loadPassport(held(passport));

    QCOMPARE(find<MemoEdit>("description")->toPlainText(),
             QStringLiteral("Первая строка\n\tвторая с табуляцией 🐟\n\n"));
    QCOMPARE(find<QLabel>("subj1")->text(), QStringLiteral("Лингвистика"));
    QCOMPARE(find<QLabel>("subj2")->text(), QStringLiteral("Математика"));
    QCOMPARE(find<QLabel>("subj3")->text(), QStringLiteral("Конкурс «Учебный проект»"));
    QCOMPARE(find<QLabel>("subj4")->text(), QString());

    // The dialog's boxes as clicks leave them: with two main sections the others are off.
    TSubjects& subjects = *m_windows->Subjects;
    const Sections::BoxStates boxes = subjects.boxStates();
    for (int box : {6, 8, 24, 26, 28})
        QVERIFY2(boxes.checked[box], qPrintable(QString::number(box)));
    QVERIFY(!boxes.checked[25] && !boxes.checked[27] && !boxes.checked[22]);
    QVERIFY(!boxes.enabled[1] && boxes.enabled[6] && boxes.enabled[8] && boxes.enabled[25] && boxes.enabled[22]);
    auto* other = subjects.findChild<QLineEdit*>(QStringLiteral("subjectLingvoOtherEdit"));
    QVERIFY(other->isEnabled());
    QCOMPARE(other->text(), QStringLiteral("эсперанто"));
    // Confirming the dialog unchanged gives the same slots.
    m_services->modalScripts.push_back([](QDialog&) { return true; });
    find<QPushButton>("Button3")->click();
    QCOMPARE(window().record().SubjectSlots, passport.subjectSlots);

    // People: the last one added is selected and editable, the invoice recipient chosen.
    QCOMPARE(find<QGroupBox>("AuthorsGroup")->title(), QStringLiteral("Авторы (2)"));
    QCOMPARE(find<QGroupBox>("TeachersGroup")->title(), QStringLiteral("Руководители (2)"));
    QCOMPARE(find<QListWidget>("TeachersListBox")->currentRow(), 1);
    QCOMPARE(find<QLineEdit>("TeachersLastname")->text(), QStringLiteral("Сидорова"));
    QVERIFY(!find<QLineEdit>("TeachersLastname")->isReadOnly());
    QVERIFY(find<QPushButton>("TeacherDelete")->isEnabled() && find<QPushButton>("TeacherAdd")->isEnabled());
    QCOMPARE(find<QComboBox>("LeaderID")->currentText(), QString::fromLatin1(participantId(4)));
    QVERIFY(find<QComboBox>("LeaderID")->isEnabled() && find<QLabel>("LeaderID_Label")->isEnabled());
    // Typing a name goes into the selected entry, as after an add.
    find<QLineEdit>("AuthorsName")->setText(QStringLiteral("Аня"));
    QCOMPARE(window().record().Authors[1].name, toCp1251(QStringLiteral("Аня")));

    // The picture as after an import; removing it works as ever.
    QCOMPARE(find<ImageCanvas>("WorkImg")->bitmap().size(), QSize(200, 100));
    QVERIFY(!find<QPushButton>("AddImg")->isEnabled() && find<QPushButton>("DelImg")->isEnabled());
    QVERIFY(find<QLineEdit>("WorkImgSign")->isEnabled());
    QCOMPARE(find<QLineEdit>("WorkImgSign")->text(), QStringLiteral("Рыбка у берега"));
    find<QPushButton>("DelImg")->click();
    QVERIFY(!window().passportSnapshot().hasPicture);

    // Ten authors: no eleventh can be added.
    window().loadPassport(held(crowdedPassport()));
    QVERIFY(!find<QPushButton>("AuthorAdd")->isEnabled() && !find<QPushButton>("TeacherAdd")->isEnabled());
    QCOMPARE(find<QLineEdit>("AuthorsLastname")->text(), QStringLiteral("Автор9"));
}

void OpenPassportTest::nothingOfThePassportBeforeSurvives_data()
{
    QTest::addColumn<PassportSnapshot>("before");
    QTest::addColumn<PassportSnapshot>("after");
    QTest::newRow("crowded, then bare") << crowdedPassport() << barePassport();
    QTest::newRow("languages and другое, then rich")
        << linguisticsPassport(true, true, true, true, QStringLiteral("эсперанто")) << richPassport();
    QTest::newRow("rich, then an empty passport") << richPassport() << PassportSnapshot();
}

// Loading over a filled editor leaves exactly what loading into a fresh one does.
void OpenPassportTest::nothingOfThePassportBeforeSurvives()
{
    QFETCH(PassportSnapshot, before);
    QFETCH(PassportSnapshot, after);
    window().loadPassport(held(before));
    find<QTabWidget>("SectionsTabs")->setCurrentIndex(2);
    // A name typed after the last supervisor was deleted lives in no entry, yet it is on screen.
    window().loadPassport(held(after));

    FakeServices freshServices;
    EditorWindows fresh(freshServices);
    fresh.Pasport->loadPassport(held(after));
    QStringList reused = stateOf(*m_windows);
    QStringList anew = stateOf(fresh);
    // Switching pages reorders the pages among their siblings, which nobody sees.
    reused.sort();
    anew.sort();
    QCOMPARE(reused, anew);
    QCOMPARE(savedAgain(), build(after, PassportDocumentKind::Saved, kStoredAgain));

    if (!after.hasPicture) {
        EditorWindows untouched(freshServices);
        const QImage startPicture = untouched.Pasport->findChild<ImageCanvas*>(QStringLiteral("WorkImg"))->bitmap();
        QCOMPARE(find<ImageCanvas>("WorkImg")->bitmap(), startPicture);
    }
}

void OpenPassportTest::passportsTheEditorCannotHoldChangeNothing_data()
{
    QTest::addColumn<PassportSnapshot>("passport");
    // Only a picture, a section or a participant at fault: the rest is offered, and declined here.
    QTest::addColumn<bool>("offered");
    const auto with = [](const std::function<void(PassportSnapshot&)>& change) {
        PassportSnapshot p = richPassport();
        change(p);
        return p;
    };
    QTest::newRow("11 authors") << with([](PassportSnapshot& p) {
        for (int i = 0; i < 9; ++i)
            p.authors.append(person(50 + i, QStringLiteral("Лишний"), {}, {}));
    }) << false;
    QTest::newRow("4 supervisors") << with([](PassportSnapshot& p) {
        p.teachers.append(person(60, {}, {}, {}));
        p.teachers.append(person(61, {}, {}, {}));
    }) << false;
    QTest::newRow("supervisors without a recipient") << with([](PassportSnapshot& p) { p.leaderIndex = -1; }) << false;
    QTest::newRow("recipient beyond the supervisors") << with([](PassportSnapshot& p) { p.leaderIndex = 2; }) << false;
    QTest::newRow("wrong check code") << with([](PassportSnapshot& p) { p.authors[0].id = "100-000-100"; }) << true;
    QTest::newRow("identifier not in display form") << with([](PassportSnapshot& p) {
        p.authors[0].id = NormalizeParticipantId(QString::fromLatin1(p.authors[0].id));
    }) << true;
    QTest::newRow("author also a supervisor")
        << with([](PassportSnapshot& p) { p.teachers[0].id = p.authors[0].id; }) << true;
    QTest::newRow("name over 50 characters")
        << with([](PassportSnapshot& p) { p.teachers[1].name = QByteArray(51, 'x'); }) << false;
    QTest::newRow("title over 250 characters")
        << with([](PassportSnapshot& p) { p.title = QString(251, u'x'); }) << false;
    QTest::newRow("comment over 2000 characters")
        << with([](PassportSnapshot& p) { p.notes = QString(2001, u'x'); }) << false;
    QTest::newRow("другое over 50 characters") << with([](PassportSnapshot& p) {
        p.subjectSlots = {6, 0, 0, 0, 0};
        p.languages.other = true;
        p.languages.otherText = QString(51, u'x');
    }) << true;
    QTest::newRow("three main sections") << with([](PassportSnapshot& p) { p.subjectSlots = {1, 2, 3, 0, 0}; }) << true;
    QTest::newRow("another season") << with([](PassportSnapshot& p) { p.seasonId = 14; }) << false;
    QTest::newRow("picture size differs") << with([](PassportSnapshot& p) { p.pictureWidth = 199; }) << true;
    QTest::newRow("picture larger than the box")
        << with([](PassportSnapshot& p) { setPicture(p, 301, 10, {}); }) << true;
    QTest::newRow("picture is no JPEG") << with([](PassportSnapshot& p) {
        p.pictureBase64 = QString::fromLatin1(Base64Encode("not a picture at all", 19));
    }) << true;
    QTest::newRow("picture text is empty") << with([](PassportSnapshot& p) { p.pictureBase64.clear(); }) << true;
}

void OpenPassportTest::passportsTheEditorCannotHoldChangeNothing()
{
    QFETCH(PassportSnapshot, passport);
    QFETCH(bool, offered);
    window().loadPassport(held(linguisticsPassport(false, false, true, true, QStringLiteral("латынь"))));
    find<QLineEdit>("title")->setText(QStringLiteral("Правка после открытия"));
    const QStringList before = stateOf(*m_windows);
    const QByteArray savedBefore = savedAgain();

    m_services->answers.push_back(DesktopServices::Answer::Yes);
    if (offered)
        m_services->answers.push_back(DesktopServices::Answer::No);
    window().openPassport(writePassport(passport, QStringLiteral("refused.qdx.xml")));
    QCOMPARE(m_services->messages.size(), 2);
    const FakeServices::Message error = m_services->messages.at(1);
    QCOMPARE(error.icon, offered ? DesktopServices::Icon::Question : DesktopServices::Icon::Error);
    QVERIFY2(error.text.contains(QStringLiteral("refused.qdx.xml")), qPrintable(error.text));
    QCOMPARE(stateOf(*m_windows), before);
    QCOMPARE(savedAgain(), savedBefore);
}

void OpenPassportTest::askFirstWhenTheEditorHoldsInput_data()
{
    using Setup = std::function<void()>;
    QTest::addColumn<Setup>("input");
    QTest::addColumn<bool>("asks");
    QTest::newRow("start state") << Setup([] {}) << false;
    QTest::newRow("a picture removed again") << Setup([this] {
        window().loadPassport(held(barePassport()));
        // Back to nothing but the blank picture area.
        PassportSnapshot empty;
        setPicture(empty, 10, 10, {});
        window().loadPassport(held(empty));
        find<QPushButton>("DelImg")->click();
    }) << false;
    QTest::newRow("title") << Setup([this] { find<QLineEdit>("title")->setText(QStringLiteral(" ")); }) << true;
    QTest::newRow("comment") << Setup([this] { find<MemoEdit>("Notes")->setText(QStringLiteral("\r\n")); }) << true;
    QTest::newRow("section box ticked, dialog closed") << Setup([this] {
        m_services->modalScripts.push_back([](QDialog& dialog) {
            dialog.findChild<QCheckBox*>(QStringLiteral("CheckBox2"))->click();
            return false;
        });
        find<QPushButton>("Button3")->click();
    }) << true;
    QTest::newRow("a name left after deleting the author") << Setup([this] {
        window().loadPassport(held(barePassport()));
        m_services->answers.push_back(DesktopServices::Answer::Yes);
        find<QPushButton>("AuthorDelete")->click();
        find<QLineEdit>("AuthorsName")->setText(QStringLiteral("Ира"));
        m_services->messages.clear();
    }) << true;
    QTest::newRow("a passport opened before") << Setup([this] { window().loadPassport(held(barePassport())); }) << true;
}

void OpenPassportTest::askFirstWhenTheEditorHoldsInput()
{
    QFETCH(std::function<void()>, input);
    QFETCH(bool, asks);
    input();
    QCOMPARE(window().holdsInput(), asks);
    const QStringList before = stateOf(*m_windows);
    const QString path = writePassport(richPassport());

    // No keeps everything.
    if (asks) {
        m_services->answers.push_back(DesktopServices::Answer::No);
        window().openPassport(path);
        QCOMPARE(m_services->messages.size(), 1);
        const FakeServices::Message question = m_services->messages.takeFirst();
        QCOMPARE(question.text, QStringLiteral("Открыть паспорт работы из файла? Введенные данные будут заменены."));
        QCOMPARE(question.caption, QStringLiteral("Электронный паспорт работы"));
        QCOMPARE(question.icon, DesktopServices::Icon::Question);
        QCOMPARE(question.buttons, DesktopServices::Buttons::YesNo);
        QCOMPARE(stateOf(*m_windows), before);
        m_services->answers.push_back(DesktopServices::Answer::Yes);
    }
    window().openPassport(path);
    QCOMPARE(m_services->messages.size(), asks ? 1 : 0);
    QCOMPARE(savedAgain(), build(richPassport(), PassportDocumentKind::Saved, kStoredAgain));
}

void OpenPassportTest::ctrlOShowsTheOpenDialog()
{
    window().show();
    window().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window()));
    find<QLineEdit>("title")->setFocus();

    m_services->openPassportAnswers.push_back(QString());
    QTest::keyClick(find<QLineEdit>("title"), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(m_services->openPassportRequests.size(), 1);
    QCOMPARE(m_services->openPassportRequests[0].first, QStringLiteral("Открытие файла паспорта работы"));
    QCOMPARE(m_services->openPassportRequests[0].second,
             QStringLiteral("Паспорт работы Фестиваля «Lumarinda» (*.qdx.xml)"));
    QVERIFY(!window().holdsInput());

    m_services->openPassportAnswers.push_back(writePassport(crowdedPassport()));
    QTest::keyClick(find<QLineEdit>("title"), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(savedAgain(), build(crowdedPassport(), PassportDocumentKind::Saved, kStoredAgain));

    // Now there is input: the question comes before the dialog, and No shows no dialog.
    m_services->answers.push_back(DesktopServices::Answer::No);
    QTest::keyClick(find<QLineEdit>("title"), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(m_services->openPassportRequests.size(), 2);
    QCOMPARE(m_services->messages.size(), 1);
}

// Through the reader: a file it refuses shows its message and the editor stays as it was.
void OpenPassportTest::refusedFileShowsTheErrorAndChangesNothing()
{
    window().loadPassport(held(richPassport()));
    const QStringList before = stateOf(*m_windows);
    const QString notXml = m_services->folder() + QStringLiteral("broken.qdx.xml");
    writeFileBytes(notXml, "<lumarinda><work");

    m_services->answers.push_back(DesktopServices::Answer::Yes);
    m_services->openPassportAnswers.push_back(notXml);
    // As the shortcut runs it.
    runGuarded(*m_services, [this] { window().openPassportClick(); });
    QCOMPARE(m_services->messages.size(), 2);
    const FakeServices::Message error = m_services->messages.at(1);
    QCOMPARE(error.caption, QStringLiteral("Электронный паспорт работы"));
    QCOMPARE(error.icon, DesktopServices::Icon::Error);
    QVERIFY2(error.text.contains(QStringLiteral("broken.qdx.xml")), qPrintable(error.text));
    QCOMPARE(stateOf(*m_windows), before);

    // A picture whose size differs from what the file says is refused in the one wording of a
    // failed open; the rest of the passport is offered, and declined changes nothing.
    PassportSnapshot badPicture = richPassport();
    badPicture.pictureWidth = 100;
    m_services->answers.push_back(DesktopServices::Answer::Yes);
    m_services->answers.push_back(DesktopServices::Answer::No);
    const QString picturePath = writePassport(badPicture, QStringLiteral("picture.qdx.xml"));
    window().openPassport(picturePath);
    QCOMPARE(m_services->messages.size(), 4);
    const QString refusal =
        QStringLiteral("Паспорт работы «%1» не открыт: картинка размером 200 x 100 точек записана с размером "
                       "100 x 100.\n\n")
            .arg(QDir::toNativeSeparators(picturePath));
    QVERIFY2(m_services->messages.at(3).text.startsWith(refusal), qPrintable(m_services->messages.at(3).text));
    QCOMPARE(stateOf(*m_windows), before);
}

// A passport whose only fault is a garbage picture: asked, opened without it, in no file until
// saved; the file stays as it was, and the passport saves as a sound one.
void OpenPassportTest::damagedPictureSalvaged()
{
    PassportSnapshot damaged = richPassport();
    damaged.pictureBase64 = QString::fromLatin1(Base64Encode("not a picture at all", 19));
    const QString path = writePassport(damaged, QStringLiteral("damaged.qdx.xml"));
    const QByteArray original = readAll(path);

    m_services->answers.push_back(DesktopServices::Answer::Yes);
    window().openPassport(path);
    QCOMPARE(m_services->messages.size(), 1);
    QCOMPARE(m_services->messages[0].text,
             QStringLiteral("Паспорт работы «%1» не открыт: картинка не является изображением JPEG.\n\n"
                            "Открыть то, что удалось прочитать? Не будет открыто:\n"
                            " - картинка с подписью «Рыбка у берега»: картинка не является изображением JPEG\n\n"
                            "Файл останется как есть; паспорт можно будет сохранить в другой файл.")
                 .arg(path));
    QCOMPARE(m_services->messages[0].icon, DesktopServices::Icon::Question);

    const PassportSnapshot opened = window().passportSnapshot();
    QCOMPARE(opened.title, richPassport().title);
    QCOMPARE(opened.notes, richPassport().notes);
    QCOMPARE(opened.authors.size(), 2);
    QVERIFY(!opened.hasPicture);
    QVERIFY(find<QPushButton>("AddImg")->isEnabled());
    // In no file: the draft keeps it.
    m_services->elapse(5000);
    QCOMPARE(QDir(m_services->draftFolderPath).entryList({QStringLiteral("draft-*.qdx.xml")}, QDir::Files).size(), 1);
    QCOMPARE(readAll(path), original);

    const QString saved = m_services->folder() + QStringLiteral("salvaged.qdx.xml");
    m_services->saveFileAnswers.push_back(saved);
    user().press("SaveButton");
    QCOMPARE(readPassportFile(saved).passport.title, richPassport().title);
    QCOMPARE(readAll(path), original);
}

void OpenPassportTest::droppedPassportOpens()
{
    const QString path = writePassport(richPassport());
    QLineEdit* title = find<QLineEdit>("title");
    const auto drop = [title](const QString& file) {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(file)});
        const QPoint at(5, 5);
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(title, &enter);
        QDropEvent dropped(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(title, &dropped);
        QCoreApplication::sendPostedEvents();
        return enter.isAccepted();
    };
    // Another file is none of ours: the window does not take it.
    const QString picture = m_services->folder() + QStringLiteral("photo.jpg");
    writeFileBytes(picture, makeJpeg(photoLike(8, 8)));
    QVERIFY(!drop(picture));
    QVERIFY(!window().holdsInput());

    QVERIFY(drop(path));
    // Opened, and the edit under the drop did not take the path as text.
    QCOMPARE(savedAgain(), build(richPassport(), PassportDocumentKind::Saved, kStoredAgain));
}

void OpenPassportTest::commandLineOpensAtStart()
{
    openPassportFromArguments(window(), {});
    QCoreApplication::sendPostedEvents();
    QVERIFY(!window().holdsInput());

    // A relative path is taken from the folder the program started in.
    writePassport(barePassport());
    const QString startedIn = QDir::currentPath();
    QDir::setCurrent(m_services->folder());
    openPassportFromArguments(window(), {QStringLiteral("work.qdx.xml")});
    QDir::setCurrent(startedIn);
    QCoreApplication::sendPostedEvents();
    QCOMPARE(savedAgain(), build(barePassport(), PassportDocumentKind::Saved, kStoredAgain));
}

// The file the real-window check opens, written by this program: here without an X server.
void OpenPassportTest::passportOfTheRealWindowCheckOpens()
{
    QFile file(QStringLiteral(LUMARINDA_SMOKE_PASSPORT));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArray expected = file.readAll();
    window().openPassport(file.fileName());
    QVERIFY2(m_services->messages.isEmpty(), qPrintable(m_services->messages.value(0).text));
    expected.replace(QByteArray::number(kStoredBefore), QByteArray::number(kStoredAgain));
    QCOMPARE(savedAgain(), expected);
}

QTEST_MAIN(OpenPassportTest)
#include "tst_open_passport.moc"
