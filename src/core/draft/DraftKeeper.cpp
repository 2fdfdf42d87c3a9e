#include "core/draft/DraftKeeper.h"

#include "core/passport/PassportDocument.h"
#include "core/shell/AppInfo.h"
#include "core/shell/DesktopServices.h"
#include "core/shell/Failure.h"
#include "core/shell/Wording.h"

#include <QDir>
#include <QFile>

namespace {

const QString kOnlyInFile = QStringLiteral("Введенные данные сохранятся только при записи паспорта в файл.");

const QByteArray kSourceStart = "<?lumarinda-draft-of ";
const QByteArray kSourceEnd = "?>";

} // namespace

QByteArray withDraftSource(const QByteArray& document, const QString& file)
{
    if (file.isEmpty())
        return document;
    // Percent-encoded: a path may hold "?>" and any byte.
    return document + kSourceStart + QFile::encodeName(file).toPercentEncoding("/") + kSourceEnd + "\r\n";
}

QString draftSourceOf(const QByteArray& draft)
{
    // The document escapes every "<" of its texts: the instruction is the last one, after the root.
    const qsizetype start = draft.lastIndexOf(kSourceStart);
    if (start < 0 || draft.indexOf("</lumarinda>") > start)
        return {};
    const qsizetype from = start + kSourceStart.size();
    const qsizetype end = draft.indexOf(kSourceEnd, from);
    if (end < 0)
        return {};
    const QString path = QFile::decodeName(QByteArray::fromPercentEncoding(draft.mid(from, end - from)));
    return QDir::isAbsolutePath(path) ? path : QString();
}

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
    DraftStore* draft = openStore(report);
    if (!draft)
        return;
    try {
        // Built once: the moment of the last change goes into the copy that is written.
        PassportDocument written = current;
        stampStored(written, m_lastChange ? m_lastChange : m_services.now());
        draft->write(m_services, withDraftSource(serializePassportDocument(written), m_source));
        m_written = current;
        m_failure.clear();
    } catch (const Failure& failure) {
        m_failure = QStringLiteral("Не удалось записать черновик паспорта работы в папку «%1»: %2.")
                        .arg(QDir::toNativeSeparators(QDir::cleanPath(draft->folder())), failure.message());
        sayOnce(report, m_failure + u'\n' + kOnlyInFile);
    }
}

bool DraftKeeper::keepAside()
{
    keepNow();
    const PassportDocument current = document();
    if (current == m_settled)
        return true;
    if (!m_store || current != m_written)
        return false;
    m_store->leave();
    m_written = PassportDocument();
    return true;
}

DraftStore* DraftKeeper::openStore(Report report)
{
    if (m_store)
        return m_store.get();
    try {
        m_store = std::make_unique<DraftStore>(m_services.draftFolder());
    } catch (const Failure& failure) {
        m_failure =
            QStringLiteral("Не удалось записать черновик паспорта работы: %1.").arg(lowerFirst(failure.message()));
        sayOnce(report, m_failure + u'\n' + kOnlyInFile);
    }
    return m_store.get();
}

bool DraftKeeper::kept() const
{
    const PassportDocument current = document();
    return current == m_settled || current == m_written;
}

QString DraftKeeper::writtenPath() const
{
    return m_store && m_store->written() ? m_store->path() : QString();
}

QString DraftKeeper::endNote() const
{
    const PassportDocument current = document();
    if (current == m_settled)
        return {};
    if (current == m_written)
        return QStringLiteral("введенные данные сохранены в черновике «%1».").arg(writtenPath());
    return m_failure + QStringLiteral(" Введенные данные, не сохраненные в файл, потеряны.");
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
