#pragma once

#include "core/shell/DesktopServices.h"
#include "windows/QtDesktopServices.h"

#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <optional>

// A scripted desktop for window tests: one object for every concern of DesktopServices, so a test
// hands the same fake to whatever needs one concern or all. Every call is recorded; answers come
// from queues the test fills beforehand. A call that needs an answer nobody scripted is recorded
// in `unexpected` and answered as a cancel, so a test's cleanup can fail on it instead of hanging
// on a real dialog.
// Files are real, under a temporary folder of the test's own.
class FakeServices : public DesktopServices
{
public:
    struct Choice
    {
        QString text;
        QString caption;
        QStringList buttons;
        int defaultButton = -1;
    };

    struct Message
    {
        QString text;
        QString caption;
        Icon icon = Icon::None;
        Buttons buttons = Buttons::Ok;
        bool plain = false;
    };

    FakeServices();
    ~FakeServices() override;

    // --- scripting -------------------------------------------------------------------------
    std::deque<Answer> answers;                             // for Yes/No boxes
    std::deque<int> choiceAnswers;                          // positions of buttons pressed
    std::deque<std::function<bool(QDialog&)>> modalScripts; // fill the dialog, return accepted
    std::deque<QString> openFileAnswers;                    // "" = cancel
    std::deque<QString> saveFileAnswers;                    // "" = cancel
    std::deque<QString> openPassportAnswers;                // "" = cancel
    std::optional<QString> tempFolderOverride;              // a folder path ending in "/"
    std::function<void()> tempFolderFailure;                // throws to refuse the folder
    QString draftFolderPath;                            // prepared as the real draft folder is; under folder() at first
    QString dataFolderPath;                             // the user's lists; under folder() at first
    std::function<bool(const QString&)> existsOverride; // replaces the real test
    std::function<void(const QString&, const QByteArray&)> writeHook; // runs before each write of either kind
    std::function<void(int)> waitHook;                                // runs in each wait
    std::function<void()> whileModal; // runs while a box or dialog is up, as its own loop would
    qint64 clock = 1450000000;

    // --- what happened ---------------------------------------------------------------------
    QList<Message> messages;
    QList<Choice> choices;
    QList<SaveDialogRequest> saveRequests;
    QStringList openFilters;
    QList<QPair<QString, QString>> openPassportRequests; // title, filter
    QList<QPair<QString, QString>> openedDocuments;      // folder, file name
    QList<int> waits;
    QStringList writtenFiles;
    QStringList deletedFiles;
    QStringList unexpected;
    int modalShown = 0;

    QString folder() const { return m_dir.path() + QLatin1Char('/'); }

    // MessageBoxes
    Answer messageBox(const QString& text, const QString& caption, Icon icon, Buttons buttons) override;
    void plainMessage(const QString& text) override;
    int choiceBox(const QString& text, const QString& caption, const QStringList& buttons, int defaultButton) override;

    // Dialogs
    bool showModal(QDialog& dialog) override;
    QString openPictureFile(const QString& filter) override;
    QString saveFile(const SaveDialogRequest& request) override;
    QString openPassportFile(const QString& title, const QString& filter) override;

    // PrivateFolders
    QString tempFolder() override;
    QString draftFolder() override;
    QString dataFolder() override;

    // DocumentViewer
    void openDocument(const QString& folder, const QString& fileName) override;

    // Clock
    void wait(int milliseconds) override;
    std::unique_ptr<DesktopTimer> timer(int milliseconds, std::function<void()> timeout) override;
    // Lets that much time pass on the timers: each one due fires, in the order they fall due.
    void elapse(int milliseconds);
    qint64 now() override { return clock; }

    // FileOperations: real files, through the real services
    bool fileExists(const QString& path) override;
    bool sameFile(const QString& first, const QString& second) override { return m_real.sameFile(first, second); }
    void deleteFile(const QString& path) override;
    void writeFile(const QString& path, const QByteArray& bytes) override;
    void writeChosenFile(const QString& path, const QByteArray& bytes) override;
    QByteArray readFile(const QString& path, qint64 maxBytes) override;

private:
    class Timer;
    QList<Timer*> m_timers;
    qint64 m_elapsedMs = 0;
    QTemporaryDir m_dir;
    QtDesktopServices m_real;
};

// For a test's cleanup(): nothing unscripted happened and every scripted answer was used.
#define VERIFY_SERVICES_SETTLED(services)                                                                              \
    do {                                                                                                               \
        QVERIFY2((services).unexpected.isEmpty(), qPrintable((services).unexpected.join(QLatin1String("; "))));        \
        QVERIFY2((services).answers.empty(), "unused message box answers");                                            \
        QVERIFY2((services).choiceAnswers.empty(), "unused choice box answers");                                       \
        QVERIFY2((services).modalScripts.empty(), "unused dialog scripts");                                            \
        QVERIFY2((services).openFileAnswers.empty(), "unused open-dialog answers");                                    \
        QVERIFY2((services).saveFileAnswers.empty(), "unused save-dialog answers");                                    \
        QVERIFY2((services).openPassportAnswers.empty(), "unused passport open-dialog answers");                       \
    } while (false)
