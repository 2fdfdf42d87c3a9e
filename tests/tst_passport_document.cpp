#include "core/passport/PassportDocument.h"
#include "core/shell/Trimming.h"
#include "core/shell/Windows1251.h"
#include "support/Passports.h"
#include "support/Xml.h"

#include <QRegularExpression>
#include <QTest>
#include <functional>

Q_DECLARE_METATYPE(Sections::LanguageChoices)

namespace {

// A complete passport with one of everything.
PassportSnapshot completePassport()
{
    PassportParts parts;
    parts.leaveOutExtras();
    parts.title = QStringLiteral("Звёздное небо");
    parts.description = QStringLiteral("Описание");
    parts.authors = {
        participantEntry("123-456-789", QStringLiteral("Иванов"), QStringLiteral("Иван"), QStringLiteral("Иванович"))};
    parts.teachers = {participantEntry("987-654-321", QStringLiteral("Петрова"), QStringLiteral("Анна"),
                                       QStringLiteral("Сергеевна"))};
    parts.leaderIndex = 0;
    parts.subjectSlots = {1, 0, 0, 0, 0};
    return fullPassport(parts);
}

// Where a field goes in the snapshot, where it comes back in the file, and whether it is trimmed.
struct Field
{
    const char* name;
    std::function<void(PassportSnapshot&, const QString&)> put;
    const char* xpath;
    bool trimmed;
    bool cp1251;
};

const QList<Field>& fields()
{
    static const QList<Field> all = {
        {"title", [](PassportSnapshot& p, const QString& v) { p.title = v; }, "/lumarinda/work/@title", true, false},
        {"description", [](PassportSnapshot& p, const QString& v) { p.description = v; }, "/lumarinda/work/description",
         false, false},
        {"specification", [](PassportSnapshot& p, const QString& v) { p.techRequest = v; },
         "/lumarinda/work/specification", false, false},
        {"manual", [](PassportSnapshot& p, const QString& v) { p.manual = v; }, "/lumarinda/work/manual", false, false},
        {"postal_code", [](PassportSnapshot& p, const QString& v) { p.postIndex = v; },
         "//public_relations/postal_code", true, false},
        {"address", [](PassportSnapshot& p, const QString& v) { p.postAddress = v; }, "//public_relations/address",
         true, false},
        {"phone", [](PassportSnapshot& p, const QString& v) { p.phone = v; }, "//public_relations/phone", true, false},
        {"email", [](PassportSnapshot& p, const QString& v) { p.email = v; }, "//public_relations/email", true, false},
        {"comment", [](PassportSnapshot& p, const QString& v) { p.notes = v; }, "/lumarinda/work/comment", true, false},
        {"img title", [](PassportSnapshot& p, const QString& v) { p.pictureCaption = v; }, "/lumarinda/work/img/@title",
         false, false},
        {"img src", [](PassportSnapshot& p, const QString& v) { p.pictureBase64 = v; },
         "substring-after(/lumarinda/work/img/@src, 'data:image/jpeg;base64,')", false, false},
        {"other language",
         [](PassportSnapshot& p, const QString& v) {
             p.subjectSlots = {6, 0, 0, 0, 0};
             p.languages.other = true;
             p.languages.otherText = v;
         },
         "//subject[@sb_id='6']/subject/@title", true, false},
        {"surname", [](PassportSnapshot& p, const QString& v) { p.authors[0].surname = toCp1251(v); },
         "//person[@p_type='student']/@surname", true, true},
        {"name", [](PassportSnapshot& p, const QString& v) { p.teachers[0].name = toCp1251(v); },
         "//person[@p_type='teacher']/@name", true, true},
        {"patronymic", [](PassportSnapshot& p, const QString& v) { p.authors[0].patronymic = toCp1251(v); },
         "//person[@p_type='student']/@patronymic", true, true},
    };
    return all;
}

PassportSnapshot withPicture()
{
    PassportSnapshot passport = completePassport();
    passport.hasPicture = true;
    passport.pictureBase64 = QStringLiteral("/9j/4AAQ\nSkZJRg==");
    passport.pictureWidth = 300;
    passport.pictureHeight = 199;
    passport.pictureCaption = QStringLiteral("Подпись");
    return passport;
}

} // namespace

