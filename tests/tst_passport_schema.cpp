// The installed schema against the files the program writes, and against broken files: every
// written file validates, and what the schema refuses the reader refuses too.

#include "core/passport/PassportDocument.h"
#include "core/passport/PassportReader.h"
#include "core/picture/Base64.h"
#include "core/shell/Failure.h"
#include "core/shell/Windows1251.h"
#include "support/JpegFixtures.h"
#include "support/Passports.h"
#include "support/Xmllint.h"

#include <QTest>
#include <functional>

namespace {

const QString kSchema = QStringLiteral(LUMARINDA_SCHEMA);
constexpr qint64 kStored = 1796902565;

ParticipantEntry entry(const char* id, const QString& surname)
{
    return {QByteArray(id), toCp1251(surname), toCp1251(QStringLiteral("Анна")), toCp1251(QStringLiteral("Ивановна"))};
}

// Identifiers with their right check codes.
const char* const kIds[] = {"123-456-798", "765-432-193", "100-018-305", "100-018-799", "100-024-700"};

PassportSnapshot basic()
{
    PassportParts parts;
    parts.leaveOutExtras();
    parts.title = QStringLiteral("Звёздное небо");
    parts.description = {};
    parts.authors = {entry(kIds[0], QStringLiteral("Иванова"))};
    parts.teachers = {entry(kIds[1], QStringLiteral("Петрова"))};
    parts.leaderIndex = 0;
    parts.subjectSlots = {1, 0, 0, 0, 0};
    return fullPassport(parts);
}

PassportSnapshot withPicture(const QString& caption)
{
    PassportSnapshot p = basic();
    setPicture(p, 300, 7, caption);
    return p;
}

// Every field at its length limit, line breaks counted as the controls count them.
PassportSnapshot longest()
{
    PassportSnapshot p = withPicture(QString(300, u'п'));
    const auto text = [](int length) { return QString(length - 4, u'ж') + QStringLiteral("\r\n&<"); };
    p.title = QString(250, u'Т');
    p.description = text(500);
    p.techRequest = QString(250, u'т');
    p.manual = text(500);
    p.postIndex = QString(10, u'1');
    p.postAddress = QString(250, u'а');
    p.phone = QString(150, u'7');
    p.email = QString(150, u'e');
    p.notes = text(2000);
    p.subjectSlots = {6, 16, 22, 24, 0};
    p.languages = {true, true, true, true, QString(50, u'я')};
    p.authors.clear();
    p.teachers.clear();
    for (int i = 0; i < 10; ++i)
        p.authors << participantEntry(validId(1000001 + i), QString(50, u'Щ'), QStringLiteral("Анна"),
                                      QStringLiteral("Ивановна"));
    for (int i = 0; i < 3; ++i)
        p.teachers << participantEntry(validId(2000001 + i), QString(50, u'Ё'), QStringLiteral("Анна"),
                                       QStringLiteral("Ивановна"));
    p.leaderIndex = 2;
    return p;
}

QByteArray written(const PassportSnapshot& passport, PassportDocumentKind kind = PassportDocumentKind::Saved)
{
    return serializePassportDocument(BuildPassportDocument(passport, kind, kStored));
}

} // namespace

class PassportSchemaTest : public QObject
{
    Q_OBJECT

private slots:
    void writtenFilesValidate_data();
    void writtenFilesValidate();
    void brokenFilesAreRefused_data();
    void brokenFilesAreRefused();
};

