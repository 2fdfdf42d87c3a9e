#include "windows/SpellField.h"

#include "windows/MemoEdit.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QStyle>
#include <QSyntaxHighlighter>
#include <QTextBlock>
#include <QTextLayout>
#include <limits>

QTextCharFormat spellErrorFormat()
{
    QTextCharFormat format;
    format.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
    format.setUnderlineColor(Qt::red);
    return format;
}

namespace {

// Qt's line edit reports its cursor rectangle widened this far to the left of the cursor line
// (QWidgetLineControl::rectForPos), and nothing public tells where its text starts.
constexpr int kCursorRectLead = 5;

// A line edit keeps no formats of its own: the spans are kept here and drawn over what the edit
// has drawn, within the same paint.
class LineSpellField : public SpellField
{
public:
    LineSpellField(QLineEdit* edit, MisspeltWords misspelt) : m_edit(edit), m_misspelt(std::move(misspelt)) {}

    QWidget* widget() const override { return m_edit; }
    QList<QObject*> watched() const override { return {m_edit}; }

    void onCursorMoved(QObject* context, const std::function<void()>& moved) const override
    {
        QObject::connect(m_edit, &QLineEdit::textChanged, context, moved);
        QObject::connect(m_edit, &QLineEdit::cursorPositionChanged, context, moved);
    }

    QString text() const override { return m_edit->text(); }
    qsizetype cursorPosition() const override { return m_edit->cursorPosition(); }
    bool isReadOnly() const override { return m_edit->isReadOnly(); }
    qsizetype positionAt(const QObject*, const QPoint& at) const override { return m_edit->cursorPositionAt(at); }
    QMenu* createStandardContextMenu() const override { return m_edit->createStandardContextMenu(); }

    qsizetype roomFor(const QString& word) const override
    {
        return m_edit->maxLength() - m_edit->text().size() + word.size();
    }

    void replace(const WordSpan& span, const QString& replacement) override
    {
        m_edit->setSelection(int(span.start), int(span.length));
        m_edit->insert(replacement);
    }

    QList<WordSpan> underlined() const override { return m_spans; }

    void recheck() override
    {
        m_spans = m_misspelt(m_edit->text(), 0);
        m_edit->update();
    }

    // The spans are worked out afresh from the text whatever moved.
    void pendingMoved(qsizetype, qsizetype) override { recheck(); }

    bool paint(QObject* watched, QEvent* event) override
    {
        if (watched != m_edit || m_painting || m_spans.isEmpty())
            return false;
        m_painting = true;
        QCoreApplication::sendEvent(m_edit, event);
        m_painting = false;
        paintUnderlines();
        return true;
    }

private:
    void paintUnderlines() const
    {
        if (m_edit->echoMode() != QLineEdit::Normal)
            return;
        const QString text = m_edit->displayText();
        QTextLayout layout(text, m_edit->font());
        QTextOption option;
        option.setTextDirection(m_edit->layoutDirection());
        option.setFlags(QTextOption::IncludeTrailingSpaces);
        layout.setTextOption(option);
        QTextCharFormat format = spellErrorFormat();
        format.setForeground(Qt::transparent);
        QList<QTextLayout::FormatRange> ranges;
        for (const WordSpan& span : m_spans) {
            if (span.end() <= text.size())
                ranges.append({int(span.start), int(span.length), format});
        }
        layout.setFormats(ranges);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        layout.endLayout();
        if (!line.isValid())
            return;

        // The edit scrolls its text to keep the cursor in sight: where it puts the cursor shows
        // where the text starts.
        const QRect cursor = m_edit->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        const qreal originX = cursor.x() + kCursorRectLead - line.cursorToX(m_edit->cursorPosition());
        const int frame =
            m_edit->hasFrame() ? m_edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, m_edit) : 0;
        const QMargins margins = m_edit->textMargins();
        const QRect inside = m_edit->rect().adjusted(frame + margins.left(), frame + margins.top(),
                                                     -frame - margins.right(), -frame - margins.bottom());

        QPainter painter(m_edit);
        painter.setClipRect(inside);
        painter.setPen(Qt::transparent);
        layout.draw(&painter, QPointF(originX, cursor.y()));
    }

    QLineEdit* m_edit;
    MisspeltWords m_misspelt;
    QList<WordSpan> m_spans;
    bool m_painting = false;
};

