// Authors and supervisors: adding by identifier, selecting, naming and deleting. The twin
// handlers of the two groups differ only in the controls and texts of GroupControls.

#include "core/participants/ParticipantId.h"
#include "core/shell/DesktopServices.h"
#include "core/shell/Windows1251.h"
#include "ui_Form.h"
#include "windows/Add.h"
#include "windows/FieldColours.h"
#include "windows/Form.h"
#include "windows/NameMarks.h"

#include <QSignalBlocker>
#include <algorithm>

struct TPasport::GroupControls
{
    QGroupBox* box;
    QString caption; // with %1 for the count
    QListWidget* list;
    QPushButton* add;
    QPushButton* remove;
    std::array<QLineEdit*, 3> names;
    ParticipantEntry* entries;
    int limit;
    Handler select;
    QString deleteQuestion;
    QString alreadyInOtherGroup; // when this group's Add finds the identifier in the other list
    QComboBox* recipients;       // supervisors only
    QLabel* recipientsLabel;
};

namespace {

constexpr std::array<QByteArray ParticipantEntry::*, 3> kNameFields = {
    &ParticipantEntry::surname, &ParticipantEntry::name, &ParticipantEntry::patronymic};

int selectedRow(const QListWidget* list)
{
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.constFirst());
}

int findRow(const QListWidget* list, const QString& id)
{
    for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->text() == id)
            return row;
    }
    return -1;
}

// Selection set from code runs no handler; the callers run the select handler themselves.
void selectSilently(QListWidget* list, int row)
{
    const QSignalBlocker blocker(list);
    list->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
}

void setEditable(const std::array<QLineEdit*, 3>& names, bool editable)
{
    for (QLineEdit* edit : names) {
        edit->setReadOnly(!editable);
        setFieldColour(edit, editable ? FieldColour::Window : FieldColour::ButtonFace);
    }
}

const QString kErrorCaption = QStringLiteral("Ошибка");

} // namespace

TPasport::GroupControls TPasport::controlsOf(Group group)
{
    if (group == Group::Authors) {
        return {m_ui->AuthorsGroup,
                QStringLiteral("Авторы (%1)"),
                m_ui->AuthorsListBox,
                m_ui->AuthorAdd,
                m_ui->AuthorDelete,
                {m_ui->AuthorsLastname, m_ui->AuthorsName, m_ui->AuthorsPatronymic},
                m_record.Authors.data(),
                PassportRecord::kMaxAuthors,
                &TPasport::AuthorSelectClick,
                QStringLiteral("Вы действительно хотите удалить автора из списка?"),
                QStringLiteral("Введенный ID уже является руководителем работы"),
                nullptr,
                nullptr};
    }
    return {m_ui->TeachersGroup,
            QStringLiteral("Руководители (%1)"),
            m_ui->TeachersListBox,
            m_ui->TeacherAdd,
            m_ui->TeacherDelete,
            {m_ui->TeachersLastname, m_ui->TeachersName, m_ui->TeachersPatronymic},
            m_record.Teachers.data(),
            PassportRecord::kMaxTeachers,
            &TPasport::TeacherSelectClick,
            QStringLiteral("Вы действительно хотите удалить руководителя из списка?"),
            QStringLiteral("Введенный ID уже является автором работы"),
            m_ui->LeaderID,
            m_ui->LeaderID_Label};
}

