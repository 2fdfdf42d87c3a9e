#include "support/DialogScripts.h"
#include "support/EditorTest.h"
#include "support/FakeServices.h"
#include "support/Typing.h"
#include "windows/Add.h"
#include "windows/Form.h"
#include "windows/QtDesktopServices.h"
#include "windows/Startup.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>

class IdentifierDialogTest : public EditorTest
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void dialogFrame();
    void keyFilterAndButtonRule_data();
    void keyFilterAndButtonRule();
    void editingKeysStillWork();
    void pastedTextIsJudgedByTheButtonRuleOnly_data();
    void pastedTextIsJudgedByTheButtonRuleOnly();
    void enterAndEscape_data();
    void enterAndEscape();
    void closeBoxCancels();
    void reEntryKeepsTheTextUnselected_data();
    void reEntryKeepsTheTextUnselected();
    void centredOverTheMainWindow();
    void everyOpeningStartsEmpty_data();
    void everyOpeningStartsEmpty();
    void realModalLoop();

private:
    QLineEdit* field() const { return dialogChild<QLineEdit>(*m_windows->Form1, "AddID"); }
    QPushButton* button() const { return dialogChild<QPushButton>(*m_windows->Form1, "Button1"); }
};

void IdentifierDialogTest::init()
{
    createEditor();
}

void IdentifierDialogTest::cleanup()
{
    destroyEditor();
}

void IdentifierDialogTest::dialogFrame()
{
    const TForm1& dialog = *m_windows->Form1;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Добавить"));
    QCOMPARE(dialog.minimumSize(), QSize(249, 84));
    QCOMPARE(dialog.maximumSize(), QSize(249, 84));
    QVERIFY(dialog.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!dialog.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!dialog.windowFlags().testFlag(Qt::WindowContextHelpButtonHint));

    QCOMPARE(dialogChild<QLabel>(dialog, "Label1")->text(), QStringLiteral("Идентификатор (в формате XXX-XXX-XXX):"));
    QCOMPARE(field()->geometry(), QRect(8, 27, 233, 21));
    QCOMPARE(field()->maxLength(), 11);
    QCOMPARE(button()->geometry(), QRect(166, 54, 75, 25));
    QCOMPARE(button()->text(), QStringLiteral("Добавить"));
    QVERIFY(!button()->isEnabled());
    QCOMPARE(field()->nextInFocusChain(), button());
}

void IdentifierDialogTest::keyFilterAndButtonRule_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("display form") << "123-456-798"
                                  << "123-456-798" << true;
    QTest::newRow("digits only") << "765432193"
                                 << "765432193" << true;
    QTest::newRow("spaces") << "100 018 305"
                            << "100 018 305" << true;
    QTest::newRow("separators anywhere") << "10-0018 305"
                                         << "10-0018 305" << true;
    QTest::newRow("three separators leave no room") << "1-0-0 018305"
                                                    << "1-0-0 01830" << false;
    QTest::newRow("mixed separators") << "100-0247 00"
                                      << "100-0247 00" << true;
    QTest::newRow("leading and trailing blank") << " 123456798 "
                                                << " 123456798 " << true;
    QTest::newRow("wrong check code still enables") << "123456799"
                                                    << "123456799" << true;
    QTest::newRow("eight digits") << "12345679"
                                  << "12345679" << false;
    QTest::newRow("tenth digit") << "1234567981"
                                 << "1234567981" << false;
    QTest::newRow("latin letters") << "abcXYZe"
                                   << "" << false;
    QTest::newRow("cyrillic letters") << "абвЁЖЯ"
                                      << "" << false;
    QTest::newRow("letters among digits") << "12з3456a798"
                                          << "123456798" << true;
    QTest::newRow("other punctuation") << "+1/2,3_4=5:6;7*9#8"
                                       << "123456798" << true;
    QTest::newRow("full stop passes but blocks") << "123.456.798"
                                                 << "123.456.798" << false;
    QTest::newRow("separators only") << "- - -"
                                     << "- - -" << false;
    QTest::newRow("leading zero") << "012345678"
                                  << "012345678" << false;
    QTest::newRow("lower bound excluded") << "100000000"
                                          << "100000000" << false;
    QTest::newRow("upper bound excluded") << "999999999"
                                          << "999999999" << false;
    QTest::newRow("just above the lower bound") << "100000001"
                                                << "100000001" << true;
    QTest::newRow("just below the upper bound") << "999999998"
                                                << "999999998" << true;
    QTest::newRow("characters outside the basic plane") << "1😀23456798"
                                                        << "123456798" << true;
}