class PassportDocumentTest : public QObject
{
    Q_OBJECT

private slots:
    void fileBytesArePinned();
    void headerIsFixed();
    void noWhitespaceBetweenTags();
    void valuesComeBackExactly_data();
    void valuesComeBackExactly();
    void unwritableCharactersAreDropped_data();
    void unwritableCharactersAreDropped();
    void workAttributes();
    void childOrder_data();
    void childOrder();
    void previewTitle_data();
    void previewTitle();
    void subjects_data();
    void subjects();
    void persons_data();
    void persons();
    void picture_data();
    void picture();
    void emptyContactsStillWritten();
    void blankLinesAtTheEnd();
    void proposedFileName_data();
    void proposedFileName();
};

void PassportDocumentTest::fileBytesArePinned()
{
    PassportSnapshot passport = completePassport();
    passport.title = QStringLiteral("  Т&Т  ");
    passport.description = QStringLiteral("a\r\nb");
    passport.subjectSlots = {2, 6, 0, 0, 0};
    passport.languages.english = true;
    passport.email = QStringLiteral("x@y.ru");
    passport.notes = QStringLiteral("<ok>");

    const QByteArray expected =
        QByteArrayLiteral("\xEF\xBB\xBF") +
        QStringLiteral(
            "<?xml version=\"1.0\" standalone=\"yes\"?>\r\n"
            "<?xml-stylesheet type=\"text/xsl\" href=\"preview.qdx.xsl\" ?>\r\n"
            "<!--\r\n"
            "\r\n"
            "   Паспорт работы Фестиваля «Lumarinda»\r\n"
            "\r\n"
            "   Файл создан в программе заполнения электронного паспорта\r\n"
            "   работы фестиваля «Lumarinda». Не вносите исправлния вручную!\r\n"
            "   Это может повредить структуру данных и повлечь некорректную\r\n"
            "   обработку при добавлении в базу.\r\n"
            "\r\n"
            "-->\r\n"
            "<lumarinda><work title=\"Т&amp;Т\" sz_id=\"13\" stored=\"1450000000\" version=\"2.2\">"
            "<description>a&#13;\nb</description><specification/><manual/>"
            "<subjects><subject sb_id=\"2\"/><subject sb_id=\"6\"><subject sb_id=\"26\"/></subject></subjects>"
            "<authors>"
            "<person p_id_full=\"123-456-789\" p_type=\"student\" surname=\"Иванов\" name=\"Иван\" "
            "patronymic=\"Иванович\"/>"
            "<person p_id_full=\"987-654-321\" p_type=\"teacher\" surname=\"Петрова\" name=\"Анна\" "
            "patronymic=\"Сергеевна\" status=\"leader\"/>"
            "</authors>"
            "<public_relations><postal_code/><address/><phone/><email>x@y.ru</email></public_relations>"
            "<comment>&lt;ok&gt;</comment></work></lumarinda>\r\n")
            .toUtf8();
    const QByteArray bytes = build(passport);
    QCOMPARE(QString::fromUtf8(bytes), QString::fromUtf8(expected));
    QCOMPARE(bytes, expected);
    QVERIFY2(XmlDoc(bytes).ok(), qPrintable(XmlDoc(bytes).errors()));
}

void PassportDocumentTest::headerIsFixed()
{
    const QString text = QString::fromUtf8(build(completePassport()).mid(3));
    QCOMPARE(text.indexOf(QStringLiteral("\r\n")), 38);
    QCOMPARE(passportFileHeader().size(), 345);
    QCOMPARE(passportFileHeader().count(QStringLiteral("\r\n")), 11);
    QCOMPARE(text.mid(40, 345), passportFileHeader());
    QVERIFY(text.mid(40 + 345).startsWith(QStringLiteral("<lumarinda>")));
    QVERIFY(text.endsWith(QStringLiteral("</lumarinda>\r\n")));
    QVERIFY(!text.endsWith(QStringLiteral("\r\n\r\n")));
}