void TPasport::connectParticipantHandlers()
{
    const struct
    {
        Group group;
        Handler add, select, remove;
        std::array<Handler, 3> names;
    } groups[] = {
        {Group::Authors,
         &TPasport::AuthorAddClick,
         &TPasport::AuthorSelectClick,
         &TPasport::AuthorDeleteClick,
         {&TPasport::AuthorsLastnameChange, &TPasport::AuthorsNameChange, &TPasport::AuthorsPatronymicChange}},
        {Group::Teachers,
         &TPasport::TeacherAddClick,
         &TPasport::TeacherSelectClick,
         &TPasport::TeacherDeleteClick,
         {&TPasport::TeachersLastnameChange, &TPasport::TeachersNameChange, &TPasport::TeachersPatronymicChange}},
    };
    for (const auto& group : groups) {
        const GroupControls controls = controlsOf(group.group);
        QListWidget* const list = controls.list;
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        connect(controls.add, &QPushButton::clicked, this, [this, handler = group.add] { runHandler(handler); });
        connect(controls.remove, &QPushButton::clicked, this, [this, handler = group.remove] { runHandler(handler); });
        // The user's choice of an item. A list box keeps one item selected: a Ctrl+click that
        // took the selection away puts it back instead.
        connect(list, &QListWidget::itemSelectionChanged, this, [this, list, handler = group.select] {
            if (selectedRow(list) < 0 && list->currentRow() >= 0) {
                selectSilently(list, list->currentRow());
                return;
            }
            runHandler(handler);
        });
        for (std::size_t i = 0; i < controls.names.size(); ++i) {
            // Shown as typed, stored with "?" for what Windows-1251 lacks: said while typing.
            new NameMarks(controls.names[i]);
            connect(controls.names[i], &QLineEdit::textChanged, this,
                    [this, handler = group.names[i]] { runHandler(handler); });
        }
    }
}

void TPasport::addParticipant(Group group)
{
    const GroupControls own = controlsOf(group);
    const GroupControls other = controlsOf(group == Group::Authors ? Group::Teachers : Group::Authors);
    if (own.list->count() >= own.limit)
        return;

    m_form1->setIdentifier(QString());
    if (!m_services.showModal(*m_form1))
        return;
    const QByteArray normal = NormalizeParticipantId(m_form1->identifier());
    if (!isAdmissibleParticipantId(normal) || !IsParticipantIdValid(normal)) {
        m_services.messageBox(QStringLiteral("Введен ошибочный ID"), kErrorCaption, DesktopServices::Icon::Error,
                              DesktopServices::Buttons::Ok);
        return;
    }
    const QByteArray id = FormatParticipantId(normal);
    const QString shown = QString::fromLatin1(id);

    if (const int row = findRow(own.list, shown); row >= 0) {
        selectSilently(own.list, row);
        (this->*own.select)();
        return;
    }
    if (const int row = findRow(other.list, shown); row >= 0) {
        selectSilently(other.list, row);
        (this->*other.select)();
        m_services.messageBox(own.alreadyInOtherGroup, kErrorCaption, DesktopServices::Icon::None,
                              DesktopServices::Buttons::Ok);
        return;
    }

    const int count = own.list->count() + 1;
    // Names this user typed for the identifier before, still editable.
    own.entries[count - 1] = knownParticipant(id);
    {
        const QSignalBlocker blocker(own.list);
        own.list->addItem(shown);
    }
    if (own.recipients) {
        own.recipients->addItem(shown);
        if (own.recipients->count() == 1)
            own.recipients->setCurrentIndex(0);
        own.recipients->setEnabled(true);
        own.recipientsLabel->setEnabled(true);
    }
    selectSilently(own.list, count - 1);
    (this->*own.select)();
    own.box->setTitle(own.caption.arg(count));
    if (count >= own.limit)
        own.add->setEnabled(false);
    own.remove->setEnabled(true);
}

void TPasport::selectParticipant(Group group)
{
    const GroupControls own = controlsOf(group);
    const int row = selectedRow(own.list);
    if (row < 0)
        return;
    own.remove->setEnabled(true);
    // A copy: filling each edit stores its text back into the entry.
    const ParticipantEntry entry = own.entries[row];
    for (std::size_t i = 0; i < own.names.size(); ++i)
        own.names[i]->setText(fromCp1251(entry.*kNameFields[i]));
    setEditable(own.names, true);
}

void TPasport::storeName(Group group, int field)
{
    const GroupControls own = controlsOf(group);
    const int row = selectedRow(own.list);
    if (row < 0)
        return;
    const auto index = static_cast<std::size_t>(field);
    own.entries[row].*kNameFields[index] = toCp1251(own.names[index]->text());
}

