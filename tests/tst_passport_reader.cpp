// Reopening a passport file: whatever this program writes reads back into the same passport and
// builds the same file again; anything it could not have written is refused as a whole with the
// first problem named.

#include "core/participants/ParticipantId.h"
#include "core/passport/FieldLimits.h"
#include "core/passport/PassportDocument.h"
#include "core/passport/PassportReader.h"
#include "core/picture/Base64.h"
#include "core/sections/SectionRules.h"
#include "core/shell/Failure.h"
#include "core/shell/Windows1251.h"
#include "support/JpegFixtures.h"
#include "support/Passports.h"
#include "support/Xml.h"
#include "support/Xmllint.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <bit>
#include <functional>
#include <sys/stat.h>

Q_DECLARE_METATYPE(PassportSnapshot)
Q_DECLARE_METATYPE(PassportDocumentKind)
Q_DECLARE_METATYPE(std::function<void(PassportSnapshot&)>)

// Whether the schema refuses a file the reader refuses, or cannot say what is wrong with it.
enum class Schema
{
    Refuses,
    CannotSay,
};
Q_DECLARE_METATYPE(Schema)

namespace {

constexpr qint64 kStored = kPassportStored;
const QString kSchema = QStringLiteral(LUMARINDA_SCHEMA);

// The passport the end-to-end test types on the window, as its controls then hold it.
PassportSnapshot endToEndPassport()
{
    PassportParts parts;
    parts.title = QStringLiteral("  Сказка о \"Золотой рыбке\", часть 1/2  ");
    parts.description = QStringLiteral("Первая строка\r\nвторая & <третья>\r\nчетвёртая ]]>\r\n\r\n");
    parts.techRequest = QStringLiteral("Браузер Firefox или Chrome ");
    parts.manual = QStringLiteral("Открыть index.html\r\nНажать «Старт»");
    parts.postIndex = QStringLiteral(" 101000 ");
    parts.postAddress = QStringLiteral("г. Москва, ул. Школьная, д. 1");
    parts.phone = QStringLiteral("+7 (495) 111-22-33");
    parts.email = QStringLiteral("  school@example.ru");
    parts.notes = QStringLiteral("  Записка для оргкомитета\r\nвторая строка\r\n\r\n");
    parts.authors = {
        participantEntry("765-432-193", QStringLiteral("Ёлкина-Соколова"), QStringLiteral("  Анна"),
                         QStringLiteral("Сергеевна ")),
        participantEntry("123-456-798", QStringLiteral("Иванов "), QStringLiteral("Иван"), QStringLiteral("Иванович"))};
    parts.teachers = {
        participantEntry("100-018-799", QStringLiteral("Сидорова"), QStringLiteral("Мария"),
                         QStringLiteral("Ильинична")),
        participantEntry("100-018-305", QStringLiteral("Петров"), QStringLiteral("Пётр"), QStringLiteral("Петрович"))};
    parts.leaderIndex = 1;
    parts.subjectSlots = {2, 6, 22, 0, 0};
    parts.languages = {false, true, false, true, QStringLiteral(" латынь ")};
    parts.pictureWidth = 300;
    parts.pictureHeight = 200;
    parts.pictureCaption = QStringLiteral("Рыбка");
    return fullPassport(parts);
}

// A passport whose every value is already as the file keeps it, so reading gives it back whole.
PassportSnapshot plainPassport()
{
    PassportParts parts;
    parts.leaveOutExtras();
    parts.title = QStringLiteral("Маятник");
    parts.description = QStringLiteral("Опыт\r\nс маятником");
    parts.authors = {person(1234567, QStringLiteral("Иванов"), QStringLiteral("Иван"), QStringLiteral("Иванович"))};
    parts.teachers = {person(7654321, QStringLiteral("Петрова"), QStringLiteral("Анна"), QStringLiteral("Сергеевна"))};
    parts.leaderIndex = 0;
    parts.subjectSlots = {11, 0, 0, 0, 0};
    return fullPassport(parts);
}

void compareSnapshots(const PassportSnapshot& actual, const PassportSnapshot& expected)
{
    QCOMPARE(actual.title, expected.title);
    QCOMPARE(actual.description, expected.description);
    QCOMPARE(actual.techRequest, expected.techRequest);
    QCOMPARE(actual.manual, expected.manual);
    QCOMPARE(actual.postIndex, expected.postIndex);
    QCOMPARE(actual.postAddress, expected.postAddress);
    QCOMPARE(actual.phone, expected.phone);
    QCOMPARE(actual.email, expected.email);
    QCOMPARE(actual.notes, expected.notes);
    QCOMPARE(actual.authors, expected.authors);
    QCOMPARE(actual.teachers, expected.teachers);
    QCOMPARE(actual.leaderIndex, expected.leaderIndex);
    QCOMPARE(actual.subjectSlots, expected.subjectSlots);
    QCOMPARE(actual.seasonId, expected.seasonId);
    QCOMPARE(actual.languages, expected.languages);
    QCOMPARE(actual.hasPicture, expected.hasPicture);
    QCOMPARE(actual.pictureBase64, expected.pictureBase64);
    QCOMPARE(actual.pictureWidth, expected.pictureWidth);
    QCOMPARE(actual.pictureHeight, expected.pictureHeight);
    QCOMPARE(actual.pictureCaption, expected.pictureCaption);
    // A member added later and not named above differs here too.
    QVERIFY(actual == expected);
}

// Every state of the section dialog a user can click to, found by trying every box from every
// state reached so far.
QList<Sections::BoxStates> reachableBoxStates()
{
    QList<Sections::BoxStates> reached = {Sections::initialBoxStates()};
    for (qsizetype i = 0; i < reached.size(); ++i) {
        for (int box = 1; box <= Sections::kOtherLanguageBox; ++box) {
            const Sections::BoxStates next = Sections::click(reached.at(i), box);
            if (!reached.contains(next))
                reached.append(next);
        }
    }
    return reached;
}

Sections::LanguageChoices languagesOf(const Sections::BoxStates& states, const QString& otherText)
{
    Sections::LanguageChoices languages;
    languages.russian = states.checked[Sections::kFirstLanguage];
    languages.english = states.checked[Sections::kFirstLanguage + 1];
    languages.german = states.checked[Sections::kLastLanguage];
    languages.other = states.checked[Sections::kOtherLanguageBox];
    if (languages.other)
        languages.otherText = otherText;
    return languages;
}

// The base file of the bad-file table: one of everything, picture included.
PassportSnapshot baseForBadFiles()
{
    PassportSnapshot passport = plainPassport();
    passport.subjectSlots = {2, 6, 24, 0, 0};
    passport.languages.russian = true;
    passport.postIndex = QStringLiteral("101000");
    setPicture(passport, 4, 3, QStringLiteral("Подпись"));
    return passport;
}

QByteArray replaced(const QByteArray& file, const QByteArray& from, const QByteArray& to)
{
    if (!file.contains(from))
        qFatal("fixture text not found: %s", from.constData());
    QByteArray result = file;
    return result.replace(from, to);
}

QByteArray base64Of(const QByteArray& bytes)
{
    return bytes.toBase64();
}

QString id(int base)
{
    return QString::fromLatin1(validId(base));
}

} // namespace

