#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryFile>

// What `xmllint --noout --schema` says of a document: empty when it validates, otherwise its
// report. Run as the committee would run it, so the installed schema is tested as it is used.
inline QString schemaErrors(const QString& schema, const QByteArray& document)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xmllint"));
    if (program.isEmpty())
        return QStringLiteral("xmllint is not installed");
    QTemporaryFile file;
    if (!file.open() || file.write(document) != document.size() || !file.flush())
        return QStringLiteral("cannot write the document to validate");
    QProcess process;
    process.start(program, {QStringLiteral("--noout"), QStringLiteral("--nonet"), QStringLiteral("--schema"), schema,
                            file.fileName()});
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return QStringLiteral("xmllint did not finish");
    if (process.exitCode() == 0)
        return QString();
    const QString report = QString::fromUtf8(process.readAllStandardError());
    return report.isEmpty() ? QStringLiteral("xmllint exit code %1").arg(process.exitCode()) : report;
}
