#include "core/passport/PassportReader.h"

#include "core/participants/ParticipantId.h"
#include "core/passport/FieldLimits.h"
#include "core/picture/JpegImport.h"
#include "core/picture/ShownSize.h"
#include "core/sections/SectionRules.h"
#include "core/shell/Failure.h"
#include "core/shell/SystemReason.h"
#include "core/shell/Windows1251.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QXmlStreamReader>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kTooLarge = QStringLiteral("Файл больше %1 МБ").arg(kMaxPassportFileBytes >> 20);

const QString kPictureUriPrefix = QStringLiteral("data:image/jpeg;base64,");

Failure problem(const QString& sentence)
{
    return Failure(sentence);
}

QString quoted(const QString& text)
{
    return QStringLiteral("«%1»").arg(text);
}

// One element as the file holds it. Comments and processing instructions play no part; text
// around them is joined, as a parser's application sees it.
struct Node
{
    QString name;
    qint64 line = 0;
    QList<std::pair<QString, QString>> attributes;
    QString text;
    QList<Node> children;

    std::optional<QString> attribute(const QString& attributeName) const
    {
        for (const auto& [key, value] : attributes) {
            if (key == attributeName)
                return value;
        }
        return std::nullopt;
    }
};

QString decodeUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        throw problem(QStringLiteral("Текст файла не в кодировке UTF-8"));
    return text;
}

Failure notXml(const QXmlStreamReader& reader)
{
    return problem(QStringLiteral("Текст файла не является правильным документом XML (строка %1, позиция %2)")
                       .arg(reader.lineNumber())
                       .arg(reader.columnNumber()));
}

// The passport nests five deep and no element has more than 13 children. Beyond that the tree
// keeps nothing, so a file of a million elements costs no more memory than a small one, and the
// checks still find what does not belong.
constexpr int kMaxDepth = 6;
constexpr qsizetype kMaxChildren = 16;

// Reads the element whose start tag the reader has just passed.
Node readElement(QXmlStreamReader& reader, int depth)
{
    Node node;
    node.name = reader.namespaceUri().isEmpty() ? reader.qualifiedName().toString()
                                                : QStringLiteral("{%1}%2").arg(reader.namespaceUri(), reader.name());
    node.line = reader.lineNumber();
    for (const QXmlStreamAttribute& attribute : reader.attributes()) {
        const QString name = attribute.namespaceUri().isEmpty()
                                 ? attribute.qualifiedName().toString()
                                 : QStringLiteral("{%1}%2").arg(attribute.namespaceUri(), attribute.name());
        node.attributes.append({name, attribute.value().toString()});
    }
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            if (depth < kMaxDepth && node.children.size() < kMaxChildren)
                node.children.append(readElement(reader, depth + 1));
            else
                reader.skipCurrentElement();
            if (depth >= kMaxDepth && node.children.isEmpty())
                node.children.append(Node{reader.name().toString(), reader.lineNumber(), {}, {}, {}});
            break;
        case QXmlStreamReader::Characters:
            node.text += reader.text();
            break;
        case QXmlStreamReader::EndElement:
            return node;
        case QXmlStreamReader::DTD:
        case QXmlStreamReader::EntityReference:
            throw problem(QStringLiteral("Файл содержит объявление типа документа или ссылку на сущность"));
        default:
            break;
        }
    }
    throw notXml(reader);
}

Node parseDocument(const QString& text)
{
    QXmlStreamReader reader(text);
    std::optional<Node> root;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartDocument: {
            const QStringView encoding = reader.documentEncoding();
            if (!encoding.isEmpty() && encoding.compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) != 0)
                throw problem(QStringLiteral("Текст файла не в кодировке UTF-8"));
            break;
        }
        // Stopped before any declaration of the subset is used: nothing is expanded or fetched.
        case QXmlStreamReader::DTD:
        case QXmlStreamReader::EntityReference:
            throw problem(QStringLiteral("Файл содержит объявление типа документа или ссылку на сущность"));
        case QXmlStreamReader::StartElement:
            root = readElement(reader, 1);
            break;
        default:
            break;
        }
    }
    if (reader.hasError() || !root)
        throw notXml(reader);
    return *root;
}

