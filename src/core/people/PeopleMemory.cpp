#include "core/people/PeopleMemory.h"

#include "core/participants/ParticipantId.h"
#include "core/passport/FieldLimits.h"
#include "core/shell/AppInfo.h"
#include "core/shell/DesktopServices.h"
#include "core/shell/Failure.h"
#include "core/shell/SystemReason.h"
#include "core/shell/TempFolder.h"
#include "core/shell/Windows1251.h"
#include "core/shell/Wording.h"
#include "core/shell/XdgFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <cerrno>
#include <sys/stat.h>

namespace {

const QByteArray kPeopleHeader = "lumarinda-passport people 1";
const QByteArray kContactsHeader = "lumarinda-passport contacts 1";

const QString kDamaged = QStringLiteral("файл поврежден");

// A backslash doubled, every control character (tab and line breaks among them) as "\xNN".
QByteArray escaped(const QString& field)
{
    QByteArray out;
    for (const char c : field.toUtf8()) {
        const auto code = static_cast<unsigned char>(c);
        if (c == '\\')
            out += "\\\\";
        else if (code < 0x20)
            out += "\\x" + QByteArray::number(code, 16).rightJustified(2, '0');
        else
            out += c;
    }
    return out;
}

QString unescaped(const QByteArray& field)
{
    QByteArray out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field.at(i);
        if (static_cast<unsigned char>(c) < 0x20)
            throw Failure(kDamaged);
        if (c != '\\') {
            out += c;
            continue;
        }
        if (field.mid(i + 1, 1) == "\\") {
            out += '\\';
            ++i;
            continue;
        }
        const QByteArray hex = field.mid(i + 2, 2);
        bool ok = false;
        const int code = hex.toInt(&ok, 16);
        if (field.mid(i + 1, 1) != "x" || hex.size() != 2 || !ok || code >= 0x20)
            throw Failure(kDamaged);
        out += static_cast<char>(code);
        i += 3;
    }
    const QString text = QString::fromUtf8(out);
    if (text.toUtf8() != out)
        throw Failure(kDamaged);
    return text;
}

// The rows of a list: the header, then `fields` fields a line, at most `maxRows` lines.
QList<QStringList> parseRows(const QByteArray& bytes, const QByteArray& header, int fields, int maxRows)
{
    if (bytes.size() > kMaxListBytes)
        throw Failure(QStringLiteral("файл слишком велик"));
    QList<QByteArray> lines = bytes.split('\n');
    if (lines.constFirst() != header)
        throw Failure(QStringLiteral("это не список этой программы"));
    if (!lines.constLast().isEmpty())
        throw Failure(kDamaged);
    lines.removeLast();
    if (lines.size() - 1 > maxRows)
        throw Failure(QStringLiteral("файл слишком велик"));
    QList<QStringList> rows;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> parts = lines.at(i).split('\t');
        if (parts.size() != fields)
            throw Failure(kDamaged);
        QStringList row;
        for (const QByteArray& part : parts)
            row << unescaped(part);
        rows << row;
    }
    return rows;
}

QByteArray serializeRows(const QByteArray& header, const QList<QStringList>& rows)
{
    QByteArray out = header + '\n';
    for (const QStringList& row : rows) {
        QByteArrayList fields;
        for (const QString& field : row)
            fields << escaped(field);
        out += fields.join('\t') + '\n';
    }
    return out;
}

bool isKnownId(const QString& id)
{
    const QByteArray normal = NormalizeParticipantId(id);
    return isAdmissibleParticipantId(normal) && IsParticipantIdValid(normal) &&
           FormatParticipantId(normal) == id.toLatin1();
}

void makePrivate(const QString& path)
{
    ::chmod(QFile::encodeName(path).constData(), 0600);
}

// Moves the file under kUnreadableListsFolder beside it; returns the folder, throws Failure.
QString moveAside(const QString& path)
{
    const QFileInfo file(path);
    const QString folder = file.dir().filePath(kUnreadableListsFolder);
    if (!QFileInfo(folder).isDir() && ::mkdir(QFile::encodeName(folder).constData(), 0700) != 0)
        throw Failure(systemReason(errno));
    QString target = QDir(folder).filePath(file.fileName());
    for (int n = 1; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++n)
        target = QDir(folder).filePath(file.fileName() + QStringLiteral(".%1").arg(n));
    if (::rename(QFile::encodeName(path).constData(), QFile::encodeName(target).constData()) != 0)
        throw Failure(systemReason(errno));
    return folder;
}

} // namespace

QString peopleFolderPath()
{
    return programDataFolder();
}

