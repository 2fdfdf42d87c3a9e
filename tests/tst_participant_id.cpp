#include "core/participants/Md5.h"
#include "core/participants/ParticipantId.h"

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
    void knownIdentifiers_data();
    void knownIdentifiers();
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
    // Digests and codes worked out with Python's hashlib, apart from this program.
    QTest::addColumn<QByteArray>("base");
    QTest::addColumn<QString>("digest");
    QTest::addColumn<QByteArray>("code");
    QTest::newRow("first byte 0") << QByteArray("1000247") << "00fa0783a887e80d8a200301b88d6941" << QByteArray("00");
    QTest::newRow("first byte 255") << QByteArray("1000187") << "ff6b3ffe77d014c09009840c5ccdafc3" << QByteArray("99");
    QTest::newRow("leading zero kept") << QByteArray("1000183") << "0e67fe67180e6ea35a890b76c117bc7e"
                                       << QByteArray("05");
    QTest::newRow("another single digit")
        << QByteArray("5550001") << "0de6d7dab53ceab94f60be24dbb8bd41" << QByteArray("05");
    QTest::newRow("ordinary") << QByteArray("1234567") << "fcea920f7412b5da7be0cf42b8c93759" << QByteArray("98");
    QTest::newRow("one digit changed") << QByteArray("1234568") << "fe743d8d97aa7dfc6c93ccdc2e749513"
                                       << QByteArray("99");
    QTest::newRow("reversed") << QByteArray("7654321") << "f0898af949a373e72a4f6a34b4de9090" << QByteArray("93");
    // 99 x 4 / 255 = 1.55 rounds up; 99 x 127 / 255 = 49.31 rounds down; 99 x 128 / 255 = 49.69 up.
    QTest::newRow("first byte 4 rounds up")
        << QByteArray("1000073") << "04caa2b3afef825dc0f0b1e4ab261e1f" << QByteArray("02");
    QTest::newRow("first byte 127 rounds down")
        << QByteArray("1000110") << "7fc01a50df25f15d03500ee071b04cdd" << QByteArray("49");
    QTest::newRow("first byte 128 rounds up")
        << QByteArray("1000176") << "80472f089b2f4d8060fb6e62a40b9a8f" << QByteArray("50");
    QTest::newRow("first byte 1 rounds to 00")
        << QByteArray("1000040") << "01d5dfe2629c490aed7c2b83ec467120" << QByteArray("00");
    QTest::newRow("first byte in letters")
        << QByteArray("1000127") << "ab0df075c0d3c3ba8338fad8bd65a848" << QByteArray("66");
}

void ParticipantIdTest::checkCode()
{
    QFETCH(QByteArray, base);
    QFETCH(QString, digest);
    QFETCH(QByteArray, code);
    QCOMPARE(Md5Hex(base), digest);
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

void ParticipantIdTest::knownIdentifiers_data()
{
    // Valid identifiers across the range, their check codes worked out with Python's hashlib.
    QTest::addColumn<QByteArray>("display");
    QTest::newRow("lowest base") << QByteArray("100-000-050");
    QTest::newRow("code 02") << QByteArray("100-007-302");
    QTest::newRow("code 00 after a zero") << QByteArray("100-004-000");
    QTest::newRow("code 00 after digits") << QByteArray("271-828-100");
    QTest::newRow("code 16") << QByteArray("314-159-216");
    QTest::newRow("code 42") << QByteArray("867-530-942");
    QTest::newRow("code 81") << QByteArray("500-000-081");
    QTest::newRow("highest base") << QByteArray("999-999-916");
}

void ParticipantIdTest::knownIdentifiers()
{
    QFETCH(QByteArray, display);
    const QByteArray normal = NormalizeParticipantId(QString::fromLatin1(display));
    QCOMPARE(normal, QByteArray(display).replace('-', QByteArray()));
    QVERIFY(isAdmissibleParticipantId(normal));
    QVERIFY(IsParticipantIdValid(normal));
    QCOMPARE(FormatParticipantId(normal), display);
}

QTEST_APPLESS_MAIN(ParticipantIdTest)
#include "tst_participant_id.moc"
