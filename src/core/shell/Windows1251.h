#pragma once

#include <QByteArray>
#include <QString>

// Single-byte Windows-1251 text: a character the code page lacks becomes "?" (a surrogate pair
// is one character). Every byte maps back to one character, so the conversion round-trips.
QByteArray toCp1251(const QString& text);
QString fromCp1251(const QByteArray& bytes);
