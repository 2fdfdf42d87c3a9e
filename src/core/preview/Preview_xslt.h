#pragma once

#include <QByteArray>
#include <QString>

class FileOperations;

inline const QString kStylesheetWriteFailure = QStringLiteral("Ошибка записи файла шаблона во временную папку");

// Room for the decoded stylesheet.
constexpr int kStylesheetDecodeBuffer = 64000;

// The stylesheet's bytes, decoded from the constant the program carries.
QByteArray previewStylesheetBytes();

// Writes folder + "preview.qdx.xsl" (folder ends in a separator). Only the file's presence
// afterwards counts: a copy left by an earlier call is as good, since it is the same constant.
// Throws Failure with kStylesheetWriteFailure when no file is there.
void WritePreviewStylesheet(FileOperations& files, const QString& folder);
