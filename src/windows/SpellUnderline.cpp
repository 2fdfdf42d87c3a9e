#include "windows/SpellUnderline.h"

#include "windows/MemoEdit.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QStyle>
#include <QSyntaxHighlighter>
#include <QTextBlock>
#include <QTextLayout>
#include <limits>

namespace {

// A line edit reports its cursor as a rectangle that starts this far left of the cursor line.
constexpr int kCursorRectLead = 5;

bool isTyping(const QKeyEvent* event)
{
    if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete)
        return true;
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    return !event->text().isEmpty() && event->text().at(0).isPrint();
}

} // namespace

QTextCharFormat spellErrorFormat()
{
    QTextCharFormat format;
    format.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
    format.setUnderlineColor(Qt::red);
    return format;
}

class MemoSpellHighlighter : public QSyntaxHighlighter
{
public:
    MemoSpellHighlighter(SpellUnderline* owner, QTextDocument* document) : QSyntaxHighlighter(document), m_owner(owner)
    {}

protected:
    void highlightBlock(const QString& text) override
    {
        const QTextCharFormat format = spellErrorFormat();
        for (const WordSpan& span : m_owner->misspeltIn(text, currentBlock().position()))
            setFormat(int(span.start), int(span.length), format);
    }

private:
    SpellUnderline* m_owner;
};

SpellUnderline::SpellUnderline(QWidget* field, std::shared_ptr<SpellChecker> checker)
    : QObject(field), m_field(field), m_line(qobject_cast<QLineEdit*>(field)),
      m_memo(qobject_cast<QPlainTextEdit*>(field)), m_checker(std::move(checker))
{
    setObjectName(QStringLiteral("spellUnderline"));
    field->installEventFilter(this);
    if (m_memo) {
        // Mouse clicks and the context menu arrive on the viewport.
        m_memo->viewport()->installEventFilter(this);
        m_highlighter = new MemoSpellHighlighter(this, m_memo->document());
        connect(m_memo, &QPlainTextEdit::textChanged, this, &SpellUnderline::followCursor);
        connect(m_memo, &QPlainTextEdit::cursorPositionChanged, this, &SpellUnderline::followCursor);
    } else if (m_line) {
        connect(m_line, &QLineEdit::textChanged, this, &SpellUnderline::followCursor);
        connect(m_line, &QLineEdit::cursorPositionChanged, this, &SpellUnderline::followCursor);
    }
    recheck();
}

SpellUnderline::~SpellUnderline()
{
    delete m_highlighter;
}

QString SpellUnderline::fieldText() const
{
    if (m_line)
        return m_line->text();
    // Positions in the document, a block break being one of them.
    return m_memo ? m_memo->document()->toRawText() : QString();
}

qsizetype SpellUnderline::cursorPosition() const
{
    if (m_line)
        return m_line->cursorPosition();
    return m_memo ? m_memo->textCursor().position() : 0;
}

QList<WordSpan> SpellUnderline::misspeltIn(const QString& text, qsizetype offset)
{
    QList<WordSpan> misspelt;
    for (const WordSpan& span : SpellChecker::wordsToCheck(text)) {
        if (offset + span.start == m_pendingStart)
            continue;
        if (!m_checker->isKnown(text.mid(span.start, span.length)))
            misspelt.append(span);
    }
    return misspelt;
}

QList<WordSpan> SpellUnderline::underlined() const
{
    if (m_line)
        return m_lineSpans;
    QList<WordSpan> spans;
    if (!m_memo)
        return spans;
    for (QTextBlock block = m_memo->document()->begin(); block.isValid(); block = block.next()) {
        for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
            if (range.format.underlineStyle() == QTextCharFormat::SpellCheckUnderline)
                spans.append({block.position() + range.start, range.length});
        }
    }
    return spans;
}

void SpellUnderline::recheck()
{
    if (m_highlighter) {
        m_highlighter->rehighlight();
    } else if (m_line) {
        m_lineSpans = misspeltIn(m_line->text(), 0);
        m_line->update();
    }
}

void SpellUnderline::rehighlightAt(qsizetype position)
{
    if (!m_highlighter || position < 0)
        return;
    const QTextBlock block = m_memo->document()->findBlock(int(position));
    if (block.isValid())
        m_highlighter->rehighlightBlock(block);
}

bool SpellUnderline::fieldIntact() const
{
    // While the field is being destroyed its own type is gone already: it must not be touched.
    if (m_line)
        return qobject_cast<QLineEdit*>(m_field.data()) != nullptr;
    return qobject_cast<QPlainTextEdit*>(m_field.data()) != nullptr;
}

void SpellUnderline::followCursor()
{
    if (!fieldIntact())
        return;
    const qsizetype before = m_pendingStart;
    const auto word = SpellChecker::wordAt(fieldText(), cursorPosition());
    if (m_typing) {
        m_pendingStart = word ? word->start : -1;
        m_typing = false;
    } else if (m_pendingStart >= 0 && (!word || word->start != m_pendingStart)) {
        m_pendingStart = -1;
    }
    if (m_line) {
        recheck();
    } else if (before != m_pendingStart) {
        rehighlightAt(before);
        rehighlightAt(m_pendingStart);
    }
}

