// A person fills in a whole passport on the real main window, through its buttons, dialogs and
// keyboard only, then saves it and previews it; the saved file, the page a browser makes of it
// and the preview are read back with a conforming parser.

#include "support/EditorTest.h"
#include "support/FakeServices.h"
#include "support/Files.h"
#include "support/PageSettings.h"
#include "support/Typing.h"
#include "support/Xml.h"
#include "support/Xmllint.h"
#include "support/Xsltproc.h"
#include "windows/Form.h"
#include "windows/Startup.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <array>
#include <memory>

namespace {

// A participant as typed (the identifier with stray separators, names with stray blanks) and as
// the passport file must hold it.
struct Person
{
    const char* typedId;
    const char* id;
    std::array<const char*, 3> typedNames;
    std::array<const char*, 3> names;
};

const Person kPeople[] = {
    {"12 3456-798", "123-456-798", {"Иванов ", "Иван", "Иванович"}, {"Иванов", "Иван", "Иванович"}},
    {"7654-32 193",
     "765-432-193",
     {"Ёлкина-Соколова", "  Анна", "Сергеевна "},
     {"Ёлкина-Соколова", "Анна", "Сергеевна"}},
    {" 100018305", "100-018-305", {"Петров", "Пётр", "Петрович"}, {"Петров", "Пётр", "Петрович"}},
    {"1-0-0018799", "100-018-799", {"Сидорова", "Мария", "Ильинична"}, {"Сидорова", "Мария", "Ильинична"}},
    {"100 024700-", "100-024-700", {"Кузнецов", "Олег", "Андреевич"}, {"Кузнецов", "Олег", "Андреевич"}},
};

// The work page as the person types it.
const QString kTypedTitle = QStringLiteral("  Сказка о \"Золотой рыбке\", часть 1/2  ");
const QString kTitle = QStringLiteral("Сказка о \"Золотой рыбке\", часть 1/2");
const QString kTypedDescription = QStringLiteral("Первая строка\nвторая & <третья>\nчетвёртая ]]>\n\n");
const QString kDescription = QStringLiteral("Первая строка\r\nвторая & <третья>\r\nчетвёртая ]]>\r\n\r\n");
const QString kTechRequest = QStringLiteral("Браузер Firefox или Chrome ");
const QString kTypedManual = QStringLiteral("Открыть index.html\nНажать «Старт»");
const QString kManual = QStringLiteral("Открыть index.html\r\nНажать «Старт»");
const QString kTypedComment = QStringLiteral("  Записка для оргкомитета\nвторая строка\n\n");
const QString kComment = QStringLiteral("Записка для оргкомитета\r\nвторая строка");

// The string values of every node the expression selects, in document order.
QStringList allStrings(const XmlDoc& doc, const QString& xpath)
{
    QStringList values;
    const int count = doc.count(xpath);
    for (int i = 1; i <= count; ++i)
        values << doc.string(QStringLiteral("(%1)[%2]").arg(xpath).arg(i));
    return values;
}

QString personOutline(const Person& person, const char* type, bool leader)
{
    QString outline =
        QStringLiteral("person[p_id_full=%1,p_type=%2,surname=%3,name=%4,patronymic=%5")
            .arg(QString::fromUtf8(person.id), QString::fromLatin1(type), QString::fromUtf8(person.names[0]),
                 QString::fromUtf8(person.names[1]), QString::fromUtf8(person.names[2]));
    if (leader)
        outline += QStringLiteral(",status=leader");
    return outline + u']';
}

// The authors element a passport with these people must hold.
QString authorsOutline(const QList<int>& authors, const QList<int>& teachers, int leader)
{
    QStringList persons;
    for (int index : authors)
        persons << personOutline(kPeople[index], "student", false);
    for (qsizetype i = 0; i < teachers.size(); ++i)
        persons << personOutline(kPeople[teachers.at(i)], "teacher", i == leader);
    return QStringLiteral("authors(") + persons.join(u';') + u')';
}

// The list entry the page shows for a person.
QString pageEntry(const Person& person)
{
    return QStringLiteral("[%1] %2 %3 %4")
        .arg(QString::fromUtf8(person.id), QString::fromUtf8(person.names[0]), QString::fromUtf8(person.names[1]),
             QString::fromUtf8(person.names[2]));
}

} // namespace

