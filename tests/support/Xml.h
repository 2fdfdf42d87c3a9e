#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

struct _xmlDoc;
struct _xmlNode;

// A document read back with libxml2, a conforming parser independent of the code under test.
// Queries are XPath 1.0; the prefix "h" names the XHTML namespace.
class XmlDoc
{
public:
    explicit XmlDoc(const QByteArray& bytes);
    ~XmlDoc();
    XmlDoc(const XmlDoc&) = delete;
    XmlDoc& operator=(const XmlDoc&) = delete;

    // Well-formed and namespace-well-formed, without a single error report.
    bool ok() const { return m_doc && m_errors.isEmpty(); }
    const QString& errors() const { return m_errors; }

    // The XPath string() of the expression.
    QString string(const QString& xpath) const;
    int count(const QString& xpath) const;
    // Names of the attributes of the first node selected, in document order.
    QStringList attributeNames(const QString& xpath) const;
    // The first node selected, as "name[a=v,b=w](child;child)", down to its element children.
    QString outline(const QString& xpath) const;
    // The names of the element children of the first node selected.
    QStringList childNames(const QString& xpath) const;

private:
    _xmlNode* first(const QString& xpath) const;

    _xmlDoc* m_doc = nullptr;
    QString m_errors;
};
