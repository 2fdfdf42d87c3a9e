#pragma once

#include <QByteArray>
#include <QString>

// The page a browser would show for the passport document through the stylesheet, rendered here
// because browsers are dropping XSLT and a desktop may open ".xml" in a text editor. The engine
// is libxslt, with every file and network access of the stylesheet forbidden.
// Throws Failure when the document or the stylesheet cannot be read or the transformation fails.
QByteArray renderPreviewPage(const QByteArray& document, const QByteArray& stylesheet);