bool SpellUnderline::eventFilter(QObject* watched, QEvent* event)
{
    if (!fieldIntact())
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress:
        m_typing = isTyping(static_cast<QKeyEvent*>(event));
        break;
    case QEvent::KeyRelease:
        m_typing = false;
        break;
    case QEvent::FocusOut:
        if (watched == m_field) {
            m_typing = false;
            const qsizetype before = m_pendingStart;
            m_pendingStart = -1;
            if (m_line)
                recheck();
            else
                rehighlightAt(before);
        }
        break;
    case QEvent::ContextMenu:
        return showMenu(watched, static_cast<QContextMenuEvent*>(event));
    case QEvent::Paint:
        // The underline goes over what the line edit has drawn, within the same paint.
        if (watched == m_line && !m_painting && !m_lineSpans.isEmpty()) {
            m_painting = true;
            QCoreApplication::sendEvent(m_line, event);
            m_painting = false;
            paintLineUnderlines();
            return true;
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void SpellUnderline::paintLineUnderlines()
{
    if (m_line->echoMode() != QLineEdit::Normal)
        return;
    const QString text = m_line->displayText();
    QTextLayout layout(text, m_line->font());
    QTextOption option;
    option.setTextDirection(m_line->layoutDirection());
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    layout.setTextOption(option);
    QTextCharFormat format = spellErrorFormat();
    format.setForeground(Qt::transparent);
    QList<QTextLayout::FormatRange> ranges;
    for (const WordSpan& span : m_lineSpans) {
        if (span.end() <= text.size())
            ranges.append({int(span.start), int(span.length), format});
    }
    layout.setFormats(ranges);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    if (!line.isValid())
        return;

    // The edit scrolls its text to keep the cursor in sight: where it puts the cursor shows where
    // the text starts.
    const QRect cursor = m_line->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const qreal originX = cursor.x() + kCursorRectLead - line.cursorToX(m_line->cursorPosition());
    const int frame =
        m_line->hasFrame() ? m_line->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, m_line) : 0;
    const QMargins margins = m_line->textMargins();
    const QRect inside = m_line->rect().adjusted(frame + margins.left(), frame + margins.top(),
                                                 -frame - margins.right(), -frame - margins.bottom());

    QPainter painter(m_line);
    painter.setClipRect(inside);
    painter.setPen(Qt::transparent);
    layout.draw(&painter, QPointF(originX, cursor.y()));
}

bool SpellUnderline::showMenu(QObject* watched, QContextMenuEvent* event)
{
    if (!m_checker->hasDictionaries())
        return false;
    qsizetype position = cursorPosition();
    const bool byMouse = event->reason() == QContextMenuEvent::Mouse;
    if (m_line) {
        if (m_line->isReadOnly())
            return false;
        if (byMouse)
            position = m_line->cursorPositionAt(event->pos());
    } else if (m_memo) {
        if (m_memo->isReadOnly())
            return false;
        if (byMouse) {
            const QPoint at =
                watched == m_memo->viewport() ? event->pos() : m_memo->viewport()->mapFrom(m_memo, event->pos());
            position = m_memo->cursorForPosition(at).position();
        }
    }
    const QString text = fieldText();
    const auto span = SpellChecker::wordAt(text, position);
    if (!span)
        return false;
    const QString word = text.mid(span->start, span->length);
    if (m_checker->isKnown(word))
        return false;

    QMenu* menu = m_line ? m_line->createStandardContextMenu() : m_memo->createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setObjectName(QStringLiteral("spellMenu"));
    QAction* usual = menu->actions().value(0);
    QList<QAction*> ours;
    const qsizetype room = roomFor(word);
    for (const QString& suggestion : m_checker->suggestions(word)) {
        auto* action = new QAction(QString(suggestion).replace(QLatin1Char('&'), QStringLiteral("&&")), menu);
        // The field's limit would cut a longer correction short.
        action->setEnabled(suggestion.size() <= room);
        connect(action, &QAction::triggered, this,
                [this, span = *span, word, suggestion] { replaceWord(span, word, suggestion); });
        ours.append(action);
    }
    auto* add = new QAction(QStringLiteral("Добавить в словарь"), menu);
    connect(add, &QAction::triggered, this, [this, word] {
        m_checker->addToUserList(word);
        emit vocabularyChanged();
    });
    auto* skip = new QAction(QStringLiteral("Пропустить"), menu);
    connect(skip, &QAction::triggered, this, [this, word] {
        m_checker->ignore(word);
        emit vocabularyChanged();
    });
    ours << add << skip;
    menu->insertActions(usual, ours);
    menu->insertSeparator(usual);
    menu->popup(event->globalPos());
    return true;
}

qsizetype SpellUnderline::roomFor(const QString& word) const
{
    if (m_line)
        return m_line->maxLength() - m_line->text().size() + word.size();
    if (auto* memo = qobject_cast<MemoEdit*>(m_memo); memo && memo->maxLength() > 0)
        return memo->maxLength() - memo->heldLength() + word.size();
    return std::numeric_limits<qsizetype>::max();
}

void SpellUnderline::replaceWord(const WordSpan& span, const QString& word, const QString& replacement)
{
    if (fieldText().mid(span.start, span.length) != word)
        return;
    if (m_line) {
        m_line->setSelection(int(span.start), int(span.length));
        m_line->insert(replacement);
    } else if (m_memo) {
        QTextCursor cursor(m_memo->document());
        cursor.setPosition(int(span.start));
        cursor.setPosition(int(span.end()), QTextCursor::KeepAnchor);
        cursor.beginEditBlock();
        cursor.insertText(replacement);
        cursor.endEditBlock();
        m_memo->setTextCursor(cursor);
    }
}
