// The draft of the passport that is in no file yet: every change restarts its timer; at start-up
// the drafts other runs left are offered.

#include "core/draft/DraftKeeper.h"
#include "core/draft/DraftOffer.h"
#include "ui_Form.h"
#include "windows/ErrorBox.h"
#include "windows/Form.h"

#include <QCloseEvent>
#include <QFileInfo>

void TPasport::connectDraftHandlers()
{
    const auto changed = [this] { m_draft->changed(); };
    for (const TextFieldControl& control : m_textFields)
        control.onTextChanged(this, changed);
    // Names, lists, sections and the picture change through handlers, which report it themselves.
    connect(m_ui->WorkImgSign, &QLineEdit::textChanged, this, changed);
    connect(m_ui->LeaderID, &QComboBox::currentIndexChanged, this, changed);
}

bool TPasport::offerLeftDrafts(const QString& startFile)
{
    bool restored = false;
    runGuarded(m_services, [&] {
        // A draft fills the editor as opening its file would.
        restored = ::offerLeftDrafts(m_services, *m_draft, startFile,
                                     [this](const ReadPassport& draft, const QString& source) {
                                         loadPassport(draft);
                                         m_draft->setSourceFile(source);
                                         if (!source.isEmpty())
                                             m_passportFolder = QFileInfo(source).absolutePath();
                                         rememberPeople(draft.passport, PassportSource::Opened);
                                     });
    });
    return restored;
}

void TPasport::closeEvent(QCloseEvent* event)
{
    m_draft->keepNow();
    QWidget::closeEvent(event);
}
