#include "core/draft/DraftStore.h"
#include "core/people/PeopleMemory.h"
#include "core/shell/TempFolder.h"
#include "windows/QtDesktopServices.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>

QString QtDesktopServices::tempFolder()
{
    return privateTempFolder();
}

QString QtDesktopServices::draftFolder()
{
    return privateDraftFolder();
}

QString QtDesktopServices::dataFolder()
{
    return preparePeopleFolder(peopleFolderPath());
}

void QtDesktopServices::openDocument(const QString& folder, const QString& fileName)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QDir(folder).filePath(fileName)));
}
