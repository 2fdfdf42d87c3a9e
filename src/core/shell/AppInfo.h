#pragma once

#include <QString>

inline const QString kApplicationTitle = QStringLiteral("Электронный паспорт работы");
inline const QString kMainWindowCaption =
    QStringLiteral("Фестиваль «Lumarinda» - Электронный паспорт работы (2015 / 2016) v.2.2.4");
