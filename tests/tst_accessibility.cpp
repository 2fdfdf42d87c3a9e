#include "support/EditorTest.h"
#include "support/FakeServices.h"
#include "windows/Add.h"
#include "windows/Form.h"
#include "windows/Startup.h"
#include "windows/Subj.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QPlainTextEdit>
#include <QTest>
#include <memory>

namespace {

QString accessibleName(QWidget* widget)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
    return iface ? iface->text(QAccessible::Name) : QString();
}

QAccessible::Role accessibleRole(QWidget* widget)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
    return iface ? iface->role() : QAccessible::NoRole;
}

// The controls a keyboard user can reach: focusable by Tab and not hidden for good.
QList<QWidget*> reachable(QWidget* window)
{
    QList<QWidget*> controls;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if ((widget->focusPolicy() & Qt::TabFocus) && !widget->isHidden() && !widget->objectName().startsWith(u"qt_"))
            controls.append(widget);
    }
    return controls;
}

} // namespace

class AccessibilityTest : public EditorTest
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void everyReachableControlHasAName();
    void namesAndRoles_data();
    void namesAndRoles();
    void captionsStayAsTheyAre();
    void tabOrderOfEachPage_data();
    void tabOrderOfEachPage();
    void noMultiLineFieldKeepsTheTabKey();

private:
    QWidget* window(const QString& name) const;
};

void AccessibilityTest::init()
{
    createEditor();
}

void AccessibilityTest::cleanup()
{
    destroyEditor();
}

QWidget* AccessibilityTest::window(const QString& name) const
{
    if (name == u"Subjects")
        return m_windows->Subjects;
    if (name == u"Form1")
        return m_windows->Form1;
    return m_windows->Pasport.get();
}

void AccessibilityTest::everyReachableControlHasAName()
{
    for (const QString& name : {QStringLiteral("Pasport"), QStringLiteral("Subjects"), QStringLiteral("Form1")}) {
        QStringList unnamed;
        for (QWidget* control : reachable(window(name))) {
            if (accessibleName(control).trimmed().isEmpty())
                unnamed.append(control->objectName() + u'(' + QString::fromLatin1(control->metaObject()->className()) +
                               u')');
        }
        QVERIFY2(unnamed.isEmpty(), qPrintable(name + QStringLiteral(": ") + unnamed.join(u", ")));
    }
}

void AccessibilityTest::namesAndRoles_data()
{
    QTest::addColumn<QString>("windowName");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("role");
    const auto row = [](const char* window, const char* control, const char* name, QAccessible::Role role) {
        QTest::newRow(control) << QString::fromLatin1(window) << QString::fromLatin1(control) << QString::fromUtf8(name)
                               << static_cast<int>(role);
    };
    row("Pasport", "title", "Название:", QAccessible::EditableText);
    row("Pasport", "description", "Описание:", QAccessible::EditableText);
    row("Pasport", "tech_request", "Технические требования:", QAccessible::EditableText);
    row("Pasport", "manual", "Порядок знакомства:", QAccessible::EditableText);
    row("Pasport", "public_post_index", "Индекс:", QAccessible::EditableText);
    row("Pasport", "public_post_address", "Адрес:", QAccessible::EditableText);
    row("Pasport", "public_phone", "Телефон:", QAccessible::EditableText);
    row("Pasport", "public_email", "Эл. адрес:", QAccessible::EditableText);
    row("Pasport", "WorkImgSign", "Подпись к картинке", QAccessible::EditableText);
    row("Pasport", "WorkImg", "Изображение к работе", QAccessible::Graphic);
    row("Pasport", "AuthorsListBox", "Номера авторов", QAccessible::List);
    row("Pasport", "TeachersListBox", "Номера руководителей", QAccessible::List);
    row("Pasport", "AuthorsLastname", "Фамилия:", QAccessible::EditableText);
    row("Pasport", "TeachersPatronymic", "Отчество:", QAccessible::EditableText);
    row("Pasport", "LeaderID", "Счет для оплаты направлять:", QAccessible::ComboBox);
    row("Pasport", "Notes", "Комментарии:", QAccessible::EditableText);
    row("Pasport", "SaveButton", "Сохранить", QAccessible::Button);
    row("Form1", "AddID", "Идентификатор (в формате XXX-XXX-XXX):", QAccessible::EditableText);
    row("Subjects", "subjectLingvoOtherEdit", "Другой язык", QAccessible::EditableText);
    row("Subjects", "CheckBox6", "Лингвистика:", QAccessible::CheckBox);
}

void AccessibilityTest::namesAndRoles()
{
    QFETCH(QString, windowName);
    QFETCH(QString, control);
    QFETCH(QString, name);
    QFETCH(int, role);
    QWidget* widget = window(windowName)->findChild<QWidget*>(control);
    QVERIFY(widget);
    QCOMPARE(accessibleName(widget), name);
    QCOMPARE(static_cast<int>(accessibleRole(widget)), role);
}

void AccessibilityTest::captionsStayAsTheyAre()
{
    // Names for screen readers never change what is on the screen.
    const auto* addButton = m_windows->Pasport->findChild<QAbstractButton*>(QStringLiteral("AuthorAdd"));
    QCOMPARE(addButton->text(), QStringLiteral("Добавить"));
    QVERIFY(!QAccessible::queryAccessibleInterface(const_cast<QAbstractButton*>(addButton))
                 ->text(QAccessible::Description)
                 .isEmpty());
}

void AccessibilityTest::tabOrderOfEachPage_data()
{
    QTest::addColumn<QString>("windowName");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("work page") << "Pasport" << QStringList{"title",        "description",       "tech_request",
                                                           "manual",       "public_post_index", "public_post_address",
                                                           "public_phone", "public_email",      "Button3",
                                                           "HelpMemo"};
    QTest::newRow("picture page") << "Pasport" << QStringList{"WorkImgSign", "AddImg", "DelImg", "Memo5"};
    QTest::newRow("people page") << "Pasport" << QStringList{"AuthorsListBox",   "AuthorAdd",    "AuthorDelete",
                                                             "AuthorsLastname",  "AuthorsName",  "AuthorsPatronymic",
                                                             "TeachersListBox",  "TeacherAdd",   "TeacherDelete",
                                                             "TeachersLastname", "TeachersName", "TeachersPatronymic",
                                                             "LeaderID",         "Memo1"};
    QTest::newRow("comments page") << "Pasport" << QStringList{"Notes", "Memo2", "Preview", "SaveButton"};
    QTest::newRow("identifier dialog") << "Form1" << QStringList{"AddID", "Button1"};
}

void AccessibilityTest::tabOrderOfEachPage()
{
    QFETCH(QString, windowName);
    QFETCH(QStringList, order);
    QWidget* current = window(windowName)->findChild<QWidget*>(order.constFirst());
    QVERIFY(current);
    for (int i = 1; i < order.size(); ++i) {
        do {
            current = current->nextInFocusChain();
        } while (!(current->focusPolicy() & Qt::TabFocus) || current->objectName().startsWith(u"qt_") ||
                 current->objectName().isEmpty());
        QCOMPARE(current->objectName(), order.at(i));
    }
}

void AccessibilityTest::noMultiLineFieldKeepsTheTabKey()
{
    for (QWidget* top : {window(QStringLiteral("Pasport")), window(QStringLiteral("Subjects"))}) {
        for (QPlainTextEdit* memo : top->findChildren<QPlainTextEdit*>())
            QVERIFY2(memo->tabChangesFocus(), qPrintable(memo->objectName()));
    }
}

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