void PassportSchemaTest::writtenFilesValidate_data()
{
    QTest::addColumn<QByteArray>("bytes");

    PassportSnapshot blankCaption = withPicture(QStringLiteral("   "));
    PassportSnapshot linguistics = basic();
    linguistics.subjectSlots = {6, 0, 0, 0, 0};
    linguistics.languages = {true, false, false, true, QString()};
    PassportSnapshot noLeader = basic();
    noLeader.leaderIndex = -1;
    PassportSnapshot awkward = basic();
    awkward.title = QStringLiteral("  \"Кавычки\" & <теги> ]]> 😀  ");
    awkward.description = QStringLiteral("\r\n\r\n\tтаб\r\n\r\n");
    awkward.notes = QStringLiteral("\x01управляющий\x1f");

    QTest::newRow("basic") << written(basic());
    QTest::newRow("picture with caption") << written(withPicture(QStringLiteral("Подпись")));
    QTest::newRow("picture without caption") << written(withPicture(QString()));
    QTest::newRow("caption of blanks") << written(blankCaption);
    QTest::newRow("linguistics, empty other language") << written(linguistics);
    QTest::newRow("no invoice recipient") << written(noLeader);
    QTest::newRow("reserved and odd characters") << written(awkward);
    PassportSnapshot untitled = basic();
    untitled.title = QStringLiteral(" \t");
    QTest::newRow("unfinished, without a title") << written(untitled);
    QTest::newRow("every field at its limit") << written(longest());
    QTest::newRow("stored at its limit") << written(basic()).replace("stored=\"1796902565\"", "stored=\"99999999999\"");
    PassportSnapshot unwritableCaption = withPicture(QStringLiteral("\x01\uFFFE"));
    QTest::newRow("caption of characters XML cannot carry") << written(unwritableCaption);
    QTest::newRow("preview of an empty passport") << written(PassportSnapshot(), PassportDocumentKind::Preview);
    QTest::newRow("preview with picture")
        << written(withPicture(QStringLiteral("Подпись")), PassportDocumentKind::Preview);
}

void PassportSchemaTest::writtenFilesValidate()
{
    QFETCH(QByteArray, bytes);
    const QString errors = schemaErrors(kSchema, bytes);
    QVERIFY2(errors.isEmpty(), qPrintable(errors));
}

