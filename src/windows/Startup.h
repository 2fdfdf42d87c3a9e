#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class DesktopServices;
class QApplication;
class TForm1;
class TPasport;
class TSubjects;

// Qt's own Russian texts for standard buttons and dialogs, with ours for what its catalogue lacks,
// and Russian dates and numbers in Qt's own dialogs.
void installRussianTranslations(QApplication& application);

// The layout was drawn for Tahoma 8 pt: use Tahoma when a copy is at hand, the platform's sans
// font otherwise, 11 pixels high either way. Returns the family in use.
QString installApplicationFont();

// Once the event loop runs, so that every question shows over the shown window: the drafts left by
// editors no longer running are offered, then a passport file named on the command line (as the
// desktop's "Open with" passes it) opens, unless a draft was restored instead.
void openPassportFromArguments(TPasport& window, const QStringList& arguments);

// The three windows in their order of creation: the main window, then the section dialog, then
// the identifier dialog. The dialogs belong to the main window.
struct EditorWindows
{
    explicit EditorWindows(DesktopServices& services);
    ~EditorWindows();

    std::unique_ptr<TPasport> Pasport;
    TSubjects* Subjects = nullptr;
    TForm1* Form1 = nullptr;
};
