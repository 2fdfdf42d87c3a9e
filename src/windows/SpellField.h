#pragma once

#include "core/spelling/WordSplitter.h"

#include <QList>
#include <QString>
#include <QTextCharFormat>
#include <functional>
#include <memory>

class QEvent;
class QMenu;
class QObject;
class QPoint;
class QWidget;

// The misspelt words of a piece of a field's text that starts at an offset in it.
using MisspeltWords = std::function<QList<WordSpan>(const QString& text, qsizetype offset)>;

// A checked field as the spelling sees it, a line edit or a memo alike: its text and cursor, its
// underlines, where a context menu points and how a word is replaced. Positions count the memo's
// block breaks as one character each, as its document does.
class SpellField
{
public:
    // Null for a widget that is neither a line edit nor a memo.
    static std::unique_ptr<SpellField> of(QWidget* widget, MisspeltWords misspelt);
    virtual ~SpellField() = default;

    virtual QWidget* widget() const = 0;
    // The objects whose events concern the field: a memo's viewport gets its mouse.
    virtual QList<QObject*> watched() const = 0;
    // Calls `moved` whenever the text or the cursor changes.
    virtual void onCursorMoved(QObject* context, const std::function<void()>& moved) const = 0;
    virtual QString text() const = 0;
    virtual qsizetype cursorPosition() const = 0;
    virtual bool isReadOnly() const = 0;
    // The position a context menu event at `at`, sent to `watched`, points to.
    virtual qsizetype positionAt(const QObject* watched, const QPoint& at) const = 0;
    virtual QMenu* createStandardContextMenu() const = 0;
    // How long a word that replaces `word` may be within the field's limit.
    virtual qsizetype roomFor(const QString& word) const = 0;
    // One undoable edit.
    virtual void replace(const WordSpan& span, const QString& replacement) = 0;

    // The spans underlined now.
    virtual QList<WordSpan> underlined() const = 0;
    virtual void recheck() = 0;
    // The pending word moved from `before` to `after` (-1 for none): the words there change.
    virtual void pendingMoved(qsizetype before, qsizetype after) = 0;
    // The field's own drawing, with the underlines over it; true when done here.
    virtual bool paint(QObject* watched, QEvent* event) = 0;
};

// The format of a misspelt word, in memos and line edits alike.
QTextCharFormat spellErrorFormat();