void PassportSchemaTest::brokenFilesAreRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");

    const QByteArray sound = written(withPicture(QStringLiteral("Подпись")));
    QVERIFY(schemaErrors(kSchema, sound).isEmpty());
    const auto edited = [&sound](const char* from, const char* to) {
        QByteArray bytes = sound;
        if (!bytes.contains(from))
            qFatal("the fixture lacks %s", from);
        return bytes.replace(from, to);
    };
    // The fixture holds two persons already.
    QByteArray persons;
    for (int i = 0; i < 12; ++i)
        persons += QByteArray("<person p_id_full=\"") + kIds[i % 5] +
                   "\" p_type=\"student\" surname=\"А\" name=\"Б\" patronymic=\"В\"/>";

    QTest::newRow("wrong root") << edited("lumarinda>", "passport>").replace("<lumarinda>", "<passport>");
    QTest::newRow("namespace on the root") << edited("<lumarinda>", "<lumarinda xmlns=\"urn:x\">");
    QTest::newRow("missing element") << edited("<manual/>", "");
    QTest::newRow("extra element") << edited("<manual/>", "<manual/><notes/>");
    QTest::newRow("elements swapped") << edited("<specification/><manual/>", "<manual/><specification/>");
    QTest::newRow("extra attribute") << edited("sz_id=\"13\"", "sz_id=\"13\" lang=\"ru\"");
    QTest::newRow("missing title") << edited("title=\"Звёздное небо\" ", "");
    QTest::newRow("title too long") << edited("Звёздное небо", QString(251, u'Т').toUtf8().constData());
    QTest::newRow("other season") << edited("sz_id=\"13\"", "sz_id=\"14\"");
    QTest::newRow("other version") << edited("version=\"2.2\"", "version=\"2.3\"");
    QTest::newRow("stored with a sign") << edited("stored=\"1796902565\"", "stored=\"-1796902565\"");
    QTest::newRow("stored with leading zero") << edited("stored=\"1796902565\"", "stored=\"01796902565\"");
    QTest::newRow("identifier without dashes") << edited("123-456-798", "123456798");
    QTest::newRow("identifier with letters") << edited("123-456-798", "12A-456-798");
    QTest::newRow("unassigned section 23") << edited("sb_id=\"1\"", "sb_id=\"23\"");
    QTest::newRow("section 0") << edited("sb_id=\"1\"", "sb_id=\"0\"");
    QTest::newRow("language as a section") << edited("sb_id=\"1\"", "sb_id=\"25\"");
    QTest::newRow("section with leading zero") << edited("sb_id=\"1\"", "sb_id=\"01\"");
    QTest::newRow("six sections") << edited("<subject sb_id=\"1\"/>", "<subject sb_id=\"1\"/><subject sb_id=\"2\"/>"
                                                                      "<subject sb_id=\"3\"/><subject sb_id=\"4\"/>"
                                                                      "<subject sb_id=\"5\"/><subject sb_id=\"7\"/>");
    QTest::newRow("unknown language") << edited("<subject sb_id=\"1\"/>",
                                                "<subject sb_id=\"6\"><subject sb_id=\"28\"/></subject>");
    QTest::newRow("fourteen persons") << edited("<authors>", "<authors>" + persons);
    QTest::newRow("unknown person type") << edited("p_type=\"student\"", "p_type=\"pupil\"");
    QTest::newRow("other status") << edited("status=\"leader\"", "status=\"boss\"");
    QTest::newRow("surname too long") << edited("surname=\"Иванова\"",
                                                ("surname=\"" + QString(51, u'Щ') + "\"").toUtf8().constData());
    QTest::newRow("missing contact") << edited("<phone/>", "");
    QTest::newRow("postal code too long") << edited("<postal_code/>", "<postal_code>12345678901</postal_code>");
    QTest::newRow("picture not JPEG") << edited("data:image/jpeg;base64,", "data:image/png;base64,");
    QTest::newRow("picture wider than 300") << edited("width=\"300\"", "width=\"301\"");
    QTest::newRow("picture of width 0") << edited("width=\"300\"", "width=\"0\"");
    QTest::newRow("two comments") << edited("<comment/>", "<comment/><comment/>");
    QTest::newRow("no comment") << edited("<comment/>", "");
    QTest::newRow("doubled byte order mark") << QByteArray("\xEF\xBB\xBF") + sound;
    QTest::newRow("title of blanks") << edited("title=\"Звёздное небо\"", "title=\"  \"");
    QTest::newRow("title after a blank") << edited("title=\"Звёздное небо\"", "title=\" Звёздное небо\"");
    QTest::newRow("title before a tab") << edited("title=\"Звёздное небо\"", "title=\"Звёздное небо&#9;\"");
    QTest::newRow("surname before a blank") << edited("surname=\"Иванова\"", "surname=\"Иванова \"");
    QTest::newRow("postal code after a line break") << edited("<postal_code/>", "<postal_code>\n620000</postal_code>");
    QTest::newRow("comment of a blank") << edited("<comment/>", "<comment> </comment>");
    QTest::newRow("stored of eighteen nines") << edited("stored=\"1796902565\"", "stored=\"999999999999999999\"");
    QTest::newRow("stored of twelve digits") << edited("stored=\"1796902565\"", "stored=\"100000000000\"");
    QTest::newRow("empty caption") << edited("title=\"Подпись\"", "title=\"\"");
    QTest::newRow("participant twice") << edited("765-432-193", "123-456-798");
    QTest::newRow("two invoice recipients") << edited("p_type=\"student\"", "p_type=\"teacher\" status=\"leader\"");
    QTest::newRow("section twice") << edited("<subject sb_id=\"1\"/>", "<subject sb_id=\"1\"/><subject sb_id=\"1\"/>");
    QTest::newRow("language twice") << edited("<subject sb_id=\"1\"/>",
                                              "<subject sb_id=\"6\"><subject sb_id=\"25\"/><subject sb_id=\"25\"/>"
                                              "</subject>");
}

void PassportSchemaTest::brokenFilesAreRefused()
{
    QFETCH(QByteArray, bytes);
    QVERIFY2(!schemaErrors(kSchema, bytes).isEmpty(), "the schema accepts it");
    bool refused = false;
    try {
        readPassportDocument(bytes);
    } catch (const Failure&) {
        refused = true;
    }
    QVERIFY2(refused, "the reader accepts it");
}

QTEST_GUILESS_MAIN(PassportSchemaTest)
#include "tst_passport_schema.moc"
