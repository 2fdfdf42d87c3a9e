#pragma once

#include "core/spelling/WordSplitter.h"
#include "windows/TypedWord.h"

#include <QObject>
#include <memory>

class QWidget;
class SpellChecker;
class SpellField;

// Underlines the misspelt words of one field (a line edit or a memo) and puts corrections at the
// top of its context menu. The word being typed is left alone until the cursor leaves it. Lives no
// longer than its field: the spell checking of the window takes it away before the fields go.
class SpellUnderline : public QObject
{
    Q_OBJECT

public:
    SpellUnderline(QWidget* field, std::shared_ptr<SpellChecker> checker);
    ~SpellUnderline() override;

    // The spans underlined now, in the field's text.
    QList<WordSpan> underlined() const;
    void recheck();

signals:
    // A word was added to the user's list or skipped: every field checks again.
    void vocabularyChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<WordSpan> misspeltIn(const QString& text, qsizetype offset) const;
    void followCursor();

    std::shared_ptr<SpellChecker> m_checker;
    TypedWord m_typed;
    std::unique_ptr<SpellField> m_field;
};
