#include "core/sections/SectionRules.h"
#include "support/DialogScripts.h"
#include "support/EditorTest.h"
#include "support/FakeServices.h"
#include "support/SectionClickCases.h"
#include "support/Typing.h"
#include "windows/Form.h"
#include "windows/QtDesktopServices.h"
#include "windows/Startup.h"
#include "windows/Subj.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <memory>

class SectionDialogTest : public EditorTest
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void dialogFrame();
    void controlsStandWhereTheLayoutPutsThem_data();
    void controlsStandWhereTheLayoutPutsThem();
    void captions();
    void clickSequences_data();
    void clickSequences();
    void otherLanguageEdit_data();
    void otherLanguageEdit();
    void languageChoicesReadTheBoxes();
    void confirmationFillsSlotsAndLabels_data();
    void confirmationFillsSlotsAndLabels();
    void cancelLeavesMainWindowButDialogKeepsBoxes();
    void confirmationReplacesEarlierChoice();
    void enterConfirmsNothing_data();
    void enterConfirmsNothing();
    void realModalLoop();

private:
    QCheckBox* box(int number) const;
    void clickBox(int number) const;
    QStringList sectionLabels() const;
    QList<int> recordSlots() const;
};

void SectionDialogTest::initTestCase()
{
    // The layout is measured in the font the program runs with.
    installApplicationFont();
}

void SectionDialogTest::init()
{
    createEditor();
}

void SectionDialogTest::cleanup()
{
    destroyEditor();
}

QCheckBox* SectionDialogTest::box(int number) const
{
    return dialogChild<QCheckBox>(*m_windows->Subjects, qPrintable(QStringLiteral("CheckBox%1").arg(number)));
}

// A mouse click on the box's indicator, as the user gives it.
void SectionDialogTest::clickBox(int number) const
{
    QCheckBox* target = box(number);
    QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(6, target->height() / 2));
}

QStringList SectionDialogTest::sectionLabels() const
{
    QStringList texts;
    for (const char* name : {"subj1", "subj2", "subj3", "subj4", "subj5"})
        texts << m_windows->Pasport->findChild<QLabel*>(QLatin1String(name))->text();
    return texts;
}

QList<int> SectionDialogTest::recordSlots() const
{
    const auto& chosen = m_windows->Pasport->record().SubjectSlots;
    return QList<int>(chosen.begin(), chosen.end());
}

void SectionDialogTest::dialogFrame()
{
    TSubjects& dialog = *m_windows->Subjects;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Разделы фестиваля, к которым относится работа"));
    QCOMPARE(dialog.minimumSize(), QSize(664, 393));
    QCOMPARE(dialog.maximumSize(), QSize(664, 393));
    const Qt::WindowFlags flags = dialog.windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowContextHelpButtonHint));

    // Not centred over the main window like other dialogs: at the desktop's corner, every time.
    m_windows->Pasport->show();
    for (int opening = 0; opening < 2; ++opening) {
        dialog.show();
        QCOMPARE(dialog.pos(), QPoint(0, 0));
        dialog.hide();
    }
}

void SectionDialogTest::controlsStandWhereTheLayoutPutsThem_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QPoint>("position");
    QTest::addColumn<QSize>("size"); // empty where the layout leaves it open

    const struct
    {
        const char* name;
        const char* parent;
        QPoint position;
        QSize size;
    } rows[] = {
        {"Label1", "Subjects", {8, 8}, {}},
        {"GroupBox1", "Subjects", {7, 27}, {649, 190}},
        {"GroupBox2", "Subjects", {8, 223}, {649, 82}},
        {"Label2", "Subjects", {8, 311}, {}},
        {"GroupBox3", "Subjects", {9, 330}, {215, 58}},
        {"GroupBox5", "Subjects", {230, 330}, {219, 58}},
        {"Button1", "Subjects", {524, 348}, {75, 25}},
        {"CheckBox22", "GroupBox3", {16, 27}, {}},
        {"CheckBox24", "GroupBox5", {16, 26}, {}},
        {"subjectLingvoOtherEdit", "GroupBox1", {312, 116}, {130, 21}},
        {"CheckBox1", "GroupBox1", {16, 24}, {}},
        {"CheckBox2", "GroupBox1", {16, 47}, {}},
        {"CheckBox3", "GroupBox1", {16, 70}, {}},
        {"CheckBox13", "GroupBox1", {16, 93}, {}},
        {"CheckBox4", "GroupBox1", {17, 116}, {}},
        {"CheckBox5", "GroupBox1", {16, 139}, {}},
        {"CheckBox6", "GroupBox1", {237, 24}, {}},
        {"CheckBox25", "GroupBox1", {255, 47}, {}},
        {"CheckBox26", "GroupBox1", {255, 70}, {}},
        {"CheckBox27", "GroupBox1", {255, 93}, {}},
        {"CheckBox28", "GroupBox1", {255, 116}, {}},
        {"CheckBox7", "GroupBox1", {237, 139}, {}},
        {"CheckBox8", "GroupBox1", {237, 162}, {}},
        {"CheckBox9", "GroupBox1", {460, 24}, {}},
        {"CheckBox11", "GroupBox1", {460, 47}, {}},
        {"CheckBox14", "GroupBox1", {460, 70}, {}},
        {"CheckBox12", "GroupBox1", {460, 93}, {}},
        {"CheckBox15", "GroupBox1", {460, 116}, {}},
        {"CheckBox10", "GroupBox1", {460, 139}, {}},
        {"CheckBox18", "GroupBox2", {16, 27}, {}},
        {"CheckBox21", "GroupBox2", {16, 50}, {}},
        {"CheckBox19", "GroupBox2", {237, 27}, {}},
        {"CheckBox20", "GroupBox2", {237, 50}, {}},
        {"CheckBox17", "GroupBox2", {459, 27}, {}},
        {"CheckBox16", "GroupBox2", {459, 50}, {}},
    };
    for (const auto& row : rows)
        QTest::newRow(row.name) << QString::fromLatin1(row.name) << QString::fromLatin1(row.parent) << row.position
                                << row.size;
}