void PassportDocumentTest::noWhitespaceBetweenTags()
{
    PassportSnapshot passport = withPicture();
    passport.subjectSlots = {6, 11, 22, 0, 0};
    passport.languages = {true, true, true, true, QStringLiteral("эсперанто")};
    passport.teachers.append(
        participantEntry("111-222-333", QStringLiteral("Б"), QStringLiteral("В"), QStringLiteral("Г")));
    passport.description = QStringLiteral("a\r\nb");
    const QString body = QString::fromUtf8(build(passport)).mid(1 + 40 + 345);
    QVERIFY(!body.contains(QRegularExpression(QStringLiteral(">\\s+<"))));
    // The description's line feed and the final one; the picture's is a reference.
    QCOMPARE(body.count(u'\n'), 2);
    QVERIFY(XmlDoc(build(passport)).ok());
}

void PassportDocumentTest::valuesComeBackExactly_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("value");
    const struct
    {
        const char* name;
        QString value;
    } values[] = {
        {"markup", QStringLiteral("<a href=\"x\">&amp; 'q'</a>")},
        {"cdata end", QStringLiteral("x]]>y")},
        {"cyrillic", QStringLiteral("Ёжик в тумане — «ёлка»")},
        {"emoji", QStringLiteral("🎨 рисунок 😀")},
        {"crlf", QStringLiteral("one\r\ntwo\r\n\r\nthree")},
        {"lone cr and lf", QStringLiteral("a\rb\nc")},
        {"tab", QStringLiteral("a\tb")},
        {"blank only", QStringLiteral("  \r\n\t ")},
        {"padded", QStringLiteral("  x y \r\n")},
        {"no-break spaces", QStringLiteral("\u00a0x\u00a0")},
        {"entity lookalike", QStringLiteral("&#13; &lt;")},
    };
    for (int f = 0; f < fields().size(); ++f) {
        for (const auto& value : values)
            QTest::addRow("%s: %s", fields().at(f).name, value.name) << f << value.value;
    }
}

void PassportDocumentTest::valuesComeBackExactly()
{
    QFETCH(int, field);
    QFETCH(QString, value);
    const Field& where = fields().at(field);
    PassportSnapshot passport = withPicture();
    where.put(passport, value);

    QString expected = where.cp1251 ? fromCp1251(toCp1251(value)) : value;
    if (where.trimmed)
        expected = trimControls(expected);

    for (auto kind : {PassportDocumentKind::Saved, PassportDocumentKind::Preview}) {
        const XmlDoc doc(build(passport, kind));
        QVERIFY2(doc.ok(), qPrintable(doc.errors()));
        if (kind == PassportDocumentKind::Preview && QLatin1String(where.name) == QLatin1String("title") &&
            expected.isEmpty())
            expected = QStringLiteral("Без названия");
        QCOMPARE(doc.string(QString::fromLatin1(where.xpath)), expected);
    }
}

void PassportDocumentTest::unwritableCharactersAreDropped_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("bad");
    const struct
    {
        const char* name;
        QString text;
    } bads[] = {
        {"U+0000", QString(QChar(0x0000))},
        {"U+0001", QString(QChar(0x0001))},
        {"U+0008", QString(QChar(0x0008))},
        {"U+000B", QString(QChar(0x000B))},
        {"U+000C", QString(QChar(0x000C))},
        {"U+001F", QString(QChar(0x001F))},
        {"lone high surrogate", QString(QChar(0xD83D))},
        {"lone low surrogate", QString(QChar(0xDE00))},
        {"U+FFFE", QString(QChar(0xFFFE))},
        {"U+FFFF", QString(QChar(0xFFFF))},
    };
    for (int f = 0; f < fields().size(); ++f) {
        for (const auto& bad : bads) {
            // The record already holds "?" for what Windows-1251 lacks; only controls reach a name.
            if (fields().at(f).cp1251 && bad.text.at(0).unicode() >= 0x20)
                continue;
            QTest::addRow("%s: %s", fields().at(f).name, bad.name) << f << bad.text;
        }
    }
}

