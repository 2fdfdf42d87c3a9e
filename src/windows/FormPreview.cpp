// The preview command of the main window.

#include "core/passport/PassportDocument.h"
#include "core/preview/PreviewPage.h"
#include "core/preview/Preview_xslt.h"
#include "core/shell/DesktopServices.h"
#include "core/shell/Failure.h"
#include "core/shell/TempFolder.h"
#include "ui_Form.h"
#include "windows/ErrorBox.h"
#include "windows/Form.h"

#include <exception>

void TPasport::connectPreviewHandlers()
{
    connect(m_ui->Preview, &QPushButton::clicked, this, [this] { runHandler(&TPasport::PreviewClick); });
}

void TPasport::PreviewClick()
{
    try {
        const QString folder = m_services.tempFolder();
        WorkInfoXML = BuildPassportDocument(passportSnapshot(), PassportDocumentKind::Preview, m_services.now());
        const QByteArray document = serializePassportDocument(WorkInfoXML);
        m_services.writeFile(folder + kPreviewDocumentName, document);
        WritePreviewStylesheet(m_services, folder);
        // Browsers no longer apply a local stylesheet reliably, so the page is rendered here from
        // the very bytes just written, and the desktop opens the page.
        m_services.writeFile(folder + kPreviewPageName, renderPreviewPage(document, previewStylesheetBytes()));
        m_services.openDocument(folder, kPreviewPageName);
    } catch (const Failure& failure) {
        if (!failure.isSilent())
            showStandardError(m_services, failure.message());
    } catch (...) {
        m_services.plainMessage(QStringLiteral("Ошибка предпросмотра"));
    }
}