void IdentifierDialogTest::keyFilterAndButtonRule()
{
    QFETCH(QString, typed);
    QFETCH(QString, text);
    QFETCH(bool, enabled);
    typeText(field(), typed);
    QCOMPARE(field()->text(), text);
    QCOMPARE(button()->isEnabled(), enabled);
}

void IdentifierDialogTest::editingKeysStillWork()
{
    typeText(field(), QStringLiteral("1234567981"));
    QVERIFY(!button()->isEnabled());
    QTest::keyClick(field(), Qt::Key_Backspace);
    QCOMPARE(field()->text(), QStringLiteral("123456798"));
    QVERIFY(button()->isEnabled());
    QTest::keyClick(field(), Qt::Key_Home);
    QTest::keyClick(field(), Qt::Key_Delete);
    QCOMPARE(field()->text(), QStringLiteral("23456798"));
    QVERIFY(!button()->isEnabled());
    QTest::keyClick(field(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field(), Qt::Key_Backspace);
    QCOMPARE(field()->text(), QString());
    QVERIFY(!button()->isEnabled());
}

void IdentifierDialogTest::pastedTextIsJudgedByTheButtonRuleOnly_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("identifier") << "123-456-798"
                                << "123-456-798" << true;
    QTest::newRow("letters are not filtered") << "ID123456798"
                                              << "ID123456798" << false;
    QTest::newRow("cut to eleven characters") << "100-018-305-1"
                                              << "100-018-305" << true;
    QTest::newRow("cut leaves a tenth digit") << "123 4567 9812"
                                              << "123 4567 98" << true;
    QTest::newRow("tab inside") << "123\t456798"
                                << "123\t456798" << false;
    QTest::newRow("full stop") << "123.456798"
                               << "123.456798" << false;
}

