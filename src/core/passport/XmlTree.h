#pragma once

#include "core/passport/XmlElement.h"

#include <QByteArray>

// A file as a small tree of XmlElement: the middle step between a file's bytes and a passport.
// Comments and processing instructions play no part; text around them is joined, as a parser's
// application sees it. Names in a namespace read "{uri}name".

// More characters of text than any element of the passport may hold, line breaks doubled.
constexpr qsizetype kMaxKeptText = 4096;
// More attributes than any element of the passport has (6), with room for namespace declarations.
constexpr int kMaxAttributes = 8;

// The document's root element. Time and memory stay proportional to the size of the bytes: an
// element with more than kMaxAttributes attributes is refused before the parser reads them, nesting
// deeper than the passport's and more children than it has are not kept (the first one beyond
// stands for them), and text beyond kMaxKeptText is not kept. Throws Failure naming the first
// problem: not UTF-8, a document type declaration or entity reference, not well-formed.
XmlElement parseXmlTree(const QByteArray& bytes);
