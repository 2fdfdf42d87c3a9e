// Starting the next passport: an empty one (Ctrl+N) or one that keeps the supervisors and the
// contacts of this one (Ctrl+Shift+N); and the menu in the tab bar's free corner that shows these
// commands, opening and saving with their shortcuts.

#include "core/draft/DraftKeeper.h"
#include "core/passport/NextPassport.h"
#include "core/shell/AppInfo.h"
#include "core/shell/DesktopServices.h"
#include "ui_Form.h"
#include "windows/Form.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>

namespace {

const QString kNotKeptQuestion =
    QStringLiteral("Введенные данные не удалось сохранить как черновик, и в новом паспорте они будут потеряны.\n"
                   "Начать новый паспорт работы?");

} // namespace

void TPasport::connectNewHandlers()
{
    auto* menu = new QMenu(this);
    const auto add = [this, menu](const QString& text, const QKeySequence& keys, auto handler) {
        auto* action = menu->addAction(text);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        // The window carries the shortcut whether or not the menu was ever opened.
        addAction(action);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    add(QStringLiteral("Новый паспорт"), QKeySequence(Qt::CTRL | Qt::Key_N),
        [this] { runHandler(&TPasport::newPassportClick); });
    add(QStringLiteral("Новый паспорт из этого"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N),
        [this] { runHandler(&TPasport::newFromThisClick); });
    menu->addSeparator();
    add(QStringLiteral("Открыть…"), QKeySequence(Qt::CTRL | Qt::Key_O),
        [this] { runHandler(&TPasport::openPassportClick); });
    add(QStringLiteral("Сохранить…"), QKeySequence(Qt::CTRL | Qt::Key_S), [this] { m_ui->SaveButton->click(); });

    auto* button = new QToolButton(this);
    button->setObjectName(QStringLiteral("PassportMenuButton"));
    button->setText(QStringLiteral("Паспорт"));
    button->setToolTip(QStringLiteral("Новый паспорт, открытие и сохранение"));
    button->setAccessibleName(QStringLiteral("Паспорт"));
    button->setAccessibleDescription(QStringLiteral("Новый паспорт, открытие и сохранение"));
    button->setMenu(menu);
    button->setPopupMode(QToolButton::InstantPopup);
    button->setAutoRaise(true);
    // The window's tab order stays as it was drawn; the commands have their shortcuts.
    button->setFocusPolicy(Qt::NoFocus);
    m_ui->SectionsTabs->setCornerWidget(button, Qt::TopRightCorner);

    m_ui->SaveButton->setToolTip(QStringLiteral("Сохранить паспорт работы в файл (Ctrl+S)"));
}

void TPasport::newPassportClick()
{
    if (!keepInputAside())
        return;
    resetToStartState();
    m_draft->setSourceFile(QString());
    m_draft->settled();
}

void TPasport::newFromThisClick()
{
    ReadPassport next;
    next.passport = nextPassportFrom(passportSnapshot());
    if (!keepInputAside())
        return;
    loadPassport(next);
    m_draft->setSourceFile(QString());
    // Everything it holds is in the passport it came from, in a file or a draft.
    m_draft->settled();
}

bool TPasport::keepInputAside()
{
    return m_draft->keepAside() ||
           m_services.messageBox(kNotKeptQuestion, kApplicationTitle, DesktopServices::Icon::Warning,
                                 DesktopServices::Buttons::YesNo) == DesktopServices::Answer::Yes;
}