class EndToEndTest : public EditorTest
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void wholePassportSavedThenPreviewed();
    void deletionsBeforeSaving_data();
    void deletionsBeforeSaving();

private:
    void nameSelectedEntry(const PeopleGroup& group, const Person& person);
    void typeSmallCompletePassport();
    void verifySavedPassport(const XmlDoc& doc, qint64 stored) const;
    void verifyPage(const QByteArray& bytes) const;
};

void EndToEndTest::init()
{
    createEditor();
    m_windows->Pasport->show();
}

void EndToEndTest::cleanup()
{
    destroyEditor();
}

// A new entry shows empty names, open for typing; the person types them.
void EndToEndTest::nameSelectedEntry(const PeopleGroup& group, const Person& person)
{
    for (const char* name : group.names) {
        const auto* edit = find<QLineEdit>(name);
        QVERIFY2(!edit->isReadOnly(), name);
        QVERIFY2(edit->text().isEmpty(), qPrintable(edit->text()));
    }
    user().typeNames(group, {QString::fromUtf8(person.typedNames[0]), QString::fromUtf8(person.typedNames[1]),
                             QString::fromUtf8(person.typedNames[2])});
}

// Every value of the passport typed in wholePassportSavedThenPreviewed, as the file must hold it.
void EndToEndTest::verifySavedPassport(const XmlDoc& doc, qint64 stored) const
{
    QVERIFY2(doc.ok(), qPrintable(doc.errors()));
    QCOMPARE(doc.attributeNames("/lumarinda/work"), QStringList({"title", "sz_id", "stored", "version"}));
    QCOMPARE(doc.string("/lumarinda/work/@title"), kTitle);
    QCOMPARE(doc.string("/lumarinda/work/@sz_id"), QStringLiteral("13"));
    QCOMPARE(doc.string("/lumarinda/work/@stored"), QString::number(stored));
    QCOMPARE(doc.string("/lumarinda/work/@version"), QStringLiteral("2.2"));
    QCOMPARE(doc.childNames("/lumarinda/work"), QStringList({"description", "specification", "manual", "subjects",
                                                             "authors", "public_relations", "comment"}));
    QCOMPARE(doc.string("/lumarinda/work/description"), kDescription);
    QCOMPARE(doc.string("/lumarinda/work/specification"), kTechRequest);
    QCOMPARE(doc.string("/lumarinda/work/manual"), kManual);
    // Identifier order, whatever order the boxes were clicked in; the languages nested under 6.
    QCOMPARE(doc.outline("/lumarinda/work/subjects"),
             QStringLiteral("subjects(subject[sb_id=2];subject[sb_id=6](subject[sb_id=26];subject[title=латынь]);"
                            "subject[sb_id=22])"));
    QCOMPARE(doc.outline("/lumarinda/work/authors"), authorsOutline({1, 0}, {3, 2}, 1));
    QCOMPARE(doc.outline("/lumarinda/work/public_relations"),
             QStringLiteral("public_relations(postal_code;address;phone;email)"));
    QCOMPARE(doc.string("//public_relations/postal_code"), QStringLiteral("101000"));
    QCOMPARE(doc.string("//public_relations/address"), QStringLiteral("г. Москва, ул. Школьная, д. 1"));
    QCOMPARE(doc.string("//public_relations/phone"), QStringLiteral("+7 (495) 111-22-33"));
    QCOMPARE(doc.string("//public_relations/email"), QStringLiteral("school@example.ru"));
    QCOMPARE(doc.string("/lumarinda/work/comment"), kComment);
}

