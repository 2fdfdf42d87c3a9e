#include "core/draft/DraftKeeper.h"

#include "core/passport/PassportDocument.h"
#include "core/shell/AppInfo.h"
#include "core/shell/DesktopServices.h"
#include "core/shell/Failure.h"
#include "core/shell/Wording.h"

#include <QDir>

namespace {

const QString kOnlyInFile = QStringLiteral("Введенные данные сохранятся только при записи паспорта в файл.");

} // namespace

DraftKeeper::DraftKeeper(DesktopServices& services, std::function<PassportSnapshot()> snapshot)
    : m_services(services), m_snapshot(std::move(snapshot))
{
    m_timer = m_services.timer(kDraftDelayMs, [this] { keepNow(); });
}

DraftKeeper::~DraftKeeper() = default;

PassportDocument DraftKeeper::document() const
{
    return BuildPassportDocument(m_snapshot(), PassportDocumentKind::Saved, 0);
}

void DraftKeeper::changed()
{
    m_lastChange = m_services.now();
    m_timer->start();
}

void DraftKeeper::settled()
{
    m_settled = document();
    keepNow(Report::Never);
}

void DraftKeeper::keepNow(Report report)
{
    m_timer->stop();
    const PassportDocument current = document();
    if (current == m_settled) {
        if (m_store)
            m_store->remove(m_services);
        m_written = PassportDocument();
        return;
    }
    if (current == m_written)
        return;
    DraftStore* draft = store(report);
    if (!draft)
        return;
    try {
        // Built once: the moment of the last change goes into the copy that is written.
        PassportDocument written = current;
        stampStored(written, m_lastChange ? m_lastChange : m_services.now());
        draft->write(m_services, serializePassportDocument(written));
        m_written = current;
    } catch (const Failure& failure) {
        const QString reason = failure.reason().isEmpty() ? failure.message() : failure.reason();
        sayOnce(report, QStringLiteral("Не удалось записать черновик паспорта работы в папку «%1»: %2.\n%3")
                            .arg(QDir::toNativeSeparators(QDir::cleanPath(draft->folder())), reason, kOnlyInFile));
    }
}

DraftStore* DraftKeeper::store(Report report)
{
    if (m_store)
        return m_store.get();
    try {
        m_store = std::make_unique<DraftStore>(m_services.draftFolder());
    } catch (const Failure& failure) {
        sayOnce(report, QStringLiteral("Не удалось записать черновик паспорта работы: %1.\n%2")
                            .arg(lowerFirst(failure.message()), kOnlyInFile));
    }
    return m_store.get();
}

void DraftKeeper::adopt(ClaimedDraft&& draft)
{
    if (!m_store)
        return;
    m_store->adopt(m_services, std::move(draft));
    m_written = document();
}

void DraftKeeper::sayOnce(Report report, const QString& text)
{
    if (m_said || report == Report::Never)
        return;
    m_said = true;
    m_services.messageBox(text, kApplicationTitle, DesktopServices::Icon::Warning, DesktopServices::Buttons::Ok);
}
