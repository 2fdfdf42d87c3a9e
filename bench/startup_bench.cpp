// Start-up and closing of the editor beside a blank Qt window, each start a process of its own under
// the same display, taken in turns: the time from starting the process to the first paint of its
// window, for a blank QWidget and for the editor (translations, font, windows, draft folder and
// the dictionaries' thread as the program starts them), the ratio of each pair (median and spread);
// and the editor's closing, from the window being closed to the process ending.
//
//   lumarinda-bench-startup [pairs]
//
// Wants a display (xvfb-run -a lumarinda-bench-startup); runs offscreen without one.

#include "ChildSteps.h"
#include "windows/Form.h"
#include "windows/QtDesktopServices.h"
#include "windows/Startup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Says "shown" right after the window's first paint, before anything the paint set going.
class FirstPaint : public QObject
{
public:
    explicit FirstPaint(std::function<void()> then) : m_then(std::move(then)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            QTimer::singleShot(0, this, [this] {
                std::printf("shown\n");
                std::fflush(stdout);
                m_then();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_then;
    bool m_seen = false;
};

int blankChild(QApplication& application)
{
    QWidget window;
    window.resize(640, 480);
    FirstPaint firstPaint([] { QApplication::quit(); });
    window.installEventFilter(&firstPaint);
    window.show();
    return application.exec();
}

// The editor as main() starts it; once shown, its window is closed and the process ends.
int editorChild(QApplication& application)
{
    installRussianTranslations(application);
    installApplicationFont();
    QtDesktopServices services;
    EditorWindows windows(services);
    services.setOwner(windows.Pasport.get());
    FirstPaint firstPaint([&windows] {
        std::printf("closing\n");
        std::fflush(stdout);
        windows.Pasport->close();
        QApplication::quit();
    });
    windows.Pasport->installEventFilter(&firstPaint);
    windows.Pasport->show();
    return application.exec();
}

struct Start
{
    double shown = 0;
    double closing = 0;
    double ended = 0;
};

Start timeChild(const QString& kind, const QProcessEnvironment& environment)
{
    const QList<double> times = timeChildSteps(QApplication::applicationFilePath(), {QStringLiteral("--child"), kind},
                                               environment, {"shown", "closing"});
    return {times.at(0), times.at(1), times.at(2)};
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const QStringList args = QApplication::arguments();
    if (args.value(1) == QLatin1String("--child"))
        return args.value(2) == QLatin1String("blank") ? blankChild(application) : editorChild(application);

    const int pairs = std::max(3, args.value(1).toInt() > 0 ? args.value(1).toInt() : 11);
    // The editor's own folders in a place of their own: no draft of a real user is offered.
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_STATE_HOME"), home.filePath(QStringLiteral("state")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    std::printf("display: %s\n", qPrintable(QGuiApplication::platformName()));

    timeChild(QStringLiteral("blank"), environment); // libraries into the page cache
    timeChild(QStringLiteral("editor"), environment);
    std::vector<double> blank;
    std::vector<double> editor;
    std::vector<double> ratios;
    std::vector<double> closing;
    for (int i = 0; i < pairs; ++i) {
        const Start a = timeChild(QStringLiteral("blank"), environment);
        const Start b = timeChild(QStringLiteral("editor"), environment);
        blank.push_back(a.shown);
        editor.push_back(b.shown);
        ratios.push_back(b.shown / a.shown);
        closing.push_back(b.ended - b.closing);
    }
    const double ratio = median(ratios);
    std::printf("start-up to a shown window, %d pairs: blank QWidget %.1f ms, editor %.1f ms; ratio median %.2f,"
                " spread %.2f-%.2f (target at most 1.20%s)\n",
                pairs, median(blank), median(editor), ratio, *std::min_element(ratios.begin(), ratios.end()),
                *std::max_element(ratios.begin(), ratios.end()), ratio <= 1.2 ? "" : ", MISSED");
    const double closed = median(closing);
    std::printf("closing right after start, window closed to process ended: median %.1f ms, worst %.1f ms"
                " (target at most 50 ms%s)\n",
                closed, *std::max_element(closing.begin(), closing.end()), closed <= 50 ? "" : ", MISSED");
    return 0;
}
