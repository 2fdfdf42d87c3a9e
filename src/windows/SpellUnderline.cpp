#include "windows/SpellUnderline.h"

#include "core/spelling/SpellChecker.h"
#include "windows/SpellField.h"
#include "windows/SpellMenu.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QWidget>

SpellUnderline::SpellUnderline(QWidget* field, std::shared_ptr<SpellChecker> checker)
    : QObject(field), m_checker(std::move(checker)),
      m_field(SpellField::of(field, [this](const QString& text, qsizetype offset) { return misspeltIn(text, offset); }))
{
    setObjectName(QStringLiteral("spellUnderline"));
    if (!m_field)
        return;
    for (QObject* watched : m_field->watched())
        watched->installEventFilter(this);
    m_field->onCursorMoved(this, [this] { followCursor(); });
    recheck();
}

SpellUnderline::~SpellUnderline() = default;

QList<WordSpan> SpellUnderline::misspeltIn(const QString& text, qsizetype offset) const
{
    QList<WordSpan> misspelt;
    for (const WordSpan& span : wordsToCheck(text)) {
        if (offset + span.start == m_typed.start())
            continue;
        if (!m_checker->isKnown(text.mid(span.start, span.length)))
            misspelt.append(span);
    }
    return misspelt;
}

QList<WordSpan> SpellUnderline::underlined() const
{
    return m_field ? m_field->underlined() : QList<WordSpan>();
}

void SpellUnderline::recheck()
{
    if (m_field)
        m_field->recheck();
}

void SpellUnderline::followCursor()
{
    const qsizetype before = m_typed.start();
    m_typed.follow(m_field->text(), m_field->cursorPosition());
    m_field->pendingMoved(before, m_typed.start());
}

bool SpellUnderline::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        m_typed.keyPressed(static_cast<QKeyEvent*>(event));
        break;
    case QEvent::KeyRelease:
        m_typed.keyReleased();
        break;
    case QEvent::FocusOut:
        if (watched == m_field->widget()) {
            const qsizetype before = m_typed.start();
            m_typed.leave();
            m_field->pendingMoved(before, -1);
        }
        break;
    case QEvent::ContextMenu:
        return showSpellMenu(*m_field, m_checker, watched, *static_cast<QContextMenuEvent*>(event), this,
                             [this] { emit vocabularyChanged(); });
    case QEvent::Paint:
        if (m_field->paint(watched, event))
            return true;
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
