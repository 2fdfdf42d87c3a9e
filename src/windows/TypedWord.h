#pragma once

#include <QString>

class QKeyEvent;

// The word being typed, which is not underlined until the cursor leaves it: a word that the
// cursor reaches by typing is pending; moving off it, or the focus leaving, ends that.
class TypedWord
{
public:
    // A key that puts text in or takes it out; shortcuts and cursor keys are not typing.
    static bool isTyping(const QKeyEvent* event);

    void keyPressed(const QKeyEvent* event) { m_typing = isTyping(event); }
    void keyReleased() { m_typing = false; }
    // The text or the cursor has changed.
    void follow(const QString& text, qsizetype cursor);
    void leave();

    // Start of the pending word, -1 when none.
    qsizetype start() const { return m_start; }

private:
    qsizetype m_start = -1;
    bool m_typing = false;
};
