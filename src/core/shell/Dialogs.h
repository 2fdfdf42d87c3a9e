#pragma once

#include <QString>

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

// Modal dialogs: the program's own and the file dialogs.
class Dialogs
{
public:
    virtual ~Dialogs() = default;

    // Runs the dialog modally; true when it was accepted.
    virtual bool showModal(QDialog& dialog) = 0;
    // The chosen file's full path, or empty when cancelled. The filter is a Qt name filter; the
    // dialog shows the text before its last parentheses and matches the patterns inside them.
    virtual QString openPictureFile(const QString& filter) = 0;
    virtual QString saveFile(const SaveDialogRequest& request) = 0;
    // The passport file to open, or empty when cancelled; the filter as for openPictureFile.
    virtual QString openPassportFile(const QString& title, const QString& filter) = 0;
};
