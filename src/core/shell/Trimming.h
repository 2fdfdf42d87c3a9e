#pragma once

#include <QByteArray>
#include <QString>

// Removes the characters with codes 0 to 32 from both ends.
QString trimControls(const QString& text);
QByteArray trimControls(const QByteArray& text);
