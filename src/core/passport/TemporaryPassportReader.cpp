// TEMPORARY: a reader just good enough for the window's tests to open what the builder writes.
// It checks nothing. The real reader replaces this file; drop it when that is merged.

#include "core/passport/PassportReader.h"
#include "core/shell/Failure.h"
#include "core/shell/Windows1251.h"

#include <QFile>
#include <QXmlStreamReader>

namespace {

Failure refused(const QString& what)
{
    return Failure(QStringLiteral("Файл не является паспортом работы: %1").arg(what));
}

ParticipantEntry personOf(const QXmlStreamAttributes& attributes)
{
    return ParticipantEntry{attributes.value(QLatin1String("p_id_full")).toLatin1(),
                            toCp1251(attributes.value(QLatin1String("surname")).toString()),
                            toCp1251(attributes.value(QLatin1String("name")).toString()),
                            toCp1251(attributes.value(QLatin1String("patronymic")).toString())};
}

} // namespace

ReadPassport readPassportDocument(const QByteArray& bytes)
{
    ReadPassport read;
    PassportSnapshot& p = read.passport;
    QXmlStreamReader xml(bytes);
    int slot = 0;
    int depthInSubject = 0;
    bool sawRoot = false;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == u"subject")
            --depthInSubject;
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QStringView name = xml.name();
        const QXmlStreamAttributes a = xml.attributes();
        if (name == u"lumarinda") {
            sawRoot = true;
        } else if (name == u"work") {
            p.title = a.value(QLatin1String("title")).toString();
            p.seasonId = a.value(QLatin1String("sz_id")).toInt();
            read.storedSeconds = a.value(QLatin1String("stored")).toLongLong();
        } else if (name == u"description") {
            p.description = xml.readElementText();
        } else if (name == u"specification") {
            p.techRequest = xml.readElementText();
        } else if (name == u"manual") {
            p.manual = xml.readElementText();
        } else if (name == u"subject") {
            ++depthInSubject;
            if (depthInSubject == 1 && slot < PassportRecord::kSlotCount) {
                p.subjectSlots[static_cast<std::size_t>(slot++)] = a.value(QLatin1String("sb_id")).toInt();
            } else if (depthInSubject == 2) {
                if (a.hasAttribute(QLatin1String("title"))) {
                    p.languages.other = true;
                    p.languages.otherText = a.value(QLatin1String("title")).toString();
                } else {
                    const int id = a.value(QLatin1String("sb_id")).toInt();
                    p.languages.russian |= id == 25;
                    p.languages.english |= id == 26;
                    p.languages.german |= id == 27;
                }
            }
        } else if (name == u"person") {
            const bool teacher = a.value(QLatin1String("p_type")) == u"teacher";
            if (teacher && a.value(QLatin1String("status")) == u"leader")
                p.leaderIndex = static_cast<int>(p.teachers.size());
            (teacher ? p.teachers : p.authors).append(personOf(a));
        } else if (name == u"postal_code") {
            p.postIndex = xml.readElementText();
        } else if (name == u"address") {
            p.postAddress = xml.readElementText();
        } else if (name == u"phone") {
            p.phone = xml.readElementText();
        } else if (name == u"email") {
            p.email = xml.readElementText();
        } else if (name == u"img") {
            p.hasPicture = true;
            p.pictureBase64 = a.value(QLatin1String("src")).toString().section(u',', 1);
            p.pictureWidth = a.value(QLatin1String("width")).toInt();
            p.pictureHeight = a.value(QLatin1String("height")).toInt();
            p.pictureCaption = a.value(QLatin1String("title")).toString();
        } else if (name == u"comment") {
            p.notes = xml.readElementText();
        }
    }
    if (xml.hasError())
        throw refused(xml.errorString());
    if (!sawRoot)
        throw refused(QStringLiteral("нет элемента lumarinda"));
    // A saved passport always names its invoice recipient when it has supervisors.
    if (p.leaderIndex < 0 && !p.teachers.isEmpty())
        p.leaderIndex = 0;
    return read;
}

ReadPassport readPassportFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("Не удалось открыть файл «%1»: %2").arg(path, file.errorString()));
    try {
        return readPassportDocument(file.read(kMaxPassportFileBytes + 1));
    } catch (const Failure& failure) {
        throw Failure(QStringLiteral("Файл «%1» не открыт. %2").arg(path, failure.message()));
    }
}
