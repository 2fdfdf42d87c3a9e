// The work page's help panel follows the user from field to field.

#include "core/shell/HelpTexts.h"
#include "ui_Form.h"
#include "windows/Form.h"

#include <QEvent>

void TPasport::connectHelpHandlers()
{
    const std::pair<QWidget*, Handler> fields[] = {
        {m_ui->title, &TPasport::titleClick},
        {m_ui->description, &TPasport::descriptionClick},
        {m_ui->tech_request, &TPasport::tech_requestClick},
        {m_ui->manual, &TPasport::manualClick},
        {m_ui->public_post_index, &TPasport::public_post_indexClick},
        {m_ui->public_post_address, &TPasport::public_post_indexClick},
        {m_ui->public_phone, &TPasport::public_post_indexClick},
        {m_ui->public_email, &TPasport::public_post_indexClick},
    };
    for (const auto& [field, handler] : fields) {
        m_helpHandlers[field] = handler;
        field->installEventFilter(this);
        // A memo receives its mouse clicks on the viewport.
        if (auto* memo = qobject_cast<QAbstractScrollArea*>(field)) {
            m_helpHandlers[memo->viewport()] = handler;
            memo->viewport()->installEventFilter(this);
        }
    }
}

bool TPasport::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::MouseButtonPress) {
        const auto found = m_helpHandlers.find(watched);
        if (found != m_helpHandlers.end())
            runHandler(found->second);
    }
    return QWidget::eventFilter(watched, event);
}

void TPasport::titleClick()
{
    m_ui->HelpMemo->setPlainText(HelpTexts::titleText());
}

void TPasport::descriptionClick()
{
    m_ui->HelpMemo->setPlainText(HelpTexts::descriptionText());
}

void TPasport::tech_requestClick()
{
    m_ui->HelpMemo->setPlainText(HelpTexts::techRequestText());
}

void TPasport::manualClick()
{
    m_ui->HelpMemo->setPlainText(HelpTexts::manualText());
}

void TPasport::public_post_indexClick()
{
    m_ui->HelpMemo->setPlainText(HelpTexts::contactsText());
}
