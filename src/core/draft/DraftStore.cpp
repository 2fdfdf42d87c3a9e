#include "core/draft/DraftStore.h"

#include "core/shell/DesktopServices.h"
#include "core/shell/Failure.h"
#include "core/shell/SystemReason.h"
#include "core/shell/TempFolder.h"
#include "core/shell/XdgFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QUuid>
#include <cerrno>
#include <sys/stat.h>

namespace {

const QString kDraftPrefix = QStringLiteral("draft-");
const QString kDraftSuffix = QStringLiteral(".qdx.xml");
const QString kLockSuffix = QStringLiteral(".lock");
// Drafts looked at in one start, newest first: start-up must stay quick whatever piles up; the
// rest wait for a later start.
constexpr int kMaxLeftDrafts = 20;

void makePrivate(const QString& path)
{
    ::chmod(QFile::encodeName(path).constData(), 0600);
}

// A lock that only a running editor holds: age alone never makes it stale, a dead owner does.
std::unique_ptr<QLockFile> lockFor(const QString& draftPath)
{
    auto lock = std::make_unique<QLockFile>(draftPath + kLockSuffix);
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return nullptr;
    makePrivate(draftPath + kLockSuffix);
    return lock;
}

} // namespace

QString draftFolderPath()
{
    return programStateFolder();
}

QString privateDraftFolder()
{
    return prepareDraftFolder(draftFolderPath());
}

QString prepareDraftFolder(const QString& path)
{
    // The state folder itself may not exist yet on a fresh account.
    QDir().mkpath(QFileInfo(path).path());
    return preparePrivateFolder(path, {QStringLiteral("Папка черновиков"), QStringLiteral("папку черновиков"),
                                       QStringLiteral("папке черновиков")});
}

ClaimedDraft::ClaimedDraft(QString path, std::unique_ptr<QLockFile> lock)
    : m_path(std::move(path)), m_lock(std::move(lock))
{}

ClaimedDraft::ClaimedDraft(ClaimedDraft&&) noexcept = default;
ClaimedDraft& ClaimedDraft::operator=(ClaimedDraft&&) noexcept = default;
ClaimedDraft::~ClaimedDraft() = default;

QDateTime ClaimedDraft::modified() const
{
    return QFileInfo(m_path).lastModified();
}

void ClaimedDraft::discard(DesktopServices& services)
{
    services.deleteFile(m_path);
    m_lock.reset();
}

QString ClaimedDraft::setAside()
{
    const QFileInfo draft(m_path);
    const QString folder = draft.dir().filePath(kUnreadableDraftsFolder);
    if (!QFileInfo(folder).isDir() && ::mkdir(QFile::encodeName(folder).constData(), 0700) != 0)
        throw Failure(systemReason(errno), systemReason(errno));
    QString target = QDir(folder).filePath(draft.fileName());
    for (int n = 1; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++n)
        target = QDir(folder).filePath(draft.fileName() + QStringLiteral(".%1").arg(n));
    if (::rename(QFile::encodeName(m_path).constData(), QFile::encodeName(target).constData()) != 0)
        throw Failure(systemReason(errno), systemReason(errno));
    m_lock.reset();
    return target;
}

DraftStore::DraftStore(const QString& folder)
    : m_folder(folder),
      m_path(folder + kDraftPrefix + QUuid::createUuid().toString(QUuid::WithoutBraces) + kDraftSuffix)
{}

DraftStore::~DraftStore() = default;

void DraftStore::write(DesktopServices& services, const QByteArray& bytes)
{
    if (!m_lock) {
        auto lock = std::make_unique<QLockFile>(m_path + kLockSuffix);
        lock->setStaleLockTime(0);
        if (!lock->tryLock(0)) {
            // QLockFile keeps no errno; a folder that takes no file is the usual reason.
            const QString reason = lock->error() == QLockFile::PermissionError || !QFileInfo(m_folder).isWritable()
                                       ? systemReason(EACCES)
                                       : QStringLiteral("Не удалось создать файл блокировки");
            throw Failure(reason, reason);
        }
        makePrivate(m_path + kLockSuffix);
        m_lock = std::move(lock);
    }
    services.writeFile(m_path, bytes);
    makePrivate(m_path);
    m_written = true;
}

void DraftStore::remove(DesktopServices& services)
{
    if (!m_written)
        return;
    services.deleteFile(m_path);
    m_written = false;
}

std::vector<ClaimedDraft> DraftStore::claimLeftDrafts()
{
    const QFileInfoList found =
        QDir(m_folder).entryInfoList({kDraftPrefix + u'*' + kDraftSuffix}, QDir::Files | QDir::NoSymLinks, QDir::Time);
    std::vector<ClaimedDraft> claimed;
    for (const QFileInfo& file : found) {
        if (claimed.size() == kMaxLeftDrafts)
            break;
        const QString path = file.absoluteFilePath();
        if (path == QFileInfo(m_path).absoluteFilePath())
            continue;
        if (std::unique_ptr<QLockFile> lock = lockFor(path))
            claimed.emplace_back(path, std::move(lock));
    }
    return claimed;
}

void DraftStore::adopt(DesktopServices& services, ClaimedDraft&& draft)
{
    remove(services);
    m_lock = std::move(draft.m_lock);
    m_path = draft.m_path;
    m_written = true;
}
