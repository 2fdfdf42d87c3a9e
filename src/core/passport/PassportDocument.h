#pragma once

#include "core/passport/PassportFormat.h"
#include "core/passport/PassportSnapshot.h"
#include "core/passport/XmlElement.h"

#include <QByteArray>
#include <QString>

// The document the save and the preview build; an empty root name means no document yet.
struct PassportDocument
{
    XmlElement root;

    bool isEmpty() const { return root.name.isEmpty(); }

    bool operator==(const PassportDocument&) const = default;
};

enum class PassportDocumentKind
{
    // The passport file: img before comment.
    Saved,
    // The preview: "Без названия" for an empty title, comment before img.
    Preview,
};

// The passport's element tree. `storedSeconds` is the moment of building, in seconds since
// 1970-01-01 00:00:00 UTC.
PassportDocument BuildPassportDocument(const PassportSnapshot& passport, PassportDocumentKind kind,
                                       qint64 storedSeconds);
// Puts another moment into a document built here: a draft is compared without one and written
// with the moment of its last change.
void stampStored(PassportDocument& document, qint64 storedSeconds);

// The file's bytes: BOM, the XML declaration, the fixed header, the element tree without any
// whitespace between tags, CR LF.
QByteArray serializePassportDocument(const PassportDocument& document);

// The header that follows the declaration's CR LF: the stylesheet instruction and the comment.
QString passportFileHeader();

// XML 1.0 cannot carry C0 controls other than tab, LF and CR, unpaired surrogates, U+FFFE and
// U+FFFF: text pasted from another program can bring them, and one of them would make the file
// unreadable for the committee's database. They are dropped.
QString dropUnwritableXmlCharacters(const QString& text);

// The file name the save dialog proposes for a title.
QString ProposePassportFileName(const QString& title);

inline const QString kUntitledWork = QStringLiteral("Без названия");