// The page of the passport typed in wholePassportSavedThenPreviewed, read as XHTML.
void EndToEndTest::verifyPage(const QByteArray& bytes) const
{
    const XmlDoc page(bytes);
    QVERIFY2(page.ok(), qPrintable(page.errors()));
    QCOMPARE(page.string("/h:html/h:head/h:title"),
             kTitle + QStringLiteral(" – Паспорт работы фестиваля «Lumarinda ученика»"));
    QCOMPARE(allStrings(page, "//h:h1"), QStringList{kTitle});

    const QString sections = QStringLiteral("/h:html/h:body/h:p[h:b[starts-with(., 'Раздел')]]");
    QCOMPARE(page.string(sections + "/h:b"), QStringLiteral("Разделы:"));
    // Sorted as text: "2", "22", "6".
    QCOMPARE(allStrings(page, sections + "/h:a"),
             QStringList({"Биология", "В помощь учителю", "Лингвистика (русский и иностранные языки)"}));
    QCOMPARE(allStrings(page, sections + "/h:a/@href"),
             QStringList({PageSettings::kSite + "/subjects/2/", PageSettings::kSite + "/subjects/22/",
                          PageSettings::kSite + "/subjects/6/"}));
    QCOMPARE(page.string("/h:html/h:body/h:p[h:b = 'Учебный год:']"), QStringLiteral("Учебный год: 2015 / 2016"));

    const QString authors = QStringLiteral("//h:dl/h:ul[preceding-sibling::h:dt[1] = 'Автор(ы):']/h:li");
    const QString teachers = QStringLiteral("//h:dl/h:ul[preceding-sibling::h:dt[1] = 'Руководитель(и):']/h:li");
    // Sorted by identifier text, not in the order of the file.
    QCOMPARE(allStrings(page, authors), QStringList({pageEntry(kPeople[0]), pageEntry(kPeople[1])}));
    QCOMPARE(allStrings(page, teachers), QStringList({pageEntry(kPeople[2]), pageEntry(kPeople[3])}));
    QCOMPARE(allStrings(page, authors + "/h:a/@href"), QStringList({PageSettings::kSite + "/persons/123-456-798/",
                                                                    PageSettings::kSite + "/persons/765-432-193/"}));
    QCOMPARE(allStrings(page, teachers + "/h:a/@href"), QStringList({PageSettings::kSite + "/persons/100-018-305/",
                                                                     PageSettings::kSite + "/persons/100-018-799/"}));

    const auto term = [&page](const char* title) {
        return page.string(
            QStringLiteral("//h:dl/h:dd[preceding-sibling::h:dt[1] = '%1'][1]").arg(QString::fromUtf8(title)));
    };
    QCOMPARE(term("Описание работы:"), kDescription);
    QCOMPARE(term("Технические требования:"), kTechRequest);
    QCOMPARE(term("Порядок знакомства:"), kManual);
    QCOMPARE(term("Комментарии:"), kComment);
    QCOMPARE(allStrings(page, "//h:dl/h:dd[preceding-sibling::h:dt[1] = 'Контактная информация:']"),
             QStringList({"Адрес: 101000, г. Москва, ул. Школьная, д. 1", "Телефон: +7 (495) 111-22-33",
                          "Эл. адрес: school@example.ru"}));
    QCOMPARE(page.count("//h:img"), 0);
}