void SectionDialogTest::controlsStandWhereTheLayoutPutsThem()
{
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QPoint, position);
    QFETCH(QSize, size);
    const QWidget* control = m_windows->Subjects->findChild<QWidget*>(name);
    QVERIFY(control);
    QCOMPARE(control->parentWidget()->objectName(), parent);
    QCOMPARE(control->pos(), position);
    if (size.isValid())
        QCOMPARE(control->size(), size);
    // Nothing sticks out of its parent.
    QVERIFY(control->parentWidget()->rect().contains(control->geometry()));
}

void SectionDialogTest::captions()
{
    for (int number = 1; number <= Sections::kOtherLanguageBox; ++number) {
        if (!Sections::hasBox(number))
            continue;
        QCOMPARE(box(number)->text(), Sections::checkBoxCaption(number));
        // The indicator and the whole caption fit the box.
        const QCheckBox* checkBox = box(number);
        const int needed = checkBox->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, checkBox) +
                           checkBox->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, checkBox) +
                           checkBox->fontMetrics().horizontalAdvance(checkBox->text());
        QVERIFY2(needed <= checkBox->width(), qPrintable(checkBox->text()));
    }
    // "другое" ends before its edit begins.
    QVERIFY(box(28)->geometry().right() < 312);
    QVERIFY(!m_windows->Subjects->findChild<QCheckBox*>(QStringLiteral("CheckBox23")));
    const TSubjects& dialog = *m_windows->Subjects;
    QCOMPARE(dialogChild<QLabel>(dialog, "Label1")->text(),
             QStringLiteral("Работа может быть отнесена к одному или двум основным разделам:"));
    QCOMPARE(dialogChild<QLabel>(dialog, "Label2")->text(),
             QStringLiteral(" Разделы «В помощь учителю» и конкурс «Учебный проект» можно указать только в "
                            "дополнение к основным разделам."));
    QCOMPARE(dialogChild<QGroupBox>(dialog, "GroupBox1")->title(), QStringLiteral("Научно-исследовательский раздел"));
    QCOMPARE(dialogChild<QGroupBox>(dialog, "GroupBox2")->title(), QStringLiteral("Другие разделы"));
    QCOMPARE(dialogChild<QGroupBox>(dialog, "GroupBox3")->title(), QStringLiteral("Дополнительные разделы"));
    QCOMPARE(dialogChild<QGroupBox>(dialog, "GroupBox5")->title(), QStringLiteral("Конкурсный раздел"));
    QCOMPARE(dialogChild<QPushButton>(dialog, "Button1")->text(), QStringLiteral("Выбрать"));
    QCOMPARE(dialogChild<QLineEdit>(dialog, "subjectLingvoOtherEdit")->maxLength(), 50);
}

void SectionDialogTest::clickSequences_data()
{
    SectionClickCases::addRows();
}

void SectionDialogTest::clickSequences()
{
    QFETCH(QList<int>, clicks);
    QFETCH(QString, checked);
    QFETCH(QString, disabled);
    for (int number : clicks)
        clickBox(number);

    const std::set<int> wantChecked = SectionClickCases::boxes(checked);
    const std::set<int> wantDisabled = SectionClickCases::boxes(disabled);
    for (int number = 1; number <= Sections::kOtherLanguageBox; ++number) {
        if (!Sections::hasBox(number))
            continue;
        QVERIFY2(box(number)->isChecked() == (wantChecked.count(number) > 0), qPrintable(QString::number(number)));
        QVERIFY2(box(number)->isEnabled() == (wantDisabled.count(number) == 0), qPrintable(QString::number(number)));
    }
    const auto* edit = dialogChild<QLineEdit>(*m_windows->Subjects, "subjectLingvoOtherEdit");
    QCOMPARE(edit->isEnabled(), wantChecked.count(28) > 0);
    QVERIFY(edit->text().isEmpty());
}

