#include "core/draft/DraftOffer.h"

#include "core/draft/DraftKeeper.h"
#include "core/draft/DraftStore.h"
#include "core/passport/PassportDocument.h"
#include "core/shell/AppInfo.h"
#include "core/shell/DesktopServices.h"
#include "core/shell/Failure.h"
#include "core/shell/Wording.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {

struct LeftDraft
{
    ClaimedDraft claimed;
    ReadPassport read;
    QString source;
};

QString shownTitle(const PassportSnapshot& passport)
{
    return passport.title.isEmpty() ? kUntitledWork : QStringLiteral("«%1»").arg(passport.title);
}

QString question(const LeftDraft& draft, const QString& startFile)
{
    const QString changed = QDateTime::fromSecsSinceEpoch(draft.read.storedSeconds)
                                .toLocalTime()
                                .toString(QStringLiteral("dd.MM.yyyy HH:mm"));
    QString text =
        draft.source.isEmpty()
            ? QStringLiteral("Найден черновик паспорта работы, не сохраненный в файл:\n\n%1\nпоследнее изменение: "
                             "%2\n\nВосстановить его?")
                  .arg(shownTitle(draft.read.passport), changed)
            : QStringLiteral("Найден черновик паспорта работы:\n\nизменения паспорта %1, не сохраненные в файл "
                             "«%2»\nпоследнее изменение: %3\n\nВосстановить его?")
                  .arg(shownTitle(draft.read.passport), QFileInfo(draft.source).fileName(), changed);
    if (!startFile.isEmpty())
        text += QStringLiteral("\nЕсли восстановить черновик, файл «%1» открыт не будет.")
                    .arg(QFileInfo(startFile).fileName());
    if (!draft.claimed.isClaimed())
        text += QStringLiteral("\nЧерновик останется в папке «%1», пока его не удастся удалить.")
                    .arg(QDir::toNativeSeparators(QFileInfo(draft.claimed.path()).absolutePath()));
    return text;
}

// Said once: the draft goes where no start looks for drafts, under its own name.
void reportUnreadable(DesktopServices& services, ClaimedDraft& claimed, const QString& reason)
{
    const QString name = QFileInfo(claimed.path()).fileName();
    QString where;
    try {
        where = QStringLiteral("Он перенесен в папку «%1».")
                    .arg(QDir::toNativeSeparators(QFileInfo(claimed.moveToUnreadable()).absolutePath()));
    } catch (const Failure& failure) {
        where = QStringLiteral("Перенести его в сторону не удалось (%1).").arg(lowerFirst(failure.message()));
    }
    services.messageBox(
        QStringLiteral("Черновик паспорта работы «%1» не читается: %2.\n%3").arg(name, lowerFirst(reason), where),
        kApplicationTitle, DesktopServices::Icon::Warning, DesktopServices::Buttons::Ok);
}

bool isSameFile(DesktopServices& services, const QString& draftOf, const QString& startFile)
{
    if (draftOf.isEmpty())
        return false;
    return QFileInfo(draftOf).absoluteFilePath() == QFileInfo(startFile).absoluteFilePath() ||
           services.sameFile(draftOf, startFile);
}

bool confirmedDeletion(DesktopServices& services, const LeftDraft& draft)
{
    return services.messageBox(QStringLiteral("Удалить черновик паспорта работы %1? Восстановить его будет нельзя.")
                                   .arg(shownTitle(draft.read.passport)),
                               kApplicationTitle, DesktopServices::Icon::Question,
                               DesktopServices::Buttons::YesNo) == DesktopServices::Answer::Yes;
}

} // namespace

bool askAboutLeftDrafts(DesktopServices& services, DraftKeeper& keeper, const QString& startFile,
                        const std::function<void(const ReadPassport&, const QString&)>& restore)
{
    DraftStore* store = keeper.openStore();
    if (!store)
        return false;

    std::vector<LeftDraft> drafts;
    for (ClaimedDraft& claimed : store->claimLeftDrafts()) {
        try {
            const QByteArray bytes = readPassportBytes(QFile::encodeName(claimed.path()));
            ReadPassport read = readPassportDocument(bytes);
            QString source = draftSourceOf(bytes);
            // A start with a passport file offers that file's drafts; the others wait for a plain start.
            if (!startFile.isEmpty() && !isSameFile(services, source, startFile))
                continue;
            drafts.push_back({std::move(claimed), std::move(read), std::move(source)});
        } catch (const Failure& failure) {
            reportUnreadable(services, claimed, failure.message());
        }
    }
    std::stable_sort(drafts.begin(), drafts.end(), [](const LeftDraft& a, const LeftDraft& b) {
        return a.read.storedSeconds > b.read.storedSeconds;
    });

    // The answers in the order of their buttons.
    enum Answer
    {
        Restore,
        Later,
        Delete,
    };
    const QStringList buttons = {kRestoreDraftButton, kLaterDraftButton, kDeleteDraftButton};
    for (LeftDraft& draft : drafts) {
        for (;;) {
            const int answer = services.choiceBox(question(draft, startFile), kApplicationTitle, buttons, Later);
            if (answer == Restore) {
                try {
                    restore(draft.read, draft.source);
                } catch (const Failure& failure) {
                    reportUnreadable(services, draft.claimed, failure.message());
                    break;
                }
                keeper.adopt(std::move(draft.claimed));
                return true;
            }
            if (answer != Delete)
                break;
            if (confirmedDeletion(services, draft)) {
                draft.claimed.discard(services);
                break;
            }
        }
    }
    return false;
}
