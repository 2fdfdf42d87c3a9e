#pragma once

#include "SectionCatalogue.h"

#include <QDialog>

// The section selection dialog, created hidden at start-up and kept for the whole run.
class TSubjects : public QDialog
{
    Q_OBJECT

public:
    explicit TSubjects(QWidget* parent = nullptr);

    // What the document builders read: the language boxes and the "другое" text as they stand.
    Sections::LanguageChoices languageChoices() const;
};