// Text pasted from another program can carry characters XML 1.0 has no place for; they are
// dropped so that the committee's database can always load the file.
void PassportDocumentTest::unwritableCharactersAreDropped()
{
    QFETCH(int, field);
    QFETCH(QString, bad);
    const Field& where = fields().at(field);
    PassportSnapshot passport = withPicture();
    // At the end too, where it would hide trailing blanks from trimming.
    where.put(passport, QStringLiteral("Ёж") + bad + QStringLiteral("😀") + bad + QStringLiteral("ik ") + bad);

    const QString expected = where.cp1251    ? QStringLiteral("Ёж?ik")
                             : where.trimmed ? QStringLiteral("Ёж😀ik")
                                             : QStringLiteral("Ёж😀ik ");
    for (auto kind : {PassportDocumentKind::Saved, PassportDocumentKind::Preview}) {
        const QByteArray bytes = build(passport, kind);
        const XmlDoc doc(bytes);
        QVERIFY2(doc.ok(), qPrintable(doc.errors()));
        QCOMPARE(doc.string(QString::fromLatin1(where.xpath)), expected);
        QVERIFY(!bytes.contains(QByteArrayLiteral("\xEF\xBF\xBD"))); // no replacement character either
    }
}

void PassportDocumentTest::workAttributes()
{
    const XmlDoc doc(build(completePassport()));
    QCOMPARE(doc.attributeNames(QStringLiteral("/lumarinda/work")),
             QStringList({"title", "sz_id", "stored", "version"}));
    QCOMPARE(doc.string(QStringLiteral("/lumarinda/work/@sz_id")), QStringLiteral("13"));
    QCOMPARE(doc.string(QStringLiteral("/lumarinda/work/@stored")), QStringLiteral("1450000000"));
    QCOMPARE(doc.string(QStringLiteral("/lumarinda/work/@version")), QStringLiteral("2.2"));
    QCOMPARE(doc.childNames(QStringLiteral("/lumarinda")), QStringList{"work"});
    QCOMPARE(doc.attributeNames(QStringLiteral("/lumarinda")), QStringList());
    QCOMPARE(doc.count(QStringLiteral("//namespace::*[name() != 'xml']")), 0);
}

void PassportDocumentTest::childOrder_data()
{
    QTest::addColumn<bool>("preview");
    QTest::addColumn<bool>("picture");
    QTest::addColumn<QStringList>("children");
    const QStringList common = {"description", "specification", "manual", "subjects", "authors", "public_relations"};
    QTest::newRow("saved, picture") << false << true << common + QStringList{"img", "comment"};
    QTest::newRow("saved, none") << false << false << common + QStringList{"comment"};
    QTest::newRow("preview, picture") << true << true << common + QStringList{"comment", "img"};
    QTest::newRow("preview, none") << true << false << common + QStringList{"comment"};
}

void PassportDocumentTest::childOrder()
{
    QFETCH(bool, preview);
    QFETCH(bool, picture);
    QFETCH(QStringList, children);
    PassportSnapshot passport = withPicture();
    passport.hasPicture = picture;
    const XmlDoc doc(build(passport, preview ? PassportDocumentKind::Preview : PassportDocumentKind::Saved));
    QCOMPARE(doc.childNames(QStringLiteral("/lumarinda/work")), children);
}

void PassportDocumentTest::previewTitle_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QString>("previewed");
    QTest::newRow("empty") << ""
                           << ""
                           << "Без названия";
    QTest::newRow("blanks") << "   "
                            << ""
                            << "Без названия";
    QTest::newRow("only unwritable") << QStringLiteral(" \uFFFF\u0001 ") << ""
                                     << "Без названия";
    QTest::newRow("padded") << "  Работа \t"
                            << "Работа"
                            << "Работа";
}

void PassportDocumentTest::previewTitle()
{
    QFETCH(QString, title);
    QFETCH(QString, saved);
    QFETCH(QString, previewed);
    PassportSnapshot passport = completePassport();
    passport.title = title;
    QCOMPARE(XmlDoc(build(passport)).string(QStringLiteral("/lumarinda/work/@title")), saved);
    QCOMPARE(XmlDoc(build(passport, PassportDocumentKind::Preview)).string(QStringLiteral("/lumarinda/work/@title")),
             previewed);
}

