// The tree of a passport file onto a passport: the third step after the bytes (PassportBytes) and
// the tree (XmlTree).

#include "core/passport/PassportReader.h"

#include "core/participants/ParticipantId.h"
#include "core/passport/FieldLimits.h"
#include "core/passport/PassportFormat.h"
#include "core/passport/XmlTree.h"
#include "core/picture/JpegImport.h"
#include "core/picture/ShownSize.h"
#include "core/sections/SectionRules.h"
#include "core/shell/Failure.h"
#include "core/shell/Windows1251.h"
#include "core/shell/Wording.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <initializer_list>
#include <limits>
#include <optional>

namespace {

QString quoted(const QString& text)
{
    return QStringLiteral("«%1»").arg(text);
}

QString quoted(const char* text)
{
    return quoted(QString::fromLatin1(text));
}

// Every refusal about the shape of the tree, each sentence in one place.
Failure extraElement(const XmlElement& child, const XmlElement& parent)
{
    return Failure(QStringLiteral("Лишний элемент %1 в элементе %2").arg(quoted(child.name), quoted(parent.name)));
}

Failure repeatedElement(const XmlElement& child, const XmlElement& parent)
{
    return Failure(QStringLiteral("Элемент %1 повторяется в элементе %2").arg(quoted(child.name), quoted(parent.name)));
}

Failure missingElement(const XmlElement& parent, const char* name)
{
    return Failure(QStringLiteral("В элементе %1 нет элемента %2").arg(quoted(parent.name), quoted(name)));
}

Failure extraAttribute(const XmlElement& node, const QString& name)
{
    return Failure(QStringLiteral("У элемента %1 лишний атрибут %2").arg(quoted(node.name), quoted(name)));
}

Failure missingAttribute(const XmlElement& node, const char* name)
{
    return Failure(QStringLiteral("У элемента %1 нет атрибута %2").arg(quoted(node.name), quoted(name)));
}

Failure badValue(const XmlElement& node, const char* attribute, const QString& value)
{
    return Failure(QStringLiteral("Недопустимое значение %1 атрибута %2 элемента %3")
                       .arg(quoted(value), quoted(attribute), quoted(node.name)));
}

Failure containsText(const XmlElement& node)
{
    return Failure(QStringLiteral("Элемент %1 содержит текст").arg(quoted(node.name)));
}

// The attributes an element may carry; missing required ones and any other are refused.
void checkAttributes(const XmlElement& node, std::initializer_list<const char*> required,
                     std::initializer_list<const char*> optional = {})
{
    const auto listed = [](std::initializer_list<const char*> names, const QString& name) {
        return std::any_of(names.begin(), names.end(),
                           [&name](const char* known) { return name == QLatin1String(known); });
    };
    for (const auto& [name, value] : node.attributes) {
        if (!listed(required, name) && !listed(optional, name))
            throw extraAttribute(node, name);
    }
    for (const char* name : required) {
        if (!node.attribute(QLatin1String(name)))
            throw missingAttribute(node, name);
    }
}

QString requiredAttribute(const XmlElement& node, const char* name)
{
    return *node.attribute(QLatin1String(name));
}

// Decimal without sign or leading zeros, as the program writes numbers.
qint64 numberAttribute(const XmlElement& node, const char* name, qint64 maximum)
{
    const QString value = requiredAttribute(node, name);
    bool plain = !value.isEmpty() && value.size() <= 18 && (value == QLatin1String("0") || value.at(0) != u'0');
    for (QChar c : value)
        plain = plain && c >= u'0' && c <= u'9';
    const qint64 number = plain ? value.toLongLong() : -1;
    if (number < 0 || number > maximum)
        throw badValue(node, name, value);
    return number;
}

void checkNoText(const XmlElement& node)
{
    if (!node.isBlank())
        throw containsText(node);
}

void checkEmpty(const XmlElement& node)
{
    checkNoText(node);
    if (!node.children.isEmpty())
        throw extraElement(node.children.constFirst(), node);
}

// A text element: text only, no attributes.
QString textOf(const XmlElement& node)
{
    checkAttributes(node, {});
    if (!node.children.isEmpty())
        throw extraElement(node.children.constFirst(), node);
    return node.text;
}

// The children of an element that each occur once, found by name. Text between them, an unknown
// or repeated child and a missing required one are refused, in that order.
class Children
{
public:
    Children(const XmlElement& parent, std::initializer_list<const char*> required,
             std::initializer_list<const char*> optional = {})
    {
        checkNoText(parent);
        for (const char* name : required)
            m_found.append({name, nullptr});
        for (const char* name : optional)
            m_found.append({name, nullptr});
        for (const XmlElement& child : parent.children) {
            const XmlElement** slot = place(child.name);
            if (!slot)
                throw extraElement(child, parent);
            if (*slot)
                throw repeatedElement(child, parent);
            *slot = &child;
        }
        for (const char* name : required) {
            if (!find(name))
                throw missingElement(parent, name);
        }
    }

