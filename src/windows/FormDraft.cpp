// The draft of the passport that is in no file yet: every change restarts its timer; at start-up
// the drafts other runs left are offered; closing with input that no file and no draft holds asks
// first.

#include "core/draft/DraftKeeper.h"
#include "core/draft/DraftOffer.h"
#include "core/shell/AppInfo.h"
#include "core/shell/DesktopServices.h"
#include "ui_Form.h"
#include "windows/ErrorBox.h"
#include "windows/Form.h"

#include <QCloseEvent>
#include <QFileInfo>

namespace {

const QStringList kCloseButtons = {QStringLiteral("Сохранить"), QStringLiteral("Закрыть без сохранения"),
                                   QStringLiteral("Отмена")};
constexpr int kCloseSave = 0;
constexpr int kCloseDiscard = 1;
constexpr int kCloseCancel = 2;

} // namespace

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
        restored = askAboutLeftDrafts(m_services, *m_draft, startFile,
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

PassportSnapshot TPasport::draftSnapshot() const
{
    PassportSnapshot passport = passportSnapshot();
    // What is ticked in an open section dialog is not the passport yet.
    if (m_languagesBeforeDialog)
        passport.languages = *m_languagesBeforeDialog;
    return passport;
}

void TPasport::closeEvent(QCloseEvent* event)
{
    // Whatever the draft cannot take is said here, where the user can still act on it.
    m_draft->keepNow(DraftKeeper::Report::Never);
    if (!m_draft->kept() && !mayCloseUnkept()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

bool TPasport::mayCloseUnkept()
{
    QString text = m_draft->failure();
    if (!text.isEmpty())
        text += u'\n';
    text += QStringLiteral("Введенные данные не сохранены ни в файле, ни в черновике и при закрытии окна будут "
                           "потеряны.\n\nСохранить паспорт в файл?");
    const int answer = m_services.choiceBox(text, kApplicationTitle, kCloseButtons, kCloseCancel);
    if (answer == kCloseDiscard)
        return true;
    if (answer != kCloseSave)
        return false;
    runGuarded(m_services, [this] { SaveButtonClick(); });
    // Closed only once saved: an incomplete passport or a cancelled dialog keeps the window.
    return m_draft->kept();
}
