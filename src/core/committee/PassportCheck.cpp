#include "core/committee/PassportCheck.h"

#include "core/shell/Failure.h"

ReadPassport readCommitteePassport(const QByteArray& path)
{
    return readPassportDocument(readPassportBytes(path));
}

QString checkSummary(qint64 checked, qint64 sound)
{
    return QStringLiteral("Проверено %1, исправных %2, с ошибками %3").arg(checked).arg(sound).arg(checked - sound);
}

int checkPassports(const PathList& roots, QTextStream& out, QTextStream& err, const PassportFileRead& read)
{
    qint64 checked = 0;
    qint64 sound = 0;
    walkPassportFiles(
        roots,
        [&](const FoundPath& found) {
            ++checked;
            QString problem = found.problem;
            if (problem.isEmpty()) {
                try {
                    read(found.path);
                } catch (const Failure& failure) {
                    problem = failure.message();
                } catch (const std::bad_alloc&) {
                    problem = QStringLiteral("не хватило памяти");
                }
            }
            if (problem.isEmpty())
                ++sound;
            out << displayPath(found.path) << ": " << (problem.isEmpty() ? QStringLiteral("OK") : problem) << '\n';
        },
        [&](const QByteArray& path, const QString& note) { err << displayPath(path) << ": " << note << Qt::endl; });
    out << checkSummary(checked, sound) << '\n';
    out.flush();
    return checked == sound ? kAllSound : kSomeBroken;
}