void EndToEndTest::wholePassportSavedThenPreviewed()
{
    user().openPage("WorksTSh");
    user().typeInto("title", kTypedTitle);
    user().typeInto("description", kTypedDescription);
    user().typeInto("tech_request", kTechRequest);
    user().typeInto("manual", kTypedManual);
    user().typeInto("public_post_index", QStringLiteral(" 101000 "));
    user().typeInto("public_post_address", QStringLiteral("г. Москва, ул. Школьная, д. 1"));
    user().typeInto("public_phone", QStringLiteral("+7 (495) 111-22-33"));
    user().typeInto("public_email", QStringLiteral("  school@example.ru"));
    // A language first, which ticks linguistics; then the other sections.
    user().chooseSections({kEnglish, kOtherLanguage, kBiology, kForTeachers}, QStringLiteral(" латынь "));
    QCOMPARE(find<QLabel>("subj1")->text(), QStringLiteral("Биология"));
    QCOMPARE(find<QLabel>("subj2")->text(), QStringLiteral("Лингвистика"));
    QCOMPARE(find<QLabel>("subj3")->text(), QStringLiteral("В помощь учителю"));
    QCOMPARE(find<QLabel>("subj4")->text(), QString());

    user().openPage("Authors_n_teacheersTSh");
    // Added out of identifier order, named afterwards entry by entry.
    const QList<int> authors = {1, 0};
    const QList<int> teachers = {3, 2};
    for (int index : authors)
        user().addPerson(kAuthors, QString::fromUtf8(kPeople[index].typedId));
    for (int index : teachers)
        user().addPerson(kTeachers, QString::fromUtf8(kPeople[index].typedId));
    for (int row = 0; row < 2; ++row) {
        user().pickEntry(kAuthors, row);
        nameSelectedEntry(kAuthors, kPeople[authors.at(row)]);
        user().pickEntry(kTeachers, row);
        nameSelectedEntry(kTeachers, kPeople[teachers.at(row)]);
    }
    user().chooseRecipient(1);

    user().openPage("CommentsTSh");
    user().typeInto("Notes", kTypedComment);

    const QString path = saveFolder() + QStringLiteral("Сказка о рыбке.qdx.xml");
    m_services->saveFileAnswers = {path};
    // Waits and messages so far, at each look for the saved file.
    QList<QPair<qsizetype, qsizetype>> looks;
    m_services->existsOverride = [&](const QString& tested) {
        if (tested == path)
            looks.append({m_services->waits.size(), m_services->messages.size()});
        return QFile::exists(tested);
    };
    user().press("SaveButton");
    m_services->existsOverride = nullptr;

    QCOMPARE(m_services->saveRequests.size(), 1);
    QCOMPARE(m_services->saveRequests.constFirst().proposedName,
             QStringLiteral("Сказка о ''Золотой рыбке'', часть 1-2"));
    QCOMPARE(m_services->waits, QList<int>{1000});
    QCOMPARE(looks, (QList<QPair<qsizetype, qsizetype>>{{1, 0}}));
    QCOMPARE(m_services->messages.size(), 1);
    const FakeServices::Message& confirmation = m_services->messages.constFirst();
    QCOMPARE(confirmation.text, QStringLiteral("Электронный паспорт работы успешно сохранен как: ") + path);
    QCOMPARE(confirmation.caption, QStringLiteral("Паспорт сохранен"));
    QCOMPARE(confirmation.icon, DesktopServices::Icon::Information);
    QCOMPARE(confirmation.buttons, DesktopServices::Buttons::Ok);

    const QByteArray saved = readAll(path);
    QVERIFY(saved.startsWith("\xEF\xBB\xBF<?xml version=\"1.0\" standalone=\"yes\"?>\r\n"));
    QVERIFY(saved.endsWith("</lumarinda>\r\n"));
    verifySavedPassport(XmlDoc(saved), m_services->clock);
    const QString savedErrors = schemaErrors(QStringLiteral(LUMARINDA_SCHEMA), saved);
    QVERIFY2(savedErrors.isEmpty(), qPrintable(savedErrors));
    const QByteArray savedPage = runXsltproc(saveFolder(), QStringLiteral("Сказка о рыбке.qdx.xml"));
    verifyPage(savedPage);

    // Later, the same passport in the browser.
    m_services->clock += 90;
    user().press("Preview");
    QCOMPARE(m_services->messages.size(), 1);
    const QString temp = m_services->tempFolder();
    QCOMPARE(m_services->openedDocuments, (QList<QPair<QString, QString>>{{temp, "preview.qdx.html"}}));
    const QByteArray preview = readAll(temp + "preview.qdx.xml");
    const QString previewErrors = schemaErrors(QStringLiteral(LUMARINDA_SCHEMA), preview);
    QVERIFY2(previewErrors.isEmpty(), qPrintable(previewErrors));
    const XmlDoc previewDocument(preview);
    verifySavedPassport(previewDocument, m_services->clock);
    QCOMPARE(previewDocument.childNames("/lumarinda/work").constLast(), QStringLiteral("comment"));
    const QByteArray previewPage = readAll(temp + "preview.qdx.html");
    verifyPage(previewPage);
    // The moment of building is no part of the page.
    QCOMPARE(previewPage, savedPage);
}

