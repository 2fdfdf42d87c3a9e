// Spell checking's cost to the user: start-up to a shown window with and without the dictionaries
// (each start a process of its own, taken in turns), the time from start to the first underline,
// and the time a key press takes in a full 500-character memo with and without checking.
//
//   lumarinda-bench-spelling [starts]
//
// Runs offscreen unless a display is named.

#include "ChildSteps.h"
#include "core/passport/TextFields.h"
#include "windows/Form.h"
#include "windows/QtDesktopServices.h"
#include "windows/SpellChecking.h"
#include "windows/SpellUnderline.h"
#include "windows/Startup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <vector>

namespace {

const QString kTitle = QStringLiteral("Моя програма на фистиваль");

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

void waitUntil(const std::function<bool()>& condition)
{
    while (!condition())
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Says "shown" right after the window's first paint, before anything the paint set going.
class FirstPaint : public QObject
{
public:
    bool shown = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            QTimer::singleShot(0, this, [this] {
                std::printf("shown\n");
                std::fflush(stdout);
                shown = true;
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_seen = false;
};

// A child: starts the editor, says "shown" once the window is drawn and "underlined" once the
// title's misspelt word is underlined (when it checks at all), then ends.
int runChild(bool spelling)
{
    QtDesktopServices services;
    EditorWindows windows(services);
    services.setOwner(windows.Pasport.get());
    windows.Pasport->findChild<QLineEdit*>(QStringLiteral("title"))->setText(kTitle);
    // Installed last, so it sees the paint first.
    FirstPaint firstPaint;
    windows.Pasport->installEventFilter(&firstPaint);
    windows.Pasport->show();
    waitUntil([&] { return firstPaint.shown; });
    if (spelling) {
        auto* title = windows.Pasport->findChild<QLineEdit*>(QStringLiteral("title"));
        waitUntil([&] {
            auto* underline = title->findChild<SpellUnderline*>();
            return underline && !underline->underlined().isEmpty();
        });
        QApplication::processEvents();
        std::printf("underlined\n");
        std::fflush(stdout);
    }
    return 0;
}

struct Start
{
    double shown = 0;
    double underlined = 0;
};

Start timeChild(const QString& program, bool spelling, const QString& noDictionaries)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!spelling)
        environment.insert(QStringLiteral("LUMARINDA_HUNSPELL_DIR"), noDictionaries);
    const QList<double> times = timeChildSteps(
        program, {QStringLiteral("--child"), spelling ? QStringLiteral("with") : QStringLiteral("without")},
        environment, {"shown", "underlined"});
    return {times.at(0), times.at(1)};
}

// Median time of a key press (press, release and the repaint) in the middle of a full memo.
double timeKeyPresses(bool spelling, const QString& noDictionaries, int presses, double* recheck)
{
    if (!spelling)
        qputenv("LUMARINDA_HUNSPELL_DIR", noDictionaries.toLocal8Bit());
    else
        qunsetenv("LUMARINDA_HUNSPELL_DIR");
    QtDesktopServices services;
    EditorWindows windows(services);
    services.setOwner(windows.Pasport.get());
    auto* memo = windows.Pasport->findChild<QPlainTextEdit*>(QStringLiteral("description"));
    QString text;
    const QString piece = QStringLiteral("Программа расчитана на учеников старших класов и учителей информатики. ");
    while (text.size() < 499)
        text += piece;
    memo->setPlainText(text.left(499));
    windows.Pasport->show();
    auto* spellingState = windows.Pasport->findChild<SpellChecking*>(QStringLiteral("spelling"));
    waitUntil([&] { return spellingState->isReady(); });
    memo->setFocus();
    QTextCursor cursor = memo->textCursor();
    cursor.setPosition(250);
    memo->setTextCursor(cursor);
    QApplication::processEvents();

    std::vector<double> times;
    QElapsedTimer clock;
    for (int i = 0; i < presses; ++i) {
        const bool letter = i % 2 == 0;
        const int key = letter ? Qt::Key_A : Qt::Key_Backspace;
        const QString typed = letter ? QStringLiteral("а") : QString();
        clock.start();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, typed);
        QApplication::sendEvent(memo, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, typed);
        QApplication::sendEvent(memo, &release);
        QApplication::processEvents();
        times.push_back(clock.nsecsElapsed() / 1e6);
    }
    if (recheck) {
        std::vector<double> rechecks;
        auto* underline = memo->findChild<SpellUnderline*>();
        for (int i = 0; underline && i < presses; ++i) {
            clock.start();
            underline->recheck();
            rechecks.push_back(clock.nsecsElapsed() / 1e6);
        }
        *recheck = median(rechecks);
        std::printf("memo: %lld characters, %lld underlined\n", qlonglong(memo->toPlainText().size()),
                    qlonglong(underline ? underline->underlined().size() : 0));
    }
    return median(times);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // QApplication took the desktop's locale; the figures print with a decimal point on any desktop.
    std::setlocale(LC_NUMERIC, "C");
    installApplicationFont();
    const QStringList args = QApplication::arguments();
    if (args.value(1) == QLatin1String("--child"))
        return runChild(args.value(2) == QLatin1String("with"));

    const int starts = std::max(2, args.value(1).toInt() > 0 ? args.value(1).toInt() : 20);
    QTemporaryDir noDictionaries;
    std::printf("fields checked: %s\n", qPrintable(spellCheckedFields().join(QStringLiteral(", "))));
    std::printf("dictionaries: %s\n", qPrintable(SpellChecking::dictionaryFolder()));
    QFile loadAverage(QStringLiteral("/proc/loadavg"));
    if (loadAverage.open(QIODevice::ReadOnly))
        std::printf("machine load: %s", loadAverage.readLine().constData());

    std::vector<double> without;
    std::vector<double> with;
    std::vector<double> underlined;
    std::vector<double> shownToUnderlined;
    for (int i = 0; i < starts; ++i) {
        // In turns, so that a change in the machine's load falls on both alike.
        without.push_back(timeChild(QApplication::applicationFilePath(), false, noDictionaries.path()).shown);
        const Start start = timeChild(QApplication::applicationFilePath(), true, noDictionaries.path());
        with.push_back(start.shown);
        underlined.push_back(start.underlined);
        shownToUnderlined.push_back(start.underlined - start.shown);
    }
    const double shownWithout = median(without);
    const double shownWith = median(with);
    std::printf("start-up to a shown window, median of %d starts each:\n", starts);
    std::printf("  without dictionaries: %8.1f ms\n", shownWithout);
    std::printf("  with dictionaries:    %8.1f ms  (%+.1f %%)\n", shownWith,
                100.0 * (shownWith - shownWithout) / shownWithout);
    std::printf("start to the first underline: %8.1f ms (median), %8.1f ms (worst)\n", median(underlined),
                *std::max_element(underlined.begin(), underlined.end()));
    std::printf("shown window to the first underline: %8.1f ms (median)\n", median(shownToUnderlined));

    const int presses = 2000;
    double recheck = 0;
    const double keyWith = timeKeyPresses(true, noDictionaries.path(), presses, &recheck);
    const double keyWithout = timeKeyPresses(false, noDictionaries.path(), presses, nullptr);
    std::printf("key press in a full 500-character memo, median of %d:\n", presses);
    std::printf("  without checking: %7.3f ms\n", keyWithout);
    std::printf("  with checking:    %7.3f ms  (checking adds %.3f ms)\n", keyWith, keyWith - keyWithout);
    std::printf("  re-checking the whole memo alone: %7.3f ms\n", recheck);
    return 0;
}
