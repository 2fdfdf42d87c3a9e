#pragma once

#include "core/passport/PassportReader.h"

#include <QByteArray>
#include <QList>
#include <QString>

// What a sound passport is compared by to find a work sent twice.
struct ResendKey
{
    QByteArray path;
    qint64 storedSeconds = 0;
    // Of the title and the set of the authors' identifiers.
    QByteArray workDigest;
    // The file's size and a hash of its bytes: with the work, what tells the same file.
    qsizetype size = 0;
    size_t contentHash = 0;
};

ResendKey resendKey(const QByteArray& path, const QByteArray& bytes, const ReadPassport& read);

// A file that repeats an earlier one: the same bytes, or the same work with other contents.
struct Resend
{
    enum class Kind
    {
        None,
        SameFile,
        SameWork,
    };
    Kind kind = Kind::None;
    QByteArray earlier;
};

// For each key, in the order given, the file it repeats. The earlier of two is the one stored
// first, the one whose path sorts first when both were stored at the same second; every later copy
// names the first of its kind.
QList<Resend> findResends(const QList<ResendKey>& keys);

// "повторяет PATH" or "та же работа, что PATH", the path shown as on a report line; empty for none.
QString resendText(const Resend& resend);
