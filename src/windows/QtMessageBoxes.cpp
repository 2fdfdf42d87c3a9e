#include "core/shell/AppInfo.h"
#include "windows/QtDesktopServices.h"

#include <QMessageBox>
#include <QPushButton>

namespace {

QMessageBox::Icon toQt(DesktopServices::Icon icon)
{
    switch (icon) {
    case DesktopServices::Icon::Error:
        return QMessageBox::Critical;
    case DesktopServices::Icon::Warning:
        return QMessageBox::Warning;
    case DesktopServices::Icon::Information:
        return QMessageBox::Information;
    case DesktopServices::Icon::Question:
        return QMessageBox::Question;
    case DesktopServices::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

DesktopServices::Answer QtDesktopServices::messageBox(const QString& text, const QString& caption, Icon icon,
                                                      Buttons buttons)
{
    const auto standard = buttons == Buttons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok;
    QMessageBox box(toQt(icon), caption, text, standard, m_owner);
    const int pressed = box.exec();
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return pressed == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

int QtDesktopServices::choiceBox(const QString& text, const QString& caption, const QStringList& buttons,
                                 int defaultButton)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, m_owner);
    QList<QAbstractButton*> added;
    for (const QString& label : buttons)
        added.append(box.addButton(label, QMessageBox::ActionRole));
    if (defaultButton >= 0 && defaultButton < added.size()) {
        box.setDefaultButton(qobject_cast<QPushButton*>(added.at(defaultButton)));
        box.setEscapeButton(added.at(defaultButton));
    }
    box.exec();
    const qsizetype pressed = added.indexOf(box.clickedButton());
    return pressed >= 0 ? static_cast<int>(pressed) : defaultButton;
}

void QtDesktopServices::plainMessage(const QString& text)
{
    messageBox(text, kApplicationTitle, Icon::None, Buttons::Ok);
}
