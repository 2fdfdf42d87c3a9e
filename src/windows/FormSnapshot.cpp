// The passport as the main window holds it, which both the save and the preview build from.

#include "ui_Form.h"
#include "windows/Form.h"
#include "windows/Subj.h"

#include <algorithm>

PassportSnapshot TPasport::passportSnapshot() const
{
    PassportSnapshot passport;
    for (const TextFieldControl& control : m_textFields)
        passport.*control.field().text = control.text();
    const int authors = std::min(m_ui->AuthorsListBox->count(), PassportRecord::kMaxAuthors);
    for (int i = 0; i < authors; ++i)
        passport.authors.append(m_record.Authors[i]);
    const int teachers = std::min(m_ui->TeachersListBox->count(), PassportRecord::kMaxTeachers);
    for (int i = 0; i < teachers; ++i)
        passport.teachers.append(m_record.Teachers[i]);
    passport.leaderIndex = m_ui->LeaderID->currentIndex();

    passport.subjectSlots = m_record.SubjectSlots;
    passport.seasonId = m_record.SeasonId;
    if (m_subjects)
        passport.languages = m_subjects->languageChoices();

    passport.hasPicture = !m_ui->AddImg->isEnabled();
    passport.pictureBase64 = m_ui->ImgBase64->text();
    passport.pictureWidth = m_ui->WorkImg->bitmap().width();
    passport.pictureHeight = m_ui->WorkImg->bitmap().height();
    passport.pictureCaption = m_ui->WorkImgSign->text();
    return passport;
}
