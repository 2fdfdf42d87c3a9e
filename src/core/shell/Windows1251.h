#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Single-byte Windows-1251 text: a character the code page lacks becomes "?" (a surrogate pair
// is one character). Every byte maps back to one character, so the conversion round-trips.
QByteArray toCp1251(const QString& text);
QString fromCp1251(const QByteArray& bytes);

// A character of a text that Windows-1251 lacks: one UTF-16 unit, or a surrogate pair.
struct Cp1251Gap
{
    qsizetype start = 0;
    qsizetype length = 0;
};

// Where the text holds characters that toCp1251 turns into "?", in order.
QList<Cp1251Gap> cp1251Gaps(const QString& text);
// What to tell the user about them, naming each such character once; empty when there are none.
QString cp1251GapsNote(const QString& text);
