#include "windows/Add.h"

#include "core/participants/ParticipantId.h"
#include "ui_Add.h"

#include <QFocusEvent>
#include <QKeyEvent>

TForm1::TForm1(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::TForm1>())
{
    m_ui->setupUi(this);
    setObjectName(QStringLiteral("Form1"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(249, 84);

    // Typed characters arrive as key events only: an input method would hand over composed text
    // past the filter.
    m_ui->AddID->setAttribute(Qt::WA_InputMethodEnabled, false);
    m_ui->AddID->installEventFilter(this);
    connect(m_ui->AddID, &QLineEdit::textChanged, this, &TForm1::AddIDChange);
    connect(m_ui->Button1, &QPushButton::clicked, this, &QDialog::accept);
}

TForm1::~TForm1() = default;

QString TForm1::identifier() const
{
    return m_ui->AddID->text();
}

void TForm1::setIdentifier(const QString& text)
{
    m_ui->AddID->setText(text);
    // Qt reports no change when the text was already empty; the button rule holds either way.
    AddIDChange();
}

QChar TForm1::AddIDKeyPress(QChar key)
{
    const bool passes = (key >= u'0' && key <= u'9') || key == u'\b' || key == u'.' || key == u'-' || key == u' ';
    return passes ? key : QChar(u'\0');
}

void TForm1::AddIDChange()
{
    const QString text = m_ui->AddID->text();
    m_ui->Button1->setEnabled(!text.isEmpty() && isAdmissibleParticipantId(NormalizeParticipantId(text)));
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    // No select-all on entry: Qt selects the whole text when the field is entered by Tab, Shift+Tab
    // or a shortcut, and the next key would replace it. The field takes such an entry as a plain
    // one, and the cursor goes to the end of the text, where typing goes on.
    if (watched == m_ui->AddID && event->type() == QEvent::FocusIn) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason) {
            QFocusEvent plain(QEvent::FocusIn, Qt::OtherFocusReason);
            QCoreApplication::sendEvent(m_ui->AddID, &plain);
            m_ui->AddID->deselect();
            m_ui->AddID->end(false);
            return true;
        }
    }
    // A key that brings a character the field would insert is a typed character; control codes
    // and Ctrl shortcuts (paste among them) are editing commands and go their usual way.
    if (watched == m_ui->AddID && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        const bool shortcut =
            modifiers == Qt::ControlModifier || modifiers == (Qt::ControlModifier | Qt::ShiftModifier);
        if (!shortcut && !text.isEmpty() && text.at(0).category() != QChar::Other_Control) {
            for (QChar typed : text) {
                if (AddIDKeyPress(typed).isNull())
                    return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TForm1::keyPressEvent(QKeyEvent* event)
{
    // Enter and Esc both press the one button, and only while it can be pressed.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        if (m_ui->Button1->isEnabled())
            m_ui->Button1->click();
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}