QString preparePeopleFolder(const QString& path)
{
    // The data folder itself may not exist yet on a fresh account.
    QDir().mkpath(QFileInfo(path).path());
    return preparePrivateFolder(path,
                                {QStringLiteral("Папка данных программы"), QStringLiteral("папку данных программы"),
                                 QStringLiteral("папке данных программы")});
}

QList<KnownPerson> parsePeople(const QByteArray& bytes)
{
    QList<KnownPerson> people;
    for (const QStringList& row : parseRows(bytes, kPeopleHeader, 4, kMaxKnownPeople)) {
        if (!isKnownId(row.at(0)))
            throw Failure(kDamaged);
        for (int i = 1; i < 4; ++i) {
            if (row.at(i).size() > FieldLimits::kParticipantName)
                throw Failure(kDamaged);
        }
        people.append({row.at(0).toLatin1(), row.at(1), row.at(2), row.at(3)});
    }
    return people;
}

QByteArray serializePeople(const QList<KnownPerson>& people)
{
    QList<QStringList> rows;
    for (const KnownPerson& person : people)
        rows.append({QString::fromLatin1(person.id), person.surname, person.name, person.patronymic});
    return serializeRows(kPeopleHeader, rows);
}

QList<KnownContacts> parseContacts(const QByteArray& bytes)
{
    QList<KnownContacts> contacts;
    for (const QStringList& row : parseRows(bytes, kContactsHeader, 4, kMaxKnownContacts)) {
        if (row.at(0).size() > FieldLimits::kPostIndex || row.at(1).size() > FieldLimits::kPostAddress ||
            row.at(2).size() > FieldLimits::kPhone || row.at(3).size() > FieldLimits::kEmail)
            throw Failure(kDamaged);
        contacts.append({row.at(0), row.at(1), row.at(2), row.at(3)});
    }
    return contacts;
}

QByteArray serializeContacts(const QList<KnownContacts>& contacts)
{
    QList<QStringList> rows;
    for (const KnownContacts& c : contacts)
        rows.append({c.postIndex, c.postAddress, c.phone, c.email});
    return serializeRows(kContactsHeader, rows);
}

QList<KnownPerson> withPeople(const QList<KnownPerson>& list, const QList<KnownPerson>& newer)
{
    QList<KnownPerson> out;
    QSet<QByteArray> seen;
    for (const QList<KnownPerson>* part : {&newer, &list}) {
        for (const KnownPerson& person : *part) {
            if (out.size() == kMaxKnownPeople)
                return out;
            if (seen.contains(person.id))
                continue;
            seen.insert(person.id);
            out.append(person);
        }
    }
    return out;
}

QList<KnownPerson> peopleOf(const PassportSnapshot& passport)
{
    QList<KnownPerson> people;
    for (const QList<ParticipantEntry>* group : {&passport.authors, &passport.teachers}) {
        for (const ParticipantEntry& entry : *group) {
            const KnownPerson person{entry.id, fromCp1251(entry.surname), fromCp1251(entry.name),
                                     fromCp1251(entry.patronymic)};
            if (!isKnownId(QString::fromLatin1(person.id)))
                continue;
            if (person.surname.isEmpty() && person.name.isEmpty() && person.patronymic.isEmpty())
                continue;
            people.append(person);
        }
    }
    return people;
}

