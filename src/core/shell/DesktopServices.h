#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QDialog;

// What the save dialog is asked to show.
struct SaveDialogRequest
{
    QString title;
    QString filterDescription;
    QString filterPattern;
    QString defaultSuffix;
    QString proposedName;
    // Where the dialog starts; empty: the dialog's own choice.
    QString folder;
};

// A single-shot timer on the event loop: start() begins the wait anew, stop() ends it unfired.
class DesktopTimer
{
public:
    virtual ~DesktopTimer() = default;
    virtual void start() = 0;
    virtual void stop() = 0;
};

// Everything that talks to the desktop: dialogs, message boxes, the temporary folder, the browser,
// the clock, waiting and files. Windows call only this, so tests can script every answer.
class DesktopServices
{
public:
    enum class Icon
    {
        None,
        Error,
        Warning,
        Information,
        Question,
    };
    enum class Buttons
    {
        Ok,
        YesNo,
    };
    enum class Answer
    {
        Ok,
        Yes,
        No,
    };

    virtual ~DesktopServices() = default;

    // Modal, owned by the main window; only Yes counts as consent.
    virtual Answer messageBox(const QString& text, const QString& caption, Icon icon, Buttons buttons) = 0;
    // Modal, the application title as caption, no icon, OK.
    virtual void plainMessage(const QString& text) = 0;
    // Modal, owned by the main window, a question icon and the given buttons in their order; the
    // default button also answers Esc and the close box. Returns the position of the button pressed.
    virtual int choiceBox(const QString& text, const QString& caption, const QStringList& buttons,
                          int defaultButton) = 0;
    // Runs the dialog modally; true when it was accepted.
    virtual bool showModal(QDialog& dialog) = 0;
    // The chosen file's full path, or empty when cancelled. The filter is a Qt name filter; the
    // dialog shows the text before its last parentheses and matches the patterns inside them.
    virtual QString openPictureFile(const QString& filter) = 0;
    virtual QString saveFile(const SaveDialogRequest& request) = 0;
    // The passport file to open, or empty when cancelled; the filter as for openPictureFile.
    virtual QString openPassportFile(const QString& title, const QString& filter) = 0;

    // The private folder for the preview files, ending in "/"; throws Failure when unusable.
    virtual QString tempFolder() = 0;
    // The private folder for drafts of unsaved passports, ending in "/"; throws Failure when unusable.
    virtual QString draftFolder() = 0;
    // The private folder of the user's own lists (the people and contacts remembered), ending in
    // "/"; throws Failure when unusable.
    virtual QString dataFolder() = 0;
    virtual void openDocument(const QString& folder, const QString& fileName) = 0;
    virtual void wait(int milliseconds) = 0;
    // Runs `timeout` on the event loop once `milliseconds` have passed since the timer's last start.
    virtual std::unique_ptr<DesktopTimer> timer(int milliseconds, std::function<void()> timeout) = 0;
    // Seconds since 1970-01-01 00:00:00 UTC.
    virtual qint64 now() = 0;

    virtual bool fileExists(const QString& path) = 0;
    // Whether both paths name one existing file, links and "." or ".." resolved.
    virtual bool sameFile(const QString& first, const QString& second) = 0;
    // A failure to delete is ignored.
    virtual void deleteFile(const QString& path) = 0;
    // Replaces the file whole or leaves it as it was (a symbolic link at the path is replaced, not
    // followed); throws Failure naming the path and the reason.
    virtual void writeFile(const QString& path, const QByteArray& bytes) = 0;
    // For a path the user chose: as writeFile, but a symbolic link at the path (a synced or shared
    // copy) keeps pointing where it did and its final target is replaced whole.
    virtual void writeChosenFile(const QString& path, const QByteArray& bytes) = 0;
    // At most maxBytes from the file's start; empty when it cannot be read.
    virtual QByteArray readFile(const QString& path, qint64 maxBytes) = 0;
};
