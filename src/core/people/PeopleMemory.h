#pragma once

#include "core/passport/PassportSnapshot.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class DesktopServices;

// A participant as the user's list remembers them: the identifier in display form and the names
// as typed.
struct KnownPerson
{
    QByteArray id;
    QString surname;
    QString name;
    QString patronymic;

    bool operator==(const KnownPerson&) const = default;
};

// The four contact fields of one saved passport.
struct KnownContacts
{
    QString postIndex;
    QString postAddress;
    QString phone;
    QString email;

    bool operator==(const KnownContacts&) const = default;
};

// "$XDG_DATA_HOME/lumarinda-passport", "~/.local/share/lumarinda-passport" when it is unset or
// relative; not yet made or checked.
QString peopleFolderPath();
// That folder made 0700 and checked like the temporary folder; ends in "/". Throws Failure.
QString preparePeopleFolder(const QString& path);

inline const QString kPeopleFileName = QStringLiteral("people.txt");
inline const QString kContactsFileName = QStringLiteral("contacts.txt");
// Where a list that cannot be read is moved, under its own name.
inline const QString kUnreadableListsFolder = QStringLiteral("unreadable");

// The lists' bounds: reading them stays quick and small whatever the files hold.
inline constexpr qint64 kMaxListBytes = 512 * 1024;
inline constexpr int kMaxKnownPeople = 2000;
inline constexpr int kMaxKnownContacts = 20;

// The text of the lists: a header line, then one entry a line, newest first, fields separated by
// tabs; inside a field "\\" stands for a backslash and "\xNN" for a control character. Reading
// throws Failure whose message says what is wrong with the text; a person whose identifier fails
// its check code makes the list damaged, never a source of names.
QList<KnownPerson> parsePeople(const QByteArray& bytes);
QByteArray serializePeople(const QList<KnownPerson>& people);
QList<KnownContacts> parseContacts(const QByteArray& bytes);
QByteArray serializeContacts(const QList<KnownContacts>& contacts);

// `newer` in front of `list`, each identifier once (the newest entry wins), at most kMaxKnownPeople.
QList<KnownPerson> withPeople(const QList<KnownPerson>& list, const QList<KnownPerson>& newer);
// The participants of a passport with an identifier and at least one name.
QList<KnownPerson> peopleOf(const PassportSnapshot& passport);

// Takes the person `id` (as "123-456-789") out of the list in `folder` (the data folder). Returns
// false when there is no list or the person is not in it; throws Failure with the reason alone when
// the list cannot be read or written.
bool forgetPerson(const QString& folder, const QByteArray& id);

// The user's lists of people and of the contacts of saved passports, in the data folder, each file
// 0600. A list that is damaged, too big, unreadable or a link is moved aside with one message per
// run and a new one begun; nothing here ever stops the editor.
class PeopleMemory
{
public:
    explicit PeopleMemory(DesktopServices& services);

    // The person the list knows under this identifier (display form, its check code valid).
    std::optional<KnownPerson> find(const QByteArray& id);
    // Adds the participants of a passport opened or restored.
    void rememberPeople(const PassportSnapshot& passport);
    // Adds the participants and the contacts of a passport just saved.
    void rememberSaved(const PassportSnapshot& passport);
    // The distinct non-empty values one contact field had in the saved passports, newest first.
    QStringList contactValues(QString KnownContacts::*field);
    // Removes the person; false when the list did not know them.
    bool forget(const QByteArray& id);

private:
    QString folder();
    // Reads one list anew; a file that cannot be read is moved aside, and false returned when that
    // failed too (the file must then not be written over).
    bool read(const QString& name, QByteArray& bytes);
    void write(const QString& name, const QByteArray& bytes);
    void sayOnce(const QString& text);

    DesktopServices& m_services;
    QString m_folder;
    bool m_folderFailed = false;
    bool m_said = false;
};
