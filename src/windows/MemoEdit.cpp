#include "windows/MemoEdit.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

bool isBreak(QChar c)
{
    return c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
}

int weight(QChar c)
{
    return isBreak(c) ? 2 : 1;
}

// The document's own text: toPlainText() would turn no-break spaces into blanks.
QString rawText(const QTextDocument* document)
{
    return document->toRawText();
}

} // namespace

MemoEdit::MemoEdit(QWidget* parent) : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
    connect(document(), &QTextDocument::contentsChange, this,
            [this](int position, int, int added) { enforceLimit(position, added); });
}

void MemoEdit::setMaxLength(int maxLength)
{
    m_maxLength = maxLength;
}

QString MemoEdit::text() const
{
    QString text = rawText(document());
    QString held;
    held.reserve(text.size() + text.size() / 16);
    for (QChar c : text) {
        if (isBreak(c))
            held += QStringLiteral("\r\n");
        else
            held += c;
    }
    return held;
}

void MemoEdit::setText(const QString& text)
{
    setPlainText(text);
}

int MemoEdit::heldLength() const
{
    int length = 0;
    for (QChar c : rawText(document()))
        length += weight(c);
    return length;
}

void MemoEdit::enforceLimit(int position, int added)
{
    if (m_maxLength <= 0 || m_trimming || added <= 0)
        return;
    int excess = heldLength() - m_maxLength;
    if (excess <= 0)
        return;

    // Cut from the end of what was just inserted, never half a surrogate pair.
    const QString text = rawText(document());
    int cutFrom = qMin<int>(position + added, text.size());
    while (excess > 0 && cutFrom > position) {
        --cutFrom;
        excess -= weight(text.at(cutFrom));
    }
    if (cutFrom > 0 && cutFrom < text.size() && text.at(cutFrom).isLowSurrogate() &&
        text.at(cutFrom - 1).isHighSurrogate())
        --cutFrom;

    const int cutTo = qMin<int>(position + added, text.size());
    m_trimming = true;
    QTextCursor cursor(document());
    cursor.setPosition(cutFrom);
    cursor.setPosition(cutTo, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    m_trimming = false;
}
