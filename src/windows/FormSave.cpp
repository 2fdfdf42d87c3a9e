// The save command of the main window.

#include "core/passport/Completeness.h"
#include "core/passport/PassportDocument.h"
#include "core/preview/PreviewPage.h"
#include "core/preview/Preview_xslt.h"
#include "core/shell/DesktopServices.h"
#include "core/shell/Failure.h"
#include "core/shell/TempFolder.h"
#include "ui_Form.h"
#include "windows/Form.h"

#include <QFile>
#include <QFileInfo>

namespace {

constexpr int kConfirmAttempts = 10;
constexpr int kConfirmWaitMs = 1000;

// A file name holds at most 255 bytes, and a passport saved over an older one is first written
// under its full name with a suffix of seven: a long title's name is cut to what can be saved.
constexpr qsizetype kMaxProposedNameBytes = 255 - qsizetype(sizeof ".qdx.xml" - 1) - 7;

// The proposal as a file can bear it. A pasted title can hold line breaks and other control
// characters, which USB sticks refuse in names and which nobody wants in one: each becomes "-",
// as the other characters a name cannot hold do. A name that starts with a period would hide the
// file from the user's view: leading periods and the blanks after them go.
QString savableFileName(QString name)
{
    for (QChar& c : name) {
        if (c.unicode() < 0x20)
            c = u'-';
    }
    qsizetype hidden = 0;
    while (hidden < name.size() && name.at(hidden) == u'.') {
        ++hidden;
        while (hidden < name.size() && name.at(hidden) == u' ')
            ++hidden;
    }
    name.remove(0, hidden);
    while (QFile::encodeName(name).size() > kMaxProposedNameBytes)
        name.chop(1);
    return name;
}

SaveDialogRequest saveDialogRequest(const QString& title)
{
    SaveDialogRequest request;
    request.title = QStringLiteral("Сохранение файла паспорта работы");
    request.filterDescription = QStringLiteral("Паспорт работы Фестиваля «Lumarinda»");
    request.filterPattern = QStringLiteral("*.qdx.xml");
    request.defaultSuffix = QStringLiteral("qdx.xml");
    request.proposedName = savableFileName(ProposePassportFileName(title));
    return request;
}

QString folderOf(const QString& path)
{
    return QFileInfo(path).absolutePath() + u'/';
}

// A saved passport makes the preview files stale. A temporary folder that cannot be had now is
// no reason to fail a save that has succeeded: its files are simply left.
void removePreviewFiles(DesktopServices& services)
{
    QString folder;
    try {
        folder = services.tempFolder();
    } catch (const Failure&) {
        return;
    }
    for (const QString& name : {kPreviewPictureName, kPreviewDocumentName, kPreviewStylesheetName, kPreviewPageName}) {
        if (services.fileExists(folder + name))
            services.deleteFile(folder + name);
    }
}

} // namespace

void TPasport::connectPassportHandlers()
{
    connect(m_ui->SaveButton, &QPushButton::clicked, this, [this] { runHandler(&TPasport::SaveButtonClick); });
}

void TPasport::SaveButtonClick()
{
    const QString missing = CheckCompleteness(passportSnapshot());
    if (!missing.isEmpty()) {
        m_services.messageBox(incompletePassportMessage(missing), kIncompletePassportCaption,
                              DesktopServices::Icon::Warning, DesktopServices::Buttons::Ok);
        return;
    }

    const QString path = m_services.saveFile(saveDialogRequest(m_ui->title->text()));
    if (path.isEmpty())
        return;
    // The stylesheet goes beside the passport under its fixed name, and would replace a passport
    // given that name at once (on a stick's file system in any letter case).
    if (QFileInfo(path).fileName().compare(kPreviewStylesheetName, Qt::CaseInsensitive) == 0)
        throw Failure(QStringLiteral("Имя «%1» занято файлом шаблона, который записывается рядом с паспортом. "
                                     "Паспорт работы не сохранен")
                          .arg(kPreviewStylesheetName));

    // Built from the controls as they stand now, after the dialog.
    WorkInfoXML = BuildPassportDocument(passportSnapshot(), PassportDocumentKind::Saved, m_services.now());
    m_services.writeFile(path, serializePassportDocument(WorkInfoXML));
    WritePreviewStylesheet(m_services, folderOf(path));

    for (int attempt = 0; attempt < kConfirmAttempts; ++attempt) {
        m_services.wait(kConfirmWaitMs);
        if (!m_services.fileExists(path))
            continue;
        m_services.messageBox(QStringLiteral("Электронный паспорт работы успешно сохранен как: ") + path,
                              QStringLiteral("Паспорт сохранен"), DesktopServices::Icon::Information,
                              DesktopServices::Buttons::Ok);
        removePreviewFiles(m_services);
        return;
    }
    m_services.messageBox(QStringLiteral("Ошибка записи файла на диск.\nПаспорт работы не сохранен."),
                          QStringLiteral("Ошибка записи"), DesktopServices::Icon::Error, DesktopServices::Buttons::Ok);
}