bool isBlank(const QString& text)
{
    for (QChar c : text) {
        if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r')
            return false;
    }
    return true;
}

// The attributes an element may carry; missing required ones and any other are refused.
void checkAttributes(const Node& node, std::initializer_list<const char*> required,
                     std::initializer_list<const char*> optional = {})
{
    for (const auto& [name, value] : node.attributes) {
        bool known = false;
        for (const char* allowed : required)
            known = known || name == QLatin1String(allowed);
        for (const char* allowed : optional)
            known = known || name == QLatin1String(allowed);
        if (!known)
            throw problem(QStringLiteral("У элемента %1 лишний атрибут %2").arg(quoted(node.name), quoted(name)));
    }
    for (const char* name : required) {
        if (!node.attribute(QLatin1String(name)))
            throw problem(
                QStringLiteral("У элемента %1 нет атрибута %2").arg(quoted(node.name), quoted(QLatin1String(name))));
    }
}

QString requiredAttribute(const Node& node, const char* name)
{
    return *node.attribute(QLatin1String(name));
}

Failure badValue(const Node& node, const char* attribute, const QString& value)
{
    return problem(QStringLiteral("Недопустимое значение %1 атрибута %2 элемента %3")
                       .arg(quoted(value), quoted(QLatin1String(attribute)), quoted(node.name)));
}

// Decimal without sign or leading zeros, as the program writes numbers.
qint64 numberAttribute(const Node& node, const char* name, qint64 maximum)
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

void checkNoText(const Node& node)
{
    if (!isBlank(node.text))
        throw problem(QStringLiteral("Элемент %1 содержит текст").arg(quoted(node.name)));
}

void checkEmpty(const Node& node)
{
    checkNoText(node);
    if (!node.children.isEmpty())
        throw problem(QStringLiteral("Лишний элемент %1 в элементе %2")
                          .arg(quoted(node.children.constFirst().name), quoted(node.name)));
}

// A text element: text only, no attributes.
QString textOf(const Node& node)
{
    checkAttributes(node, {});
    if (!node.children.isEmpty())
        throw problem(QStringLiteral("Лишний элемент %1 в элементе %2")
                          .arg(quoted(node.children.constFirst().name), quoted(node.name)));
    return node.text;
}

// Children that each occur once, the required ones at least once; returns them by name in the
// order asked for.
QList<const Node*> uniqueChildren(const Node& parent, const QStringList& names, const QStringList& optional = {})
{
    checkNoText(parent);
    QList<const Node*> found(names.size(), nullptr);
    for (const Node& child : parent.children) {
        const qsizetype index = names.indexOf(child.name);
        if (index < 0)
            throw problem(
                QStringLiteral("Лишний элемент %1 в элементе %2").arg(quoted(child.name), quoted(parent.name)));
        if (found[index])
            throw problem(
                QStringLiteral("Элемент %1 повторяется в элементе %2").arg(quoted(child.name), quoted(parent.name)));
        found[index] = &child;
    }
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (!found[i] && !optional.contains(names.at(i)))
            throw problem(
                QStringLiteral("В элементе %1 нет элемента %2").arg(quoted(parent.name), quoted(names.at(i))));
    }
    return found;
}

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

QString limited(const QString& text, int limit, const QString& what)
{
    if (text.size() > limit)
        throw problem(QStringLiteral("%1 длиннее %2 символов").arg(what).arg(limit));
    return text;
}

void readWorkAttributes(const Node& work, PassportSnapshot& passport, qint64& storedSeconds)
{
    checkAttributes(work, {"title", "sz_id", "stored", "version"});
    passport.title = limited(requiredAttribute(work, "title"), FieldLimits::kTitle, QStringLiteral("Название работы"));
    if (requiredAttribute(work, "version") != QLatin1String("2.2"))
        throw problem(
            QStringLiteral("Неизвестная версия формата паспорта %1").arg(quoted(requiredAttribute(work, "version"))));
    if (requiredAttribute(work, "sz_id") != QString::number(PassportRecord::kSeason))
        throw problem(QStringLiteral("Паспорт относится к другому сезону фестиваля (%1)")
                          .arg(quoted(requiredAttribute(work, "sz_id"))));
    storedSeconds = numberAttribute(work, "stored", std::numeric_limits<qint64>::max());
}

