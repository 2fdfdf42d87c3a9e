#pragma once

#include <QString>

inline const QString kApplicationTitle = QStringLiteral("Электронный паспорт работы");
inline const QString kMainWindowCaption =
    QStringLiteral("Фестиваль «Lumarinda» - Электронный паспорт работы (2015 / 2016) v.2.2.4");

// The name of the program's own folders: its data, its state (drafts) and its temporary files.
inline const QString kProgramFolderName = QStringLiteral("lumarinda-passport");