class PassportReaderTest : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void readsBackWhatTheControlsHeld_data();
    void readsBackWhatTheControlsHeld();
    void everySectionCombinationTheDialogAllows();
    void combinationsTheDialogForbidsAreRefused();
    void lineBreaksComeBackAsTheMemoHoldsThem_data();
    void lineBreaksComeBackAsTheMemoHoldsThem();
    void conformingFormsOpen_data();
    void conformingFormsOpen();
    void badFilesAreRefused_data();
    void badFilesAreRefused();
    void hugeDocumentsAreRefusedCheaply_data();
    void hugeDocumentsAreRefusedCheaply();
    void fileFailuresNameTheFile();
    void salvageLeavesOutTheDamagedPart_data();
    void salvageLeavesOutTheDamagedPart();
    void salvageStillRefuses_data();
    void salvageStillRefuses();
};

void PassportReaderTest::roundTrip_data()
{
    QTest::addColumn<PassportSnapshot>("passport");
    QTest::addColumn<PassportDocumentKind>("kind");

    const PassportSnapshot endToEnd = endToEndPassport();
    QTest::newRow("end-to-end passport, saved") << endToEnd << PassportDocumentKind::Saved;
    QTest::newRow("end-to-end passport, preview") << endToEnd << PassportDocumentKind::Preview;

    PassportSnapshot untitled = endToEnd;
    untitled.title = QStringLiteral("   ");
    QTest::newRow("preview of an untitled passport") << untitled << PassportDocumentKind::Preview;

    QTest::newRow("nothing filled in") << PassportSnapshot() << PassportDocumentKind::Preview;
    // An unfinished passport, as a draft keeps it.
    QTest::newRow("nothing filled in, saved") << PassportSnapshot() << PassportDocumentKind::Saved;
    PassportSnapshot noOptional = plainPassport();
    noOptional.techRequest = QStringLiteral(" ");
    QTest::newRow("empty optional fields") << noOptional << PassportDocumentKind::Saved;

    PassportSnapshot crowded = endToEnd;
    crowded.authors.clear();
    crowded.teachers.clear();
    for (int i = 0; i < PassportRecord::kMaxAuthors; ++i)
        crowded.authors.append(
            person(1000001 + i, QStringLiteral("Автор%1").arg(i), QStringLiteral("Имя"), QStringLiteral("Отчество")));
    for (int i = 0; i < PassportRecord::kMaxTeachers; ++i)
        crowded.teachers.append(person(2000001 + i, QStringLiteral("Учитель%1").arg(i), QString(), QString()));
    crowded.leaderIndex = 2;
    QTest::newRow("10 authors and 3 supervisors, the last gets the invoice") << crowded << PassportDocumentKind::Saved;

    PassportSnapshot foreign = plainPassport();
    foreign.authors[0].surname = toCp1251(QStringLiteral("Ли 李"));
    foreign.teachers[0].name = toCp1251(QStringLiteral("Zoë 😀"));
    QTest::newRow("names with characters Windows-1251 lacks") << foreign << PassportDocumentKind::Saved;

    PassportSnapshot memos = plainPassport();
    memos.description = QStringLiteral("\tтаб\r\n😀 эмодзи\r\n\r\n  ");
    memos.manual = QStringLiteral("\r\n\tотступ\t\r\n👩‍👩‍👧");
    memos.notes = QStringLiteral("😀\r\n\t\r\nконец\t😀");
    memos.title = QStringLiteral("Работа 😀\tс табуляцией");
    memos.techRequest = QStringLiteral("\t  ");
    QTest::newRow("CR LF, tabs and emoji in the memos") << memos << PassportDocumentKind::Saved;

    PassportSnapshot tall = plainPassport();
    setPicture(tall, 1, 300, QString());
    QTest::newRow("1 x 300 picture without a caption") << tall << PassportDocumentKind::Saved;
    PassportSnapshot wide = plainPassport();
    setPicture(wide, 300, 1, QStringLiteral("   "));
    QTest::newRow("300 x 1 picture with a caption of blanks") << wide << PassportDocumentKind::Preview;
    PassportSnapshot oneLine = plainPassport();
    setPicture(oneLine, 8, 8, QStringLiteral("<&\"'>"));
    oneLine.pictureBase64.remove(u'\n');
    QTest::newRow("Base64 on one line") << oneLine << PassportDocumentKind::Saved;

    PassportSnapshot otherEmpty = plainPassport();
    otherEmpty.subjectSlots = {6, 0, 0, 0, 0};
    otherEmpty.languages.russian = true;
    otherEmpty.languages.other = true;
    QTest::newRow("\"другое\" ticked with an empty edit") << otherEmpty << PassportDocumentKind::Saved;

    // Ticked, confirmed, unticked again and the dialog closed by its close box: the slot keeps 6.
    PassportSnapshot noLanguage = plainPassport();
    noLanguage.subjectSlots = {6, 11, 24, 0, 0};
    QTest::newRow("linguistics left without a language") << noLanguage << PassportDocumentKind::Saved;
    PassportSnapshot unwritableCaption = plainPassport();
    setPicture(unwritableCaption, 5, 5, QStringLiteral("\x01\x1f\uFFFE"));
    QTest::newRow("caption of characters XML cannot carry") << unwritableCaption << PassportDocumentKind::Saved;

    PassportSnapshot atLimits = endToEnd;
    atLimits.title = QString(FieldLimits::kTitle, u'Ж');
    atLimits.description = QString(FieldLimits::kDescription - 2, u'д') + QStringLiteral("\r\n");
    atLimits.techRequest = QString(FieldLimits::kTechRequest / 2, QChar(0xD83D)).replace(QChar(0xD83D), "😀");
    atLimits.manual = QString(FieldLimits::kManual / 2, QChar(u'x')).replace(QChar(u'x'), "\r\n");
    atLimits.postIndex = QString(FieldLimits::kPostIndex, u'9');
    atLimits.postAddress = QString(FieldLimits::kPostAddress, u'а');
    atLimits.phone = QString(FieldLimits::kPhone, u'1');
    atLimits.email = QString(FieldLimits::kEmail, u'@');
    atLimits.notes = QString(FieldLimits::kNotes, u'з');
    atLimits.languages.otherText = QString(FieldLimits::kOtherLanguage, u'я');
    atLimits.authors[0].surname = QByteArray(FieldLimits::kParticipantName, '\xC0');
    QTest::newRow("every text at its limit") << atLimits << PassportDocumentKind::Saved;
}

