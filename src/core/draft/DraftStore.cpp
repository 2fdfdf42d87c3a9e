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
#include <QSysInfo>
#include <QUuid>
#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace {

const QString kDraftPrefix = QStringLiteral("draft-");
const QString kDraftSuffix = QStringLiteral(".qdx.xml");
const QString kLockSuffix = QStringLiteral(".lock");
// Drafts looked at in one start, newest first: start-up must stay quick whatever piles up; the
// rest wait for a later start.
constexpr int kMaxLeftDrafts = 20;
constexpr int kMaxStaleLocks = 100;

void makePrivate(const QString& path)
{
    ::chmod(QFile::encodeName(path).constData(), 0600);
}

// The editor named in a lock still runs: its process is there and is the program the lock names.
// A lock from another machine (a shared home) is taken as running: nothing here can tell.
bool ownerRuns(const QLockFile& lock)
{
    qint64 pid = 0;
    QString host;
    QString application;
    if (!lock.getLockInfo(&pid, &host, &application))
        return QFileInfo::exists(lock.fileName()) || QFileInfo(lock.fileName()).isSymLink();
    if (!host.isEmpty() && host != QSysInfo::machineHostName())
        return true;
    if (pid <= 0 || (::kill(pid_t(pid), 0) != 0 && errno != EPERM))
        return false;
    QString running = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
    running.remove(QStringLiteral(" (deleted)"));
    // A process number handed to another program since.
    return running.isEmpty() || application.isEmpty() || QFileInfo(running).fileName() == application;
}

enum class LockState
{
    Taken,
    HeldByRunningEditor,
    CannotBeMade,
};

struct LockAttempt
{
    LockState state;
    std::unique_ptr<QLockFile> lock;
    QLockFile::LockError error = QLockFile::NoError;
};

// A lock that only a running editor holds: age alone never makes it stale, a dead owner does.
LockAttempt lockFor(const QString& draftPath)
{
    auto lock = std::make_unique<QLockFile>(draftPath + kLockSuffix);
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        makePrivate(draftPath + kLockSuffix);
        return {LockState::Taken, std::move(lock)};
    }
    // A stale lock that cannot be removed fails like one whose owner runs.
    if (lock->error() == QLockFile::LockFailedError && ownerRuns(*lock))
        return {LockState::HeldByRunningEditor, nullptr, lock->error()};
    return {LockState::CannotBeMade, nullptr, lock->error()};
}

// QLockFile keeps no errno; a folder that takes no file and a full disk are the usual reasons.
QString lockFailure(QLockFile::LockError error, const QString& folder)
{
    if (error == QLockFile::PermissionError || !QFileInfo(folder).isWritable())
        return systemReason(EACCES);
    struct statvfs disk
    {};
    if (::statvfs(QFile::encodeName(folder).constData(), &disk) == 0 && disk.f_bavail == 0)
        return systemReason(ENOSPC);
    return QStringLiteral("Не удалось создать файл блокировки");
}

QString newDraftPath(const QString& folder)
{
    return folder + kDraftPrefix + QUuid::createUuid().toString(QUuid::WithoutBraces) + kDraftSuffix;
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

QString ClaimedDraft::moveToUnreadable()
{
    const QFileInfo draft(m_path);
    const QString folder = draft.dir().filePath(kUnreadableDraftsFolder);
    if (!QFileInfo(folder).isDir() && ::mkdir(QFile::encodeName(folder).constData(), 0700) != 0)
        throw Failure(systemReason(errno));
    QString target = QDir(folder).filePath(draft.fileName());
    for (int n = 1; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++n)
        target = QDir(folder).filePath(draft.fileName() + QStringLiteral(".%1").arg(n));
    if (::rename(QFile::encodeName(m_path).constData(), QFile::encodeName(target).constData()) != 0)
        throw Failure(systemReason(errno));
    m_lock.reset();
    return target;
}

DraftStore::DraftStore(const QString& folder) : m_folder(folder), m_path(newDraftPath(folder)) {}

DraftStore::~DraftStore() = default;

bool DraftStore::ownLock()
{
    if (m_lock)
        return true;
    LockAttempt attempt = lockFor(m_path);
    if (attempt.state == LockState::HeldByRunningEditor)
        return false;
    if (!attempt.lock)
        throw Failure(lockFailure(attempt.error, m_folder));
    m_lock = std::move(attempt.lock);
    return true;
}

void DraftStore::write(DesktopServices& services, const QByteArray& bytes)
{
    if (!ownLock()) {
        // The restored draft was claimed by another editor meanwhile: it is that editor's now.
        m_path = newDraftPath(m_folder);
        m_written = false;
        ownLock();
    }
    try {
        services.writeFile(m_path, bytes);
    } catch (const Failure& failure) {
        // The services word a whole sentence about the file; the store's failures are the reason alone.
        throw Failure(failure.reason().isEmpty() ? failure.message() : failure.reason());
    }
    makePrivate(m_path);
    m_written = true;
}

void DraftStore::remove(DesktopServices& services)
{
    if (!m_written)
        return;
    m_written = false;
    try {
        if (!ownLock())
            return;
    } catch (const Failure&) {
        // No lock can be made, yet a full disk still lets a file go.
    }
    services.deleteFile(m_path);
}

void DraftStore::removeStaleLocks()
{
    const QFileInfoList locks = QDir(m_folder).entryInfoList({kDraftPrefix + u'*' + kDraftSuffix + kLockSuffix},
                                                             QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    int looked = 0;
    for (const QFileInfo& file : locks) {
        if (++looked > kMaxStaleLocks)
            break;
        const QString draft = file.absoluteFilePath().chopped(kLockSuffix.size());
        if (draft == QFileInfo(m_path).absoluteFilePath() || QFileInfo::exists(draft) || QFileInfo(draft).isSymLink())
            continue;
        // Taken, it was stale; released, it is gone.
        LockAttempt attempt = lockFor(draft);
        if (attempt.lock)
            attempt.lock->unlock();
    }
}

void DraftStore::leave()
{
    m_lock.reset();
    m_path = newDraftPath(m_folder);
    m_written = false;
}

std::vector<ClaimedDraft> DraftStore::claimLeftDrafts()
{
    removeStaleLocks();
    const QFileInfoList found =
        QDir(m_folder).entryInfoList({kDraftPrefix + u'*' + kDraftSuffix}, QDir::Files | QDir::NoSymLinks, QDir::Time);
    std::vector<ClaimedDraft> claimed;
    for (const QFileInfo& file : found) {
        if (claimed.size() == kMaxLeftDrafts)
            break;
        const QString path = file.absoluteFilePath();
        if (path == QFileInfo(m_path).absoluteFilePath())
            continue;
        LockAttempt attempt = lockFor(path);
        if (attempt.state != LockState::HeldByRunningEditor)
            claimed.emplace_back(path, std::move(attempt.lock));
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
