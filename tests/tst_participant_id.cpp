#include "core/participants/Md5.h"
#include "core/participants/ParticipantId.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QTest>

class ParticipantIdTest : public QObject
{
    Q_OBJECT

private slots:
    void md5MatchesRfc1321Suite_data();
    void md5MatchesRfc1321Suite();
    void normalisation_data();
    void normalisation();
    void admissibility_data();
    void admissibility();
    void checkCode_data();
    void checkCode();
    void validityAndDisplayForm_data();
    void validityAndDisplayForm();
    void everyValidIdentifierFormatsToElevenCharacters();
};

void ParticipantIdTest::md5MatchesRfc1321Suite_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("digest");
    QTest::newRow("empty") << QByteArray() << "d41d8cd98f00b204e9800998ecf8427e";
    QTest::newRow("a") << QByteArray("a") << "0cc175b9c0f1b6a831c399e269772661";
    QTest::newRow("abc") << QByteArray("abc") << "900150983cd24fb0d6963f7d28e17f72";
    QTest::newRow("message digest") << QByteArray("message digest") << "f96b697d7cb7938d525a2f31aaf161d0";
    QTest::newRow("alphabet") << QByteArray("abcdefghijklmnopqrstuvwxyz") << "c3fcd3d76192e4007dfb496cca67e13b";
    QTest::newRow("alphanumeric") << QByteArray("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789")
                                  << "d174ab98d277d9f5a5611c2c9f419d9f";
    QTest::newRow("digits x8") << QByteArray("1234567890").repeated(8) << "57edf4a22be3c955ac49da2e2107b67a";
}

void ParticipantIdTest::md5MatchesRfc1321Suite()
{
    QFETCH(QByteArray, input);
    QFETCH(QString, digest);
    QCOMPARE(Md5Hex(input), digest);
}

void ParticipantIdTest::normalisation_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("normal");
    QTest::newRow("plain digits") << "123456798" << QByteArray("123456798");
    QTest::newRow("display form") << "123-456-798" << QByteArray("123456798");
    QTest::newRow("spaces between") << "123 456 798" << QByteArray("123456798");
    QTest::newRow("mixed separators") << "1-2 3--4 56798" << QByteArray("123456798");
    QTest::newRow("blanks at ends") << "  123456798 " << QByteArray("123456798");
    QTest::newRow("tab at ends") << "\t123456798\r\n" << QByteArray("123456798");
    QTest::newRow("tab inside stays") << "1234\t56798" << QByteArray("1234\t56798");
    QTest::newRow("dot stays") << "123.456.798" << QByteArray("123.456.798");
    QTest::newRow("letter stays") << "12345679a" << QByteArray("12345679a");
    QTest::newRow("cyrillic to cp1251") << "б12"
                                        << QByteArray("\xE1"
                                                      "12");
    QTest::newRow("only separators") << "- - -" << QByteArray();
    QTest::newRow("empty") << "" << QByteArray();
}

void ParticipantIdTest::normalisation()
{
    QFETCH(QString, typed);
    QFETCH(QByteArray, normal);
    QCOMPARE(NormalizeParticipantId(typed), normal);
}

