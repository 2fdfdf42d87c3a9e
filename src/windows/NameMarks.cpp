#include "windows/NameMarks.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QTextLayout>

namespace {

// Where the cursor rectangle of a line edit starts, left of the cursor itself.
constexpr int kCursorRectLead = 5;
const QColor kMarkColour(220, 0, 0, 70);

} // namespace

NameMarks::NameMarks(QLineEdit* edit) : QObject(edit), m_edit(edit)
{
    setObjectName(QStringLiteral("nameMarks"));
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::textChanged, this, &NameMarks::follow);
    follow();
}

void NameMarks::follow()
{
    if (!qobject_cast<QLineEdit*>(m_edit.data()))
        return;
    m_gaps = cp1251Gaps(m_edit->text());
    m_edit->setToolTip(cp1251GapsNote(m_edit->text()));
    m_edit->update();
}

bool NameMarks::eventFilter(QObject* watched, QEvent* event)
{
    // The marks go over what the edit has drawn, within the same paint.
    if (event->type() == QEvent::Paint && watched == m_edit && !m_painting && !m_gaps.isEmpty() &&
        qobject_cast<QLineEdit*>(m_edit.data())) {
        m_painting = true;
        QCoreApplication::sendEvent(m_edit, event);
        m_painting = false;
        paintMarks();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void NameMarks::paintMarks()
{
    if (m_edit->echoMode() != QLineEdit::Normal)
        return;
    const QString text = m_edit->displayText();
    QTextLayout layout(text, m_edit->font());
    QTextOption option;
    option.setTextDirection(m_edit->layoutDirection());
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    if (!line.isValid())
        return;

    // The edit scrolls its text to keep the cursor in sight: where it puts the cursor shows where
    // the text starts.
    const QRect cursor = m_edit->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const qreal originX = cursor.x() + kCursorRectLead - line.cursorToX(m_edit->cursorPosition());
    const int frame =
        m_edit->hasFrame() ? m_edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, m_edit) : 0;
    const QMargins margins = m_edit->textMargins();
    const QRect inside = m_edit->rect().adjusted(frame + margins.left(), frame + margins.top(),
                                                 -frame - margins.right(), -frame - margins.bottom());

    QPainter painter(m_edit);
    painter.setClipRect(inside);
    for (const Cp1251Gap& gap : m_gaps) {
        if (gap.start + gap.length > text.size())
            continue;
        const qreal left = originX + line.cursorToX(int(gap.start));
        const qreal right = originX + line.cursorToX(int(gap.start + gap.length));
        painter.fillRect(QRectF(std::min(left, right), cursor.y(), std::abs(right - left), cursor.height()),
                         kMarkColour);
    }
}