bool forgetPerson(const QString& folder, const QByteArray& id)
{
    const QString path = QDir(folder).filePath(kPeopleFileName);
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return false;
    if (info.isSymLink() || !info.isFile())
        throw Failure(QStringLiteral("это не файл"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(systemReason(file.errorString()));
    QList<KnownPerson> people = parsePeople(file.read(kMaxListBytes + 1));
    if (people.removeIf([&id](const KnownPerson& person) { return person.id == id; }) == 0)
        return false;
    QSaveFile saved(path);
    const QByteArray bytes = serializePeople(people);
    if (!saved.open(QIODevice::WriteOnly) || saved.write(bytes) != bytes.size() || !saved.commit())
        throw Failure(systemReason(saved.errorString()));
    makePrivate(path);
    return true;
}

PeopleMemory::PeopleMemory(DesktopServices& services) : m_services(services) {}

QString PeopleMemory::folder()
{
    if (m_folder.isEmpty() && !m_folderFailed) {
        try {
            m_folder = m_services.dataFolder();
        } catch (const Failure& failure) {
            m_folderFailed = true;
            sayOnce(QStringLiteral("Список участников недоступен: %1.").arg(lowerFirst(failure.message())));
        }
    }
    return m_folder;
}

bool PeopleMemory::read(const QString& name, QByteArray& bytes)
{
    bytes.clear();
    const QString dir = folder();
    if (dir.isEmpty())
        return false;
    const QString path = dir + name;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    QString reason;
    if (info.isSymLink())
        reason = QStringLiteral("это ссылка, а не файл");
    else if (!info.isFile())
        reason = QStringLiteral("это не файл");
    else if (info.size() > kMaxListBytes)
        reason = QStringLiteral("файл слишком велик");
    if (reason.isEmpty()) {
        bytes = m_services.readFile(path, kMaxListBytes + 1);
        if (bytes.isEmpty() && info.size() > 0)
            reason = QStringLiteral("файл не читается");
        else {
            try {
                if (name == kPeopleFileName)
                    parsePeople(bytes);
                else
                    parseContacts(bytes);
                return true;
            } catch (const Failure& failure) {
                reason = failure.message();
            }
        }
    }
    bytes.clear();
    const QString shownName = QDir::toNativeSeparators(path);
    try {
        const QString aside = moveAside(path);
        sayOnce(QStringLiteral("Список «%1» не читается: %2.\nОн перенесен в папку «%3», начат новый список.")
                    .arg(shownName, reason, QDir::toNativeSeparators(aside)));
        return true;
    } catch (const Failure& failure) {
        sayOnce(QStringLiteral("Список «%1» не читается: %2.\nПеренести его в сторону не удалось (%3).")
                    .arg(shownName, reason, lowerFirst(failure.message())));
        return false;
    }
}

void PeopleMemory::write(const QString& name, const QByteArray& bytes)
{
    const QString path = folder() + name;
    try {
        m_services.writeFile(path, bytes);
        makePrivate(path);
    } catch (const Failure& failure) {
        sayOnce(QStringLiteral("Не удалось записать список «%1»: %2.")
                    .arg(QDir::toNativeSeparators(path), lowerFirst(failure.message())));
    }
}

std::optional<KnownPerson> PeopleMemory::find(const QByteArray& id)
{
    QByteArray bytes;
    if (!isKnownId(QString::fromLatin1(id)) || !read(kPeopleFileName, bytes) || bytes.isEmpty())
        return std::nullopt;
    for (const KnownPerson& person : parsePeople(bytes)) {
        if (person.id == id)
            return person;
    }
    return std::nullopt;
}

void PeopleMemory::rememberPeople(const PassportSnapshot& passport)
{
    const QList<KnownPerson> people = peopleOf(passport);
    QByteArray bytes;
    if (people.isEmpty() || !read(kPeopleFileName, bytes))
        return;
    const QList<KnownPerson> known = bytes.isEmpty() ? QList<KnownPerson>() : parsePeople(bytes);
    const QList<KnownPerson> updated = withPeople(known, people);
    if (updated != known || bytes.isEmpty())
        write(kPeopleFileName, serializePeople(updated));
}

void PeopleMemory::rememberSaved(const PassportSnapshot& passport)
{
    rememberPeople(passport);
    const KnownContacts saved{passport.postIndex.trimmed(), passport.postAddress.trimmed(), passport.phone.trimmed(),
                              passport.email.trimmed()};
    QByteArray bytes;
    if (saved == KnownContacts() || !read(kContactsFileName, bytes))
        return;
    QList<KnownContacts> contacts = bytes.isEmpty() ? QList<KnownContacts>() : parseContacts(bytes);
    contacts.removeAll(saved);
    contacts.prepend(saved);
    while (contacts.size() > kMaxKnownContacts)
        contacts.removeLast();
    write(kContactsFileName, serializeContacts(contacts));
}

QStringList PeopleMemory::contactValues(QString KnownContacts::*field)
{
    QByteArray bytes;
    if (!read(kContactsFileName, bytes) || bytes.isEmpty())
        return {};
    QStringList values;
    for (const KnownContacts& contacts : parseContacts(bytes)) {
        const QString& value = contacts.*field;
        if (!value.isEmpty() && !values.contains(value))
            values << value;
    }
    return values;
}

bool PeopleMemory::forget(const QByteArray& id)
{
    QByteArray bytes;
    if (!read(kPeopleFileName, bytes) || bytes.isEmpty())
        return false;
    QList<KnownPerson> people = parsePeople(bytes);
    const qsizetype removed = people.removeIf([&id](const KnownPerson& person) { return person.id == id; });
    if (removed == 0)
        return false;
    write(kPeopleFileName, serializePeople(people));
    return true;
}

void PeopleMemory::sayOnce(const QString& text)
{
    if (m_said)
        return;
    m_said = true;
    m_services.messageBox(text, kApplicationTitle, DesktopServices::Icon::Warning, DesktopServices::Buttons::Ok);
}