class MemoHighlighter : public QSyntaxHighlighter
{
public:
    MemoHighlighter(QTextDocument* document, const MisspeltWords& misspelt)
        : QSyntaxHighlighter(document), m_misspelt(misspelt)
    {}

protected:
    void highlightBlock(const QString& text) override
    {
        const QTextCharFormat format = spellErrorFormat();
        for (const WordSpan& span : m_misspelt(text, currentBlock().position()))
            setFormat(int(span.start), int(span.length), format);
    }

private:
    const MisspeltWords& m_misspelt;
};

// A memo's document carries the underlines as formats, which its highlighter keeps up with every
// change of the text.
class MemoSpellField : public SpellField
{
public:
    MemoSpellField(QPlainTextEdit* memo, MisspeltWords misspelt)
        : m_memo(memo), m_misspelt(std::move(misspelt)),
          m_highlighter(new MemoHighlighter(memo->document(), m_misspelt))
    {}
    // The highlighter belongs to the document, which may have gone first.
    ~MemoSpellField() override { delete m_highlighter; }
    MemoSpellField(const MemoSpellField&) = delete;
    MemoSpellField& operator=(const MemoSpellField&) = delete;

    QWidget* widget() const override { return m_memo; }
    QList<QObject*> watched() const override { return {m_memo, m_memo->viewport()}; }

    void onCursorMoved(QObject* context, const std::function<void()>& moved) const override
    {
        QObject::connect(m_memo, &QPlainTextEdit::textChanged, context, moved);
        QObject::connect(m_memo, &QPlainTextEdit::cursorPositionChanged, context, moved);
    }

    QString text() const override { return m_memo->document()->toRawText(); }
    qsizetype cursorPosition() const override { return m_memo->textCursor().position(); }
    bool isReadOnly() const override { return m_memo->isReadOnly(); }

    qsizetype positionAt(const QObject* watched, const QPoint& at) const override
    {
        const QPoint inViewport = watched == m_memo->viewport() ? at : m_memo->viewport()->mapFrom(m_memo, at);
        return m_memo->cursorForPosition(inViewport).position();
    }

    QMenu* createStandardContextMenu() const override { return m_memo->createStandardContextMenu(); }

    qsizetype roomFor(const QString& word) const override
    {
        if (auto* memo = qobject_cast<MemoEdit*>(m_memo); memo && memo->maxLength() > 0)
            return memo->maxLength() - memo->heldLength() + word.size();
        return std::numeric_limits<qsizetype>::max();
    }

    void replace(const WordSpan& span, const QString& replacement) override
    {
        QTextCursor cursor(m_memo->document());
        cursor.setPosition(int(span.start));
        cursor.setPosition(int(span.end()), QTextCursor::KeepAnchor);
        cursor.beginEditBlock();
        cursor.insertText(replacement);
        cursor.endEditBlock();
        m_memo->setTextCursor(cursor);
    }

    QList<WordSpan> underlined() const override
    {
        QList<WordSpan> spans;
        for (QTextBlock block = m_memo->document()->begin(); block.isValid(); block = block.next()) {
            for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
                if (range.format.underlineStyle() == QTextCharFormat::SpellCheckUnderline)
                    spans.append({block.position() + range.start, range.length});
            }
        }
        return spans;
    }

    void recheck() override { m_highlighter->rehighlight(); }

    // The highlighter follows the text itself; only the blocks the pending word left or reached
    // change without it.
    void pendingMoved(qsizetype before, qsizetype after) override
    {
        if (before == after)
            return;
        rehighlightAt(before);
        rehighlightAt(after);
    }

    bool paint(QObject*, QEvent*) override { return false; }

private:
    void rehighlightAt(qsizetype position)
    {
        if (position < 0)
            return;
        const QTextBlock block = m_memo->document()->findBlock(int(position));
        if (block.isValid())
            m_highlighter->rehighlightBlock(block);
    }

    QPlainTextEdit* m_memo;
    MisspeltWords m_misspelt;
    QPointer<MemoHighlighter> m_highlighter;
};

} // namespace

std::unique_ptr<SpellField> SpellField::of(QWidget* widget, MisspeltWords misspelt)
{
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        return std::make_unique<LineSpellField>(edit, std::move(misspelt));
    if (auto* memo = qobject_cast<QPlainTextEdit*>(widget))
        return std::make_unique<MemoSpellField>(memo, std::move(misspelt));
    return nullptr;
}