void readLanguages(const Node& linguistics, Sections::LanguageChoices& languages)
{
    checkNoText(linguistics);
    bool* const ticked[] = {&languages.russian, &languages.english, &languages.german};
    int next = 0; // languages come in the order 25, 26, 27, then "другое"
    for (const Node& child : linguistics.children) {
        if (child.name != QLatin1String("subject"))
            throw problem(
                QStringLiteral("Лишний элемент %1 в элементе %2").arg(quoted(child.name), quoted(linguistics.name)));
        checkEmpty(child);
        int position = 0;
        if (child.attribute(QStringLiteral("title"))) {
            checkAttributes(child, {"title"});
            position = 3;
            languages.otherText = limited(requiredAttribute(child, "title"), FieldLimits::kOtherLanguage,
                                          QStringLiteral("Название другого языка"));
            languages.other = true;
        } else {
            checkAttributes(child, {"sb_id"});
            const qint64 id = numberAttribute(child, "sb_id", std::numeric_limits<int>::max());
            if (id < Sections::kFirstLanguage || id > Sections::kLastLanguage)
                throw problem(QStringLiteral("Неизвестный язык раздела «Лингвистика»: %1").arg(id));
            position = static_cast<int>(id) - Sections::kFirstLanguage;
            *ticked[position] = true;
        }
        if (position < next)
            throw problem(QStringLiteral("Языки раздела «Лингвистика» повторяются или идут не по порядку"));
        next = position + 1;
    }
}

void readSubjects(const Node& subjects, PassportSnapshot& passport)
{
    checkAttributes(subjects, {});
    checkNoText(subjects);
    QList<std::int32_t> ids;
    for (const Node& subject : subjects.children) {
        if (subject.name != QLatin1String("subject"))
            throw problem(
                QStringLiteral("Лишний элемент %1 в элементе %2").arg(quoted(subject.name), quoted(subjects.name)));
        checkAttributes(subject, {"sb_id"});
        const qint64 id = numberAttribute(subject, "sb_id", std::numeric_limits<int>::max());
        if (Sections::catalogueTitle(static_cast<int>(id)).isEmpty() || id >= Sections::kFirstLanguage)
            throw problem(QStringLiteral("Неизвестный раздел фестиваля %1").arg(id));
        if (ids.contains(static_cast<std::int32_t>(id)))
            throw problem(QStringLiteral("Раздел фестиваля %1 указан дважды").arg(id));
        if (id == Sections::kLinguistics)
            readLanguages(subject, passport.languages);
        else
            checkEmpty(subject);
        ids.append(static_cast<std::int32_t>(id));
    }
    for (qsizetype i = 0; i < ids.size() && i < PassportRecord::kSlotCount; ++i)
        passport.subjectSlots[i] = ids.at(i);
    if (ids.size() > PassportRecord::kSlotCount || !Sections::boxStatesFor(passport.subjectSlots, passport.languages))
        throw problem(QStringLiteral("Такое сочетание разделов фестиваля нельзя выбрать"));
}

QByteArray participantName(const Node& person, const char* attribute, const QString& what, const QString& id)
{
    const QString value = requiredAttribute(person, attribute);
    const QByteArray held = toCp1251(value);
    if (fromCp1251(held) != value)
        throw problem(QStringLiteral("%1 участника %2 содержит символ, которого нет в кодировке Windows-1251")
                          .arg(what, quoted(id)));
    if (held.size() > FieldLimits::kParticipantName)
        throw problem(QStringLiteral("%1 участника %2 длиннее %3 символов")
                          .arg(what, quoted(id))
                          .arg(FieldLimits::kParticipantName));
    return held;
}