void IdentifierDialogTest::pastedTextIsJudgedByTheButtonRuleOnly()
{
    QFETCH(QString, pasted);
    QFETCH(QString, text);
    QFETCH(bool, enabled);
    QApplication::clipboard()->setText(pasted);
    QTest::keyClick(field(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(field()->text(), text);
    QCOMPARE(button()->isEnabled(), enabled);
}

void IdentifierDialogTest::enterAndEscape_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("Enter, enabled") << "123-456-798" << int(Qt::Key_Return) << true;
    QTest::newRow("keypad Enter, enabled") << "123-456-798" << int(Qt::Key_Enter) << true;
    QTest::newRow("Esc, enabled") << "123-456-798" << int(Qt::Key_Escape) << true;
    QTest::newRow("Enter, disabled") << "123-456-79" << int(Qt::Key_Return) << false;
    QTest::newRow("Esc, disabled") << "123-456-79" << int(Qt::Key_Escape) << false;
    QTest::newRow("Esc, empty") << "" << int(Qt::Key_Escape) << false;
}

void IdentifierDialogTest::enterAndEscape()
{
    QFETCH(QString, typed);
    QFETCH(int, key);
    QFETCH(bool, accepted);
    TForm1& dialog = *m_windows->Form1;
    dialog.setResult(0);
    dialog.show();
    typeText(field(), typed);
    QTest::keyClick(field(), Qt::Key(key));
    QCOMPARE(dialog.isVisible(), !accepted);
    QCOMPARE(dialog.result(), accepted ? int(QDialog::Accepted) : 0);
    QCOMPARE(field()->text(), typed);
    dialog.hide();
}

void IdentifierDialogTest::closeBoxCancels()
{
    TForm1& dialog = *m_windows->Form1;
    dialog.show();
    typeText(field(), QStringLiteral("123-456-798"));
    QVERIFY(dialog.close());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
}

void IdentifierDialogTest::reEntryKeepsTheTextUnselected_data()
{
    QTest::addColumn<int>("reason");
    QTest::newRow("Shift+Tab from the button") << int(Qt::BacktabFocusReason);
    QTest::newRow("Tab") << int(Qt::TabFocusReason);
    QTest::newRow("shortcut") << int(Qt::ShortcutFocusReason);
}

// No select-all on entry: the next key typed adds to the text instead of replacing it.
void IdentifierDialogTest::reEntryKeepsTheTextUnselected()
{
    QFETCH(int, reason);
    TForm1& dialog = *m_windows->Form1;
    dialog.show();
    typeText(field(), QStringLiteral("123-456-79"));
    field()->setCursorPosition(3);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(field(), &out);
    QFocusEvent in(QEvent::FocusIn, Qt::FocusReason(reason));
    QApplication::sendEvent(field(), &in);
    QVERIFY(!field()->hasSelectedText());
    QCOMPARE(field()->cursorPosition(), field()->text().size());

    typeText(field(), QStringLiteral("8"));
    QCOMPARE(field()->text(), QStringLiteral("123-456-798"));
    QVERIFY(button()->isEnabled());
    dialog.hide();
}

void IdentifierDialogTest::centredOverTheMainWindow()
{
    TPasport& window = *m_windows->Pasport;
    TForm1& dialog = *m_windows->Form1;
    window.show();
    for (const QPoint& at : {QPoint(0, 0), QPoint(10, 60)}) {
        window.move(at);
        dialog.show();
        QVERIFY((dialog.frameGeometry().center() - window.frameGeometry().center()).manhattanLength() <= 2);
        dialog.hide();
    }
}

void IdentifierDialogTest::everyOpeningStartsEmpty_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("message");
    QTest::newRow("accepted and added") << "123-456-798" << true << "";
    QTest::newRow("accepted, wrong check code") << "123-456-799" << true << "Введен ошибочный ID";
    QTest::newRow("cancelled with a valid text") << "765432193" << false << "";
    QTest::newRow("cancelled with a partial text") << "7654" << false << "";
}

void IdentifierDialogTest::everyOpeningStartsEmpty()
{
    QFETCH(QString, typed);
    QFETCH(bool, accept);
    QFETCH(QString, message);
    m_services->modalScripts.push_back(dialogScript([&](QDialog& dialog) {
        typeText(field(), typed);
        if (accept) {
            QTest::keyClick(field(), Qt::Key_Return);
        } else {
            dialog.show();
            dialog.close();
        }
    }));
    bool startedEmpty = false;
    m_services->modalScripts.push_back(
        dialogScript([&](QDialog&) { startedEmpty = field()->text().isEmpty() && !button()->isEnabled(); }));
    QPushButton* add = m_windows->Pasport->findChild<QPushButton*>(QStringLiteral("AuthorAdd"));
    add->click();
    QCOMPARE(m_services->messages.size(), message.isEmpty() ? 0 : 1);
    add->click();
    QVERIFY(startedEmpty);
}

void IdentifierDialogTest::realModalLoop()
{
    RealDesktopEditor editor;
    const EditorWindows& windows = editor.windows;

    bool seen = false;
    whenModalIs(windows.Form1, [&] {
        seen = true;
        auto* edit = dialogChild<QLineEdit>(*windows.Form1, "AddID");
        typeText(edit, QStringLiteral("100 018x 799"));
        QTest::keyClick(edit, Qt::Key_Return);
    });
    namedChild<QPushButton>(*windows.Pasport, "TeacherAdd")->click();

    QVERIFY(seen);
    QVERIFY(!windows.Form1->isVisible());
    const auto* list = namedChild<QListWidget>(*windows.Pasport, "TeachersListBox");
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), QStringLiteral("100-018-799"));
}

QTEST_MAIN(IdentifierDialogTest)
#include "tst_identifier_dialog.moc"