// A complete passport with one section, ready for its people.
void EndToEndTest::typeSmallCompletePassport()
{
    user().openPage("WorksTSh");
    user().typeInto("title", QStringLiteral("Маятник"));
    user().typeInto("description", QStringLiteral("Опыт\nс маятником"));
    user().chooseSections({kPhysics});
    user().openPage("Authors_n_teacheersTSh");
}

void EndToEndTest::deletionsBeforeSaving_data()
{
    // People are indexes into kPeople; positions are list positions.
    QTest::addColumn<QList<int>>("authors");
    QTest::addColumn<QList<int>>("teachers");
    QTest::addColumn<int>("recipient");
    QTest::addColumn<int>("deletedAuthor");
    QTest::addColumn<int>("deletedTeacher");
    QTest::addColumn<QList<int>>("savedAuthors");
    QTest::addColumn<QList<int>>("savedTeachers");
    QTest::addColumn<int>("savedLeader");

    QTest::newRow("last author, the recipient of two")
        << QList<int>{0, 1, 2} << QList<int>{3, 4} << 1 << 2 << 1 << QList<int>{0, 1} << QList<int>{3} << 0;
    QTest::newRow("first author, first of three")
        << QList<int>{0, 1} << QList<int>{2, 3, 4} << 2 << 0 << 0 << QList<int>{1} << QList<int>{3, 4} << 0;
    QTest::newRow("middle author, a non-recipient")
        << QList<int>{0, 1, 4} << QList<int>{2, 3} << 0 << 1 << 1 << QList<int>{0, 4} << QList<int>{2} << 0;
    QTest::newRow("recipient moves to the one above")
        << QList<int>{0, 1} << QList<int>{2, 3, 4} << 0 << 1 << 2 << QList<int>{0} << QList<int>{2, 3} << 1;
}

void EndToEndTest::deletionsBeforeSaving()
{
    QFETCH(QList<int>, authors);
    QFETCH(QList<int>, teachers);
    QFETCH(int, recipient);
    QFETCH(int, deletedAuthor);
    QFETCH(int, deletedTeacher);
    QFETCH(QList<int>, savedAuthors);
    QFETCH(QList<int>, savedTeachers);
    QFETCH(int, savedLeader);

    typeSmallCompletePassport();
    for (const auto& [group, people] : {std::pair{&kAuthors, authors}, std::pair{&kTeachers, teachers}}) {
        for (int index : people) {
            user().addPerson(*group, QString::fromUtf8(kPeople[index].typedId));
            nameSelectedEntry(*group, kPeople[index]);
        }
    }
    user().chooseRecipient(recipient);
    user().pickEntry(kAuthors, deletedAuthor);
    user().deleteEntry(kAuthors);
    user().pickEntry(kTeachers, deletedTeacher);
    user().deleteEntry(kTeachers);

    const QString path = saveFolder() + QStringLiteral("Маятник.qdx.xml");
    m_services->saveFileAnswers = {path};
    user().press("SaveButton");
    QCOMPARE(m_services->messages.size(), 3); // two questions, then the confirmation
    QCOMPARE(m_services->messages.constLast().caption, QStringLiteral("Паспорт сохранен"));

    const XmlDoc doc(readAll(path));
    QVERIFY2(doc.ok(), qPrintable(doc.errors()));
    QCOMPARE(doc.outline("/lumarinda/work/authors"), authorsOutline(savedAuthors, savedTeachers, savedLeader));
    QCOMPARE(doc.outline("/lumarinda/work/subjects"), QStringLiteral("subjects(subject[sb_id=11])"));
}

QTEST_MAIN(EndToEndTest)
#include "tst_end_to_end.moc"
