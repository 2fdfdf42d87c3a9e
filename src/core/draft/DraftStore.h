#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <memory>
#include <vector>

class DesktopServices;
class QLockFile;

// $XDG_STATE_HOME/lumarinda-passport/, or ~/.local/state/lumarinda-passport/ when the variable is
// unset or not absolute; not yet made or checked.
QString draftFolderPath();
// That folder made 0700 and checked like the temporary folder; ends in "/". Throws Failure.
QString privateDraftFolder();
// The same for a given path (its parent made when missing).
QString prepareDraftFolder(const QString& path);

// The folder beside the drafts where one that cannot be read is put, under its own name.
inline const QString kUnreadableDraftsFolder = QStringLiteral("unreadable");

// A draft of another editor, held under its lock so that no other editor offers or takes it meanwhile.
// Released, the lock goes and the draft stays for the next start. Where no lock can be made (a
// folder that takes no file, a full disk) the draft is still read and offered, unclaimed: it then
// stays in the folder until it can be removed.
class ClaimedDraft
{
public:
    // `lock` null: unclaimed.
    ClaimedDraft(QString path, std::unique_ptr<QLockFile> lock);
    ClaimedDraft(ClaimedDraft&&) noexcept;
    ClaimedDraft& operator=(ClaimedDraft&&) noexcept;
    ~ClaimedDraft();

    const QString& path() const { return m_path; }
    QDateTime modified() const;
    bool isClaimed() const { return m_lock != nullptr; }

    // Deleted for good, then released.
    void discard(DesktopServices& services);
    // Moved under kUnreadableDraftsFolder with its name kept (a number added only where that name is
    // taken), then released. Returns the new path; throws Failure when it cannot be moved.
    QString moveToUnreadable();

private:
    friend class DraftStore;

    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

// The drafts in one folder: this editor's own, one file under its lock, and those that editors no
// longer running have left. Every file is made 0600: a draft holds contacts and the private comment.
class DraftStore
{
public:
    // `folder` is a prepared draft folder ending in "/".
    explicit DraftStore(const QString& folder);
    ~DraftStore();
    DraftStore(const DraftStore&) = delete;
    DraftStore& operator=(const DraftStore&) = delete;

    const QString& folder() const { return m_folder; }
    // This editor's draft, whether written yet or not.
    const QString& path() const { return m_path; }
    // Whether this editor's draft is in the folder now.
    bool written() const { return m_written; }

    // Replaces this editor's draft whole, its lock taken first; throws Failure with the reason alone.
    void write(DesktopServices& services, const QByteArray& bytes);
    // Removes this editor's draft, if it wrote one.
    void remove(DesktopServices& services);
    // This editor's draft, written or not, is left in the folder for the next start to offer;
    // the editor goes on with a new draft of its own.
    void leave();

    // The drafts of editors that no longer run, newest file first, each claimed for this editor
    // where its lock can be made, unclaimed where it cannot. Locks left by a crashed run are
    // recognised as stale; a draft whose editor still runs is skipped. Stale locks with no draft
    // beside them are removed.
    std::vector<ClaimedDraft> claimLeftDrafts();
    // A restored draft becomes this editor's own: written from now on, and offered again if this run
    // dies too. The draft this editor had is removed. An unclaimed one is claimed at its next write
    // or removal; should another editor have claimed it meanwhile, this editor goes on in a draft
    // of its own.
    void adopt(DesktopServices& services, ClaimedDraft&& draft);

private:
    // This editor's lock on m_path, taken if not yet held; false when another running editor holds it.
    bool ownLock();
    void removeStaleLocks();

    QString m_folder;
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
    bool m_written = false;
};
