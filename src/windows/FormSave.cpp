// The save command of the main window.

#include "core/draft/DraftKeeper.h"
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
#include <QStringList>
#include <algorithm>

namespace {

constexpr int kConfirmAttempts = 10;
constexpr int kConfirmWaitMs = 1000;

// A file name holds at most 255 bytes, and a passport saved over an older one is first written
// under its full name with a suffix of seven: a long title's name is cut to what can be saved.
const qsizetype kMaxProposedNameBytes = 255 - kPassportFileSuffix.size() - 7;

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

// The committee's loader takes "*.qdx.xml" only, and a dialog adds its default suffix only to a
// name without any period: "Версия 2.0" would be saved without it.
QString withPassportSuffix(const QString& path)
{
    if (path.endsWith(kPassportFileSuffix, Qt::CaseInsensitive))
        return path;
    return path + kPassportFileSuffix;
}

QString folderOf(const QString& path)
{
    return QFileInfo(path).absolutePath() + u'/';
}

// A saved passport makes the preview files stale. A temporary folder that cannot be had now is
// no reason to fail a save that has succeeded: its files are simply left. A passport saved into
// that folder under a preview name, and the stylesheet written beside it, are what was just saved.
void removePreviewFiles(DesktopServices& services, const QStringList& justWritten)
{
    QString folder;
    try {
        folder = services.tempFolder();
    } catch (const Failure&) {
        return;
    }
    for (const QString& name : {kPreviewPictureName, kPreviewDocumentName, kPreviewStylesheetName, kPreviewPageName}) {
        const QString path = folder + name;
        if (!services.fileExists(path))
            continue;
        const bool written = std::any_of(justWritten.begin(), justWritten.end(),
                                         [&](const QString& kept) { return services.sameFile(path, kept); });
        if (!written)
            services.deleteFile(path);
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

    SaveDialogRequest request = saveDialogRequest(m_ui->title->text());
    request.folder = m_passportFolder;
    const QString chosen = m_services.saveFile(request);
    if (chosen.isEmpty())
        return;
    // The stylesheet goes beside the passport under its fixed name, and would replace a passport
    // given that name at once (on a stick's file system in any letter case).
    if (QFileInfo(chosen).fileName().compare(kPreviewStylesheetName, Qt::CaseInsensitive) == 0)
        throw Failure(QStringLiteral("Имя «%1» занято файлом шаблона, который записывается рядом с паспортом. "
                                     "Паспорт работы не сохранен")
                          .arg(kPreviewStylesheetName));
    // Whatever the dialog asked was about the name without the suffix.
    const QString path = withPassportSuffix(chosen);
    if (path != chosen && m_services.fileExists(path) &&
        m_services.messageBox(
            QStringLiteral("Файл «%1» уже существует.\nЗаменить его?").arg(QFileInfo(path).fileName()),
            QStringLiteral("Сохранение файла паспорта работы"), DesktopServices::Icon::Warning,
            DesktopServices::Buttons::YesNo) != DesktopServices::Answer::Yes)
        return;

    // Built from the controls as they stand now, after the dialog.
    const PassportSnapshot saved = passportSnapshot();
    WorkInfoXML = BuildPassportDocument(saved, PassportDocumentKind::Saved, m_services.now());
    m_services.writeChosenFile(path, serializePassportDocument(WorkInfoXML));
    m_draft->setSourceFile(QFileInfo(path).absoluteFilePath());
    m_draft->settled();
    m_passportFolder = QFileInfo(path).absolutePath();
    rememberPeople(saved, PassportSource::Saved);
    WritePreviewStylesheet(m_services, folderOf(path));

    for (int attempt = 0; attempt < kConfirmAttempts; ++attempt) {
        m_services.wait(kConfirmWaitMs);
        if (!m_services.fileExists(path))
            continue;
        m_services.messageBox(QStringLiteral("Электронный паспорт работы успешно сохранен как: ") + path,
                              QStringLiteral("Паспорт сохранен"), DesktopServices::Icon::Information,
                              DesktopServices::Buttons::Ok);
        removePreviewFiles(m_services, {path, folderOf(path) + kPreviewStylesheetName});
        return;
    }
    m_services.messageBox(QStringLiteral("Ошибка записи файла на диск.\nПаспорт работы не сохранен."),
                          QStringLiteral("Ошибка записи"), DesktopServices::Icon::Error, DesktopServices::Buttons::Ok);
}