// Open, then save again: the same bytes, with the moment of the first save read back.
void PassportReaderTest::roundTrip()
{
    QFETCH(PassportSnapshot, passport);
    QFETCH(PassportDocumentKind, kind);

    const QByteArray file = build(passport, kind);
    QVERIFY(XmlDoc(file).ok());
    ReadPassport read;
    try {
        read = readPassportDocument(file);
    } catch (const Failure& failure) {
        QFAIL(qPrintable(failure.message()));
    }
    QCOMPARE(read.storedSeconds, kStored);
    QCOMPARE(build(read.passport, kind), file);
    // A new save writes only its own moment anew.
    const QByteArray later = build(read.passport, kind, kStored + 1);
    QCOMPARE(QByteArray(later).replace("stored=\"1450000001\"", "stored=\"1450000000\""), file);
}

void PassportReaderTest::readsBackWhatTheControlsHeld_data()
{
    QTest::addColumn<PassportSnapshot>("passport");
    QTest::addColumn<PassportDocumentKind>("kind");

    const PassportSnapshot plain = plainPassport();
    QTest::newRow("plain") << plain << PassportDocumentKind::Saved;
    PassportSnapshot full = baseForBadFiles();
    full.languages = {true, false, true, true, QStringLiteral("латынь")};
    full.techRequest = QStringLiteral(" как набрано\t");
    full.description = QStringLiteral("  отступ\r\n\r\n");
    full.teachers.append(person(7654322, QStringLiteral("Ли ?"), QStringLiteral("?"), QString()));
    full.leaderIndex = 1;
    QTest::newRow("full, preview") << full << PassportDocumentKind::Preview;
    QTest::newRow("full, saved") << full << PassportDocumentKind::Saved;
}

// The values a file keeps as held come back exactly where the editing handlers put them.
void PassportReaderTest::readsBackWhatTheControlsHeld()
{
    QFETCH(PassportSnapshot, passport);
    QFETCH(PassportDocumentKind, kind);
    compareSnapshots(readPassportDocument(build(passport, kind)).passport, passport);
}

void PassportReaderTest::everySectionCombinationTheDialogAllows()
{
    QSet<QByteArray> seen;
    for (const Sections::BoxStates& states : reachableBoxStates()) {
        PassportSnapshot passport = plainPassport();
        passport.subjectSlots = Sections::packSlots(states);
        // Languages count only with linguistics in a slot.
        if (states.checked[Sections::kLinguistics])
            passport.languages = languagesOf(states, QStringLiteral("эсперанто"));
        const QByteArray file = build(passport);
        if (seen.contains(file))
            continue;
        seen.insert(file);
        const QString message = refusal(file);
        QVERIFY2(message.isEmpty(),
                 qPrintable(message + u' ' + QString::fromUtf8(file.mid(file.indexOf("<subjects")))));
        const PassportSnapshot read = readPassportDocument(file).passport;
        QCOMPARE(read.subjectSlots, passport.subjectSlots);
        QCOMPARE(read.languages, passport.languages);
        QCOMPARE(build(read), file);
    }
    // No section; 1 or 2 main sections (linguistics with 15 language choices) with or without
    // 22 and 24.
    const int mains = 21 - 1 + 15;
    const int pairs = 20 * 19 / 2 + 20 * 15;
    QCOMPARE(seen.size(), 1 + (mains + pairs) * 4);
}

// Every set of up to four sections in identifier order, linguistics with Russian: the ones no
// clicking reaches are refused.
void PassportReaderTest::combinationsTheDialogForbidsAreRefused()
{
    QSet<QList<std::int32_t>> allowed;
    for (const Sections::BoxStates& states : reachableBoxStates()) {
        QList<std::int32_t> ids;
        for (std::int32_t slot : Sections::packSlots(states)) {
            if (slot != 0)
                ids.append(slot);
        }
        allowed.insert(ids);
    }
    QList<std::int32_t> sections;
    for (int id = 1; id <= Sections::kStudyProject; ++id) {
        if (Sections::hasBox(id))
            sections.append(id);
    }
    int refused = 0;
    const qsizetype n = sections.size();
    for (quint64 mask = 1; mask < (quint64(1) << n); ++mask) {
        if (std::popcount(mask) > 4)
            continue;
        QList<std::int32_t> ids;
        for (qsizetype bit = 0; bit < n; ++bit) {
            if (mask & (quint64(1) << bit))
                ids.append(sections.at(bit));
        }
        PassportSnapshot passport = plainPassport();
        passport.subjectSlots = {};
        std::copy(ids.begin(), ids.end(), passport.subjectSlots.begin());
        passport.languages.russian = true;
        const QString message = refusal(build(passport));
        if (allowed.contains(ids)) {
            QVERIFY2(message.isEmpty(), qPrintable(message));
        } else {
            QCOMPARE(message, QStringLiteral("Такое сочетание разделов фестиваля нельзя выбрать"));
            ++refused;
        }
    }
    QVERIFY(refused > 1000);
}

void PassportReaderTest::lineBreaksComeBackAsTheMemoHoldsThem_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("held");

    QTest::newRow("CR LF as the program writes it") << QByteArray("a&#13;\nb") << QStringLiteral("a\r\nb");
    QTest::newRow("raw CR LF, which a parser reads as LF") << QByteArray("a\r\nb") << QStringLiteral("a\r\nb");
    QTest::newRow("LF alone") << QByteArray("a\nb\n") << QStringLiteral("a\r\nb\r\n");
    QTest::newRow("CR alone") << QByteArray("a&#13;b") << QStringLiteral("a\r\nb");
    QTest::newRow("CR CR LF") << QByteArray("a&#13;&#13;\nb") << QStringLiteral("a\r\n\r\nb");
    QTest::newRow("Unicode separators") << QByteArray("a\u2028b\u2029c") << QStringLiteral("a\r\nb\r\nc");
    QTest::newRow("tabs stay") << QByteArray("\ta\t") << QStringLiteral("\ta\t");
}

void PassportReaderTest::lineBreaksComeBackAsTheMemoHoldsThem()
{
    QFETCH(QByteArray, stored);
    QFETCH(QString, held);
    PassportSnapshot passport = plainPassport();
    passport.description = QStringLiteral("DESCRIPTION");
    passport.manual = QStringLiteral("MANUAL");
    passport.notes = QStringLiteral("NOTES");
    QByteArray file = build(passport);
    // The save trims the comment, so blanks at its ends are not the editor's.
    file.replace("DESCRIPTION", stored).replace("MANUAL", stored).replace("NOTES", "|" + stored + "|");
    const PassportSnapshot read = readPassportDocument(file).passport;
    QCOMPARE(read.description, held);
    QCOMPARE(read.manual, held);
    QCOMPARE(read.notes, u'|' + held + u'|');
}

