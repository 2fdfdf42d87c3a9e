#include "committee/Resends.h"

#include "committee/PassportFiles.h"

#include <QCryptographicHash>
#include <QHash>
#include <algorithm>
#include <numeric>

ResendKey resendKey(const QByteArray& path, const QByteArray& bytes, const ReadPassport& read)
{
    QByteArrayList authors;
    for (const ParticipantEntry& author : read.passport.authors)
        authors << author.id;
    std::sort(authors.begin(), authors.end());
    authors.erase(std::unique(authors.begin(), authors.end()), authors.end());
    QCryptographicHash work(QCryptographicHash::Sha256);
    // A separator that neither a title nor an identifier holds keeps the parts apart.
    work.addData(read.passport.title.toUtf8());
    for (const QByteArray& id : authors) {
        work.addData(QByteArrayView("\0", 1));
        work.addData(id);
    }
    // A cryptographic digest of every file took a sixth of the check's time. This hash is seeded anew
    // in every run, so no sender can aim at it; two files of one work and one size that differ agree
    // on it by chance once in 2^64.
    return {path, read.storedSeconds, work.result(), bytes.size(),
            qHash(QByteArrayView(bytes), QHashSeed::globalSeed())};
}

QList<Resend> findResends(const QList<ResendKey>& keys)
{
    QList<qsizetype> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&keys](qsizetype a, qsizetype b) {
        const ResendKey& first = keys.at(a);
        const ResendKey& second = keys.at(b);
        if (first.storedSeconds != second.storedSeconds)
            return first.storedSeconds < second.storedSeconds;
        return first.path < second.path;
    });
    QHash<QByteArray, qsizetype> firstOfFile;
    const auto fileOf = [](const ResendKey& key) {
        return key.workDigest + QByteArray::number(key.size) + '/' + QByteArray::number(quint64(key.contentHash));
    };
    QHash<QByteArray, qsizetype> firstOfWork;
    QList<Resend> resends(keys.size());
    for (qsizetype index : order) {
        const ResendKey& key = keys.at(index);
        const QByteArray file = fileOf(key);
        if (const auto same = firstOfFile.constFind(file); same != firstOfFile.cend())
            resends[index] = {Resend::Kind::SameFile, keys.at(*same).path};
        else if (const auto work = firstOfWork.constFind(key.workDigest); work != firstOfWork.cend())
            resends[index] = {Resend::Kind::SameWork, keys.at(*work).path};
        firstOfFile.insert(file, firstOfFile.value(file, index));
        firstOfWork.insert(key.workDigest, firstOfWork.value(key.workDigest, index));
    }
    return resends;
}

QString resendText(const Resend& resend)
{
    switch (resend.kind) {
    case Resend::Kind::None:
        break;
    case Resend::Kind::SameFile:
        return QStringLiteral("повторяет %1").arg(displayPath(resend.earlier));
    case Resend::Kind::SameWork:
        return QStringLiteral("та же работа, что %1").arg(displayPath(resend.earlier));
    }
    return QString();
}
