#include "windows/NameMarks.h"

#include "windows/LineEditText.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QTextLayout>

namespace {

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
    const LineEditText text(*m_edit);
    if (!text.isValid())
        return;
    QPainter painter(m_edit);
    text.clip(painter);
    const qsizetype length = m_edit->displayText().size();
    for (const Cp1251Gap& gap : m_gaps) {
        if (gap.start + gap.length > length)
            continue;
        const qreal left = text.x(gap.start);
        const qreal right = text.x(gap.start + gap.length);
        painter.fillRect(QRectF(std::min(left, right), text.top(), std::abs(right - left), text.height()), kMarkColour);
    }
}