void SectionDialogTest::otherLanguageEdit_data()
{
    QTest::addColumn<QList<int>>("clicksAfterTyping");
    QTest::addColumn<bool>("kept");
    QTest::newRow("other stays") << QList<int>{25} << true;
    QTest::newRow("other unticked") << QList<int>{28} << false;
    QTest::newRow("linguistics unticked") << QList<int>{6} << false;
    QTest::newRow("other unticked, ticked again") << QList<int>{28, 28} << false;
    QTest::newRow("second main section") << QList<int>{2} << true;
}

void SectionDialogTest::otherLanguageEdit()
{
    QFETCH(QList<int>, clicksAfterTyping);
    QFETCH(bool, kept);
    auto* edit = dialogChild<QLineEdit>(*m_windows->Subjects, "subjectLingvoOtherEdit");
    const QPalette system = QApplication::palette(edit);
    QVERIFY(!edit->isEnabled());
    QCOMPARE(edit->palette().color(QPalette::Base), system.color(QPalette::Window));

    clickBox(28);
    QVERIFY(edit->isEnabled());
    QCOMPARE(edit->palette().color(QPalette::Base), system.color(QPalette::Base));
    typeText(edit, QStringLiteral("эсперанто"));
    for (int number : clicksAfterTyping)
        clickBox(number);

    QCOMPARE(edit->text(), kept ? QStringLiteral("эсперанто") : QString());
    QCOMPARE(edit->isEnabled(), box(28)->isChecked());
    QCOMPARE(edit->palette().color(QPalette::Base),
             system.color(box(28)->isChecked() ? QPalette::Base : QPalette::Window));
}

void SectionDialogTest::languageChoicesReadTheBoxes()
{
    for (int number : {27, 28, 25})
        clickBox(number);
    typeText(dialogChild<QLineEdit>(*m_windows->Subjects, "subjectLingvoOtherEdit"), QStringLiteral(" латынь "));
    Sections::LanguageChoices expected;
    expected.russian = true;
    expected.german = true;
    expected.other = true;
    expected.otherText = QStringLiteral(" латынь ");
    QCOMPARE(m_windows->Subjects->languageChoices(), expected);
}

void SectionDialogTest::confirmationFillsSlotsAndLabels_data()
{
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<QList<int>>("expectedSlots");
    QTest::addColumn<QStringList>("labels");
    QTest::newRow("nothing") << QList<int>{} << QList<int>{0, 0, 0, 0, 0}
                             << QStringList{"[ Раздел не задан ]", "", "", "", ""};
    QTest::newRow("physics then biology")
        << QList<int>{11, 2} << QList<int>{2, 11, 0, 0, 0} << QStringList{"Биология", "Физика", "", "", ""};
    QTest::newRow("four sections") << QList<int>{24, 11, 24, 22, 2} << QList<int>{2, 11, 22, 24, 0}
                                   << QStringList{"Биология", "Физика", "В помощь учителю", "Конкурс «Учебный проект»",
                                                  ""};
    QTest::newRow("linguistics alone") << QList<int>{6} << QList<int>{6, 0, 0, 0, 0}
                                       << QStringList{"Лингвистика", "", "", "", ""};
    QTest::newRow("a language and a main") << QList<int>{21, 26, 28} << QList<int>{6, 21, 0, 0, 0}
                                           << QStringList{"Лингвистика", "Краеведение", "", "", ""};
}

void SectionDialogTest::confirmationFillsSlotsAndLabels()
{
    QFETCH(QList<int>, clicks);
    QFETCH(QList<int>, expectedSlots);
    QFETCH(QStringList, labels);
    m_services->modalScripts.push_back(dialogScript([&](QDialog& dialog) {
        QVERIFY(&dialog == m_windows->Subjects);
        for (int number : clicks)
            clickBox(number);
        dialogChild<QPushButton>(dialog, "Button1")->click();
    }));
    m_windows->Pasport->findChild<QPushButton*>(QStringLiteral("Button3"))->click();
    QCOMPARE(m_services->modalShown, 1);
    QCOMPARE(recordSlots(), expectedSlots);
    QCOMPARE(sectionLabels(), labels);
}