    const XmlElement& operator[](const char* name) const { return *find(name); }

    const XmlElement* find(const char* name) const
    {
        for (const auto& [known, node] : m_found) {
            if (qstrcmp(known, name) == 0)
                return node;
        }
        return nullptr;
    }

private:
    const XmlElement** place(const QString& name)
    {
        for (auto& [known, node] : m_found) {
            if (name == QLatin1String(known))
                return &node;
        }
        return nullptr;
    }

    QList<std::pair<const char*, const XmlElement*>> m_found;
};

// Line breaks as a memo holds them: CR LF, whatever form the file gave them.
QString memoText(const QString& text)
{
    QString held;
    held.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator) {
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            held += QStringLiteral("\r\n");
        } else {
            held += c;
        }
    }
    return held;
}

// Counted in UTF-16 units, as the editor's controls count.
QString limited(const QString& text, int limit, const QString& what)
{
    if (text.size() > limit)
        throw Failure(QStringLiteral("%1 длиннее %2 символов").arg(what).arg(limit));
    return text;
}

// The editor trims these texts when it saves, so blanks at their ends are not its own.
QString trimmedText(const QString& text, const QString& what)
{
    if (!text.isEmpty() && (isXmlBlank(text.front()) || isXmlBlank(text.back())))
        throw Failure(QStringLiteral("%1 начинается или заканчивается пробелом").arg(what));
    return text;
}

QString limitedTrimmed(const QString& text, int limit, const QString& what)
{
    return trimmedText(limited(text, limit, what), what);
}

void readWorkAttributes(const XmlElement& work, PassportSnapshot& passport, qint64& storedSeconds)
{
    checkAttributes(work, {"title", "sz_id", kStoredAttribute, "version"});
    const QString what = QStringLiteral("Название работы");
    passport.title = limitedTrimmed(requiredAttribute(work, "title"), FieldLimits::kTitle, what);
    const QString version = requiredAttribute(work, "version");
    if (version != kPassportFormatVersion)
        throw Failure(QStringLiteral("Неизвестная версия формата паспорта %1").arg(quoted(version)));
    const QString season = requiredAttribute(work, "sz_id");
    if (season != QString::number(PassportRecord::kSeason))
        throw Failure(QStringLiteral("Паспорт относится к другому сезону фестиваля (%1)").arg(quoted(season)));
    storedSeconds = numberAttribute(work, kStoredAttribute, kMaxStoredSeconds);
}

void readLanguages(const XmlElement& linguistics, Sections::LanguageChoices& languages)
{
    checkNoText(linguistics);
    bool* const ticked[] = {&languages.russian, &languages.english, &languages.german};
    int next = 0; // languages come in the order 25, 26, 27, then "другое"
    for (const XmlElement& child : linguistics.children) {
        if (child.name != QLatin1String("subject"))
            throw extraElement(child, linguistics);
        checkEmpty(child);
        int position = 0;
        if (child.attribute(u"title")) {
            checkAttributes(child, {"title"});
            position = 3;
            const QString what = QStringLiteral("Название другого языка");
            languages.otherText = limitedTrimmed(requiredAttribute(child, "title"), FieldLimits::kOtherLanguage, what);
            languages.other = true;
        } else {
            checkAttributes(child, {"sb_id"});
            const qint64 id = numberAttribute(child, "sb_id", std::numeric_limits<int>::max());
            if (id < Sections::kFirstLanguage || id > Sections::kLastLanguage)
                throw Failure(QStringLiteral("Неизвестный язык раздела «Лингвистика»: %1").arg(id));
            position = static_cast<int>(id) - Sections::kFirstLanguage;
            *ticked[position] = true;
        }
        if (position < next)
            throw Failure(QStringLiteral("Языки раздела «Лингвистика» повторяются или идут не по порядку"));
        next = position + 1;
    }
}

// A fault of the passport as a whole (more people than it holds, the invoice recipient), which no
// part left out can mend.
class WholeFailure : public Failure
{
public:
    using Failure::Failure;
};

