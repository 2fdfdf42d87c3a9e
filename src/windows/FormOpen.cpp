// Reopening a saved passport: Ctrl+O, a dropped file, a file named on the command line.

#include "core/draft/DraftKeeper.h"
#include "core/passport/PassportDocument.h"
#include "core/passport/PassportReader.h"
#include "core/sections/SectionRules.h"
#include "core/shell/AppInfo.h"
#include "core/shell/DesktopServices.h"
#include "core/shell/Failure.h"
#include "core/shell/HelpTexts.h"
#include "ui_Form.h"
#include "windows/ErrorBox.h"
#include "windows/Form.h"
#include "windows/PictureImage.h"
#include "windows/Subj.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace {

const QString kOpenDialogTitle = QStringLiteral("Открытие файла паспорта работы");
const QString kOpenDialogFilter = QStringLiteral("Паспорт работы Фестиваля «Lumarinda» (*.qdx.xml)");
const QString kReplaceQuestion = QStringLiteral("Открыть паспорт работы из файла? Введенные данные будут заменены.");

// The one local passport file that a drag carries, or empty.
QString droppedPassport(const QMimeData* mime)
{
    if (!mime || !mime->hasUrls() || mime->urls().size() != 1)
        return {};
    const QUrl url = mime->urls().constFirst();
    if (!url.isLocalFile() || !url.fileName().endsWith(kPassportFileSuffix, Qt::CaseInsensitive))
        return {};
    return url.toLocalFile();
}

// Takes a passport file dropped anywhere on the window, also over an edit that would otherwise
// paste the file's path as text.
class PassportDrop : public QObject
{
public:
    explicit PassportDrop(TPasport& window) : QObject(&window), m_window(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
            return QObject::eventFilter(watched, event);
        auto* drop = static_cast<QDropEvent*>(event);
        const QString path = droppedPassport(drop->mimeData());
        if (path.isEmpty())
            return QObject::eventFilter(watched, event);
        drop->acceptProposedAction();
        // The question and the error box are modal: they wait until the drag has ended.
        if (type == QEvent::Drop)
            QMetaObject::invokeMethod(
                &m_window, [window = &m_window, path] { window->openPassport(path); }, Qt::QueuedConnection);
        return true;
    }

private:
    TPasport& m_window;
};

} // namespace

void TPasport::connectOpenHandlers()
{
    // Ctrl+O is the open command's shortcut in the passport menu (FormNew.cpp).
    setAcceptDrops(true);
    auto* drop = new PassportDrop(*this);
    installEventFilter(drop);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(drop);
}

void TPasport::openPassportClick()
{
    if (!mayReplaceInput())
        return;
    const QString path = m_services.openPassportFile(kOpenDialogTitle, kOpenDialogFilter);
    if (!path.isEmpty())
        readAndLoad(path);
}

void TPasport::openPassport(const QString& path)
{
    runGuarded(m_services, [this, &path] {
        if (mayReplaceInput())
            readAndLoad(path);
    });
}

bool TPasport::mayReplaceInput()
{
    return !holdsInput() || m_services.messageBox(kReplaceQuestion, kApplicationTitle, DesktopServices::Icon::Question,
                                                  DesktopServices::Buttons::YesNo) == DesktopServices::Answer::Yes;
}

void TPasport::readAndLoad(const QString& path)
{
    ReadPassport read;
    try {
        read = readPassportFile(path);
    } catch (const Failure& failure) {
        // A passport whose only faults are its picture, a section or a participant: the rest of it
        // can still be saved, under a new name, as a sound passport.
        QStringList leftOut;
        try {
            read = readPassportFile(path, &leftOut);
        } catch (const Failure&) {
            throw failure;
        }
        if (!mayOpenWithout(failure.message(), leftOut))
            return;
        resetToStartState();
        m_draft->settled();
        loadPassport(read);
        m_passportFolder = QFileInfo(path).absolutePath();
        m_draft->setSourceFile(QFileInfo(path).absoluteFilePath());
        rememberPeople(read.passport, PassportSource::Opened);
        return;
    }
    loadPassport(read);
    m_draft->setSourceFile(QFileInfo(path).absoluteFilePath());
    m_draft->settled();
    m_passportFolder = QFileInfo(path).absolutePath();
    rememberPeople(read.passport, PassportSource::Opened);
}

bool TPasport::mayOpenWithout(const QString& refusal, const QStringList& leftOut)
{
    QString text = refusal + QStringLiteral(".\n\nОткрыть то, что удалось прочитать? Не будет открыто:\n");
    for (const QString& line : leftOut)
        text += QStringLiteral(" - %1\n").arg(line);
    text += QStringLiteral("\nФайл останется как есть; паспорт можно будет сохранить в другой файл.");
    return m_services.messageBox(text, kApplicationTitle, DesktopServices::Icon::Question,
                                 DesktopServices::Buttons::YesNo) == DesktopServices::Answer::Yes;
}

bool TPasport::holdsInput() const
{
    for (const TextFieldControl& control : m_textFields) {
        if (!control.text().isEmpty())
            return true;
    }
    for (const QLineEdit* edit : {m_ui->WorkImgSign, m_ui->AuthorsLastname, m_ui->AuthorsName, m_ui->AuthorsPatronymic,
                                  m_ui->TeachersLastname, m_ui->TeachersName, m_ui->TeachersPatronymic}) {
        if (!edit->text().isEmpty())
            return true;
    }
    const Sections::LanguageChoices noLanguages;
    return m_ui->AuthorsListBox->count() > 0 || m_ui->TeachersListBox->count() > 0 || !m_ui->AddImg->isEnabled() ||
           m_record.SubjectSlots != PassportRecord().SubjectSlots ||
           (m_subjects &&
            (m_subjects->boxStates() != Sections::initialBoxStates() || m_subjects->languageChoices() != noLanguages));
}

// The reader has judged the passport and decoded its picture: nothing here can fail.
void TPasport::loadPassport(const ReadPassport& read)
{
    const PassportSnapshot& passport = read.passport;
    resetToStartState();
    for (const TextFieldControl& control : m_textFields)
        control.setText(passport.*control.field().text);

    m_record.SubjectSlots = passport.subjectSlots;
    showSectionTitles();
    m_subjects->setBoxStates(Sections::boxStatesFor(passport.subjectSlots, passport.languages).value(),
                             passport.languages.otherText);

    loadParticipants(Group::Authors, passport.authors, -1);
    loadParticipants(Group::Teachers, passport.teachers, passport.leaderIndex);

    if (passport.hasPicture)
        showLoadedPicture(toImage(read.picture), passport.pictureBase64, passport.pictureCaption);
}

// Nothing of the passport before survives: the controls, the record and the section dialog as a
// new run starts them.
void TPasport::resetToStartState()
{
    for (const TextFieldControl& control : m_textFields)
        control.setText(QString());
    loadParticipants(Group::Authors, {}, -1);
    loadParticipants(Group::Teachers, {}, -1);
    m_subjects->setBoxStates(Sections::initialBoxStates(), QString());
    clearPicturePage();
    m_ui->HelpMemo->setPlainText(HelpTexts::initialWorkPanel());
    setInitialState();
    showSectionTitles();
}
