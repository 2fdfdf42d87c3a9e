#include "core/spelling/UserWordList.h"

#include "core/shell/XdgFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace UserWordList {

QString defaultPath()
{
    return programDataFile(QStringLiteral("dictionary.txt"));
}

bool isStorable(const QString& word)
{
    if (word.isEmpty() || word.size() > kMaxWordLength)
        return false;
    for (QChar c : word) {
        if (c.isSpace() || c.category() == QChar::Other_Control || c.category() == QChar::Other_Format ||
            c.isSurrogate() || c.category() == QChar::Other_NotAssigned)
            return false;
    }
    return true;
}

QStringList read(const QString& path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.read(kMaxBytes);
    QStringList words;
    for (QByteArray line : bytes.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString word = decoder.decode(line);
        if (!decoder.hasError() && isStorable(word))
            words << word;
    }
    return words;
}

bool append(const QString& path, const QString& word)
{
    if (!isStorable(word))
        return false;
    const QFileInfo info(path);
    const bool folderExisted = QFileInfo::exists(info.absolutePath());
    if (!QDir().mkpath(info.absolutePath()))
        return false;
    if (!folderExisted)
        QFile::setPermissions(info.absolutePath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile file(path);
    if (info.exists() && !info.isFile())
        return false;
    const QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner;
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append, ownerOnly))
        return false;
    file.setPermissions(ownerOnly);
    QByteArray line = word.toUtf8() + '\n';
    // A list whose last line lacks its line break keeps that word whole.
    if (file.size() > 0 && file.seek(file.size() - 1)) {
        char last = '\n';
        if (file.getChar(&last) && last != '\n')
            line.prepend('\n');
    }
    return file.write(line) == line.size() && file.flush();
}

} // namespace UserWordList