void ParticipantIdTest::admissibility_data()
{
    QTest::addColumn<QByteArray>("normal");
    QTest::addColumn<bool>("admissible");
    QTest::newRow("nine digits") << QByteArray("123456798") << true;
    QTest::newRow("just above lower bound") << QByteArray("100000001") << true;
    QTest::newRow("just below upper bound") << QByteArray("999999998") << true;
    QTest::newRow("lower bound excluded") << QByteArray("100000000") << false;
    QTest::newRow("upper bound excluded") << QByteArray("999999999") << false;
    QTest::newRow("leading zero") << QByteArray("012345678") << false;
    QTest::newRow("eight digits") << QByteArray("12345679") << false;
    QTest::newRow("ten digits") << QByteArray("1234567980") << false;
    QTest::newRow("dot") << QByteArray("1234.6798") << false;
    QTest::newRow("sign") << QByteArray("+23456798") << false;
    QTest::newRow("inner tab") << QByteArray("1234\t6798") << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void ParticipantIdTest::admissibility()
{
    QFETCH(QByteArray, normal);
    QFETCH(bool, admissible);
    QCOMPARE(isAdmissibleParticipantId(normal), admissible);
}

void ParticipantIdTest::checkCode_data()
{
    QTest::addColumn<QByteArray>("base");
    QTest::addColumn<QByteArray>("code");
    // First digest bytes: 1000247 -> 0x00, 1000187 -> 0xff, 1000183 and 5550001 -> codes below 10.
    QTest::newRow("first byte 0") << QByteArray("1000247") << QByteArray("00");
    QTest::newRow("first byte 255") << QByteArray("1000187") << QByteArray("99");
    QTest::newRow("leading zero kept") << QByteArray("1000183") << QByteArray("05");
    QTest::newRow("another single digit") << QByteArray("5550001") << QByteArray("05");
    QTest::newRow("ordinary") << QByteArray("1234567") << QByteArray("98");
    QTest::newRow("one digit changed") << QByteArray("1234568") << QByteArray("99");
    QTest::newRow("reversed") << QByteArray("7654321") << QByteArray("93");
}

void ParticipantIdTest::checkCode()
{
    QFETCH(QByteArray, base);
    QFETCH(QByteArray, code);
    QCOMPARE(ParticipantCheckCode(base), code);
}

void ParticipantIdTest::validityAndDisplayForm_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QByteArray>("display");
    QTest::newRow("valid") << "123456798" << true << QByteArray("123-456-798");
    QTest::newRow("valid typed oddly") << " 1234-56 79-8 " << true << QByteArray("123-456-798");
    QTest::newRow("code 00") << "100024700" << true << QByteArray("100-024-700");
    QTest::newRow("code 99") << "100018799" << true << QByteArray("100-018-799");
    QTest::newRow("code 05 needs its zero") << "100018305" << true << QByteArray("100-018-305");
    QTest::newRow("code 05 without zero") << "100018350" << false << QByteArray();
    QTest::newRow("last digit off") << "123456799" << false << QByteArray();
    QTest::newRow("base digit changed") << "123456898" << false << QByteArray();
}

void ParticipantIdTest::validityAndDisplayForm()
{
    QFETCH(QString, typed);
    QFETCH(bool, valid);
    QFETCH(QByteArray, display);
    const QByteArray normal = NormalizeParticipantId(typed);
    QVERIFY(isAdmissibleParticipantId(normal));
    QCOMPARE(IsParticipantIdValid(normal), valid);
    if (valid)
        QCOMPARE(FormatParticipantId(normal), display);
}

void ParticipantIdTest::everyValidIdentifierFormatsToElevenCharacters()
{
    int valid = 0;
    for (int base = 1000000; base < 1003000; ++base) {
        const QByteArray baseText = QByteArray::number(base);
        const QByteArray digest = QCryptographicHash::hash(baseText, QCryptographicHash::Md5);
        const int expected = (99 * static_cast<unsigned char>(digest.at(0)) + 127) / 255;
        const QByteArray normal = baseText + QByteArray::number(expected).rightJustified(2, '0');
        QVERIFY(IsParticipantIdValid(normal));
        const QByteArray display = FormatParticipantId(normal);
        QCOMPARE(display.size(), 11);
        QCOMPARE(display.at(3), '-');
        QCOMPARE(display.at(7), '-');
        QCOMPARE(NormalizeParticipantId(QString::fromLatin1(display)), normal);
        ++valid;
    }
    QCOMPARE(valid, 3000);
}

QTEST_APPLESS_MAIN(ParticipantIdTest)
#include "tst_participant_id.moc"