void PassportReaderTest::conformingFormsOpen_data()
{
    QTest::addColumn<QByteArray>("file");

    const QByteArray file = build(baseForBadFiles());
    const qsizetype rootAt = file.indexOf("<lumarinda>");
    const QByteArray tree = file.mid(rootAt);

    QTest::newRow("as written") << file;
    QTest::newRow("no byte order mark") << file.mid(3);
    QTest::newRow("no declaration, header or stylesheet instruction") << tree;
    QTest::newRow("declaration naming UTF-8, no comment")
        << QByteArray("<?xml version='1.0' encoding='utf-8'?>\n<?xml-stylesheet type=\"text/xsl\" href=\"x.xsl\"?>") +
               tree;
    QTest::newRow("single quotes") << QByteArray(file)
                                          .replace("=\"", "='")
                                          .replace("\" ", "' ")
                                          .replace("\"/>", "'/>")
                                          .replace("\">", "'>")
                                          .replace("\"?>", "'?>");
    QByteArray longEmpty = file;
    for (const char* name : {"specification", "manual", "phone", "email"})
        longEmpty.replace(QByteArray("<") + name + "/>", QByteArray("<") + name + "></" + name + ">");
    longEmpty.replace("<subject sb_id=\"24\"/>", "<subject sb_id=\"24\"></subject>");
    QTest::newRow("start and end tag for empty elements") << longEmpty;
    // Text elements hold only text, so every "><" lies between elements.
    QByteArray indented = file;
    indented.replace("><", ">\r\n\t  <");
    QTest::newRow("indented, CR LF between elements") << indented;
    QTest::newRow("attributes in another order, character references")
        << replaced(file, "<person p_id_full=\"" + validId(1234567) + "\" p_type=\"student\"",
                    "<person p_type=\"st&#117;dent\" p_id_full=\"" + validId(1234567) + "\"");
    QTest::newRow("CDATA, comments and instructions in text")
        << replaced(file, "<description>Опыт", "<description><!-- x --><![CDATA[Оп]]><?pi?>&#x44B;т");
    QTest::newRow("unused namespace declaration") << replaced(file, "<lumarinda>", "<lumarinda xmlns:x=\"urn:x\">");
    QTest::newRow("comment and instruction after the root") << file + "<!-- end --><?done?>\n";
    // The attribute count before parsing looks at start tags only.
    QByteArray manyInMarkup;
    for (int i = 0; i < 20; ++i)
        manyInMarkup += " a" + QByteArray::number(i) + "=\"\"";
    QTest::newRow("tags of many attributes in a comment and an instruction") << replaced(
        file, "<description>Опыт", "<description><!-- <x" + manyInMarkup + "> --><?z" + manyInMarkup + "?>Опыт");
}

// A different but conforming serialisation of the same content opens and builds the program's
// own form again.
void PassportReaderTest::conformingFormsOpen()
{
    QFETCH(QByteArray, file);
    QVERIFY2(XmlDoc(file).ok(), qPrintable(XmlDoc(file).errors()));
    ReadPassport read;
    try {
        read = readPassportDocument(file);
    } catch (const Failure& failure) {
        QFAIL(qPrintable(failure.message()));
    }
    QCOMPARE(build(read.passport), build(baseForBadFiles()));
    QCOMPARE(refusal(file, PictureReading::Checked), QString());
}

