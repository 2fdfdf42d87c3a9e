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
// Released, the lock goes and the draft stays for the next start.
class ClaimedDraft
{
public:
    ClaimedDraft(QString path, std::unique_ptr<QLockFile> lock);
    ClaimedDraft(ClaimedDraft&&) noexcept;
    ClaimedDraft& operator=(ClaimedDraft&&) noexcept;
    ~ClaimedDraft();

    const QString& path() const { return m_path; }
    QDateTime modified() const;

    // Deleted for good, then released.
    void discard(DesktopServices& services);
    // Moved under kUnreadableDraftsFolder with its name kept (a number added only where that name is
    // taken), then released. Returns the new path; throws Failure when it cannot be moved.
    QString setAside();

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

    // Replaces this editor's draft whole, its lock taken first; throws Failure.
    void write(DesktopServices& services, const QByteArray& bytes);
    // Removes this editor's draft, if it wrote one.
    void remove(DesktopServices& services);
    // This editor's draft, written or not, is left in the folder for the next start to offer;
    // the editor goes on with a new draft of its own.
    void leave();

    // The drafts of editors that no longer run, newest file first, each claimed for this editor.
    // Locks left by a crashed run are recognised as stale; a draft another editor holds is skipped.
    std::vector<ClaimedDraft> claimLeftDrafts();
    // A claimed draft becomes this editor's own: written from now on, and offered again if this run
    // dies too. The draft this editor had is removed.
    void adopt(DesktopServices& services, ClaimedDraft&& draft);

private:
    QString m_folder;
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
    bool m_written = false;
};
