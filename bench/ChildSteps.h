#pragma once

#include <QByteArrayList>
#include <QElapsedTimer>
#include <QList>
#include <QProcess>

// Starts `program` and times, from the start in milliseconds, the first line of each of `steps` that
// it prints (0 for one never printed), then when it ended as the last figure. A child that hangs is
// given up after a minute.
inline QList<double> timeChildSteps(const QString& program, const QStringList& arguments,
                                    const QProcessEnvironment& environment, const QByteArrayList& steps)
{
    QProcess child;
    child.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    child.start(program, arguments);
    QList<double> times(steps.size() + 1, 0);
    QByteArray out;
    while (child.state() != QProcess::NotRunning || child.bytesAvailable()) {
        child.waitForReadyRead(2);
        out += child.readAll();
        for (qsizetype i = 0; i < steps.size(); ++i) {
            if (!times[i] && out.contains(steps.at(i) + '\n'))
                times[i] = clock.nsecsElapsed() / 1e6;
        }
        if (clock.elapsed() > 60000)
            break;
    }
    child.waitForFinished(60000);
    times.last() = clock.nsecsElapsed() / 1e6;
    return times;
}