void PassportReaderTest::badFilesAreRefused_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("message");
    QTest::addColumn<Schema>("schema");

    const PassportSnapshot base = baseForBadFiles();
    const QByteArray file = build(base);
    const QByteArray author = validId(1234567);
    const QByteArray teacher = validId(7654321);
    const QByteArray authorAttributes = "p_id_full=\"" + author + "\" p_type=\"student\"";
    const QByteArray teacherPerson = "<person p_id_full=\"" + teacher +
                                     "\" p_type=\"teacher\" surname=\"Петрова\" name=\"Анна\" patronymic=\"Сергеевна\" "
                                     "status=\"leader\"/>";
    const QByteArray jpeg = makeJpeg(photoLike(4, 3));
    const QByteArray src = "data:image/jpeg;base64," + Base64Encode(jpeg, 19);
    // The file escapes the line feeds of the attribute.
    const QByteArray srcInFile = QByteArray(src).replace("\n", "&#10;");
    auto withPicture = [&](const QByteArray& newSrc) { return replaced(file, srcInFile, newSrc); };
    const QByteArray lengthsOk = "width=\"4\" height=\"3\"";

    // Text and markup
    QTest::newRow("not XML at all") << QByteArray("PK\x03\x04 zip")
                                    << "Текст файла не является правильным документом "
                                       "XML (строка 1, позиция 1)"
                                    << Schema::Refuses;
    QTest::newRow("cut short") << QByteArray("<lumarinda><work title=\"Маятник")
                               << "Текст файла не является правильным документом XML (строка 1, позиция 31)"
                               << Schema::Refuses;
    QTest::newRow("empty") << QByteArray() << "Текст файла не является правильным документом XML (строка 1, позиция 0)"
                           << Schema::Refuses;
    QTest::newRow("Windows-1251 bytes") << replaced(file, "Маятник", toCp1251(QStringLiteral("Маятник")))
                                        << "Текст файла не в кодировке UTF-8" << Schema::Refuses;
    QTest::newRow("UTF-16") << QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char*>(u"<lumarinda/>"), 24)
                            << "Текст файла не в кодировке UTF-8" << Schema::Refuses;
    QTest::newRow("declared Windows-1251")
        << replaced(file, "standalone=\"yes\"", "encoding=\"windows-1251\" standalone=\"yes\"")
        << "Текст файла не в кодировке UTF-8" << Schema::Refuses;
    QTest::newRow("overlong UTF-8 for \"<\"")
        << replaced(file, "Маятник", "\xC0\xBC") << "Текст файла не в кодировке UTF-8" << Schema::Refuses;
    QTest::newRow("another root") << QByteArray("<passport><work/></passport>")
                                  << "Корневой элемент документа — «passport», а не «lumarinda»" << Schema::Refuses;
    QTest::newRow("root in a namespace") << replaced(file, "<lumarinda>", "<lumarinda xmlns=\"urn:x\">")
                                         << "Корневой элемент документа — «{urn:x}lumarinda», а не «lumarinda»"
                                         << Schema::Refuses;
    QTest::newRow("two work elements") << replaced(file, "</lumarinda>", "<work/></lumarinda>")
                                       << "Элемент «work» повторяется в элементе «lumarinda»" << Schema::Refuses;
    QTest::newRow("no work") << QByteArray("<lumarinda> </lumarinda>") << "В элементе «lumarinda» нет элемента «work»"
                             << Schema::Refuses;
    QTest::newRow("missing manual") << replaced(file, "<manual/>", "") << "В элементе «work» нет элемента «manual»"
                                    << Schema::Refuses;
    QTest::newRow("missing comment") << replaced(file, "<comment/>", "") << "В элементе «work» нет элемента «comment»"
                                     << Schema::Refuses;
    QTest::newRow("missing email") << replaced(file, "<email/>", "")
                                   << "В элементе «public_relations» нет элемента «email»" << Schema::Refuses;
    QTest::newRow("repeated description") << replaced(file, "<specification/>", "<description/><specification/>")
                                          << "Элемент «description» повторяется в элементе «work»" << Schema::Refuses;
    QTest::newRow("two pictures") << replaced(file, "<comment/>", "<img/><comment/>")
                                  << "Элемент «img» повторяется в элементе «work»" << Schema::Refuses;
    QTest::newRow("unknown element") << replaced(file, "<comment/>", "<comment/><extra/>")
                                     << "Лишний элемент «extra» в элементе «work»" << Schema::Refuses;
    QTest::newRow("element in a text element") << replaced(file, "<manual/>", "<manual><b>x</b></manual>")
                                               << "Лишний элемент «b» в элементе «manual»" << Schema::Refuses;
    QTest::newRow("out of order") << replaced(replaced(file, "<manual/>", ""), "<specification/>",
                                              "<manual/><specification/>")
                                  << "Элементы в элементе «work» идут не по порядку" << Schema::Refuses;
    QTest::newRow("text between elements")
        << replaced(file, "<manual/>", "<manual/>x") << "Элемент «work» содержит текст" << Schema::Refuses;
    QTest::newRow("missing attribute") << replaced(file, " sz_id=\"13\"", "")
                                       << "У элемента «work» нет атрибута «sz_id»" << Schema::Refuses;
    QTest::newRow("unknown attribute") << replaced(file, "<authors>", "<authors count=\"2\">")
                                       << "У элемента «authors» лишний атрибут «count»" << Schema::Refuses;
    QTest::newRow("another season") << replaced(file, "sz_id=\"13\"", "sz_id=\"12\"")
                                    << "Паспорт относится к другому сезону фестиваля («12»)" << Schema::Refuses;
    QTest::newRow("another version") << replaced(file, "version=\"2.2\"", "version=\"3.0\"")
                                     << "Неизвестная версия формата паспорта «3.0»" << Schema::Refuses;
    QTest::newRow("stored not a number") << replaced(file, "stored=\"1450000000\"", "stored=\"-1\"")
                                         << "Недопустимое значение «-1» атрибута «stored» элемента «work»"
                                         << Schema::Refuses;
    QTest::newRow("stored of eighteen nines")
        << replaced(file, "stored=\"1450000000\"", "stored=\"999999999999999999\"")
        << "Недопустимое значение «999999999999999999» атрибута «stored» элемента «work»" << Schema::Refuses;
    QTest::newRow("stored of twelve digits")
        << replaced(file, "stored=\"1450000000\"", "stored=\"100000000000\"")
        << "Недопустимое значение «100000000000» атрибута «stored» элемента «work»" << Schema::Refuses;
    QTest::newRow("doubled byte order mark")
        << QByteArray("\xEF\xBB\xBF") + file
        << "Текст файла не является правильным документом XML (строка 1, позиция 1)" << Schema::Refuses;
    QTest::newRow("title of blanks") << replaced(file, "title=\"Маятник\"", "title=\" &#9;\"")
                                     << "Название работы начинается или заканчивается пробелом" << Schema::Refuses;

    // Entity tricks
    QTest::newRow("internal entity expansion")
        << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE lumarinda [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b "
                      "\"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]>") +
               replaced(file.mid(file.indexOf("<lumarinda>")), "<manual/>", "<manual>&c;</manual>")
        << "Файл содержит объявление типа документа или ссылку на сущность" << Schema::Refuses;
    QTest::newRow("external entity") << QByteArray("<!DOCTYPE lumarinda [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>") +
                                            replaced(file.mid(file.indexOf("<lumarinda>")), "<manual/>",
                                                     "<manual>&x;</manual>")
                                     << "Файл содержит объявление типа документа или ссылку на сущность"
                                     << Schema::Refuses;
    QTest::newRow("external DTD") << QByteArray("<!DOCTYPE lumarinda SYSTEM \"http://example.org/p.dtd\">") +
                                         file.mid(file.indexOf("<lumarinda>"))
                                  << "Файл содержит объявление типа документа или ссылку на сущность"
                                  << Schema::CannotSay;
    QTest::newRow("undeclared entity") << QByteArray("<lumarinda>\n<work>&nbsp;</work></lumarinda>")
                                       << "Текст файла не является правильным документом XML (строка 2, позиция 12)"
                                       << Schema::Refuses;

    // People
    QTest::newRow("wrong check code")
        << replaced(file, author, author.left(9) + (author.at(9) == '0' ? "1" : "0") + author.mid(10))
        << QStringLiteral("Неверный контрольный код в идентификаторе участника «%1»")
               .arg(QString::fromLatin1(author.left(9) + (author.at(9) == '0' ? "1" : "0") + author.mid(10)))
        << Schema::CannotSay;
    QTest::newRow("identifier without hyphens") << replaced(file, author, QByteArray(author).replace("-", ""))
                                                << QStringLiteral("«%1» не является идентификатором участника")
                                                       .arg(QString::fromLatin1(QByteArray(author).replace("-", "")))
                                                << Schema::Refuses;
    QTest::newRow("identifier with blanks") << replaced(file, author, QByteArray(author).replace("-", " "))
                                            << QStringLiteral("«%1» не является идентификатором участника")
                                                   .arg(QString::fromLatin1(QByteArray(author).replace("-", " ")))
                                            << Schema::Refuses;
    QTest::newRow("repeated identifier")
        << replaced(file, teacher, author)
        << QStringLiteral("Идентификатор участника «%1» указан дважды").arg(QString::fromLatin1(author))
        << Schema::Refuses;
    QByteArray eleven;
    for (int i = 0; i < 11; ++i)
        eleven += "<person p_id_full=\"" + validId(3000000 + i) +
                  "\" p_type=\"student\" surname=\"\" name=\"\" patronymic=\"\"/>";
    QTest::newRow("11 authors") << replaced(file, "<authors>", "<authors>" + eleven) << "Авторов больше 10"
                                << Schema::CannotSay;
    QByteArray fourTeachers;
    for (int i = 0; i < 3; ++i)
        fourTeachers += "<person p_id_full=\"" + validId(4000000 + i) +
                        "\" p_type=\"teacher\" surname=\"\" name=\"\" patronymic=\"\"/>";
    QTest::newRow("4 supervisors") << replaced(file, "</authors>", fourTeachers + "</authors>")
                                   << "Руководителей больше 3" << Schema::CannotSay;
    QByteArray thirty;
    for (int i = 0; i < 30; ++i)
        thirty += "<person p_id_full=\"" + validId(3000000 + i) +
                  "\" p_type=\"student\" surname=\"\" name=\"\" patronymic=\"\"/>";
    QTest::newRow("30 authors") << replaced(file, "<authors>", "<authors>" + thirty) << "Авторов больше 10"
                                << Schema::Refuses;
    QTest::newRow("author after a supervisor")
        << replaced(file, "</authors>",
                    "<person p_id_full=\"" + validId(5000000) +
                        "\" p_type=\"student\" surname=\"\" name=\"\" patronymic=\"\"/></authors>")
        << QStringLiteral("Автор «%1» указан после руководителей").arg(id(5000000)) << Schema::CannotSay;
    QTest::newRow("no invoice recipient")
        << replaced(file, " status=\"leader\"", "") << "Не указан руководитель, которому направлять счет для оплаты"
        << Schema::CannotSay;
    QTest::newRow("two invoice recipients")
        << replaced(file, "</authors>", QByteArray(teacherPerson).replace(teacher, validId(5000001)) + "</authors>")
        << "Счет для оплаты направлен двум руководителям" << Schema::Refuses;
    QTest::newRow("author receives the invoice")
        << replaced(file, authorAttributes, authorAttributes + " status=\"leader\"")
        << "Недопустимое значение «leader» атрибута «status» элемента «person»" << Schema::Refuses;
    QTest::newRow("unknown person type") << replaced(file, "p_type=\"student\"", "p_type=\"parent\"")
                                         << "Недопустимое значение «parent» атрибута «p_type» элемента «person»"
                                         << Schema::Refuses;
    QTest::newRow("name outside Windows-1251") << replaced(file, "surname=\"Иванов\"", "surname=\"Ли 李\"")
                                               << QStringLiteral("Фамилия участника «%1» содержит символ, которого нет "
                                                                 "в кодировке Windows-1251")
                                                      .arg(QString::fromLatin1(author))
                                               << Schema::CannotSay;
    QTest::newRow("name over its limit")
        << replaced(file, "name=\"Иван\"", "name=\"" + QByteArray(FieldLimits::kParticipantName + 1, 'x') + "\"")
        << QStringLiteral("Имя участника «%1» длиннее 50 символов").arg(QString::fromLatin1(author)) << Schema::Refuses;

    // Sections
    QTest::newRow("unassigned section 23")
        << replaced(file, "sb_id=\"24\"", "sb_id=\"23\"") << "Неизвестный раздел фестиваля 23" << Schema::Refuses;
    QTest::newRow("language as a section")
        << replaced(file, "sb_id=\"24\"", "sb_id=\"26\"") << "Неизвестный раздел фестиваля 26" << Schema::Refuses;
    QTest::newRow("section 0") << replaced(file, "sb_id=\"24\"", "sb_id=\"0\"") << "Неизвестный раздел фестиваля 0"
                               << Schema::Refuses;
    QTest::newRow("section with a leading zero")
        << replaced(file, "sb_id=\"24\"", "sb_id=\"024\"")
        << "Недопустимое значение «024» атрибута «sb_id» элемента «subject»" << Schema::Refuses;
    QTest::newRow("section repeated") << replaced(file, "sb_id=\"24\"", "sb_id=\"2\"")
                                      << "Раздел фестиваля 2 указан дважды" << Schema::Refuses;
    QTest::newRow("three main sections") << replaced(file, "sb_id=\"24\"", "sb_id=\"11\"")
                                         << "Такое сочетание разделов фестиваля нельзя выбрать" << Schema::CannotSay;
    QTest::newRow("sections out of order")
        << replaced(file, "<subject sb_id=\"2\"/>", "").replace("</subjects>", "<subject sb_id=\"2\"/></subjects>")
        << "Такое сочетание разделов фестиваля нельзя выбрать" << Schema::CannotSay;
    QTest::newRow("competition alone")
        << replaced(file, "<subjects><subject sb_id=\"2\"/><subject sb_id=\"6\"><subject sb_id=\"25\"/></subject>",
                    "<subjects>")
        << "Такое сочетание разделов фестиваля нельзя выбрать" << Schema::CannotSay;
    QTest::newRow("linguistics without a language beside two main sections")
        << replaced(replaced(file, "<subject sb_id=\"25\"/>", ""), "<subject sb_id=\"2\"/>",
                    "<subject sb_id=\"2\"/><subject sb_id=\"3\"/>")
        << "Такое сочетание разделов фестиваля нельзя выбрать" << Schema::CannotSay;
    QTest::newRow("language repeated") << replaced(file, "<subject sb_id=\"25\"/>",
                                                   "<subject sb_id=\"25\"/><subject sb_id=\"25\"/>")
                                       << "Языки раздела «Лингвистика» повторяются или идут не по порядку"
                                       << Schema::Refuses;
    QTest::newRow("languages out of order")
        << replaced(file, "<subject sb_id=\"25\"/>", "<subject title=\"x\"/><subject sb_id=\"25\"/>")
        << "Языки раздела «Лингвистика» повторяются или идут не по порядку" << Schema::CannotSay;
    QTest::newRow("unknown language") << replaced(file, "<subject sb_id=\"25\"/>", "<subject sb_id=\"22\"/>")
                                      << "Неизвестный язык раздела «Лингвистика»: 22" << Schema::Refuses;
    QTest::newRow("language under another section")
        << replaced(file, "<subject sb_id=\"2\"/>", "<subject sb_id=\"2\"><subject sb_id=\"25\"/></subject>")
        << "Лишний элемент «subject» в элементе «subject»" << Schema::CannotSay;
    QTest::newRow("other language over its limit")
        << replaced(file, "<subject sb_id=\"25\"/>",
                    "<subject sb_id=\"25\"/><subject title=\"" + QByteArray(FieldLimits::kOtherLanguage + 1, 'x') +
                        "\"/>")
        << "Название другого языка длиннее 50 символов" << Schema::Refuses;

    // Blanks the save trims away
    QTest::newRow("title ending in a blank")
        << replaced(file, "title=\"Маятник\"", "title=\"Маятник \"")
        << "Название работы начинается или заканчивается пробелом" << Schema::Refuses;
    QTest::newRow("postal code after a tab")
        << replaced(file, "<postal_code>101000", "<postal_code>&#9;101000")
        << "Почтовый индекс начинается или заканчивается пробелом" << Schema::Refuses;
    QTest::newRow("e-mail of a blank") << replaced(file, "<email/>", "<email> </email>")
                                       << "Адрес электронной почты начинается или заканчивается пробелом"
                                       << Schema::Refuses;
    QTest::newRow("comment ending in a line break")
        << replaced(file, "<comment/>", "<comment>x&#13;\n</comment>")
        << "Комментарий для оргкомитета начинается или заканчивается пробелом" << Schema::Refuses;
    QTest::newRow("surname ending in a blank")
        << replaced(file, "surname=\"Иванов\"", "surname=\"Иванов \"")
        << QStringLiteral("Фамилия участника «%1» начинается или заканчивается пробелом")
               .arg(QString::fromLatin1(author))
        << Schema::Refuses;
    QTest::newRow("other language after a blank")
        << replaced(file, "<subject sb_id=\"25\"/>", "<subject sb_id=\"25\"/><subject title=\" латынь\"/>")
        << "Название другого языка начинается или заканчивается пробелом" << Schema::Refuses;

    // Texts over their limits
    QTest::newRow("title of 250 emoji, counting two each")
        << replaced(file, "title=\"Маятник\"",
                    "title=\"" + QString(125, QChar(0)).replace(QChar(0), "😀😀").toUtf8() + "\"")
        << "Название работы длиннее 250 символов" << Schema::CannotSay;
    QTest::newRow("title") << replaced(file, "title=\"Маятник\"",
                                       "title=\"" + QByteArray(FieldLimits::kTitle + 1, 'x') + "\"")
                           << "Название работы длиннее 250 символов" << Schema::Refuses;
    QTest::newRow("description, a line break counting two")
        << replaced(file, "<description>Опыт&#13;\nс маятником</description>",
                    "<description>" + QByteArray(FieldLimits::kDescription - 1, 'x') + "\n</description>")
        << "Описание работы длиннее 500 символов" << Schema::CannotSay;
    QTest::newRow("technical requirements")
        << replaced(file, "<specification/>",
                    "<specification>" + QByteArray(FieldLimits::kTechRequest + 1, 'x') + "</specification>")
        << "Технические требования длиннее 250 символов" << Schema::Refuses;
    QTest::newRow("postal code, an emoji counting two")
        << replaced(file, "<postal_code>101000</postal_code>", "<postal_code>123456789😀</postal_code>")
        << "Почтовый индекс длиннее 10 символов" << Schema::CannotSay;
    QTest::newRow("comment") << replaced(file, "<comment/>",
                                         "<comment>" + QByteArray(FieldLimits::kNotes + 1, 'x') + "</comment>")
                             << "Комментарий для оргкомитета длиннее 2000 символов" << Schema::Refuses;

    // Picture
    QTest::newRow("not a JPEG") << withPicture("data:image/jpeg;base64," + base64Of("GIF89a not a jpeg"))
                                << "Картинка не является изображением JPEG" << Schema::CannotSay;
    QTest::newRow("empty picture") << withPicture("data:image/jpeg;base64,") << "Картинка не является изображением JPEG"
                                   << Schema::Refuses;
    QTest::newRow("PNG data URI") << withPicture("data:image/png;base64," + Base64Encode(jpeg, 19))
                                  << "Картинка записана не как изображение JPEG в Base64" << Schema::Refuses;
    QTest::newRow("character outside the alphabet")
        << withPicture(QByteArray(srcInFile).insert(40, '*')) << "Текст картинки в Base64 поврежден" << Schema::Refuses;
    QTest::newRow("padding missing") << withPicture(srcInFile.left(srcInFile.size() - 1))
                                     << "Текст картинки в Base64 поврежден" << Schema::CannotSay;
    QTest::newRow("raw line feed in the attribute, read as a blank")
        << withPicture(QByteArray(srcInFile).replace("&#10;", "\n")) << "Текст картинки в Base64 поврежден"
        << Schema::Refuses;
    QTest::newRow("Cyrillic in the Base64")
        << withPicture(QByteArray(srcInFile).insert(40, "Ж")) << "Текст картинки в Base64 поврежден" << Schema::Refuses;
    QTest::newRow("301 x 1") << replaced(withPicture("data:image/jpeg;base64," + base64Of(makeJpeg(photoLike(301, 1)))),
                                         lengthsOk, "width=\"300\" height=\"1\"")
                             << "Картинка размером 301 x 1 точек больше 300 x 300" << Schema::CannotSay;
    QTest::newRow("header claims 400 x 400")
        << withPicture("data:image/jpeg;base64," + base64Of(withClaimedSize(jpeg, 400, 400)))
        << "Картинка размером 400 x 400 точек больше 300 x 300" << Schema::CannotSay;
    QTest::newRow("size differs") << replaced(file, lengthsOk, "width=\"3\" height=\"4\"")
                                  << "Картинка размером 4 x 3 точек записана с размером 3 x 4" << Schema::CannotSay;
    QTest::newRow("width over 300") << replaced(file, lengthsOk, "width=\"301\" height=\"3\"")
                                    << "Недопустимое значение «301» атрибута «width» элемента «img»" << Schema::Refuses;
    QTest::newRow("height missing") << replaced(file, " height=\"3\"", "") << "У элемента «img» нет атрибута «height»"
                                    << Schema::Refuses;
    QTest::newRow("empty caption") << replaced(file, "title=\"Подпись\"", "title=\"\"")
                                   << "Недопустимое значение «» атрибута «title» элемента «img»" << Schema::Refuses;
    JpegOptions turned;
    turned.exifOrientation = 6;
    QTest::newRow("turned by its EXIF orientation")
        << withPicture("data:image/jpeg;base64," + base64Of(makeJpeg(photoLike(4, 3), turned)))
        << "Картинка записана с поворотом по EXIF (ориентация 6)" << Schema::CannotSay;
    const QByteArray badTable = withImpossibleHuffmanTable(jpeg);
    QTest::newRow("JPEG whose data does not decode") << withPicture("data:image/jpeg;base64," + base64Of(badTable))
                                                     << "Картинка не читается (JPEG error #8)" << Schema::CannotSay;
}