// Runs one part of the reading. Read leniently, a part that fails is left out and said in `leftOut`
// as `what` with the reason; read strictly, its failure is the file's.
template <typename Part>
bool readPart(QStringList* leftOut, const QString& what, Part part)
{
    if (!leftOut) {
        part();
        return true;
    }
    try {
        part();
        return true;
    } catch (const WholeFailure&) {
        throw;
    } catch (const Failure& failure) {
        leftOut->append(QStringLiteral("%1: %2").arg(what, lowerFirst(failure.message())));
        return false;
    }
}

void readSubjects(const XmlElement& subjects, PassportSnapshot& passport, QStringList* leftOut)
{
    checkAttributes(subjects, {});
    checkNoText(subjects);
    QList<std::int32_t> ids;
    for (const XmlElement& subject : subjects.children) {
        readPart(leftOut, QStringLiteral("раздел фестиваля"), [&] {
            if (subject.name != QLatin1String("subject"))
                throw extraElement(subject, subjects);
            checkAttributes(subject, {"sb_id"});
            const qint64 id = numberAttribute(subject, "sb_id", std::numeric_limits<int>::max());
            if (Sections::catalogueTitle(static_cast<int>(id)).isEmpty() || id >= Sections::kFirstLanguage)
                throw Failure(QStringLiteral("Неизвестный раздел фестиваля %1").arg(id));
            if (ids.contains(static_cast<std::int32_t>(id)))
                throw Failure(QStringLiteral("Раздел фестиваля %1 указан дважды").arg(id));
            if (id == Sections::kLinguistics) {
                Sections::LanguageChoices languages;
                readLanguages(subject, languages);
                passport.languages = languages;
            } else {
                checkEmpty(subject);
            }
            ids.append(static_cast<std::int32_t>(id));
        });
    }
    const bool fits = readPart(leftOut, QStringLiteral("разделы фестиваля"), [&] {
        std::array<std::int32_t, PassportRecord::kSlotCount> placed{};
        for (qsizetype i = 0; i < ids.size() && i < PassportRecord::kSlotCount; ++i)
            placed[i] = ids.at(i);
        if (ids.size() > PassportRecord::kSlotCount || !Sections::boxStatesFor(placed, passport.languages))
            throw Failure(QStringLiteral("Такое сочетание разделов фестиваля нельзя выбрать"));
        passport.subjectSlots = placed;
    });
    if (!fits)
        passport.languages = Sections::LanguageChoices();
}

QByteArray participantName(const XmlElement& person, const char* attribute, const QString& what, const QString& id)
{
    const QString value = requiredAttribute(person, attribute);
    const QString whose = QStringLiteral("%1 участника %2").arg(what, quoted(id));
    const QByteArray held = toCp1251(value);
    if (fromCp1251(held) != value)
        throw Failure(QStringLiteral("%1 содержит символ, которого нет в кодировке Windows-1251").arg(whose));
    if (held.size() > FieldLimits::kParticipantName)
        throw Failure(QStringLiteral("%1 длиннее %2 символов").arg(whose).arg(FieldLimits::kParticipantName));
    trimmedText(value, whose);
    return held;
}

// One `person`: checked whole before it joins its group. Read leniently, an author after the
// supervisors is taken as one.
void readPerson(const XmlElement& authors, const XmlElement& person, PassportSnapshot& passport, QStringList& ids,
                QStringList* leftOut)
{
    if (person.name != QLatin1String("person"))
        throw extraElement(person, authors);
    checkEmpty(person);
    checkAttributes(person, {"p_id_full", "p_type", "surname", "name", "patronymic"}, {"status"});

    const QString id = requiredAttribute(person, "p_id_full");
    const QByteArray normal = NormalizeParticipantId(id);
    if (!isAdmissibleParticipantId(normal) || QString::fromLatin1(FormatParticipantId(normal)) != id)
        throw Failure(QStringLiteral("%1 не является идентификатором участника").arg(quoted(id)));
    if (!IsParticipantIdValid(normal))
        throw Failure(QStringLiteral("Неверный контрольный код в идентификаторе участника %1").arg(quoted(id)));
    if (ids.contains(id))
        throw Failure(QStringLiteral("Идентификатор участника %1 указан дважды").arg(quoted(id)));

    const QString type = requiredAttribute(person, "p_type");
    const bool teacher = type == QLatin1String("teacher");
    if (!teacher && type != QLatin1String("student"))
        throw badValue(person, "p_type", type);
    if (!teacher && !passport.teachers.isEmpty() && !leftOut)
        throw Failure(QStringLiteral("Автор %1 указан после руководителей").arg(quoted(id)));
    const std::optional<QString> status = person.attribute(u"status");
    if (status && (*status != QLatin1String("leader") || !teacher))
        throw badValue(person, "status", *status);

    const ParticipantEntry entry{
        id.toLatin1(),
        participantName(person, "surname", QStringLiteral("Фамилия"), id),
        participantName(person, "name", QStringLiteral("Имя"), id),
        participantName(person, "patronymic", QStringLiteral("Отчество"), id),
    };
    QList<ParticipantEntry>& group = teacher ? passport.teachers : passport.authors;
    const int limit = teacher ? PassportRecord::kMaxTeachers : PassportRecord::kMaxAuthors;
    if (group.size() == limit)
        throw WholeFailure(teacher ? QStringLiteral("Руководителей больше %1").arg(limit)
                                   : QStringLiteral("Авторов больше %1").arg(limit));
    if (status) {
        if (passport.leaderIndex >= 0)
            throw WholeFailure(QStringLiteral("Счет для оплаты направлен двум руководителям"));
        passport.leaderIndex = static_cast<int>(group.size());
    }
    ids.append(id);
    group.append(entry);
}

