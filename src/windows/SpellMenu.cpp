#include "windows/SpellMenu.h"

#include "core/spelling/SpellChecker.h"
#include "windows/SpellField.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>

bool showSpellMenu(SpellField& field, const std::shared_ptr<SpellChecker>& checker, const QObject* watched,
                   const QContextMenuEvent& event, QObject* context, const std::function<void()>& vocabularyChanged)
{
    if (!checker->hasDictionaries() || field.isReadOnly())
        return false;
    const qsizetype position =
        event.reason() == QContextMenuEvent::Mouse ? field.positionAt(watched, event.pos()) : field.cursorPosition();
    const QString text = field.text();
    const auto span = wordAt(text, position);
    if (!span)
        return false;
    const QString word = text.mid(span->start, span->length);
    if (checker->isKnown(word))
        return false;

    QMenu* menu = field.createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setObjectName(QStringLiteral("spellMenu"));
    QAction* usual = menu->actions().value(0);
    QList<QAction*> ours;
    const qsizetype room = field.roomFor(word);
    SpellField* target = &field;
    for (const QString& suggestion : checker->suggestions(word)) {
        auto* action = new QAction(QString(suggestion).replace(QLatin1Char('&'), QStringLiteral("&&")), menu);
        // The field's limit would cut a longer correction short.
        action->setEnabled(suggestion.size() <= room);
        QObject::connect(action, &QAction::triggered, context, [target, span = *span, word, suggestion] {
            // The text may have changed while the menu was open.
            if (target->text().mid(span.start, span.length) == word)
                target->replace(span, suggestion);
        });
        ours.append(action);
    }
    auto* add = new QAction(QStringLiteral("Добавить в словарь"), menu);
    QObject::connect(add, &QAction::triggered, context, [checker, word, vocabularyChanged] {
        checker->addToUserList(word);
        vocabularyChanged();
    });
    auto* skip = new QAction(QStringLiteral("Пропустить"), menu);
    QObject::connect(skip, &QAction::triggered, context, [checker, word, vocabularyChanged] {
        checker->ignore(word);
        vocabularyChanged();
    });
    ours << add << skip;
    menu->insertActions(usual, ours);
    menu->insertSeparator(usual);
    menu->popup(event.globalPos());
    return true;
}