// The schema, published for the committee, refuses every row too, but for what XML Schema 1.0
// cannot say (its comment lists it).
void PassportReaderTest::badFilesAreRefused()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, message);
    QFETCH(Schema, schema);
    QCOMPARE(refusal(file), message);
    // The committee only checks the picture, and must refuse it all the same.
    QCOMPARE(refusal(file, PictureReading::Checked), message);
    const QString errors = schemaErrors(kSchema, file);
    QVERIFY2(!errors.startsWith(QLatin1String("xmllint is not")) && !errors.startsWith(QLatin1String("xmllint did")),
             qPrintable(errors));
    if (schema == Schema::Refuses)
        QVERIFY2(!errors.isEmpty(), "the schema accepts it");
    else
        QVERIFY2(errors.isEmpty(), qPrintable(errors));
}

void PassportReaderTest::hugeDocumentsAreRefusedCheaply_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("message");

    QTest::newRow("over 64 MiB") << QByteArray(kMaxPassportFileBytes + 1, ' ') << "Файл больше 64 МБ";
    QTest::newRow("a million nested elements") << QByteArray("<lumarinda>") + QByteArray("<a>").repeated(1000000) +
                                                      QByteArray("</a>").repeated(1000000) + "</lumarinda>"
                                               << "Лишний элемент «a» в элементе «lumarinda»";
    QTest::newRow("deep in the work") << QByteArray("<lumarinda><work>") + QByteArray("<a>").repeated(100000) +
                                             QByteArray("</a>").repeated(100000) + "</work></lumarinda>"
                                      << "У элемента «work» нет атрибута «title»";
    QByteArray attributes;
    for (int i = 0; i < 100000; ++i)
        attributes += " a" + QByteArray::number(i) + "=\"\"";
    QTest::newRow("an element of 100,000 attributes") << "<lumarinda><work" + attributes + "/></lumarinda>"
                                                      << "У элемента «work» больше 8 атрибутов";
    QTest::newRow("a million siblings") << QByteArray("<lumarinda>") + QByteArray("<work/>").repeated(1000000) +
                                               "</lumarinda>"
                                        << "Элемент «work» повторяется в элементе «lumarinda»";
}

