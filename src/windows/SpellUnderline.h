#pragma once

#include "core/spelling/SpellChecker.h"

#include <QObject>
#include <QPointer>
#include <QTextCharFormat>
#include <memory>

class QContextMenuEvent;
class QLineEdit;
class QPlainTextEdit;
class QWidget;
class MemoSpellHighlighter;

// Underlines the misspelt words of one field (a line edit or a memo) and puts corrections at the
// top of its context menu. The word being typed is left alone until the cursor leaves it.
class SpellUnderline : public QObject
{
    Q_OBJECT

public:
    SpellUnderline(QWidget* field, std::shared_ptr<SpellChecker> checker);
    ~SpellUnderline() override;

    // The spans underlined now, in the field's text.
    QList<WordSpan> underlined() const;
    void recheck();

    // The misspelt words of a piece of the field's text that starts at offset.
    QList<WordSpan> misspeltIn(const QString& text, qsizetype offset);

signals:
    // A word was added to the user's list or skipped: every field checks again.
    void vocabularyChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool fieldIntact() const;
    QString fieldText() const;
    qsizetype cursorPosition() const;
    void followCursor();
    void rehighlightAt(qsizetype position);
    bool showMenu(QObject* watched, QContextMenuEvent* event);
    // How long a word that replaces this one may be within the field's limit.
    qsizetype roomFor(const QString& word) const;
    void replaceWord(const WordSpan& span, const QString& word, const QString& replacement);
    void paintLineUnderlines();

    QPointer<QWidget> m_field;
    QLineEdit* m_line = nullptr;
    QPlainTextEdit* m_memo = nullptr;
    std::shared_ptr<SpellChecker> m_checker;
    QPointer<MemoSpellHighlighter> m_highlighter;
    QList<WordSpan> m_lineSpans;
    // Start of the word being typed, -1 when none.
    qsizetype m_pendingStart = -1;
    bool m_typing = false;
    bool m_painting = false;
};

// The format of a misspelt word, in memos and line edits alike.
QTextCharFormat spellErrorFormat();
