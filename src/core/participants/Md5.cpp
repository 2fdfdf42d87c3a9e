#include "core/participants/Md5.h"

#include <QCryptographicHash>

QString Md5Hex(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
}
