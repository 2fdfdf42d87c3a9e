// The people and contacts this user has typed before: names filled in for a known identifier,
// completions offered in the contact fields, both remembered from the passports saved, opened
// and restored.

#include "core/people/PeopleMemory.h"
#include "core/shell/DesktopServices.h"
#include "core/shell/Windows1251.h"
#include "ui_Form.h"
#include "windows/Form.h"

#include <QCompleter>
#include <QEvent>
#include <QStringListModel>

namespace {

struct ContactField
{
    QLineEdit* Ui::TPasport::*edit;
    QString KnownContacts::*value;
};

const ContactField kContactFields[] = {
    {&Ui::TPasport::public_post_index, &KnownContacts::postIndex},
    {&Ui::TPasport::public_post_address, &KnownContacts::postAddress},
    {&Ui::TPasport::public_phone, &KnownContacts::phone},
    {&Ui::TPasport::public_email, &KnownContacts::email},
};

// The lists are read when a contact field is first entered, not while the window is being built.
class FirstEntry : public QObject
{
public:
    FirstEntry(QObject* parent, std::function<void()> entered) : QObject(parent), m_entered(std::move(entered)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn && m_entered) {
            const auto entered = std::move(m_entered);
            m_entered = nullptr;
            entered();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_entered;
};

} // namespace

void TPasport::connectPeopleHandlers()
{
    m_people = std::make_unique<PeopleMemory>(m_services);
    auto* first = new FirstEntry(this, [this] { showContactCompletions(); });
    for (const ContactField& field : kContactFields) {
        QLineEdit* edit = (*m_ui).*field.edit;
        auto* completer = new QCompleter(new QStringListModel(edit), edit);
        completer->setCaseSensitivity(Qt::CaseInsensitive);
        completer->setFilterMode(Qt::MatchContains);
        edit->setCompleter(completer);
        edit->installEventFilter(first);
    }
}

void TPasport::showContactCompletions()
{
    for (const ContactField& field : kContactFields) {
        QLineEdit* edit = (*m_ui).*field.edit;
        auto* model = static_cast<QStringListModel*>(edit->completer()->model());
        model->setStringList(m_people->contactValues(field.value));
    }
}

ParticipantEntry TPasport::knownParticipant(const QByteArray& id)
{
    ParticipantEntry entry{id, {}, {}, {}};
    if (const std::optional<KnownPerson> known = m_people->find(id)) {
        entry.surname = toCp1251(known->surname);
        entry.name = toCp1251(known->name);
        entry.patronymic = toCp1251(known->patronymic);
    }
    return entry;
}

void TPasport::rememberPeople(const PassportSnapshot& passport, PassportSource source)
{
    if (source == PassportSource::Saved) {
        m_people->rememberSaved(passport);
        showContactCompletions();
    } else {
        m_people->rememberPeople(passport);
    }
}
