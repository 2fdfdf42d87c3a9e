#include "windows/FormSpelling.h"

#include "core/spelling/SpellChecker.h"
#include "core/spelling/SpellCheckerLoader.h"
#include "core/spelling/UserWordList.h"
#include "windows/SpellUnderline.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace {

constexpr int kLoadAfterShowMs = 500;

} // namespace

const QStringList& FormSpelling::checkedFields()
{
    static const QStringList fields{
        QStringLiteral("title"),  QStringLiteral("description"), QStringLiteral("tech_request"),
        QStringLiteral("manual"), QStringLiteral("WorkImgSign"),
    };
    return fields;
}

QString FormSpelling::dictionaryFolder()
{
    return qEnvironmentVariable("LUMARINDA_HUNSPELL_DIR", QStringLiteral("/usr/share/hunspell"));
}

FormSpelling::FormSpelling(QWidget& window) : QObject(&window), m_window(window)
{
    setObjectName(QStringLiteral("spelling"));
    window.installEventFilter(this);
}

bool FormSpelling::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &m_window || m_loader)
        return QObject::eventFilter(watched, event);
    // Once the window has been drawn, so that reading the dictionaries takes nothing from the
    // start; a window shown but never drawn (minimised) starts it a little later.
    if (event->type() == QEvent::Paint)
        QTimer::singleShot(0, this, &FormSpelling::startLoading);
    else if (event->type() == QEvent::Show)
        QTimer::singleShot(kLoadAfterShowMs, this, &FormSpelling::startLoading);
    return QObject::eventFilter(watched, event);
}

void FormSpelling::startLoading()
{
    if (m_loader)
        return;
    m_loader = new SpellCheckerLoader(this);
    connect(m_loader, &SpellCheckerLoader::finished, this, &FormSpelling::attach);
    m_loader->start(dictionaryFolder(), UserWordList::defaultPath());
}

void FormSpelling::attach()
{
    const std::shared_ptr<SpellChecker> checker = m_loader->checker();
    if (checker && checker->hasDictionaries()) {
        for (const QString& name : checkedFields()) {
            if (auto* field = m_window.findChild<QWidget*>(name)) {
                auto* underline = new SpellUnderline(field, checker);
                connect(underline, &SpellUnderline::vocabularyChanged, this, &FormSpelling::recheckAll);
            }
        }
    }
    m_ready = true;
    emit ready();
}

void FormSpelling::recheckAll()
{
    for (const QString& name : checkedFields()) {
        if (auto* field = m_window.findChild<QWidget*>(name)) {
            if (auto* underline = field->findChild<SpellUnderline*>(QString(), Qt::FindDirectChildrenOnly))
                underline->recheck();
        }
    }
}

void attachSpellChecking(QWidget& window)
{
    new FormSpelling(window);
}
