#pragma once

#include "core/passport/PassportSnapshot.h"

#include <QString>

// What a passport lacks before it may be written: one line " - <item>\n" per gap, at most one for
// each of title, description, sections, authors and supervisors; empty when it may be saved.
QString CheckCompleteness(const PassportSnapshot& passport);

inline const QString kIncompletePassportCaption = QStringLiteral("Неполная информация");

// The warning shown instead of saving.
QString incompletePassportMessage(const QString& missing);