void TPasport::deleteParticipant(Group group)
{
    const GroupControls own = controlsOf(group);
    const int removed = selectedRow(own.list);
    if (removed < 0)
        return;
    if (m_services.messageBox(own.deleteQuestion, QStringLiteral("Удаление автора"), DesktopServices::Icon::Question,
                              DesktopServices::Buttons::YesNo) != DesktopServices::Answer::Yes)
        return;

    {
        const QSignalBlocker blocker(own.list);
        delete own.list->takeItem(removed);
    }
    if (own.recipients)
        own.recipients->removeItem(removed);
    const int count = own.list->count();
    own.box->setTitle(own.caption.arg(count));
    own.remove->setEnabled(false);
    own.add->setEnabled(true);
    if (own.recipients && count == 0) {
        own.recipients->setEnabled(false);
        own.recipientsLabel->setEnabled(false);
    }
    // Later entries move up to stay beside their items; the place freed at the end is emptied.
    std::move(own.entries + removed + 1, own.entries + count + 1, own.entries + removed);
    own.entries[count] = ParticipantEntry();
    if (own.recipients)
        setEditable(own.names, false);

    if (count == 0) {
        for (QLineEdit* edit : own.names)
            edit->clear();
        return;
    }
    const int next = removed > 0 ? removed - 1 : 0;
    selectSilently(own.list, next);
    if (own.recipients)
        own.recipients->setCurrentIndex(next);
    (this->*own.select)();
}

void TPasport::AuthorAddClick()
{
    addParticipant(Group::Authors);
}

void TPasport::TeacherAddClick()
{
    addParticipant(Group::Teachers);
}

void TPasport::AuthorSelectClick()
{
    selectParticipant(Group::Authors);
}

void TPasport::TeacherSelectClick()
{
    selectParticipant(Group::Teachers);
}

void TPasport::AuthorsLastnameChange()
{
    storeName(Group::Authors, 0);
}

void TPasport::AuthorsNameChange()
{
    storeName(Group::Authors, 1);
}

void TPasport::AuthorsPatronymicChange()
{
    storeName(Group::Authors, 2);
}

void TPasport::TeachersLastnameChange()
{
    storeName(Group::Teachers, 0);
}

void TPasport::TeachersNameChange()
{
    storeName(Group::Teachers, 1);
}

void TPasport::TeachersPatronymicChange()
{
    storeName(Group::Teachers, 2);
}

void TPasport::AuthorDeleteClick()
{
    deleteParticipant(Group::Authors);
}

void TPasport::TeacherDeleteClick()
{
    deleteParticipant(Group::Teachers);
}

// The group as its add handler leaves it after adding these people in order, with their names
// typed in: the last one selected and shown. Every place after them is emptied.
void TPasport::loadParticipants(Group group, const QList<ParticipantEntry>& entries, int recipient)
{
    const GroupControls own = controlsOf(group);
    {
        const QSignalBlocker blocker(own.list);
        own.list->clear();
    }
    std::fill(own.entries, own.entries + own.limit, ParticipantEntry());
    // No item is selected now, so emptying the edits stores nothing.
    for (QLineEdit* edit : own.names)
        edit->clear();
    setEditable(own.names, false);
    own.remove->setEnabled(false);
    if (own.recipients)
        own.recipients->clear();

    const int count = static_cast<int>(std::min<qsizetype>(entries.size(), own.limit));
    for (int i = 0; i < count; ++i) {
        own.entries[i] = entries[i];
        const QString shown = QString::fromLatin1(entries[i].id);
        {
            const QSignalBlocker blocker(own.list);
            own.list->addItem(shown);
        }
        if (own.recipients)
            own.recipients->addItem(shown);
    }
    own.box->setTitle(own.caption.arg(count));
    own.add->setEnabled(count < own.limit);
    if (own.recipients) {
        own.recipients->setCurrentIndex(count > 0 ? recipient : -1);
        own.recipients->setEnabled(count > 0);
        own.recipientsLabel->setEnabled(count > 0);
    }
    if (count == 0)
        return;
    selectSilently(own.list, count - 1);
    (this->*own.select)();
}
