#include "committee/PassportCheck.h"

#include "committee/Resends.h"

namespace {

// What a file gave: a problem, or a sound passport (its key's place among the keys).
struct Checked
{
    QByteArray path;
    QString problem;
    qsizetype key = -1;
};

QString checkSummary(qint64 checked, qint64 sound, qint64 resent)
{
    QString summary =
        QStringLiteral("Проверено %1, исправных %2, с ошибками %3").arg(checked).arg(sound).arg(checked - sound);
    if (resent > 0)
        summary += QStringLiteral(", повторов %1").arg(resent);
    return summary;
}

} // namespace

int checkPassports(const PathList& roots, bool quiet, Output& out, Output& err)
{
    QList<Checked> files;
    QList<ResendKey> keys;
    PassportFileReport report;
    report.sound = [&](const QByteArray& path, const QByteArray& bytes, const ReadPassport& read) {
        files.append({path, QString(), keys.size()});
        keys.append(resendKey(path, bytes, read));
    };
    report.broken = [&](const QByteArray& path, const QString& problem) { files.append({path, problem}); };
    readPassportFiles(roots, report, err);

    const QList<Resend> resends = findResends(keys);
    qint64 resent = 0;
    for (const Checked& file : files) {
        if (file.key < 0) {
            out << reportLine(file.path, file.problem);
            continue;
        }
        const QString resend = resendText(resends.at(file.key));
        if (!resend.isEmpty()) {
            ++resent;
            out << displayPath(file.path) + QStringLiteral(": OK, ") + resend + u'\n';
        } else if (!quiet) {
            out << displayPath(file.path) + QStringLiteral(": OK\n");
        }
    }
    out << checkSummary(files.size(), keys.size(), resent) + u'\n';
    out.flush();
    return files.size() == keys.size() ? kAllSound : kSomeBroken;
}
