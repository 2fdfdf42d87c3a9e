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
        QStringLiteral("Найден черновик паспорта работы, не сохраненный в файл:\n\n%1\nпоследнее изменение: %2\n\n"
                       "Восстановить его?")
            .arg(shownTitle(draft.read.passport), changed);
    if (!startFile.isEmpty())
        text += QStringLiteral("\nЕсли восстановить черновик, файл «%1» открыт не будет.")
                    .arg(QFileInfo(startFile).fileName());
    return text;
}

// Said once: the draft goes where no start looks for drafts, under its own name.
void setAside(DesktopServices& services, ClaimedDraft& claimed, const QString& reason)
{
    const QString name = QFileInfo(claimed.path()).fileName();
    QString where;
    try {
        where = QStringLiteral("Он перенесен в папку «%1».")
                    .arg(QDir::toNativeSeparators(QFileInfo(claimed.setAside()).absolutePath()));
    } catch (const Failure& failure) {
        where = QStringLiteral("Перенести его в сторону не удалось (%1).").arg(lowerFirst(failure.message()));
    }
    services.messageBox(
        QStringLiteral("Черновик паспорта работы «%1» не читается: %2.\n%3").arg(name, lowerFirst(reason), where),
        kApplicationTitle, DesktopServices::Icon::Warning, DesktopServices::Buttons::Ok);
}

bool confirmedDeletion(DesktopServices& services, const LeftDraft& draft)
{
    return services.messageBox(QStringLiteral("Удалить черновик паспорта работы %1? Восстановить его будет нельзя.")
                                   .arg(shownTitle(draft.read.passport)),
                               kApplicationTitle, DesktopServices::Icon::Question,
                               DesktopServices::Buttons::YesNo) == DesktopServices::Answer::Yes;
}

} // namespace

bool offerLeftDrafts(DesktopServices& services, DraftKeeper& keeper, const QString& startFile,
                     const std::function<void(const ReadPassport&)>& restore)
{
    DraftStore* store = keeper.store();
    if (!store)
        return false;

    std::vector<LeftDraft> drafts;
    for (ClaimedDraft& claimed : store->claimLeftDrafts()) {
        try {
            ReadPassport read = readPassportAt(QFile::encodeName(claimed.path()));
            drafts.push_back({std::move(claimed), std::move(read)});
        } catch (const Failure& failure) {
            setAside(services, claimed, failure.message());
        }
    }
    std::stable_sort(drafts.begin(), drafts.end(), [](const LeftDraft& a, const LeftDraft& b) {
        return a.read.storedSeconds > b.read.storedSeconds;
    });

    const QStringList buttons = {kRestoreDraftButton, kLaterDraftButton, kDeleteDraftButton};
    for (LeftDraft& draft : drafts) {
        for (;;) {
            const int answer = services.choiceBox(question(draft, startFile), kApplicationTitle, buttons, 1);
            if (answer == 0) {
                try {
                    restore(draft.read);
                } catch (const Failure& failure) {
                    setAside(services, draft.claimed, failure.message());
                    break;
                }
                keeper.adopt(std::move(draft.claimed));
                return true;
            }
            if (answer != 2)
                break;
            if (confirmedDeletion(services, draft)) {
                draft.claimed.discard(services);
                break;
            }
        }
    }
    return false;
}
