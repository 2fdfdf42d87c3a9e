#include "Subj.h"

#include <QCheckBox>
#include <QLineEdit>

TSubjects::TSubjects(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Subjects"));
    setWindowTitle(QStringLiteral("Разделы фестиваля, к которым относится работа"));
    setFixedSize(664, 393);
}

Sections::LanguageChoices TSubjects::languageChoices() const
{
    const auto checked = [this](const char* name) {
        const auto* box = findChild<QCheckBox*>(QLatin1String(name));
        return box && box->isChecked();
    };
    Sections::LanguageChoices choices;
    choices.russian = checked("CheckBox25");
    choices.english = checked("CheckBox26");
    choices.german = checked("CheckBox27");
    choices.other = checked("CheckBox28");
    if (const auto* edit = findChild<QLineEdit*>(QStringLiteral("subjectLingvoOtherEdit")))
        choices.otherText = edit->text();
    return choices;
}