void readPersons(const XmlElement& authors, PassportSnapshot& passport, QStringList* leftOut)
{
    checkAttributes(authors, {});
    checkNoText(authors);
    QStringList ids;
    for (const XmlElement& person : authors.children) {
        // A damaged identifier can be anything: a short piece of it says which entry.
        QString shownId = person.attribute(u"p_id_full").value_or(QString());
        if (shownId.size() > 20)
            shownId = shownId.left(20) + u'…';
        const QString what =
            shownId.isEmpty() ? QStringLiteral("участник") : QStringLiteral("участник %1").arg(quoted(shownId));
        readPart(leftOut, what, [&] { readPerson(authors, person, passport, ids, leftOut); });
    }
    if (!passport.teachers.isEmpty() && passport.leaderIndex < 0)
        throw Failure(QStringLiteral("Не указан руководитель, которому направлять счет для оплаты"));
}

void readContacts(const XmlElement& contacts, PassportSnapshot& passport)
{
    checkAttributes(contacts, {});
    const Children found(contacts, {"postal_code", "address", "phone", "email"});
    const auto text = [&found](const char* name, int limit, const QString& what) {
        return limitedTrimmed(textOf(found[name]), limit, what);
    };
    passport.postIndex = text("postal_code", FieldLimits::kPostIndex, QStringLiteral("Почтовый индекс"));
    passport.postAddress = text("address", FieldLimits::kPostAddress, QStringLiteral("Почтовый адрес"));
    passport.phone = text("phone", FieldLimits::kPhone, QStringLiteral("Телефон"));
    passport.email = text("email", FieldLimits::kEmail, QStringLiteral("Адрес электронной почты"));
}

// The picture's JPEG, fully decoded by the editor's own decoder (or only checked by it): as stored,
// or refused.
RgbPicture decodedPicture(const QByteArray& jpeg, int width, int height, PictureReading reading)
{
    const std::optional<QSize> stored = jpegStoredSize(jpeg);
    if (!stored)
        throw Failure(QStringLiteral("Картинка не является изображением JPEG"));
    const long long jpegWidth = stored->width();
    const long long jpegHeight = stored->height();
    if (jpegWidth > kPictureBox || jpegHeight > kPictureBox)
        throw Failure(QStringLiteral("Картинка размером %1 x %2 точек больше %3 x %3")
                          .arg(jpegWidth)
                          .arg(jpegHeight)
                          .arg(kPictureBox));
    if (jpegWidth != width || jpegHeight != height)
        throw Failure(QStringLiteral("Картинка размером %1 x %2 точек записана с размером %3 x %4")
                          .arg(jpegWidth)
                          .arg(jpegHeight)
                          .arg(width)
                          .arg(height));
    StoredJpeg decoded;
    try {
        if (reading == PictureReading::Decoded)
            decoded = decodeStoredJpeg(jpeg);
        else
            decoded.orientation = checkStoredJpeg(jpeg);
    } catch (const Failure& failure) {
        throw Failure(QStringLiteral("Картинка не читается (%1)").arg(failure.message()));
    }
    // Shown turned, the picture would be saved with its sides swapped beside the unturned JPEG.
    if (decoded.orientation != 1)
        throw Failure(QStringLiteral("Картинка записана с поворотом по EXIF (ориентация %1)").arg(decoded.orientation));
    return std::move(decoded.picture);
}