void readPersons(const Node& authors, PassportSnapshot& passport)
{
    checkAttributes(authors, {});
    checkNoText(authors);
    QStringList ids;
    for (const Node& person : authors.children) {
        if (person.name != QLatin1String("person"))
            throw problem(
                QStringLiteral("Лишний элемент %1 в элементе %2").arg(quoted(person.name), quoted(authors.name)));
        checkEmpty(person);
        checkAttributes(person, {"p_id_full", "p_type", "surname", "name", "patronymic"}, {"status"});

        const QString id = requiredAttribute(person, "p_id_full");
        const QByteArray normal = NormalizeParticipantId(id);
        if (!isAdmissibleParticipantId(normal) || QString::fromLatin1(FormatParticipantId(normal)) != id)
            throw problem(QStringLiteral("%1 не является идентификатором участника").arg(quoted(id)));
        if (!IsParticipantIdValid(normal))
            throw problem(QStringLiteral("Неверный контрольный код в идентификаторе участника %1").arg(quoted(id)));
        if (ids.contains(id))
            throw problem(QStringLiteral("Идентификатор участника %1 указан дважды").arg(quoted(id)));
        ids.append(id);

        const QString type = requiredAttribute(person, "p_type");
        const bool teacher = type == QLatin1String("teacher");
        if (!teacher && type != QLatin1String("student"))
            throw badValue(person, "p_type", type);
        if (!teacher && !passport.teachers.isEmpty())
            throw problem(QStringLiteral("Автор %1 указан после руководителей").arg(quoted(id)));
        const std::optional<QString> status = person.attribute(QStringLiteral("status"));
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
            throw problem(teacher ? QStringLiteral("Руководителей больше %1").arg(limit)
                                  : QStringLiteral("Авторов больше %1").arg(limit));
        if (status) {
            if (passport.leaderIndex >= 0)
                throw problem(QStringLiteral("Счет для оплаты направлен двум руководителям"));
            passport.leaderIndex = static_cast<int>(group.size());
        }
        group.append(entry);
    }
    if (!passport.teachers.isEmpty() && passport.leaderIndex < 0)
        throw problem(QStringLiteral("Не указан руководитель, которому направлять счет для оплаты"));
}

void readContacts(const Node& contacts, PassportSnapshot& passport)
{
    checkAttributes(contacts, {});
    const QStringList names = {"postal_code", "address", "phone", "email"};
    const QList<const Node*> found = uniqueChildren(contacts, names);
    passport.postIndex = limited(textOf(*found[0]), FieldLimits::kPostIndex, QStringLiteral("Почтовый индекс"));
    passport.postAddress = limited(textOf(*found[1]), FieldLimits::kPostAddress, QStringLiteral("Почтовый адрес"));
    passport.phone = limited(textOf(*found[2]), FieldLimits::kPhone, QStringLiteral("Телефон"));
    passport.email = limited(textOf(*found[3]), FieldLimits::kEmail, QStringLiteral("Адрес электронной почты"));
}

