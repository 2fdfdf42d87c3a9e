#include "core/passport/PassportDocument.h"

#include "core/shell/Trimming.h"
#include "core/shell/Windows1251.h"

namespace {

const QString kStylesheetInstruction = QStringLiteral("<?xml-stylesheet type=\"text/xsl\" href=\"preview.qdx.xsl\" ?>");
const QString kDeclaration = QStringLiteral("<?xml version=\"1.0\" standalone=\"yes\"?>");

bool isCarriable(char16_t unit)
{
    if (unit < 0x20)
        return unit == u'\t' || unit == u'\n' || unit == u'\r';
    return unit != 0xFFFE && unit != 0xFFFF;
}

QString cleaned(const QString& text)
{
    return dropUnwritableXmlCharacters(text);
}

QString trimmed(const QString& text)
{
    return trimControls(cleaned(text));
}

QString trimmed(const QByteArray& cp1251)
{
    return trimmed(fromCp1251(cp1251));
}

QString number(qint64 value)
{
    return QString::number(value);
}

void addPerson(XmlElement& authors, const ParticipantEntry& entry, const QString& type, bool leader)
{
    XmlElement& person = authors.add(QStringLiteral("person"));
    person.set(QStringLiteral("p_id_full"), cleaned(fromCp1251(entry.id)));
    person.set(QStringLiteral("p_type"), type);
    person.set(QStringLiteral("surname"), trimmed(entry.surname));
    person.set(QStringLiteral("name"), trimmed(entry.name));
    person.set(QStringLiteral("patronymic"), trimmed(entry.patronymic));
    if (leader)
        person.set(QStringLiteral("status"), QStringLiteral("leader"));
}

void addSubjects(XmlElement& work, const PassportSnapshot& passport)
{
    XmlElement& subjects = work.add(QStringLiteral("subjects"));
    for (std::int32_t id : passport.subjectSlots) {
        if (id == 0)
            continue;
        XmlElement& subject = subjects.add(QStringLiteral("subject"));
        subject.set(QStringLiteral("sb_id"), number(id));
        if (id != Sections::kLinguistics)
            continue;
        const Sections::LanguageChoices& languages = passport.languages;
        const std::pair<bool, int> ticked[] = {
            {languages.russian, Sections::kFirstLanguage},
            {languages.english, Sections::kFirstLanguage + 1},
            {languages.german, Sections::kLastLanguage},
        };
        for (const auto& [isTicked, language] : ticked) {
            if (isTicked)
                subject.add(QStringLiteral("subject")).set(QStringLiteral("sb_id"), number(language));
        }
        if (languages.other)
            subject.add(QStringLiteral("subject")).set(QStringLiteral("title"), trimmed(languages.otherText));
    }
}

void addPicture(XmlElement& work, const PassportSnapshot& passport)
{
    if (!passport.hasPicture)
        return;
    XmlElement& img = work.add(QStringLiteral("img"));
    img.set(QStringLiteral("src"), kPictureUriPrefix + cleaned(passport.pictureBase64));
    img.set(QStringLiteral("width"), number(passport.pictureWidth));
    img.set(QStringLiteral("height"), number(passport.pictureHeight));
    // A caption of nothing the file can carry is no caption: an empty title would read back as
    // none and the next save would drop it.
    const QString caption = cleaned(passport.pictureCaption);
    if (!caption.isEmpty())
        img.set(QStringLiteral("title"), caption);
}

void addComment(XmlElement& work, const PassportSnapshot& passport)
{
    work.add(QStringLiteral("comment")).text = trimmed(passport.notes);
}

// Markup is escaped (so "]]>" cannot occur) and CR is always a character reference, since a
// parser turns a raw CR LF into LF alone. In attribute values a parser also turns raw tab and LF
// into blanks, so they are references too, and the quote that delimits the value is escaped.
void appendEscaped(QString& out, const QString& text, bool attributeValue)
{
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            out += QLatin1String("&amp;");
            continue;
        case u'<':
            out += QLatin1String("&lt;");
            continue;
        case u'>':
            out += QLatin1String("&gt;");
            continue;
        case u'\r':
            out += QLatin1String("&#13;");
            continue;
        }
        if (attributeValue) {
            switch (c.unicode()) {
            case u'"':
                out += QLatin1String("&quot;");
                continue;
            case u'\t':
                out += QLatin1String("&#9;");
                continue;
            case u'\n':
                out += QLatin1String("&#10;");
                continue;
            }
        }
        out += c;
    }
}

