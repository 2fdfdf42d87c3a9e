#pragma once

#include <QString>

// A sentence set after a colon inside another one: "Доступ запрещен" becomes "доступ запрещен".
inline QString lowerFirst(const QString& sentence)
{
    if (sentence.isEmpty())
        return sentence;
    return sentence.at(0).toLower() + sentence.mid(1);
}
