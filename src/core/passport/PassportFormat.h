#pragma once

#include <QChar>
#include <QString>

// The facts of the passport file format that the builder, the reader and the draft share.

// The version the program writes and the only one it reads.
inline const QString kPassportFormatVersion = QStringLiteral("2.2");

// The picture's `src`: the JPEG in Base64 behind this prefix.
inline const QString kPictureUriPrefix = QStringLiteral("data:image/jpeg;base64,");

// The attribute of `work` that holds the moment the file was written, in seconds since 1970.
inline constexpr const char* kStoredAttribute = "stored";

// How every passport file's name ends; the committee's loader takes no other.
inline const QString kPassportFileSuffix = QStringLiteral(".qdx.xml");

// The blanks of XML: space, tab, line feed, carriage return.
constexpr bool isXmlBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}