void appendElement(QString& out, const XmlElement& element)
{
    out += u'<';
    out += element.name;
    for (const auto& [name, value] : element.attributes) {
        out += u' ';
        out += name;
        out += QLatin1String("=\"");
        appendEscaped(out, cleaned(value), true);
        out += u'"';
    }
    if (element.children.isEmpty() && element.text.isEmpty()) {
        out += QLatin1String("/>");
        return;
    }
    out += u'>';
    appendEscaped(out, cleaned(element.text), false);
    for (const XmlElement& child : element.children)
        appendElement(out, child);
    out += QLatin1String("</");
    out += element.name;
    out += u'>';
}

} // namespace

QString dropUnwritableXmlCharacters(const QString& text)
{
    QString kept;
    kept.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar unit = text.at(i);
        if (unit.isHighSurrogate()) {
            if (i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
                kept += unit;
                kept += text.at(++i);
            }
            continue;
        }
        if (unit.isLowSurrogate() || !isCarriable(unit.unicode()))
            continue;
        kept += unit;
    }
    return kept;
}

PassportDocument BuildPassportDocument(const PassportSnapshot& passport, PassportDocumentKind kind,
                                       qint64 storedSeconds)
{
    const bool preview = kind == PassportDocumentKind::Preview;

    PassportDocument document;
    document.root.name = QStringLiteral("lumarinda");
    XmlElement& work = document.root.add(QStringLiteral("work"));

    QString title = trimmed(passport.title);
    if (preview && title.isEmpty())
        title = kUntitledWork;
    work.set(QStringLiteral("title"), title);
    work.set(QStringLiteral("sz_id"), number(passport.seasonId));
    work.set(QLatin1String(kStoredAttribute), number(storedSeconds));
    work.set(QStringLiteral("version"), kPassportFormatVersion);

    work.add(QStringLiteral("description")).text = cleaned(passport.description);
    work.add(QStringLiteral("specification")).text = cleaned(passport.techRequest);
    work.add(QStringLiteral("manual")).text = cleaned(passport.manual);
    addSubjects(work, passport);

    XmlElement& authors = work.add(QStringLiteral("authors"));
    for (const ParticipantEntry& entry : passport.authors)
        addPerson(authors, entry, QStringLiteral("student"), false);
    for (qsizetype i = 0; i < passport.teachers.size(); ++i)
        addPerson(authors, passport.teachers.at(i), QStringLiteral("teacher"), i == passport.leaderIndex);

    XmlElement& contacts = work.add(QStringLiteral("public_relations"));
    contacts.add(QStringLiteral("postal_code")).text = trimmed(passport.postIndex);
    contacts.add(QStringLiteral("address")).text = trimmed(passport.postAddress);
    contacts.add(QStringLiteral("phone")).text = trimmed(passport.phone);
    contacts.add(QStringLiteral("email")).text = trimmed(passport.email);

    if (preview) {
        addComment(work, passport);
        addPicture(work, passport);
    } else {
        addPicture(work, passport);
        addComment(work, passport);
    }
    return document;
}

void stampStored(PassportDocument& document, qint64 storedSeconds)
{
    for (auto& [name, value] : document.root.children.first().attributes) {
        if (name == QLatin1String(kStoredAttribute))
            value = number(storedSeconds);
    }
}

QString passportFileHeader()
{
    const QString lines[] = {
        kStylesheetInstruction,
        QStringLiteral("<!--"),
        QString(),
        QStringLiteral("   Паспорт работы Фестиваля «Lumarinda»"),
        QString(),
        QStringLiteral("   Файл создан в программе заполнения электронного паспорта"),
        QStringLiteral("   работы фестиваля «Lumarinda». Не вносите исправлния вручную!"),
        QStringLiteral("   Это может повредить структуру данных и повлечь некорректную"),
        QStringLiteral("   обработку при добавлении в базу."),
        QString(),
        QStringLiteral("-->"),
    };
    QString header;
    for (const QString& line : lines)
        header += line + QStringLiteral("\r\n");
    return header;
}

QByteArray serializePassportDocument(const PassportDocument& document)
{
    QString text = kDeclaration + QStringLiteral("\r\n") + passportFileHeader();
    if (!document.isEmpty())
        appendElement(text, document.root);
    text += QStringLiteral("\r\n");
    return QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8();
}

QString ProposePassportFileName(const QString& title)
{
    QString name = fromCp1251(toCp1251(trimControls(title)));
    name.replace(u'"', QStringLiteral("''"));
    for (QChar c : {u'/', u'\\', u'?', u'|', u'*', u'<', u'>', u':'})
        name.replace(c, u'-');
    return name;
}