void SectionDialogTest::cancelLeavesMainWindowButDialogKeepsBoxes()
{
    QPushButton* open = m_windows->Pasport->findChild<QPushButton*>(QStringLiteral("Button3"));
    m_services->modalScripts.push_back(dialogScript([&](QDialog& dialog) {
        clickBox(2);
        dialogChild<QPushButton>(dialog, "Button1")->click();
    }));
    open->click();

    // Changes, then the close box.
    m_services->modalScripts.push_back(dialogScript([&](QDialog& dialog) {
        clickBox(11);
        clickBox(22);
        dialog.show();
        dialog.close();
    }));
    open->click();
    QCOMPARE(recordSlots(), (QList<int>{2, 0, 0, 0, 0}));
    QCOMPARE(sectionLabels(), (QStringList{"Биология", "", "", "", ""}));

    // The next opening shows the boxes as they were left; confirming takes them.
    m_services->modalScripts.push_back(dialogScript([&](QDialog& dialog) {
        QVERIFY(box(2)->isChecked() && box(11)->isChecked() && box(22)->isChecked());
        dialogChild<QPushButton>(dialog, "Button1")->click();
    }));
    open->click();
    QCOMPARE(recordSlots(), (QList<int>{2, 11, 22, 0, 0}));
    QCOMPARE(sectionLabels(), (QStringList{"Биология", "Физика", "В помощь учителю", "", ""}));
}

void SectionDialogTest::confirmationReplacesEarlierChoice()
{
    QPushButton* open = m_windows->Pasport->findChild<QPushButton*>(QStringLiteral("Button3"));
    for (const QList<int>& clicks : {QList<int>{2, 11, 22, 24}, QList<int>{11, 2}}) {
        m_services->modalScripts.push_back(dialogScript([&](QDialog& dialog) {
            for (int number : clicks)
                clickBox(number);
            dialogChild<QPushButton>(dialog, "Button1")->click();
        }));
        open->click();
    }
    // Unticking both mains unticked the extras: nothing is left, and the labels say so.
    QCOMPARE(recordSlots(), (QList<int>{0, 0, 0, 0, 0}));
    QCOMPARE(sectionLabels(), (QStringList{"[ Раздел не задан ]", "", "", "", ""}));
}

void SectionDialogTest::enterConfirmsNothing_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("key");
    QTest::newRow("Enter in the other-language edit") << "subjectLingvoOtherEdit" << int(Qt::Key_Return);
    QTest::newRow("keypad Enter in the other-language edit") << "subjectLingvoOtherEdit" << int(Qt::Key_Enter);
    QTest::newRow("Enter on a ticked box") << "CheckBox2" << int(Qt::Key_Return);
    QTest::newRow("Enter on the other-language box") << "CheckBox28" << int(Qt::Key_Return);
    // Having had the focus once must not make the button a default one.
    QTest::newRow("Enter on the button itself") << "Button1" << int(Qt::Key_Return);
}

// Only a click on "Выбрать" gives OK: the dialog has no default button.
void SectionDialogTest::enterConfirmsNothing()
{
    QFETCH(QString, target);
    QFETCH(int, key);
    TSubjects& dialog = *m_windows->Subjects;
    dialog.setResult(0);
    dialog.show();
    for (int number : {6, 28, 2})
        clickBox(number);
    QPushButton* button = dialogChild<QPushButton>(dialog, "Button1");
    button->setFocus(Qt::TabFocusReason);
    auto* widget = dialog.findChild<QWidget*>(target);
    QVERIFY(widget);
    widget->setFocus(Qt::TabFocusReason);
    QTest::keyClick(widget, Qt::Key(key));
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), 0);
    QVERIFY(!button->isDefault());

    // Esc still closes it, as the close box does, without OK.
    QTest::keyClick(widget, Qt::Key_Escape);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
}

void SectionDialogTest::realModalLoop()
{
    RealDesktopEditor editor;
    const EditorWindows& windows = editor.windows;

    bool seen = false;
    whenModalIs(windows.Subjects, [&] {
        seen = true;
        for (const char* name : {"CheckBox11", "CheckBox26", "CheckBox24"}) {
            QCheckBox* target = dialogChild<QCheckBox>(*windows.Subjects, name);
            QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(6, target->height() / 2));
        }
        QTest::mouseClick(dialogChild<QPushButton>(*windows.Subjects, "Button1"), Qt::LeftButton);
    });
    namedChild<QPushButton>(*windows.Pasport, "Button3")->click();

    QVERIFY(seen);
    QVERIFY(!windows.Subjects->isVisible());
    const auto& chosen = windows.Pasport->record().SubjectSlots;
    QCOMPARE(QList<int>(chosen.begin(), chosen.end()), (QList<int>{6, 11, 24, 0, 0}));
    QCOMPARE(namedChild<QLabel>(*windows.Pasport, "subj3")->text(), QStringLiteral("Конкурс «Учебный проект»"));
}

QTEST_MAIN(SectionDialogTest)
#include "tst_section_dialog.moc"
