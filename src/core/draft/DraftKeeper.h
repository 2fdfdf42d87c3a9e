#pragma once

#include "core/draft/DraftStore.h"
#include "core/passport/PassportDocument.h"
#include "core/passport/PassportSnapshot.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

class DesktopServices;
class DesktopTimer;

// The passport file a draft's passport came from, carried in the draft as a processing instruction
// after the document, which readers of the passport pass over; empty when it names none.
QByteArray withDraftSource(const QByteArray& document, const QString& file);
QString draftSourceOf(const QByteArray& draft);

// How long after the last change the draft is written: typing never waits on the disk.
constexpr int kDraftDelayMs = 2000;

// Keeps the passport that is in no file yet as this editor's draft: written a moment after the
// last change, when the window closes and when the program is asked to end; removed once the
// passport is as safe as the start state, a saved file or an opened one.
class DraftKeeper
{
public:
    enum class Report
    {
        // A draft that cannot be written is said, once per run.
        Once,
        // Nothing shown: the program is ending.
        Never,
    };

    DraftKeeper(DesktopServices& services, std::function<PassportSnapshot()> snapshot);
    ~DraftKeeper();
    DraftKeeper(const DraftKeeper&) = delete;
    DraftKeeper& operator=(const DraftKeeper&) = delete;

    // Something may have changed: the draft follows kDraftDelayMs after the last call.
    void changed();
    // The passport as it stands now needs no draft (the start state, or just saved or opened).
    void settled();
    // Writes the draft now, or removes it when nothing unsaved is held.
    void keepNow(Report report = Report::Once);
    // The passport as it stands is in a file or in a draft: the start state, just saved or opened,
    // or what the draft last written holds.
    bool kept() const;
    // Where the draft was last written, or empty when it never was.
    QString writtenPath() const;
    // For the log when the program ends unasked: where the input is now, or empty when a file holds it.
    QString endNote() const;
    // Why the last attempt to write the draft failed, a sentence; empty once one has succeeded.
    const QString& failure() const { return m_failure; }

    // Before the editor starts another passport: what it holds that is in no file is written as a
    // draft and left for the next start to offer. False when that draft could not be written.
    bool keepAside();

    // The passport file the editor's passport came from or was last saved to; empty for none. The
    // draft records it, so that its offer can name the file and a start with that file finds it.
    void setSourceFile(const QString& path) { m_source = path; }

    // Opens the draft folder's store on first use, making the folder; null (said once, as `report`
    // allows) when the folder is unusable.
    DraftStore* openStore(Report report = Report::Once);
    // After a draft was restored into the editor: it is this editor's draft now, and stays one.
    void adopt(ClaimedDraft&& draft);

private:
    PassportDocument document() const;
    void sayOnce(Report report, const QString& text);

    DesktopServices& m_services;
    std::function<PassportSnapshot()> m_snapshot;
    std::unique_ptr<DesktopTimer> m_timer;
    std::unique_ptr<DraftStore> m_store;
    // Documents without their moment of writing: what needs no draft, and what the draft holds.
    PassportDocument m_settled;
    PassportDocument m_written;
    qint64 m_lastChange = 0;
    QString m_failure;
    QString m_source;
    bool m_said = false;
};
