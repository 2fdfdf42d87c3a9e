#include "core/passport/XmlTree.h"

#include "core/passport/PassportFormat.h"
#include "core/shell/Failure.h"

#include <QBuffer>
#include <QByteArrayView>
#include <QXmlStreamReader>
#include <algorithm>
#include <cstring>

namespace {

// The passport nests five deep and no element has more than 13 children. Beyond that the tree
// keeps nothing, so a file of a million elements costs no more memory than a small one, and the
// checks still find what does not belong.
constexpr int kMaxDepth = 6;
constexpr qsizetype kMaxChildren = 16;

Failure notUtf8()
{
    return Failure(QStringLiteral("Текст файла не в кодировке UTF-8"));
}

Failure notXml(const QXmlStreamReader& reader)
{
    return Failure(QStringLiteral("Текст файла не является правильным документом XML (строка %1, позиция %2)")
                       .arg(reader.lineNumber())
                       .arg(reader.columnNumber()));
}

// Stopped before any declaration of the subset is used: nothing is expanded or fetched.
Failure typeDeclaration()
{
    return Failure(QStringLiteral("Файл содержит объявление типа документа или ссылку на сущность"));
}

bool isXmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Counts the attributes of every start tag in one pass over the bytes, before the parser, whose
// duplicate check takes time in the square of their number. Markup it cannot follow is left to the
// parser, which refuses it or (a document type declaration) stops there.
void checkAttributeCounts(const QByteArray& bytes)
{
    const char* const data = bytes.constData();
    const qsizetype size = bytes.size();
    const auto startsWith = [&](qsizetype at, const char* text) {
        const qsizetype length = static_cast<qsizetype>(std::strlen(text));
        return at + length <= size && std::memcmp(data + at, text, static_cast<std::size_t>(length)) == 0;
    };
    const auto skipPast = [&](qsizetype from, const char* end) {
        const qsizetype at = bytes.indexOf(end, from);
        return at < 0 ? size : at + static_cast<qsizetype>(std::strlen(end));
    };
    qsizetype i = 0;
    while (i < size) {
        const void* const open = std::memchr(data + i, '<', static_cast<std::size_t>(size - i));
        if (!open)
            return;
        qsizetype k = static_cast<const char*>(open) - data + 1;
        if (startsWith(k, "!--")) {
            i = skipPast(k + 3, "-->");
            continue;
        }
        if (startsWith(k, "![CDATA[")) {
            i = skipPast(k + 8, "]]>");
            continue;
        }
        if (startsWith(k, "?")) {
            i = skipPast(k + 1, "?>");
            continue;
        }
        if (startsWith(k, "!"))
            return;
        if (startsWith(k, "/")) {
            i = k + 1;
            continue;
        }
        const qsizetype nameStart = k;
        while (k < size && !isXmlSpace(data[k]) && data[k] != '>' && data[k] != '/')
            ++k;
        const qsizetype nameEnd = k;
        int count = 0;
        for (;;) {
            while (k < size && isXmlSpace(data[k]))
                ++k;
            if (k >= size)
                return;
            if (data[k] == '>' || data[k] == '/')
                break;
            while (k < size && !isXmlSpace(data[k]) && data[k] != '=' && data[k] != '>' && data[k] != '/')
                ++k;
            while (k < size && isXmlSpace(data[k]))
                ++k;
            if (k >= size || data[k] != '=')
                return;
            ++k;
            while (k < size && isXmlSpace(data[k]))
                ++k;
            if (k >= size || (data[k] != '"' && data[k] != '\''))
                return;
            const qsizetype close = bytes.indexOf(data[k], k + 1);
            if (close < 0)
                return;
            k = close + 1;
            if (++count > kMaxAttributes) {
                const QString name = QString::fromUtf8(data + nameStart, nameEnd - nameStart).left(100);
                throw Failure(QStringLiteral("У элемента «%1» больше %2 атрибутов").arg(name).arg(kMaxAttributes));
            }
        }
        i = k + 1;
    }
}

QString qualified(QStringView namespaceUri, QStringView name, QStringView qualifiedName)
{
    return namespaceUri.isEmpty() ? qualifiedName.toString() : QStringLiteral("{%1}%2").arg(namespaceUri, name);
}

void appendText(XmlElement& node, QStringView text)
{
    const qsizetype room = kMaxKeptText - node.text.size();
    node.text += text.left(room);
    if (!node.droppedNonBlank && text.size() > room)
        node.droppedNonBlank = !std::all_of(text.begin() + room, text.end(), isXmlBlank);
}

// Reads the element whose start tag the reader has just passed.
XmlElement readElement(QXmlStreamReader& reader, int depth)
{
    XmlElement node;
    node.name = qualified(reader.namespaceUri(), reader.name(), reader.qualifiedName());
    for (const QXmlStreamAttribute& attribute : reader.attributes())
        node.attributes.append({qualified(attribute.namespaceUri(), attribute.name(), attribute.qualifiedName()),
                                attribute.value().toString()});
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            if (depth < kMaxDepth && node.children.size() < kMaxChildren)
                node.children.append(readElement(reader, depth + 1));
            else
                reader.skipCurrentElement();
            if (depth >= kMaxDepth && node.children.isEmpty()) {
                XmlElement beyond;
                beyond.name = reader.name().toString();
                node.children.append(beyond);
            }
            break;
        case QXmlStreamReader::Characters:
            appendText(node, reader.text());
            break;
        case QXmlStreamReader::EndElement:
            return node;
        case QXmlStreamReader::EntityReference:
            throw typeDeclaration();
        default:
            break;
        }
    }
    throw notXml(reader);
}

} // namespace

XmlElement parseXmlTree(const QByteArray& bytes)
{
    // A NUL is no XML character; without it the parser cannot take the bytes for UTF-16.
    if (!QByteArrayView(bytes).isValidUtf8() || bytes.contains('\0'))
        throw notUtf8();
    checkAttributeCounts(bytes);

    // Read through a device, the parser decodes a block at a time instead of the whole file.
    QBuffer device;
    device.setData(bytes);
    device.open(QIODevice::ReadOnly);
    QXmlStreamReader reader(&device);
    std::optional<XmlElement> root;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartDocument: {
            const QStringView encoding = reader.documentEncoding();
            if (!encoding.isEmpty() && encoding.compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) != 0)
                throw notUtf8();
            break;
        }
        case QXmlStreamReader::DTD:
            throw typeDeclaration();
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