void PassportDocumentTest::subjects_data()
{
    QTest::addColumn<QList<int>>("sectionSlots");
    QTest::addColumn<Sections::LanguageChoices>("languages");
    QTest::addColumn<QString>("outline");
    const Sections::LanguageChoices none;
    QTest::newRow("no section") << QList<int>{0, 0, 0, 0, 0} << none << "subjects";
    QTest::newRow("slot order, zeros skipped")
        << QList<int>{11, 0, 2, 0, 24} << none << "subjects(subject[sb_id=11];subject[sb_id=2];subject[sb_id=24])";
    QTest::newRow("russian and empty other")
        << QList<int>{6, 0, 0, 0, 0} << Sections::LanguageChoices{true, false, false, true, QString()}
        << "subjects(subject[sb_id=6](subject[sb_id=25];subject[title=]))";
    QTest::newRow("all languages")
        << QList<int>{2, 6, 0, 0, 0} << Sections::LanguageChoices{true, true, true, true, QStringLiteral("  латынь ")}
        << "subjects(subject[sb_id=2];subject[sb_id=6](subject[sb_id=25];subject[sb_id=26];subject[sb_id=27];"
           "subject[title=латынь]))";
    QTest::newRow("german only") << QList<int>{6, 0, 0, 0, 0}
                                 << Sections::LanguageChoices{false, false, true, false, QStringLiteral("x")}
                                 << "subjects(subject[sb_id=6](subject[sb_id=27]))";
    QTest::newRow("languages without linguistics")
        << QList<int>{2, 0, 0, 0, 0} << Sections::LanguageChoices{true, true, true, true, QStringLiteral("x")}
        << "subjects(subject[sb_id=2])";
}

void PassportDocumentTest::subjects()
{
    QFETCH(QList<int>, sectionSlots);
    QFETCH(Sections::LanguageChoices, languages);
    QFETCH(QString, outline);
    PassportSnapshot passport = completePassport();
    for (int i = 0; i < 5; ++i)
        passport.subjectSlots[i] = sectionSlots.at(i);
    passport.languages = languages;
    QCOMPARE(XmlDoc(build(passport)).outline(QStringLiteral("/lumarinda/work/subjects")), outline);
}

void PassportDocumentTest::persons_data()
{
    QTest::addColumn<int>("teachers");
    QTest::addColumn<int>("leader");
    QTest::addColumn<QString>("outline");
    const QString authors =
        QStringLiteral("person[p_id_full=100-000-001,p_type=student,surname=А1,name=Б1,patronymic=В1];"
                       "person[p_id_full=100-000-002,p_type=student,surname=А2,name=Б2,patronymic=В2]");
    const auto teacher = [](int i, bool leader) {
        return QStringLiteral("person[p_id_full=200-000-00%1,p_type=teacher,surname=Т%1,name=И%1,patronymic=О%1%2]")
            .arg(i)
            .arg(leader ? QStringLiteral(",status=leader") : QString());
    };
    QTest::newRow("no supervisor") << 0 << -1 << "authors(" + authors + ")";
    QTest::newRow("second of three leads")
        << 3 << 1
        << "authors(" + authors + ";" + teacher(1, false) + ";" + teacher(2, true) + ";" + teacher(3, false) + ")";
    QTest::newRow("first of one leads") << 1 << 0 << "authors(" + authors + ";" + teacher(1, true) + ")";
    QTest::newRow("none selected") << 2 << -1
                                   << "authors(" + authors + ";" + teacher(1, false) + ";" + teacher(2, false) + ")";
}

