#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <cstdio>

// The page xsltproc makes of a document in a folder, through the stylesheet that the document's
// xml-stylesheet instruction names, as a browser would. Empty when xsltproc fails or is missing.
inline QByteArray runXsltproc(const QString& folder, const QString& documentName)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xsltproc"));
    if (program.isEmpty()) {
        std::fprintf(stderr, "xsltproc is not installed\n");
        return {};
    }
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(program, {QStringLiteral("--nonet"), documentName});
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "xsltproc failed: %s\n", process.readAllStandardError().constData());
        return {};
    }
    return process.readAllStandardOutput();
}
