#pragma once

#include "core/sections/SectionCatalogue.h"
#include "core/sections/SectionRules.h"

#include <QDialog>
#include <memory>

class QCheckBox;

namespace Ui {
class TSubjects;
}

// The section selection dialog, created hidden at start-up and kept for the whole run: its boxes
// are where the choice lives between openings.
class TSubjects : public QDialog
{
    Q_OBJECT

public:
    explicit TSubjects(QWidget* parent = nullptr);
    ~TSubjects() override;

    // What the document builders read: the language boxes and the "другое" text as they stand.
    Sections::LanguageChoices languageChoices() const;

    // The checked and enabled states of all boxes as they stand.
    Sections::BoxStates boxStates() const;

    // Puts the boxes in the given states and "другое" text, as reopening a passport does; the
    // edit follows "другое" as its handler would leave it.
    void setBoxStates(const Sections::BoxStates& states, const QString& otherText);

    // Click handlers of the boxes.
    void SubjectCheckBoxClick();
    void SubjectLingvoCheckBoxClick();
    void SubjectSubLingvoCheckBoxClick();
    void SubjectLingvoOtherCheckBoxClick();

private:
    QCheckBox* box(int number) const;
    // Runs a handler's rules over the boxes and shows the outcome. Boxes changed here emit no
    // clicked(), so no handler runs again: the rules already give the final state of the chain.
    void applyRules(Sections::ClickHandler handler);

    std::unique_ptr<Ui::TSubjects> m_ui;
};
