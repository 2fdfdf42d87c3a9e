#include "windows/LineEditText.h"

#include <QLineEdit>
#include <QPainter>
#include <QStyle>

namespace {

// Qt's line edit reports its cursor rectangle widened this far to the left of the cursor line
// (QWidgetLineControl::rectForPos), and nothing public tells where its text starts.
constexpr int kCursorRectLead = 5;

} // namespace

LineEditText::LineEditText(const QLineEdit& edit, const QList<QTextLayout::FormatRange>& formats)
    : m_layout(edit.displayText(), edit.font())
{
    if (edit.echoMode() != QLineEdit::Normal)
        return;
    QTextOption option;
    option.setTextDirection(edit.layoutDirection());
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    m_layout.setTextOption(option);
    m_layout.setFormats(formats);
    m_layout.beginLayout();
    m_line = m_layout.createLine();
    m_layout.endLayout();
    if (!m_line.isValid())
        return;

    // The edit scrolls its text to keep the cursor in sight: where it puts the cursor shows where
    // the text starts.
    m_cursor = edit.inputMethodQuery(Qt::ImCursorRectangle).toRect();
    m_originX = m_cursor.x() + kCursorRectLead - m_line.cursorToX(edit.cursorPosition());
    const int frame = edit.hasFrame() ? edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &edit) : 0;
    const QMargins margins = edit.textMargins();
    m_inside = edit.rect().adjusted(frame + margins.left(), frame + margins.top(), -frame - margins.right(),
                                    -frame - margins.bottom());
    m_valid = true;
}

qreal LineEditText::x(qsizetype position) const
{
    return m_originX + m_line.cursorToX(int(position));
}

void LineEditText::clip(QPainter& painter) const
{
    painter.setClipRect(m_inside);
}

void LineEditText::draw(QPainter& painter) const
{
    m_layout.draw(&painter, QPointF(m_originX, m_cursor.y()));
}
