#include "Form.h"

#include "AppInfo.h"
#include "DesktopServices.h"
#include "ErrorBox.h"
#include "FieldColours.h"
#include "HelpTexts.h"
#include "ui_Form.h"

#include <QEvent>
#include <QScreen>

namespace {

const QSize kClientSize(787, 502);
const QPoint kPictureHintAt(130, 148);

} // namespace

TPasport::TPasport(DesktopServices& services, QWidget* parent)
    : QWidget(parent), m_services(services), ui(std::make_unique<Ui::TPasport>())
{
    ui->setupUi(this);
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

    ui->description->setMaxLength(500);
    ui->manual->setMaxLength(500);
    ui->Notes->setMaxLength(2000);

    ui->Memo5->setPlainText(HelpTexts::picturePanel());
    ui->Memo1->setPlainText(HelpTexts::authorsPanel());
    ui->Memo2->setPlainText(HelpTexts::commentsPanel());
    ui->HelpMemo->setPlainText(HelpTexts::initialWorkPanel());
    // The panels were drawn without scroll bars and with the narrow margins of a plain memo.
    for (QPlainTextEdit* panel : {ui->HelpMemo, ui->Memo5, ui->Memo1, ui->Memo2}) {
        panel->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        panel->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        panel->document()->setDocumentMargin(1);
        // Readable from the keyboard, but Tab moves on instead of staying inside the panel.
        panel->setTabChangesFocus(true);
        QPalette palette = panel->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Button));
        panel->setPalette(palette);
    }

    for (QLineEdit* name : {ui->AuthorsLastname, ui->AuthorsName, ui->AuthorsPatronymic, ui->TeachersLastname,
                            ui->TeachersName, ui->TeachersPatronymic})
        setFieldColour(name, FieldColour::ButtonFace);
    setFieldColour(ui->WorkImgSign, FieldColour::MenuBar);

    connectHelpHandlers();
    connectSectionHandlers();
    connectParticipantHandlers();
    connectPassportHandlers();
    connectPreviewHandlers();
    connectPictureHandlers();
    setInitialState();
}

TPasport::~TPasport() = default;

void TPasport::setDialogs(TSubjects* subjects, TForm1* form1)
{
    m_subjects = subjects;
    m_form1 = form1;
}

void TPasport::setInitialState()
{
    m_record = PassportRecord();
    ui->SectionsTabs->setCurrentIndex(0);
    ui->AuthorAdd->setEnabled(ui->AuthorsListBox->count() < PassportRecord::kMaxAuthors);
    ui->TeacherAdd->setEnabled(ui->TeachersListBox->count() < PassportRecord::kMaxTeachers);
    m_record.SubjectSlots.fill(0);
    ui->WorkImg->drawText(kPictureHintAt, QStringLiteral("300 x 300"));
}

void TPasport::runHandler(Handler handler)
{
    runGuarded(m_services, [this, handler] { (this->*handler)(); });
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
