#pragma once

#include "core/passport/PassportReader.h"

#include <QString>
#include <functional>

class DesktopServices;
class DraftKeeper;

// The three answers to the question about a left draft, in the order of their buttons.
inline const QString kRestoreDraftButton = QStringLiteral("Восстановить");
inline const QString kLaterDraftButton = QStringLiteral("Позже");
inline const QString kDeleteDraftButton = QStringLiteral("Удалить");

// At start-up: offers the drafts that editors no longer running have left, newest first, one
// question each. `restore` fills the editor with a draft's passport as opening a file does, given
// the passport file the draft's passport came from (or empty), and throws Failure when it cannot.
// `startFile` is the passport file the editor was started with, or empty: only that file's drafts
// are offered then, and restoring one means the file is not opened. Returns true when a draft was
// restored.
bool askAboutLeftDrafts(DesktopServices& services, DraftKeeper& keeper, const QString& startFile,
                        const std::function<void(const ReadPassport&, const QString&)>& restore);
