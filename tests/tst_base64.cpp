#include "core/picture/Base64.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

QByteArray randomBytes(int length, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(length, Qt::Uninitialized);
    for (char& b : bytes)
        b = static_cast<char>(random.bounded(256));
    return bytes;
}

} // namespace

class Base64Test : public QObject
{
    Q_OBJECT

private slots:
    void encoding_data();
    void encoding();
    void lineLayout_data();
    void lineLayout();
    void everyLengthRoundTripsAndMatchesQt();
    void decoding_data();
    void decoding();
};

void Base64Test::encoding_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("groupsPerLine");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("empty") << QByteArray() << 19 << QByteArray();
    QTest::newRow("one byte") << QByteArray("M") << 19 << QByteArray("TQ==");
    QTest::newRow("two bytes") << QByteArray("Ma") << 19 << QByteArray("TWE=");
    QTest::newRow("three bytes") << QByteArray("Man") << 19 << QByteArray("TWFu");
    QTest::newRow("high bits") << QByteArray("\xFF\xFE\xFD") << 19 << QByteArray("//79");
    QTest::newRow("line after one group") << QByteArray("ManMa") << 1 << QByteArray("TWFu\nTWE=");
    QTest::newRow("line after a whole last group") << QByteArray("ManMan") << 1 << QByteArray("TWFu\nTWFu\n");
    QTest::newRow("no lines when zero") << QByteArray("ManManMan") << 0 << QByteArray("TWFuTWFuTWFu");
    QTest::newRow("no lines when negative") << QByteArray("ManMan") << -3 << QByteArray("TWFuTWFu");
}

void Base64Test::encoding()
{
    QFETCH(QByteArray, input);
    QFETCH(int, groupsPerLine);
    QFETCH(QByteArray, text);
    QCOMPARE(Base64Encode(input, groupsPerLine), text);
}

void Base64Test::lineLayout_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<QList<int>>("lineLengths"); // the last entry has no line feed after it
    QTest::newRow("57 bytes") << 57 << QList<int>{76, 0};
    QTest::newRow("58 bytes") << 58 << QList<int>{76, 4};
    QTest::newRow("114 bytes") << 114 << QList<int>{76, 76, 0};
    QTest::newRow("100 bytes") << 100 << QList<int>{76, 60};
    QTest::newRow("56 bytes") << 56 << QList<int>{76};
}

void Base64Test::lineLayout()
{
    QFETCH(int, length);
    QFETCH(QList<int>, lineLengths);
    const QByteArray text = Base64Encode(randomBytes(length, 57), 19);
    QList<int> actual;
    for (const QByteArray& line : text.split('\n'))
        actual.append(static_cast<int>(line.size()));
    QCOMPARE(actual, lineLengths);
    QVERIFY(!text.contains('\r'));
}

void Base64Test::everyLengthRoundTripsAndMatchesQt()
{
    for (int length = 0; length <= 200; ++length) {
        const QByteArray bytes = randomBytes(length, static_cast<quint32>(length) + 1);
        for (int groups : {19, 1, 0}) {
            const QByteArray text = Base64Encode(bytes, groups);
            QCOMPARE(QByteArray(text).replace('\n', ""), bytes.toBase64());
            QCOMPARE(Base64Decode(text), bytes);
        }
    }
}

// A result of -1 stands for a group begun and not completed.
void Base64Test::decoding_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("result");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray() << 0 << QByteArray();
    QTest::newRow("three characters") << QByteArray("TWF") << 0 << QByteArray();
    QTest::newRow("one group") << QByteArray("TWFu") << 3 << QByteArray("Man");
    QTest::newRow("two pads") << QByteArray("TQ==") << 1 << QByteArray("M");
    QTest::newRow("one pad") << QByteArray("TWE=") << 2 << QByteArray("Ma");
    QTest::newRow("breaks and blanks skipped") << QByteArray("T W\r\nF\tu\nTQ\n==") << 4 << QByteArray("ManM");
    QTest::newRow("high bytes skipped") << QByteArray("T\xC3\xA9WFu") << 3 << QByteArray("Man");
    QTest::newRow("six characters: tail ignored") << QByteArray("TWFuTW") << 3 << QByteArray("Man");
    QTest::newRow("six characters and two breaks") << QByteArray("TWFuTW\n\n") << -1 << QByteArray();
    QTest::newRow("stops at fourth pad") << QByteArray("TWE=TWFu") << 2 << QByteArray("Ma");
    QTest::newRow("pad in third place goes on") << QByteArray("TQ=ATWFu") << 4 << QByteArray("MMan");
    QTest::newRow("pad first gives nothing") << QByteArray("=WFuTWFu") << 3 << QByteArray("Man");
    QTest::newRow("pad second gives nothing") << QByteArray("T=FuTWFu") << 3 << QByteArray("Man");
    QTest::newRow("pads first and fourth stop") << QByteArray("=WF=TWFu") << 0 << QByteArray();
    QTest::newRow("only noise") << QByteArray("!!!!!!!!") << -1 << QByteArray();
}

void Base64Test::decoding()
{
    QFETCH(QByteArray, text);
    QFETCH(int, result);
    QFETCH(QByteArray, bytes);
    const std::optional<QByteArray> decoded = Base64Decode(text);
    QCOMPARE(decoded.has_value(), result >= 0);
    if (decoded) {
        QCOMPARE(decoded->size(), result);
        QCOMPARE(*decoded, bytes);
    }
}

QTEST_APPLESS_MAIN(Base64Test)
#include "tst_base64.moc"
