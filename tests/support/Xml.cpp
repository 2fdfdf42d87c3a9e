#include "Xml.h"

#include <QStringDecoder>
#include <libxml/parser.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

namespace {

// QString::fromUtf8 drops a leading U+FEFF, which is a character of the value here.
QString fromXml(const xmlChar* text)
{
    if (!text)
        return {};
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder(reinterpret_cast<const char*>(text));
}

void collect(void* context, xmlError* error)
{
    auto* errors = static_cast<QString*>(context);
    *errors += QStringLiteral("line %1: %2").arg(error->line).arg(QString::fromUtf8(error->message));
}

struct Query
{
    Query(xmlDoc* doc, const QString& xpath)
    {
        context = xmlXPathNewContext(doc);
        xmlXPathRegisterNs(context, BAD_CAST "h", BAD_CAST "http://www.w3.org/1999/xhtml");
        result = xmlXPathEvalExpression(BAD_CAST xpath.toUtf8().constData(), context);
    }
    ~Query()
    {
        xmlXPathFreeObject(result);
        xmlXPathFreeContext(context);
    }
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    xmlXPathContext* context = nullptr;
    xmlXPathObject* result = nullptr;
};

QString outlineOf(xmlNode* node)
{
    QString text = fromXml(node->name);
    QStringList attributes;
    for (xmlAttr* attribute = node->properties; attribute; attribute = attribute->next) {
        xmlChar* value = xmlNodeGetContent(reinterpret_cast<xmlNode*>(attribute));
        attributes << fromXml(attribute->name) + u'=' + fromXml(value);
        xmlFree(value);
    }
    if (!attributes.isEmpty())
        text += u'[' + attributes.join(u',') + u']';
    QStringList children;
    for (xmlNode* child = node->children; child; child = child->next) {
        if (child->type == XML_ELEMENT_NODE)
            children << outlineOf(child);
    }
    if (!children.isEmpty())
        text += u'(' + children.join(u';') + u')';
    return text;
}

} // namespace

XmlDoc::XmlDoc(const QByteArray& bytes)
{
    xmlParserCtxt* parser = xmlNewParserCtxt();
    xmlSetStructuredErrorFunc(&m_errors, collect);
    m_doc = xmlCtxtReadMemory(parser, bytes.constData(), static_cast<int>(bytes.size()), "test.xml", nullptr,
                              XML_PARSE_NONET);
    xmlSetStructuredErrorFunc(nullptr, nullptr);
    if (m_doc && (!parser->wellFormed || !parser->nsWellFormed) && m_errors.isEmpty())
        m_errors = QStringLiteral("not well-formed");
    if (!m_doc && m_errors.isEmpty())
        m_errors = QStringLiteral("not parsed");
    xmlFreeParserCtxt(parser);
}

XmlDoc::~XmlDoc()
{
    xmlFreeDoc(m_doc);
}

QString XmlDoc::string(const QString& xpath) const
{
    if (!m_doc)
        return {};
    Query query(m_doc, QStringLiteral("string(%1)").arg(xpath));
    return query.result ? fromXml(query.result->stringval) : QString();
}

int XmlDoc::count(const QString& xpath) const
{
    if (!m_doc)
        return -1;
    Query query(m_doc, QStringLiteral("count(%1)").arg(xpath));
    return query.result ? static_cast<int>(query.result->floatval) : -1;
}

xmlNode* XmlDoc::first(const QString& xpath) const
{
    if (!m_doc)
        return nullptr;
    Query query(m_doc, xpath);
    if (!query.result || !query.result->nodesetval || query.result->nodesetval->nodeNr == 0)
        return nullptr;
    return query.result->nodesetval->nodeTab[0];
}

QStringList XmlDoc::attributeNames(const QString& xpath) const
{
    QStringList names;
    if (xmlNode* node = first(xpath)) {
        for (xmlAttr* attribute = node->properties; attribute; attribute = attribute->next)
            names << fromXml(attribute->name);
    }
    return names;
}

QString XmlDoc::outline(const QString& xpath) const
{
    xmlNode* node = first(xpath);
    return node ? outlineOf(node) : QString();
}

QStringList XmlDoc::childNames(const QString& xpath) const
{
    QStringList names;
    if (xmlNode* node = first(xpath)) {
        for (xmlNode* child = node->children; child; child = child->next) {
            if (child->type == XML_ELEMENT_NODE)
                names << fromXml(child->name);
        }
    }
    return names;
}
