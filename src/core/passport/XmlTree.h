#pragma once

#include <QAnyStringView>
#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>
#include <utility>

// One element of a file as a small tree: the middle step between a file's bytes and a passport.
// Comments and processing instructions play no part; text around them is joined, as a parser's
// application sees it. Names in a namespace read "{uri}name".
struct XmlNode
{
    QString name;
    QList<std::pair<QString, QString>> attributes;
    // The text, kept up to kMaxKeptText characters: longer is longer than any text a passport holds.
    QString text;
    // Whether the whole text, kept or not, is blanks (space, tab, line feed, carriage return).
    bool blank = true;
    QList<XmlNode> children;

    std::optional<QString> attribute(QAnyStringView attributeName) const;
};

// More characters of text than any element of the passport may hold, line breaks doubled.
constexpr qsizetype kMaxKeptText = 4096;
// More attributes than any element of the passport has (6), with room for namespace declarations.
constexpr int kMaxAttributes = 8;

// The document's root element. Time and memory stay proportional to the size of the bytes: an
// element with more than kMaxAttributes attributes is refused before the parser reads them, nesting
// deeper than the passport's and more children than it has are not kept (the first one beyond
// stands for them), and text beyond kMaxKeptText is not kept. Throws Failure naming the first
// problem: not UTF-8, a document type declaration or entity reference, not well-formed.
XmlNode parseXmlTree(const QByteArray& bytes);
