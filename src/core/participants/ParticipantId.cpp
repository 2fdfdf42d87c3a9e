#include "core/participants/ParticipantId.h"

#include "core/participants/Md5.h"
#include "core/shell/Trimming.h"
#include "core/shell/Windows1251.h"

QByteArray NormalizeParticipantId(const QString& typed)
{
    QString text = trimControls(typed);
    text.remove(u'-');
    QByteArray normal = toCp1251(text);
    normal.replace(" ", "");
    return normal;
}

bool isAdmissibleParticipantId(const QByteArray& normal)
{
    if (normal.size() != 9)
        return false;
    for (char c : normal) {
        if (c < '0' || c > '9')
            return false;
    }
    const long long value = normal.toLongLong();
    return value > 100000000LL && value < 999999999LL;
}

QByteArray ParticipantCheckCode(const QByteArray& base)
{
    const QString digest = Md5Hex(base);
    const int firstByte = digest.left(2).toInt(nullptr, 16);
    const int code = (99 * firstByte + 127) / 255;
    return QByteArray::number(code).rightJustified(2, '0');
}

bool IsParticipantIdValid(const QByteArray& normal)
{
    return normal.size() == 9 && normal.mid(7, 2) == ParticipantCheckCode(normal.left(7));
}

QByteArray FormatParticipantId(const QByteArray& normal)
{
    QByteArray display = normal;
    display.insert(3, '-');
    display.insert(7, '-');
    return display;
}
