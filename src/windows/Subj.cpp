#include "windows/Subj.h"

#include "core/passport/FieldLimits.h"
#include "ui_Subj.h"
#include "windows/FieldColours.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

TSubjects::TSubjects(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::TSubjects>())
{
    m_ui->setupUi(this);
    setObjectName(QStringLiteral("Subjects"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(664, 393);
    // Opens where it was designed, at the desktop's top-left corner, not centred over its owner.
    move(0, 0);

    for (QLabel* label : {m_ui->Label1, m_ui->Label2})
        label->adjustSize();
    setFieldColour(m_ui->subjectLingvoOtherEdit, FieldColour::MenuBar);
    m_ui->subjectLingvoOtherEdit->setMaxLength(FieldLimits::kOtherLanguage);

    for (int number = 1; number <= Sections::kOtherLanguageBox; ++number) {
        QCheckBox* const checkBox = box(number);
        if (!checkBox)
            continue;
        void (TSubjects::*handler)() = nullptr;
        switch (Sections::handlerOf(number)) {
        case Sections::ClickHandler::Subject:
            handler = &TSubjects::SubjectCheckBoxClick;
            break;
        case Sections::ClickHandler::Lingvo:
            handler = &TSubjects::SubjectLingvoCheckBoxClick;
            break;
        case Sections::ClickHandler::SubLingvo:
            handler = &TSubjects::SubjectSubLingvoCheckBoxClick;
            break;
        case Sections::ClickHandler::LingvoOther:
            handler = &TSubjects::SubjectLingvoOtherCheckBoxClick;
            break;
        case Sections::ClickHandler::None:
            break;
        }
        if (handler)
            connect(checkBox, &QCheckBox::clicked, this, handler);
    }
    connect(m_ui->Button1, &QPushButton::clicked, this, &QDialog::accept);
}

TSubjects::~TSubjects() = default;

QCheckBox* TSubjects::box(int number) const
{
    if (!Sections::hasBox(number))
        return nullptr;
    return findChild<QCheckBox*>(QStringLiteral("CheckBox%1").arg(number));
}

Sections::BoxStates TSubjects::boxStates() const
{
    Sections::BoxStates states;
    for (int number = 1; number <= Sections::kOtherLanguageBox; ++number) {
        if (const QCheckBox* checkBox = box(number)) {
            states.checked[number] = checkBox->isChecked();
            states.enabled[number] = checkBox->isEnabled();
        }
    }
    return states;
}

void TSubjects::applyRules(Sections::ClickHandler handler)
{
    const Sections::BoxStates states = Sections::runClickHandler(boxStates(), handler);
    for (int number = 1; number <= Sections::kOtherLanguageBox; ++number) {
        if (QCheckBox* checkBox = box(number)) {
            checkBox->setChecked(states.checked[number]);
            checkBox->setEnabled(states.enabled[number]);
        }
    }
    // "другое" switched on opens its edit; switched off, whichever way, empties and closes it.
    const bool other = states.checked[Sections::kOtherLanguageBox];
    if (other != m_ui->subjectLingvoOtherEdit->isEnabled()) {
        m_ui->subjectLingvoOtherEdit->setEnabled(other);
        setFieldColour(m_ui->subjectLingvoOtherEdit, other ? FieldColour::Window : FieldColour::MenuBar);
    }
    if (!other)
        m_ui->subjectLingvoOtherEdit->clear();
}

void TSubjects::SubjectCheckBoxClick()
{
    applyRules(Sections::ClickHandler::Subject);
}

void TSubjects::SubjectLingvoCheckBoxClick()
{
    applyRules(Sections::ClickHandler::Lingvo);
}

void TSubjects::SubjectSubLingvoCheckBoxClick()
{
    applyRules(Sections::ClickHandler::SubLingvo);
}

void TSubjects::SubjectLingvoOtherCheckBoxClick()
{
    applyRules(Sections::ClickHandler::LingvoOther);
}

Sections::LanguageChoices TSubjects::languageChoices() const
{
    Sections::LanguageChoices choices;
    choices.russian = m_ui->CheckBox25->isChecked();
    choices.english = m_ui->CheckBox26->isChecked();
    choices.german = m_ui->CheckBox27->isChecked();
    choices.other = m_ui->CheckBox28->isChecked();
    choices.otherText = m_ui->subjectLingvoOtherEdit->text();
    return choices;
}
