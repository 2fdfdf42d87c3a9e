// The sections of the work: the main window's side of the section dialog.

#include "core/sections/SectionRules.h"
#include "core/shell/DesktopServices.h"
#include "core/shell/Windows1251.h"
#include "ui_Form.h"
#include "windows/Form.h"
#include "windows/Subj.h"

void TPasport::connectSectionHandlers()
{
    connect(m_ui->Button3, &QPushButton::clicked, this, [this] { runHandler(&TPasport::Button3Click); });
}

void TPasport::Button3Click()
{
    m_languagesBeforeDialog = m_subjects->languageChoices();
    bool accepted = false;
    try {
        accepted = m_services.showModal(*m_subjects);
    } catch (...) {
        m_languagesBeforeDialog.reset();
        throw;
    }
    m_languagesBeforeDialog.reset();
    if (!accepted)
        return;

    m_record.SubjectSlots = Sections::packSlots(m_subjects->boxStates());
    showSectionTitles();
}

void TPasport::showSectionTitles()
{
    const std::array<QLabel*, PassportRecord::kSlotCount> labels = {m_ui->subj1, m_ui->subj2, m_ui->subj3, m_ui->subj4,
                                                                    m_ui->subj5};
    m_ui->subj1->setText(QStringLiteral("[ Раздел не задан ]"));
    for (std::size_t i = 1; i < labels.size(); ++i)
        labels[i]->clear();
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const std::int32_t id = m_record.SubjectSlots[i];
        if (id != 0)
            labels[i]->setText(fromCp1251(m_record.SubjectTitles[static_cast<std::size_t>(id)]));
    }
}
