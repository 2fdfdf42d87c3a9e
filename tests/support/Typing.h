#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QString>
#include <QWidget>

// Types text as key events, one character at a time. QTest::keyClicks cannot send Cyrillic in
// Qt 6.4; a key event with the character as its text reaches the widget like a real key press.
inline void typeText(QWidget* widget, const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        QString character(text.at(i));
        if (text.at(i).isHighSurrogate() && i + 1 < text.size())
            character += text.at(++i);
        int key = Qt::Key_unknown;
        if (character == QLatin1String("\n"))
            key = Qt::Key_Return;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, key == Qt::Key_Return ? QString() : character);
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, key == Qt::Key_Return ? QString() : character);
        QApplication::sendEvent(widget, &release);
    }
}