// Nesting and width far beyond the passport's own are refused without a deep stack or a tree of
// millions of elements.
void PassportReaderTest::hugeDocumentsAreRefusedCheaply()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, message);
    QCOMPARE(refusal(file), message);
}

void PassportReaderTest::fileFailuresNameTheFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString good = dir.filePath(QStringLiteral("Маятник.qdx.xml"));
    writeFileBytes(good, build(plainPassport()));
    QCOMPARE(build(readPassportFile(good).passport), build(plainPassport()));

    const QString broken = dir.filePath(QStringLiteral("broken.qdx.xml"));
    writeFileBytes(broken, QByteArray("<passport/>"));
    const QString pipe = dir.filePath(QStringLiteral("pipe.qdx.xml"));
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString huge = dir.filePath(QStringLiteral("huge.qdx.xml"));
    {
        QFile file(huge);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(kMaxPassportFileBytes + 1));
    }
    const QString missing = dir.filePath(QStringLiteral("missing.qdx.xml"));

    const QList<QPair<QString, QString>> cases = {
        {broken, "Паспорт работы «%1» не открыт: корневой элемент документа — «passport», а не «lumarinda»"},
        {pipe, "Паспорт работы «%1» не открыт: это не обычный файл"},
        {huge, "Паспорт работы «%1» не открыт: файл больше 64 МБ"},
        {missing, "Паспорт работы «%1» не открыт: файл или папка не существует"},
        {dir.path(), "Паспорт работы «%1» не открыт: это папка, а не файл"},
    };
    for (const auto& [path, message] : cases) {
        QString actual;
        try {
            readPassportFile(path);
        } catch (const Failure& failure) {
            actual = failure.message();
        }
        QCOMPARE(actual, message.arg(QDir::toNativeSeparators(path)));
    }
}

