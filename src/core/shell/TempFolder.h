#pragma once

#include <QString>

// The folder for the preview files. A shared /tmp would let another user plant symbolic links
// under our fixed file names, so the folder is private: $XDG_RUNTIME_DIR/lumarinda-passport/
// where that is set, otherwise <system temp>/lumarinda-passport-<uid>/, mode 0700.
// Returns the path ending in "/"; throws Failure when the folder cannot be trusted or made.
QString privateTempFolder();

// How a failure names the folder, in the three cases its sentences need.
struct FolderNames
{
    QString nominative; // "Временная папка"
    QString accusative; // "временную папку"
    QString dative;     // "временной папке"
};

// The same checks for a given folder path (created when missing).
QString preparePrivateFolder(const QString& path);
QString preparePrivateFolder(const QString& path, const FolderNames& names);

// The files of the temporary folder. Every picture import writes the scaled picture; every preview
// writes the document, the stylesheet and the page rendered from them; a successful save removes
// all of them. The stylesheet goes by the same name beside a saved passport.
inline const QString kPreviewPictureName = QStringLiteral("preview.qdx.jpg");
inline const QString kPreviewDocumentName = QStringLiteral("preview.qdx.xml");
inline const QString kPreviewStylesheetName = QStringLiteral("preview.qdx.xsl");
inline const QString kPreviewPageName = QStringLiteral("preview.qdx.html");
