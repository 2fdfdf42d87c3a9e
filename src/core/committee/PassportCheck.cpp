#include "core/committee/PassportCheck.h"

namespace {

QString checkSummary(qint64 checked, qint64 sound)
{
    return QStringLiteral("Проверено %1, исправных %2, с ошибками %3").arg(checked).arg(sound).arg(checked - sound);
}

} // namespace

int checkPassports(const PathList& roots, Output& out, Output& err)
{
    qint64 checked = 0;
    qint64 sound = 0;
    PassportFileReport report;
    report.sound = [&](const QByteArray& path, const ReadPassport&) {
        ++checked;
        ++sound;
        out << reportLine(path, QStringLiteral("OK"));
        out.flush();
    };
    report.broken = [&](const QByteArray& path, const QString& problem) {
        ++checked;
        out << reportLine(path, problem);
        out.flush();
    };
    readPassportFiles(roots, report, err);
    out << checkSummary(checked, sound) + u'\n';
    out.flush();
    return checked == sound ? kAllSound : kSomeBroken;
}