using Change = std::function<void(PassportSnapshot&)>;

void PassportReaderTest::salvageLeavesOutTheDamagedPart_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("leftOut");
    QTest::addColumn<Change>("expected"); // what changes from the sound passport the file was made of

    const PassportSnapshot base = baseForBadFiles();
    const QByteArray file = build(base);
    const QByteArray teacher = validId(7654321);
    const QByteArray garbage = "data:image/jpeg;base64," + QByteArray("not a picture at all").toBase64();
    const QByteArray src = "data:image/jpeg;base64," + Base64Encode(makeJpeg(photoLike(4, 3)), 19);
    const QByteArray srcInFile = QByteArray(src).replace("\n", "&#10;");
    const auto noPicture = Change([](PassportSnapshot& p) {
        p.hasPicture = false;
        p.pictureBase64.clear();
        p.pictureWidth = p.pictureHeight = 0;
        p.pictureCaption.clear();
    });

    QTest::newRow("garbage picture") << replaced(file, srcInFile, garbage)
                                     << QStringList{QStringLiteral(
                                            "картинка с подписью «Подпись»: картинка не является изображением JPEG")}
                                     << noPicture;
    QTest::newRow("unknown section") << replaced(file, "<subject sb_id=\"24\"/>", "<subject sb_id=\"99\"/>")
                                     << QStringList{QStringLiteral("раздел фестиваля: неизвестный раздел фестиваля 99")}
                                     << Change([](PassportSnapshot& p) {
                                            p.subjectSlots = {2, 6, 0, 0, 0};
                                        });
    QTest::newRow("wrong check code")
        << replaced(file, teacher, "765-432-100")
        << QStringList{QStringLiteral("участник «765-432-100»: неверный контрольный код в идентификаторе участника "
                                      "«765-432-100»")}
        << Change([](PassportSnapshot& p) {
               p.teachers.clear();
               p.leaderIndex = -1;
           });
    QTest::newRow("picture and section together")
        << replaced(replaced(file, srcInFile, garbage), "<subject sb_id=\"24\"/>", "<subject sb_id=\"0\"/>")
        << QStringList{QStringLiteral("раздел фестиваля: неизвестный раздел фестиваля 0"),
                       QStringLiteral("картинка с подписью «Подпись»: картинка не является изображением JPEG")}
        << Change([noPicture](PassportSnapshot& p) {
               noPicture(p);
               p.subjectSlots = {2, 6, 0, 0, 0};
           });
}

// What could be read comes back, what could not is named; saved again, it is a sound passport.
// The strict reading, which --check uses, still refuses the file.
void PassportReaderTest::salvageLeavesOutTheDamagedPart()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, leftOut);
    QFETCH(Change, expected);
    QVERIFY(!refusal(file).isEmpty());

    QStringList said;
    const ReadPassport read = readPassportDocument(file, &said);
    QCOMPARE(said, leftOut);
    PassportSnapshot wanted = baseForBadFiles();
    expected(wanted);
    compareSnapshots(read.passport, wanted);
    QCOMPARE(refusal(build(read.passport)), QString());
}

void PassportReaderTest::salvageStillRefuses_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("message");
    PassportSnapshot crowded = baseForBadFiles();
    for (int i = 0; i < 9; ++i)
        crowded.authors.append(person(1000 + i, QStringLiteral("Лишний"), {}, {}));
    const QByteArray file = build(baseForBadFiles());
    const QByteArray eleventh =
        "<person p_id_full=\"" + validId(1234500) + "\" p_type=\"student\" surname=\"Ли\" name=\"\" patronymic=\"\"/>";
    QTest::newRow("cut short") << QByteArray("<lumarinda><work title=\"Маятник")
                               << QStringLiteral("Текст файла не является правильным документом XML (строка 1, "
                                                 "позиция 31)");
    QTest::newRow("eleven authors") << replaced(build(crowded), "</authors>", QByteArray(eleventh) + "</authors>")
                                    << QStringLiteral("Авторов больше 10");
    QTest::newRow("other season") << replaced(file, "sz_id=\"13\"", "sz_id=\"14\"")
                                  << QStringLiteral("Паспорт относится к другому сезону фестиваля («14»)");
}

// Only the picture, a section or a participant is left out: every other fault refuses the file.
void PassportReaderTest::salvageStillRefuses()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, message);
    QStringList said;
    try {
        readPassportDocument(file, &said);
        QFAIL("read");
    } catch (const Failure& failure) {
        QCOMPARE(failure.message(), message);
    }
}

QTEST_GUILESS_MAIN(PassportReaderTest)
#include "tst_passport_reader.moc"
