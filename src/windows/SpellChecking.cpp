#include "windows/SpellChecking.h"

#include "core/passport/TextFields.h"
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

QString SpellChecking::dictionaryFolder()
{
    return qEnvironmentVariable("LUMARINDA_HUNSPELL_DIR", QStringLiteral("/usr/share/hunspell"));
}

SpellChecking::SpellChecking(QWidget& window) : QObject(&window), m_window(window)
{
    setObjectName(QStringLiteral("spelling"));
    window.installEventFilter(this);
}

SpellChecking::~SpellChecking()
{
    for (const QPointer<SpellUnderline>& underline : m_underlines)
        delete underline.data();
}

bool SpellChecking::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &m_window || m_loader)
        return QObject::eventFilter(watched, event);
    // Once the window has been drawn, so that reading the dictionaries takes nothing from the
    // start; a window shown but never drawn (minimised) starts it a little later.
    if (event->type() == QEvent::Paint)
        QTimer::singleShot(0, this, &SpellChecking::startLoading);
    else if (event->type() == QEvent::Show)
        QTimer::singleShot(kLoadAfterShowMs, this, &SpellChecking::startLoading);
    return QObject::eventFilter(watched, event);
}

void SpellChecking::startLoading()
{
    if (m_loader)
        return;
    m_loader = new SpellCheckerLoader(this);
    connect(m_loader, &SpellCheckerLoader::finished, this, &SpellChecking::attach);
    m_loader->start(dictionaryFolder(), UserWordList::defaultPath());
}

void SpellChecking::attach()
{
    const std::shared_ptr<SpellChecker> checker = m_loader->checker();
    if (checker && checker->hasDictionaries()) {
        for (const QString& name : spellCheckedFields()) {
            if (auto* field = m_window.findChild<QWidget*>(name)) {
                auto* underline = new SpellUnderline(field, checker);
                connect(underline, &SpellUnderline::vocabularyChanged, this, &SpellChecking::recheckAll);
                m_underlines.append(underline);
            }
        }
    }
    m_ready = true;
    emit ready();
}

void SpellChecking::recheckAll()
{
    for (const QPointer<SpellUnderline>& underline : m_underlines) {
        if (underline)
            underline->recheck();
    }
}
