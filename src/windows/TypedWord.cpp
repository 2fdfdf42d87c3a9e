#include "windows/TypedWord.h"

#include "core/spelling/WordSplitter.h"

#include <QKeyEvent>

bool TypedWord::isTyping(const QKeyEvent* event)
{
    if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete)
        return true;
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    return !event->text().isEmpty() && event->text().at(0).isPrint();
}

void TypedWord::follow(const QString& text, qsizetype cursor)
{
    const auto word = wordAt(text, cursor);
    if (m_typing) {
        m_start = word ? word->start : -1;
        m_typing = false;
    } else if (m_start >= 0 && (!word || word->start != m_start)) {
        m_start = -1;
    }
}

void TypedWord::leave()
{
    m_typing = false;
    m_start = -1;
}