void PassportDocumentTest::persons()
{
    QFETCH(int, teachers);
    QFETCH(int, leader);
    QFETCH(QString, outline);
    PassportSnapshot passport = completePassport();
    passport.authors = {
        participantEntry("100-000-001", QStringLiteral(" А1 "), QStringLiteral("Б1\t"), QStringLiteral("В1")),
        participantEntry("100-000-002", QStringLiteral("А2"), QStringLiteral("Б2"), QStringLiteral("\r\nВ2"))};
    passport.teachers.clear();
    for (int i = 1; i <= teachers; ++i) {
        passport.teachers.append(participantEntry(QByteArray("200-000-00" + QByteArray::number(i)).constData(),
                                                  QStringLiteral("Т%1").arg(i), QStringLiteral("И%1").arg(i),
                                                  QStringLiteral("О%1").arg(i)));
    }
    passport.leaderIndex = leader;
    QCOMPARE(XmlDoc(build(passport)).outline(QStringLiteral("/lumarinda/work/authors")), outline);
}

void PassportDocumentTest::picture_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("attributes");
    QTest::newRow("none") << false << "Подпись" << QStringList();
    QTest::newRow("captioned") << true << "Подпись" << QStringList{"src", "width", "height", "title"};
    QTest::newRow("no caption") << true << "" << QStringList{"src", "width", "height"};
    QTest::newRow("blank caption") << true << "  " << QStringList{"src", "width", "height", "title"};
}

void PassportDocumentTest::picture()
{
    QFETCH(bool, present);
    QFETCH(QString, caption);
    QFETCH(QStringList, attributes);
    PassportSnapshot passport = withPicture();
    passport.hasPicture = present;
    passport.pictureCaption = caption;
    const XmlDoc doc(build(passport));
    QCOMPARE(doc.count(QStringLiteral("//img")), present ? 1 : 0);
    QCOMPARE(doc.attributeNames(QStringLiteral("//img")), attributes);
    if (!present)
        return;
    QCOMPARE(doc.string(QStringLiteral("//img/@src")), QStringLiteral("data:image/jpeg;base64,/9j/4AAQ\nSkZJRg=="));
    QCOMPARE(doc.string(QStringLiteral("//img/@width")), QStringLiteral("300"));
    QCOMPARE(doc.string(QStringLiteral("//img/@height")), QStringLiteral("199"));
    QCOMPARE(doc.string(QStringLiteral("//img/@title")), caption);
}

void PassportDocumentTest::emptyContactsStillWritten()
{
    const XmlDoc doc(build(completePassport()));
    QCOMPARE(doc.outline(QStringLiteral("//public_relations")),
             QStringLiteral("public_relations(postal_code;address;phone;email)"));
    QCOMPARE(doc.count(QStringLiteral("//public_relations/*[node()]")), 0);
}

void PassportDocumentTest::blankLinesAtTheEnd()
{
    PassportSnapshot passport = completePassport();
    passport.description = QStringLiteral("Текст\r\n\r\n");
    passport.notes = QStringLiteral("Записка\r\n\r\n");
    const XmlDoc doc(build(passport));
    QCOMPARE(doc.string(QStringLiteral("//description")), QStringLiteral("Текст\r\n\r\n"));
    QCOMPARE(doc.string(QStringLiteral("//comment")), QStringLiteral("Записка"));
}

void PassportDocumentTest::proposedFileName_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << "Звёздное небо"
                           << "Звёздное небо";
    QTest::newRow("trimmed") << "  Работа №1 \t"
                             << "Работа №1";
    QTest::newRow("quotes") << "Сборник \"Весна\""
                            << "Сборник ''Весна''";
    QTest::newRow("only reserved") << "/\\?|*<>:"
                                   << "--------";
    QTest::newRow("mixed") << "a/b\\c?d|e*f<g>h:i"
                           << "a-b-c-d-e-f-g-h-i";
    QTest::newRow("outside cp1251") << "Art 🎨 ♫"
                                    << "Art - -";
    QTest::newRow("periods stay") << "v1.2. Итог..."
                                  << "v1.2. Итог...";
    QTest::newRow("empty") << ""
                           << "";
}

void PassportDocumentTest::proposedFileName()
{
    QFETCH(QString, title);
    QFETCH(QString, name);
    QCOMPARE(ProposePassportFileName(title), name);
}

QTEST_APPLESS_MAIN(PassportDocumentTest)
#include "tst_passport_document.moc"