void readPicture(const Node& img, PassportSnapshot& passport)
{
    checkEmpty(img);
    checkAttributes(img, {"src", "width", "height"}, {"title"});
    const QString src = requiredAttribute(img, "src");
    if (!src.startsWith(kPictureUriPrefix))
        throw problem(QStringLiteral("Картинка записана не как изображение JPEG в Base64"));
    const int width = static_cast<int>(numberAttribute(img, "width", kPictureBox));
    const int height = static_cast<int>(numberAttribute(img, "height", kPictureBox));

    const QString base64 = src.mid(kPictureUriPrefix.size());
    QByteArray letters = base64.toLatin1();
    letters.replace('\n', QByteArray());
    const auto decoded =
        QByteArray::fromBase64Encoding(letters, QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    // toLatin1 turns anything beyond Latin-1 into "?", which no decoder accepts.
    if (!decoded || letters.size() % 4 != 0)
        throw problem(QStringLiteral("Текст картинки в Base64 поврежден"));

    const std::optional<QSize> stored = jpegStoredSize(*decoded);
    if (!stored)
        throw problem(QStringLiteral("Картинка не является изображением JPEG"));
    const long long jpegWidth = stored->width();
    const long long jpegHeight = stored->height();
    if (jpegWidth > kPictureBox || jpegHeight > kPictureBox)
        throw problem(QStringLiteral("Картинка размером %1 x %2 точек больше %3 x %3")
                          .arg(jpegWidth)
                          .arg(jpegHeight)
                          .arg(kPictureBox));
    if (jpegWidth != width || jpegHeight != height)
        throw problem(QStringLiteral("Картинка размером %1 x %2 точек записана с размером %3 x %4")
                          .arg(jpegWidth)
                          .arg(jpegHeight)
                          .arg(width)
                          .arg(height));

    passport.hasPicture = true;
    passport.pictureBase64 = base64;
    passport.pictureWidth = width;
    passport.pictureHeight = height;
    passport.pictureCaption = img.attribute(QStringLiteral("title")).value_or(QString());
}

ReadPassport readRoot(const Node& root)
{
    if (root.name != QLatin1String("lumarinda"))
        throw problem(QStringLiteral("Корневой элемент документа — %1, а не «lumarinda»").arg(quoted(root.name)));
    checkAttributes(root, {});
    const Node& work = *uniqueChildren(root, {QStringLiteral("work")}).constFirst();

    ReadPassport read;
    PassportSnapshot& passport = read.passport;
    readWorkAttributes(work, passport, read.storedSeconds);

    const QStringList names = {"description", "specification",    "manual", "subjects",
                               "authors",     "public_relations", "img",    "comment"};
    const QList<const Node*> found = uniqueChildren(work, names, {QStringLiteral("img")});
    // The saved file has the picture before the comment, the preview after it; nothing else moves.
    QStringList order;
    for (const Node& child : work.children)
        order.append(child.name);
    order.removeOne(QStringLiteral("img"));
    if (order != names.mid(0, 6) + QStringList{QStringLiteral("comment")})
        throw problem(QStringLiteral("Элементы в элементе «work» идут не по порядку"));

    passport.description =
        limited(memoText(textOf(*found[0])), FieldLimits::kDescription, QStringLiteral("Описание работы"));
    passport.techRequest =
        limited(textOf(*found[1]), FieldLimits::kTechRequest, QStringLiteral("Технические требования"));
    passport.manual =
        limited(memoText(textOf(*found[2])), FieldLimits::kManual, QStringLiteral("Порядок знакомства с работой"));
    readSubjects(*found[3], passport);
    readPersons(*found[4], passport);
    readContacts(*found[5], passport);
    if (found[6])
        readPicture(*found[6], passport);
    passport.notes =
        limited(memoText(textOf(*found[7])), FieldLimits::kNotes, QStringLiteral("Комментарий для оргкомитета"));
    return read;
}

QString lowerFirst(const QString& sentence)
{
    if (sentence.isEmpty())
        return sentence;
    return sentence.at(0).toLower() + sentence.mid(1);
}

Failure fileFailure(const QString& path, const QString& reason)
{
    return Failure(QStringLiteral("Паспорт работы %1 не открыт: %2")
                       .arg(quoted(QDir::toNativeSeparators(path)), lowerFirst(reason)));
}

class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

ReadPassport readPassportDocument(const QByteArray& bytes)
{
    if (bytes.size() > kMaxPassportFileBytes)
        throw problem(kTooLarge);
    return readRoot(parseDocument(decodeUtf8(bytes)));
}

QByteArray readPassportBytes(const QByteArray& path)
{
    // Not blocking: a pipe or a device with the right name must not stop the walk.
    const Descriptor file(::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0)
        throw Failure(systemReason(errno));
    struct stat info
    {};
    if (::fstat(file.get(), &info) != 0)
        throw Failure(systemReason(errno));
    if (S_ISDIR(info.st_mode))
        throw Failure(QStringLiteral("Это папка, а не файл"));
    if (!S_ISREG(info.st_mode))
        throw Failure(QStringLiteral("Это не обычный файл"));
    if (info.st_size > kMaxPassportFileBytes)
        throw Failure(kTooLarge);
    QByteArray bytes;
    bytes.resize(static_cast<qsizetype>(info.st_size));
    qsizetype done = 0;
    for (;;) {
        if (done == bytes.size()) {
            // The file may have grown since fstat; read on, but not past the limit.
            if (bytes.size() > kMaxPassportFileBytes)
                throw Failure(kTooLarge);
            bytes.resize(bytes.size() + 65536);
        }
        const ssize_t got = ::read(file.get(), bytes.data() + done, static_cast<size_t>(bytes.size() - done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw Failure(systemReason(errno));
        if (got == 0)
            break;
        done += got;
    }
    bytes.truncate(done);
    return bytes;
}

ReadPassport readPassportFile(const QString& path)
{
    try {
        return readPassportDocument(readPassportBytes(QFile::encodeName(path)));
    } catch (const Failure& failure) {
        throw fileFailure(path, failure.message());
    }
}
