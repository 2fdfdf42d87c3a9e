#include "windows/Form.h"

#include "core/draft/DraftKeeper.h"
#include "core/passport/FieldLimits.h"
#include "core/shell/AppInfo.h"
#include "core/shell/DesktopServices.h"
#include "core/shell/HelpTexts.h"
#include "ui_Form.h"
#include "windows/ErrorBox.h"
#include "windows/FieldColours.h"
#include "windows/SpellChecking.h"

#include <QEvent>
#include <QScreen>

namespace {

const QSize kClientSize(787, 502);
const QPoint kPictureHintAt(130, 148);

} // namespace

TPasport::TPasport(DesktopServices& services, QWidget* parent)
    : QWidget(parent), m_services(services), m_ui(std::make_unique<Ui::TPasport>())
{
    m_ui->setupUi(this);
    setObjectName(QStringLiteral("Pasport"));
    setWindowTitle(kMainWindowCaption);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(kClientSize);

    // Captions size themselves to their text, as the layout was drawn; the section labels keep
    // their width for the titles that come later.
    for (QLabel* label : findChildren<QLabel*>()) {
        if (!label->objectName().startsWith(QLatin1String("subj")))
            label->adjustSize();
    }

    // The reader of a passport file refuses what these limits would not let through.
    for (std::size_t i = 0; i < kPassportTextFields.size(); ++i) {
        m_textFields[i] = TextFieldControl(*this, kPassportTextFields[i]);
        m_textFields[i].applyLimit();
    }
    for (QLineEdit* name : {m_ui->AuthorsLastname, m_ui->AuthorsName, m_ui->AuthorsPatronymic, m_ui->TeachersLastname,
                            m_ui->TeachersName, m_ui->TeachersPatronymic})
        name->setMaxLength(FieldLimits::kParticipantName);

    m_ui->Memo5->setPlainText(HelpTexts::picturePanel());
    m_ui->Memo1->setPlainText(HelpTexts::authorsPanel());
    m_ui->Memo2->setPlainText(HelpTexts::commentsPanel());
    m_ui->HelpMemo->setPlainText(HelpTexts::initialWorkPanel());
    // The panels were drawn without scroll bars and with the narrow margins of a plain memo.
    for (QPlainTextEdit* panel : {m_ui->HelpMemo, m_ui->Memo5, m_ui->Memo1, m_ui->Memo2}) {
        panel->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        panel->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        panel->document()->setDocumentMargin(1);
        // Readable from the keyboard, but Tab moves on instead of staying inside the panel.
        panel->setTabChangesFocus(true);
        QPalette palette = panel->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Button));
        panel->setPalette(palette);
    }

    for (QLineEdit* name : {m_ui->AuthorsLastname, m_ui->AuthorsName, m_ui->AuthorsPatronymic, m_ui->TeachersLastname,
                            m_ui->TeachersName, m_ui->TeachersPatronymic})
        setFieldColour(name, FieldColour::ButtonFace);
    setFieldColour(m_ui->WorkImgSign, FieldColour::MenuBar);

    connectHelpHandlers();
    connectSectionHandlers();
    connectParticipantHandlers();
    connectPassportHandlers();
    connectPreviewHandlers();
    connectPictureHandlers();
    connectOpenHandlers();
    setInitialState();
    m_spelling = std::make_unique<SpellChecking>(*this);
    m_draft = std::make_unique<DraftKeeper>(m_services, [this] { return passportSnapshot(); });
    connectDraftHandlers();
    m_draft->settled();
}

TPasport::~TPasport()
{
    // The order of taking the window apart, said once: hidden first, while every part is alive, so
    // that the focus leaving its field (which checks the word there and reports a change) reaches
    // nothing gone; then the members in reverse order, the spelling's underlines before the draft
    // keeper (see m_spelling); the controls last, with QWidget, when nothing listens to them.
    hide();
}

void TPasport::setDialogs(TSubjects* subjects, TForm1* form1)
{
    m_subjects = subjects;
    m_form1 = form1;
}

void TPasport::setInitialState()
{
    m_record = PassportRecord();
    m_ui->SectionsTabs->setCurrentIndex(0);
    m_ui->AuthorAdd->setEnabled(m_ui->AuthorsListBox->count() < PassportRecord::kMaxAuthors);
    m_ui->TeacherAdd->setEnabled(m_ui->TeachersListBox->count() < PassportRecord::kMaxTeachers);
    m_record.SubjectSlots.fill(0);
    m_ui->WorkImg->drawText(kPictureHintAt, QStringLiteral("300 x 300"));
}

void TPasport::runHandler(Handler handler)
{
    runGuarded(m_services, [this, handler] { (this->*handler)(); });
    // Whatever a handler changed, or left half changed by a failure, the draft follows.
    m_draft->changed();
}

void TPasport::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_placed)
        return;
    m_placed = true;
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}
