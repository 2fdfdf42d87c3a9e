#pragma once

#include <QString>

// The desktop's own program for a document: the browser for the preview page.
class DocumentViewer
{
public:
    virtual ~DocumentViewer() = default;

    virtual void openDocument(const QString& folder, const QString& fileName) = 0;
};
