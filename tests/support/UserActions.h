#pragma once

#include "support/DialogScripts.h"
#include "support/FakeServices.h"
#include "support/Typing.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QWidget>
#include <array>

// The controls of one group on the authors' page.
struct PeopleGroup
{
    const char* list;
    const char* add;
    const char* remove;
    const char* box;
    std::array<const char*, 3> names;
    const char* caption;
    int limit;
};

inline const PeopleGroup kAuthors{"AuthorsListBox",
                                  "AuthorAdd",
                                  "AuthorDelete",
                                  "AuthorsGroup",
                                  {"AuthorsLastname", "AuthorsName", "AuthorsPatronymic"},
                                  "Авторы (%1)",
                                  10};
inline const PeopleGroup kTeachers{"TeachersListBox",
                                   "TeacherAdd",
                                   "TeacherDelete",
                                   "TeachersGroup",
                                   {"TeachersLastname", "TeachersName", "TeachersPatronymic"},
                                   "Руководители (%1)",
                                   3};

// A box of the section dialog, named by the caption the user reads.
struct SectionBox
{
    int number;
    const char* caption;
};

inline const SectionBox kBiology{2, "Биология"};
inline const SectionBox kPhysics{11, "Физика"};
inline const SectionBox kForTeachers{22, "В помощь учителю"};
inline const SectionBox kRussian{25, "русский язык"};
inline const SectionBox kEnglish{26, "английский язык"};
inline const SectionBox kOtherLanguage{28, "другое"};

// What a person does on the main window: mouse clicks and typing, and the dialogs it opens
// answered through the scripted desktop. A missing control ends the test run; a disabled button
// the person would press fails the test.
class UserActions
{
public:
    UserActions(FakeServices& services, QWidget& window) : m_services(services), m_window(window) {}

    template <typename T>
    T* control(const char* name) const
    {
        return namedChild<T>(m_window, name);
    }

    void press(const char* button) const
    {
        auto* target = control<QPushButton>(button);
        QVERIFY2(target->isEnabled(), button);
        QTest::mouseClick(target, Qt::LeftButton);
    }

    // A click on the page's tab.
    void openPage(const char* page) const
    {
        auto* tabs = control<QTabWidget>("SectionsTabs");
        const int index = tabs->indexOf(control<QWidget>(page));
        QVERIFY(index >= 0);
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(index).center());
        QCOMPARE(tabs->currentIndex(), index);
    }

    void typeInto(const char* name, const QString& text) const { typeText(control<QWidget>(name), text); }

    // "Выбрать" on the work page; in the dialog the boxes are clicked in the order given, the
    // "другое" text typed, and the dialog's own "Выбрать" pressed.
    void chooseSections(const QList<SectionBox>& boxes, const QString& otherLanguage = QString()) const
    {
        m_services.modalScripts.push_back(dialogScript([boxes, otherLanguage](QDialog& dialog) {
            QCOMPARE(dialog.objectName(), QStringLiteral("Subjects"));
            for (const SectionBox& box : boxes) {
                auto* checkBox =
                    dialogChild<QCheckBox>(dialog, qPrintable(QStringLiteral("CheckBox%1").arg(box.number)));
                QCOMPARE(checkBox->text(), QString::fromUtf8(box.caption));
                QVERIFY2(checkBox->isEnabled(), box.caption);
                QTest::mouseClick(checkBox, Qt::LeftButton, {}, QPoint(6, checkBox->height() / 2));
            }
            if (!otherLanguage.isEmpty())
                typeText(dialogChild<QLineEdit>(dialog, "subjectLingvoOtherEdit"), otherLanguage);
            auto* choose = dialogChild<QPushButton>(dialog, "Button1");
            QCOMPARE(choose->text(), QStringLiteral("Выбрать"));
            QTest::mouseClick(choose, Qt::LeftButton);
        }));
        press("Button3");
    }

    // "Добавить" under the group; the identifier typed into the dialog, then its button pressed
    // or the dialog closed.
    void addPerson(const PeopleGroup& group, const QString& typed, bool accept = true) const
    {
        m_services.modalScripts.push_back(dialogScript([typed, accept](QDialog& dialog) {
            QCOMPARE(dialog.objectName(), QStringLiteral("Form1"));
            typeText(dialogChild<QLineEdit>(dialog, "AddID"), typed);
            if (!accept) {
                dialog.show();
                dialog.close();
                return;
            }
            auto* add = dialogChild<QPushButton>(dialog, "Button1");
            QVERIFY2(add->isEnabled(), qPrintable(typed));
            QTest::mouseClick(add, Qt::LeftButton);
        }));
        press(group.add);
    }

    // A mouse click on an entry of the group's list.
    void pickEntry(const PeopleGroup& group, int row, Qt::KeyboardModifiers modifiers = {}) const
    {
        auto* list = control<QListWidget>(group.list);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, list->visualItemRect(list->item(row)).center());
    }

    // The three names typed over what the edits show.
    void typeNames(const PeopleGroup& group, const QStringList& names) const
    {
        for (std::size_t i = 0; i < group.names.size(); ++i) {
            auto* edit = control<QLineEdit>(group.names[i]);
            edit->selectAll();
            typeText(edit, names.value(qsizetype(i)));
        }
    }

    // "Удалить" under the group, the question answered.
    void deleteEntry(const PeopleGroup& group, DesktopServices::Answer answer = DesktopServices::Answer::Yes) const
    {
        m_services.answers.push_back(answer);
        press(group.remove);
    }

    // The invoice recipient picked with the arrow keys in the drop-down list.
    void chooseRecipient(int position) const
    {
        auto* recipients = control<QComboBox>("LeaderID");
        QVERIFY(recipients->isEnabled());
        while (recipients->currentIndex() < position) {
            const int before = recipients->currentIndex();
            QTest::keyClick(recipients, Qt::Key_Down);
            QVERIFY(recipients->currentIndex() > before);
        }
        QCOMPARE(recipients->currentIndex(), position);
    }

    // "Добавить" on the picture page, the file chosen in the open dialog.
    void addPicture(const QString& path) const
    {
        m_services.openFileAnswers.push_back(path);
        press("AddImg");
    }

private:
    FakeServices& m_services;
    QWidget& m_window;
};
