#pragma once

#include <functional>
#include <memory>

class QContextMenuEvent;
class QObject;
class SpellChecker;
class SpellField;

// The context menu on a misspelt word: its corrections, "Добавить в словарь" and "Пропустить" above
// the field's usual menu. False, and nothing shown, when the event points to no misspelt word or the
// field cannot be changed. The actions live as long as `context`; `vocabularyChanged` follows an
// added or skipped word.
bool showSpellMenu(SpellField& field, const std::shared_ptr<SpellChecker>& checker, const QObject* watched,
                   const QContextMenuEvent& event, QObject* context, const std::function<void()>& vocabularyChanged);
