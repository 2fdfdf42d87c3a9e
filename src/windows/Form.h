#pragma once

#include "core/passport/PassportDocument.h"
#include "core/passport/PassportReader.h"
#include "core/passport/PassportRecord.h"
#include "core/passport/PassportSnapshot.h"
#include "core/passport/TextFields.h"
#include "windows/TextFieldControl.h"

#include <QWidget>
#include <array>
#include <map>
#include <memory>

class DesktopServices;
class DraftKeeper;
class SpellChecking;
class TForm1;
class TSubjects;

namespace Ui {
class TPasport;
}

// The main window: the editor of one passport. Its parts lie side by side, one file each: Form.cpp
// holds the layout and the initial state, FormHelp.cpp the help panel, and one part per command.
class TPasport : public QWidget
{
    Q_OBJECT

public:
    explicit TPasport(DesktopServices& services, QWidget* parent = nullptr);
    ~TPasport() override;

    // The two dialogs are created after the main window and shown by its handlers.
    void setDialogs(TSubjects* subjects, TForm1* form1);

    const PassportRecord& record() const { return m_record; }

    // Field help panel of the work page.
    void titleClick();
    void descriptionClick();
    void tech_requestClick();
    void manualClick();
    void public_post_indexClick();

    // Sections of the work.
    void Button3Click();

    // Authors and supervisors.
    void AuthorAddClick();
    void TeacherAddClick();
    void AuthorSelectClick();
    void TeacherSelectClick();
    void AuthorsLastnameChange();
    void AuthorsNameChange();
    void AuthorsPatronymicChange();
    void TeachersLastnameChange();
    void TeachersNameChange();
    void TeachersPatronymicChange();
    void AuthorDeleteClick();
    void TeacherDeleteClick();

    // Passport file (FormSave.cpp) and preview (FormPreview.cpp).
    void SaveButtonClick();
    void PreviewClick();
    // The passport as the controls, the record and the section dialog hold it now.
    PassportSnapshot passportSnapshot() const;
    // The document the last save or preview built.
    const PassportDocument& workInfoXml() const { return WorkInfoXML; }
    // Work picture (FormPicture.cpp).
    void AddImgClick();
    void DelImgClick();

    // Reopening a saved passport (FormOpen.cpp). Ctrl+O: asks before replacing input, then
    // shows the open dialog. A dropped file and one given on the command line go to
    // openPassport(), which asks the same.
    void openPassportClick();
    void openPassport(const QString& path);
    // Replaces the whole passport with one the reader has accepted, everything where the editing
    // handlers would have put it, the picture as the reader decoded it.
    void loadPassport(const ReadPassport& read);
    // The editor holds something that differs from its start state.
    bool holdsInput() const;

    // The draft of the passport that is in no file yet (FormDraft.cpp).
    DraftKeeper& draft() { return *m_draft; }
    // At start-up: offers the drafts that editors no longer running have left. `startFile` is the
    // passport file the editor was started with, or empty. True when a draft was restored.
    bool offerLeftDrafts(const QString& startFile);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    using Handler = void (TPasport::*)();

    void setInitialState();
    void connectHelpHandlers();
    void connectPassportHandlers();
    void connectPreviewHandlers();
    void connectPictureHandlers();
    void runHandler(Handler handler);
    void connectDraftHandlers();

    // Sections of the work.
    void connectSectionHandlers();
    void showSectionTitles();

    // Reopening a passport.
    void connectOpenHandlers();
    bool mayReplaceInput();
    void readAndLoad(const QString& path);
    void resetToStartState();
    void showLoadedPicture(const QImage& bitmap, const QString& base64, const QString& caption);
    void clearPicturePage();

    // Authors and supervisors: each pair of twin handlers shares one implementation.
    enum class Group
    {
        Authors,
        Teachers,
    };
    struct GroupControls;
    GroupControls controlsOf(Group group);
    void connectParticipantHandlers();
    void addParticipant(Group group);
    void selectParticipant(Group group);
    void storeName(Group group, int field);
    void deleteParticipant(Group group);
    void loadParticipants(Group group, const QList<ParticipantEntry>& entries, int recipient);

    DesktopServices& m_services;
    std::unique_ptr<Ui::TPasport> m_ui;
    std::array<TextFieldControl, kPassportTextFields.size()> m_textFields;
    PassportRecord m_record;
    PassportDocument WorkInfoXML;
    TSubjects* m_subjects = nullptr;
    TForm1* m_form1 = nullptr;
    std::map<const QObject*, Handler> m_helpHandlers;
    std::unique_ptr<DraftKeeper> m_draft;
    // Declared after the draft keeper, so it goes first: taking the underlines off may report a
    // change of a memo's text, which the keeper hears.
    std::unique_ptr<SpellChecking> m_spelling;
    bool m_placed = false;
};