void readPicture(const XmlElement& img, ReadPassport& read, PictureReading reading)
{
    checkEmpty(img);
    checkAttributes(img, {"src", "width", "height"}, {"title"});
    const QString src = requiredAttribute(img, "src");
    if (!src.startsWith(kPictureUriPrefix))
        throw Failure(QStringLiteral("Картинка записана не как изображение JPEG в Base64"));
    const int width = static_cast<int>(numberAttribute(img, "width", kPictureBox));
    const int height = static_cast<int>(numberAttribute(img, "height", kPictureBox));
    // No caption is written as no title: an empty one would come back as none.
    const std::optional<QString> caption = img.attribute(u"title");
    if (caption && caption->isEmpty())
        throw badValue(img, "title", *caption);

    const QString base64 = src.mid(kPictureUriPrefix.size());
    QByteArray letters = base64.toLatin1();
    letters.replace('\n', QByteArray());
    const auto decoded =
        QByteArray::fromBase64Encoding(letters, QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    // toLatin1 turns anything beyond Latin-1 into "?", which no decoder accepts.
    if (!decoded || letters.size() % 4 != 0)
        throw Failure(QStringLiteral("Текст картинки в Base64 поврежден"));
    RgbPicture picture = decodedPicture(*decoded, width, height, reading);

    read.picture = std::move(picture);
    PassportSnapshot& passport = read.passport;
    passport.hasPicture = true;
    passport.pictureBase64 = base64;
    passport.pictureWidth = width;
    passport.pictureHeight = height;
    passport.pictureCaption = caption.value_or(QString());
}

ReadPassport readRoot(const XmlElement& root, QStringList* leftOut, PictureReading reading)
{
    if (root.name != QLatin1String("lumarinda"))
        throw Failure(QStringLiteral("Корневой элемент документа — %1, а не «lumarinda»").arg(quoted(root.name)));
    checkAttributes(root, {});
    const XmlElement& work = Children(root, {"work"})["work"];

    ReadPassport read;
    PassportSnapshot& passport = read.passport;
    readWorkAttributes(work, passport, read.storedSeconds);

    const Children found(
        work, {"description", "specification", "manual", "subjects", "authors", "public_relations", "comment"},
        {"img"});
    // The saved file has the picture before the comment, the preview after it; nothing else moves.
    const QStringList expected = {"description", "specification",    "manual", "subjects",
                                  "authors",     "public_relations", "comment"};
    QStringList order;
    for (const XmlElement& child : work.children)
        order.append(child.name);
    order.removeOne(QStringLiteral("img"));
    if (order != expected)
        throw Failure(QStringLiteral("Элементы в элементе «work» идут не по порядку"));

    const auto memo = [&found](const char* name, int limit, const QString& what) {
        return limited(memoText(textOf(found[name])), limit, what);
    };
    passport.description = memo("description", FieldLimits::kDescription, QStringLiteral("Описание работы"));
    passport.techRequest =
        limited(textOf(found["specification"]), FieldLimits::kTechRequest, QStringLiteral("Технические требования"));
    passport.manual = memo("manual", FieldLimits::kManual, QStringLiteral("Порядок знакомства с работой"));
    readSubjects(found["subjects"], passport, leftOut);
    readPersons(found["authors"], passport, leftOut);
    readContacts(found["public_relations"], passport);
    if (const XmlElement* img = found.find("img")) {
        const QString caption = img->attribute(u"title").value_or(QString());
        readPart(leftOut,
                 caption.isEmpty() ? QStringLiteral("картинка")
                                   : QStringLiteral("картинка с подписью %1").arg(quoted(caption)),
                 [&] { readPicture(*img, read, reading); });
    }
    const QString notes = QStringLiteral("Комментарий для оргкомитета");
    passport.notes = trimmedText(memo("comment", FieldLimits::kNotes, notes), notes);
    return read;
}

} // namespace

ReadPassport readPassportDocument(const QByteArray& bytes, QStringList* leftOut, PictureReading picture)
{
    if (bytes.size() > kMaxPassportFileBytes)
        throw Failure(passportTooLarge());
    return readRoot(parseXmlTree(bytes), leftOut, picture);
}

QString passportNotOpened(const QString& path, const QString& reason)
{
    return QStringLiteral("Паспорт работы %1 не открыт: %2")
        .arg(quoted(QDir::toNativeSeparators(path)), lowerFirst(reason));
}

ReadPassport readPassportAt(const QByteArray& localPath, QStringList* leftOut)
{
    return readPassportDocument(readPassportBytes(localPath), leftOut);
}

ReadPassport readPassportFile(const QString& path, QStringList* leftOut)
{
    try {
        return readPassportAt(QFile::encodeName(path), leftOut);
    } catch (const Failure& failure) {
        throw Failure(passportNotOpened(path, failure.message()));
    }
}
