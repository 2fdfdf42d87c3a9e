#include "core/passport/PassportDocument.h"
#include "core/preview/PreviewPage.h"
#include "core/preview/PreviewStylesheetData.h"
#include "core/preview/Preview_xslt.h"
#include "core/shell/Failure.h"
#include "core/shell/Windows1251.h"
#include "support/Failures.h"
#include "support/FakeServices.h"
#include "support/Files.h"
#include "support/PageSettings.h"
#include "support/Passports.h"
#include "support/Xml.h"
#include "support/Xsltproc.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kSite = PageSettings::kSite;

// A passport document as a browser finds it: the stylesheet named by the instruction.
QByteArray passportXml(const QString& work)
{
    return QStringLiteral("<?xml version=\"1.0\" standalone=\"yes\"?>\r\n"
                          "<?xml-stylesheet type=\"text/xsl\" href=\"preview.qdx.xsl\" ?>\r\n"
                          "<lumarinda>%1</lumarinda>\r\n")
        .arg(work)
        .toUtf8();
}

QByteArray workXml(const QString& inner, const QString& attributes = QStringLiteral(
                                             "title=\"Работа\" sz_id=\"13\" stored=\"1450000000\" version=\"2.2\""))
{
    return passportXml(QStringLiteral("<work %1>%2</work>").arg(attributes, inner));
}

// The page xsltproc makes of the document, with the stylesheet beside it.
QByteArray xsltproc(const QByteArray& document)
{
    QTemporaryDir dir;
    writeFileBytes(dir.filePath(QStringLiteral("work.qdx.xml")), document);
    writeFileBytes(dir.filePath(QStringLiteral("preview.qdx.xsl")), previewStylesheetBytes());
    return runXsltproc(dir.path(), QStringLiteral("work.qdx.xml"));
}

PassportSnapshot richPassport()
{
    PassportParts parts;
    parts.title = QStringLiteral("Звёзды & «кометы»");
    parts.description = QStringLiteral("Первая строка\r\nвторая <строка>");
    parts.postIndex = QStringLiteral("101000");
    parts.postAddress = QStringLiteral("Москва, ул. Школьная, 1");
    parts.phone = QStringLiteral("(495) 111-22-33");
    parts.email = QStringLiteral("school@example.ru");
    parts.notes = QStringLiteral("Для оргкомитета");
    parts.authors = {
        participantEntry("300-000-001", QStringLiteral("Яковлев"), QStringLiteral("Яков"), QStringLiteral("Яковлевич")),
        participantEntry("100-000-002", QStringLiteral("Антонова"), QStringLiteral("Анна"),
                         QStringLiteral("Антоновна"))};
    parts.teachers = {
        participantEntry("900-000-003", QStringLiteral("Петров"), QStringLiteral("Пётр"), QStringLiteral("Петрович"))};
    parts.leaderIndex = 0;
    parts.subjectSlots = {2, 10, 6, 0, 0};
    parts.languages = {true, false, false, true, QStringLiteral("латынь")};
    parts.pictureWidth = 300;
    parts.pictureHeight = 200;
    parts.pictureCaption = QStringLiteral("Туманность");
    parts.pictureBase64 = QStringLiteral("/9j/4AAQ\nSkZJRg==");
    return fullPassport(parts);
}

QByteArray richDocument(PassportDocumentKind kind = PassportDocumentKind::Saved)
{
    return serializePassportDocument(BuildPassportDocument(richPassport(), kind, 1450000000));
}

QString simplified(QString text)
{
    return text.replace(QChar::Nbsp, QStringLiteral("~")).simplified();
}

const QString kSections = QStringLiteral("//h:body/h:p[h:b[starts-with(., 'Раздел')]]");

} // namespace

class PreviewStylesheetTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void carriedStylesheetIsTheSource();
    void stylesheetIsOrderedAsDescribed();
    void writeStylesheet();
    void writeStylesheetOverAnEarlierCopy();
    void writeStylesheetFailsWithoutAFile();

    void headOfThePage();
    void bodyOfThePage();
    void pageWithoutPictureOrCaption();
    void sections_data();
    void sections();
    void persons();
    void seasonWithoutSzId();
    void untitledPreview();
    void documentWithoutWork();
    void worksInStoredOrder();
    void hiddenValues();

    void inProcessRenderingMatchesXsltproc();
    void renderingFailures_data();
    void renderingFailures();
    void renderingReadsNoOtherFiles();

private:
    std::unique_ptr<FakeServices> m_services;
};

void PreviewStylesheetTest::init()
{
    m_services = std::make_unique<FakeServices>();
}

void PreviewStylesheetTest::cleanup()
{
    VERIFY_SERVICES_SETTLED(*m_services);
    m_services.reset();
}

void PreviewStylesheetTest::carriedStylesheetIsTheSource()
{
    const QByteArray source = readAll(QStringLiteral(LUMARINDA_STYLESHEET_SOURCE));
    QVERIFY(!source.isEmpty());
    QCOMPARE(previewStylesheetBytes(), source);
    // Every setting was filled in.
    QVERIFY2(!source.contains("@LUMARINDA_"), source.constData());
    QVERIFY(source.size() <= kStylesheetDecodeBuffer);

    const QByteArray base64(PreviewStylesheetBase64);
    QVERIFY(QRegularExpression(QStringLiteral("^[A-Za-z0-9+/]+={0,2}$")).match(QString::fromLatin1(base64)).hasMatch());
    QCOMPARE(base64.size() % 4, 0);

    QVERIFY(source.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"));
    QVERIFY(!source.contains('\r'));
    QVERIFY(!source.contains("\n "));
}

void PreviewStylesheetTest::stylesheetIsOrderedAsDescribed()
{
    const XmlDoc xsl(previewStylesheetBytes());
    QVERIFY2(xsl.ok(), qPrintable(xsl.errors()));
    QCOMPARE(xsl.string(QStringLiteral("name(/*)")), QStringLiteral("xsl:stylesheet"));
    QCOMPARE(xsl.string(QStringLiteral("/*/@version")), QStringLiteral("1.0"));
    const QString comment = xsl.string(QStringLiteral("/*/node()[not(self::text())][1][self::comment()]"));
    QVERIFY(comment.contains(QStringLiteral("Стили для чтения Паспорта работы Фестиваля «Lumarinda» в браузере")));
    QVERIFY(simplified(comment).contains(QStringLiteral("Firefox, Opera, Safari и Chrome")));

    const QString output = QStringLiteral("/*/*[local-name() = 'output']");
    QCOMPARE(xsl.string(QStringLiteral("local-name(/*/*[1])")), QStringLiteral("output"));
    QCOMPARE(xsl.string(output + "/@doctype-public"), QStringLiteral("-//W3C//DTD XHTML 1.0 Strict//EN"));
    QCOMPARE(xsl.string(output + "/@doctype-system"),
             QStringLiteral("http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd"));
    QCOMPARE(xsl.string(output + "/@media-type"), QStringLiteral("text/xhtml"));
    QCOMPARE(xsl.string(output + "/@indent"), QStringLiteral("yes"));
    QCOMPARE(xsl.count(output + "/@method"), 0);
    QCOMPARE(xsl.count(QStringLiteral("/*/*[local-name() = 'template']")), 1);
    QCOMPARE(xsl.string(QStringLiteral("/*/*[local-name() = 'template']/@match")), QStringLiteral("/"));
}

void PreviewStylesheetTest::writeStylesheet()
{
    const QString folder = m_services->folder();
    WritePreviewStylesheet(*m_services, folder);
    QCOMPARE(readAll(folder + "preview.qdx.xsl"), previewStylesheetBytes());
    QCOMPARE(m_services->writtenFiles, QStringList{folder + "preview.qdx.xsl"});
}

void PreviewStylesheetTest::writeStylesheetOverAnEarlierCopy()
{
    const QString path = m_services->folder() + "preview.qdx.xsl";
    QVERIFY(writeAll(path, "old and longer than nothing"));
    WritePreviewStylesheet(*m_services, m_services->folder());
    QCOMPARE(readAll(path), previewStylesheetBytes());

    // A write that fails while a copy is there is no failure: the copy is the same constant.
    m_services->writeHook = [](const QString&, const QByteArray&) { throw Failure(QStringLiteral("disk full")); };
    WritePreviewStylesheet(*m_services, m_services->folder());
    QCOMPARE(readAll(path), previewStylesheetBytes());
}

void PreviewStylesheetTest::writeStylesheetFailsWithoutAFile()
{
    const QString missing = m_services->folder() + "no such folder/";
    QCOMPARE(failureOf([&] { WritePreviewStylesheet(*m_services, missing); }),
             QStringLiteral("Ошибка записи файла шаблона во временную папку"));
    QVERIFY(!QFile::exists(missing));
}

void PreviewStylesheetTest::headOfThePage()
{
    const QByteArray page = xsltproc(richDocument());
    QVERIFY(!page.isEmpty());
    QVERIFY(page.contains("<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" "
                          "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">"));
    const XmlDoc html(page);
    QVERIFY2(html.ok(), qPrintable(html.errors()));
    QCOMPARE(html.string(QStringLiteral("namespace-uri(/*)")), QStringLiteral("http://www.w3.org/1999/xhtml"));
    QCOMPARE(html.childNames(QStringLiteral("/h:html")), QStringList({"head", "body"}));
    QCOMPARE(html.childNames(QStringLiteral("/h:html/h:head")), QStringList({"meta", "title", "link", "style"}));
    QCOMPARE(html.string(QStringLiteral("//h:meta/@http-equiv")), QStringLiteral("Content-Type"));
    QCOMPARE(html.string(QStringLiteral("//h:meta/@content")), QStringLiteral("text/xhtml; charset=UTF-8"));
    QCOMPARE(html.string(QStringLiteral("//h:head/h:title")),
             QStringLiteral("Звёзды & «кометы» – Паспорт работы фестиваля «Lumarinda ученика»"));

    QCOMPARE(html.string(QStringLiteral("//h:link/@rel")), QStringLiteral("icon"));
    QCOMPARE(html.string(QStringLiteral("//h:link/@type")), QStringLiteral("image/ico"));
    const QString href = html.string(QStringLiteral("//h:link/@href"));
    QVERIFY(href.startsWith(QStringLiteral("data:image/ico;base64,")));
    const QByteArray icon = QByteArray::fromBase64(href.mid(22).toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    // One 16 x 16 image of 32 bits per pixel: reserved 0, type 1 (icon), count 1.
    QCOMPARE(icon.left(6), QByteArray("\0\0\1\0\1\0", 6));
    QCOMPARE(static_cast<int>(icon.at(6)), 16);
    QCOMPARE(static_cast<int>(icon.at(7)), 16);
    QCOMPARE(static_cast<int>(icon.at(12)), 32);
    QCOMPARE(icon.size(), 6 + 16 + 40 + 16 * 16 * 4 + 16 * 4);

    QCOMPARE(html.string(QStringLiteral("//h:style/@type")), QStringLiteral("text/css"));
    QStringList rules = html.string(QStringLiteral("//h:style")).split(u'}', Qt::SkipEmptyParts);
    for (QString& rule : rules)
        rule = rule.simplified();
    rules.removeAll(QString());
    QCOMPARE(rules, QStringList({
                        "body { background-color: white; padding: 25px 20px 40px 20px; font: 80% Arial;",
                        "a, a:visited { color: #000000;",
                        "a:hover { text-decoration: none; color: #ffffff; background-color: #660066;",
                        "hr { margin-top: 30px;",
                        "#right_title { color: #C299C2; font-size: 130%; position: absolute; top: 25px; right: "
                        "20px; text-align: right;",
                        "#right_title p { margin: 0; padding: 0;",
                        ".div_image_right { float: right; width: 302px; margin: 30px 0 30px 40px;",
                        ".div_image_right img { border: #660066 solid 1px; box-shadow: grey 3px 3px 15px; "
                        "-moz-box-shadow: grey 3px 3px 15px; -webkit-box-shadow: grey 3px 3px 15px;",
                        ".div_image_right p { background-color: white; text-align: center; font-size: 90%; "
                        "font-style: italic;",
                        "h1 { color: #660066; font-size: 150%; font-weight: bold; margin: auto 400px 5px auto;",
                        "dt { margin-top: 10px; font-weight: bold;",
                        "#footer p { text-align: center; font-size: 90%;",
                    }));
}

void PreviewStylesheetTest::bodyOfThePage()
{
    const XmlDoc html(xsltproc(richDocument()));
    QVERIFY2(html.ok(), qPrintable(html.errors()));
    QCOMPARE(html.childNames(QStringLiteral("//h:body")),
             QStringList({"h1", "p", "div", "div", "p", "p", "dl", "hr", "div"}));
    QCOMPARE(html.string(QStringLiteral("//h:body/h:h1")), QStringLiteral("Звёзды & «кометы»"));

    QCOMPARE(html.string(QStringLiteral("//h:body/h:p[1]/@id")), QStringLiteral("right_title"));
    QCOMPARE(html.outline(QStringLiteral("//h:p[@id='right_title']")), QStringLiteral("p[id=right_title](br)"));
    QCOMPARE(html.string(QStringLiteral("//h:p[@id='right_title']/h:br/preceding-sibling::text()")),
             QStringLiteral("Электронный паспорт работы,"));
    QCOMPARE(html.string(QStringLiteral("//h:p[@id='right_title']/h:br/following-sibling::text()")),
             QStringLiteral("\u00a0представленной на\u00a0фестиваль «Lumarinda ученика»"));
    QCOMPARE(html.outline(QStringLiteral("//h:body/h:div[1]")), QStringLiteral("div[style=clear: right]"));
    QCOMPARE(html.string(QStringLiteral("//h:body/h:div[1]")), QString());

    QCOMPARE(html.outline(QStringLiteral("//h:body/h:div[2]")),
             QStringLiteral("div[class=div_image_right](img[src=data:image/jpeg;base64,/9j/4AAQ\nSkZJRg==,width=300,"
                            "height=200,title=Туманность,alt=Изображение к работе. Оно не поддерживается устаревшими "
                            "версиями Internet Explorer до 8-й включительно. Для просмотра паспорта используйте "
                            "браузеры Firefox, Opera, Safari.];p)"));
    QCOMPARE(html.string(QStringLiteral("//h:div[@class='div_image_right']/h:p")), QStringLiteral("Туманность"));

    QCOMPARE(
        html.string(kSections),
        QStringLiteral("Разделы: Экономика, социология и право; Биология; Лингвистика (русский и иностранные языки)"));
    QCOMPARE(html.string(QStringLiteral("//h:body/h:p[3]")), QStringLiteral("Учебный год: 2015 / 2016"));
    QCOMPARE(html.string(QStringLiteral("//h:body/h:p[3]/h:b")), QStringLiteral("Учебный год:"));

    QCOMPARE(html.childNames(QStringLiteral("//h:dl")), QStringList({"dt", "ul", "dt", "ul", "dt", "dd", "dt", "dd",
                                                                     "dt", "dd", "dt", "dd", "dd", "dd", "dt", "dd"}));
    const QStringList terms = {
        "Автор(ы):",           "Руководитель(и):",       "Описание работы:", "Технические требования:",
        "Порядок знакомства:", "Контактная информация:", "Комментарии:"};
    for (int i = 0; i < terms.size(); ++i)
        QCOMPARE(html.string(QStringLiteral("//h:dl/h:dt[%1]").arg(i + 1)), terms.at(i));
    QCOMPARE(html.string(QStringLiteral("//h:dl/h:dd[1]")), QStringLiteral("Первая строка\r\nвторая <строка>"));
    QCOMPARE(html.string(QStringLiteral("//h:dl/h:dd[2]")), QStringLiteral("Браузер"));
    QCOMPARE(html.string(QStringLiteral("//h:dl/h:dd[3]")), QStringLiteral("Открыть index.html"));
    QCOMPARE(html.string(QStringLiteral("//h:dl/h:dd[4]")), QStringLiteral("Адрес: 101000, Москва, ул. Школьная, 1"));
    QCOMPARE(html.string(QStringLiteral("//h:dl/h:dd[5]")), QStringLiteral("Телефон: (495) 111-22-33"));
    QCOMPARE(html.string(QStringLiteral("//h:dl/h:dd[6]")), QStringLiteral("Эл. адрес: school@example.ru"));
    QCOMPARE(html.string(QStringLiteral("//h:dl/h:dd[6]/h:a/@href")), QStringLiteral("mailto:school@example.ru"));
    QCOMPARE(html.string(QStringLiteral("//h:dl/h:dd[7]")), QStringLiteral("Для оргкомитета"));

    const QString footer = QStringLiteral("//h:body/h:div[@id='footer']");
    QCOMPARE(html.childNames(footer), QStringList({"p", "p"}));
    QCOMPARE(html.childNames(footer + "/h:p[1]"), QStringList({"br", "a"}));
    // The committee's contacts and its publisher as the build was configured with them.
    QCOMPARE(html.string(footer + "/h:p[1]"), QStringLiteral("Адрес: %1, «%2», Оргкомитет фестиваля «Lumarinda ученика»"
                                                             "Телефон для справок: %3. Эл. адрес: %4")
                                                  .arg(PageSettings::kCommitteeAddress, PageSettings::kPublisher,
                                                       PageSettings::kCommitteePhone, PageSettings::kCommitteeEmail));
    QCOMPARE(html.string(footer + "/h:p[1]/h:a"), PageSettings::kCommitteeEmail);
    QCOMPARE(html.string(footer + "/h:p[1]/h:a/@href"), "mailto:" + PageSettings::kCommitteeEmail);
    QCOMPARE(html.childNames(footer + "/h:p[2]"), QStringList{"a"});
    QCOMPARE(html.string(footer + "/h:p[2]/h:a"), PageSettings::kPublisher);
    QCOMPARE(html.string(footer + "/h:p[2]/h:a/@href"), PageSettings::kPublisherSite);
}

void PreviewStylesheetTest::pageWithoutPictureOrCaption()
{
    const XmlDoc none(xsltproc(workXml(QStringLiteral("<subjects><subject sb_id=\"3\"/></subjects>"))));
    QCOMPARE(none.count(QStringLiteral("//h:img")), 0);
    QCOMPARE(none.outline(QStringLiteral("//h:div[@style='clear: right']/following-sibling::*[1]/h:b")),
             QStringLiteral("b"));
    QCOMPARE(none.string(QStringLiteral("//h:div[@style='clear: right']/following-sibling::*[1]")),
             QStringLiteral("Раздел: География"));

    const XmlDoc untitled(
        xsltproc(workXml(QStringLiteral("<img src=\"data:image/jpeg;base64,AA==\" width=\"3\" height=\"4\"/>"))));
    QCOMPARE(untitled.count(QStringLiteral("//h:img[@title = '']")), 1);
    QCOMPARE(untitled.outline(QStringLiteral("//h:div[@class='div_image_right']/h:p")), QStringLiteral("p"));
    QCOMPARE(untitled.string(QStringLiteral("//h:div[@class='div_image_right']/h:p")), QString());
}

void PreviewStylesheetTest::sections_data()
{
    QTest::addColumn<QString>("subjects");
    QTest::addColumn<QString>("paragraph");
    QTest::addColumn<QStringList>("links");
    QTest::newRow("none") << "<subjects/>"
                          << "Раздел: не выбран" << QStringList();
    QTest::newRow("no subjects element") << ""
                                         << "Раздел: не выбран" << QStringList();
    QTest::newRow("one") << "<subjects><subject sb_id=\"24\"/></subjects>"
                         << "Раздел: Конкурс «Учебный проект»" << QStringList{kSite + "/subjects/24/"};
    QTest::newRow("text order") << "<subjects><subject sb_id=\"2\"/><subject sb_id=\"10\"/></subjects>"
                                << "Разделы: Экономика, социология и право; Биология"
                                << QStringList{kSite + "/subjects/10/", kSite + "/subjects/2/"};
    QTest::newRow("unknown ids")
        << "<subjects><subject sb_id=\"23\"/><subject sb_id=\"99\"/><subject sb_id=\"x\"/></subjects>"
        << "Разделы: ?; ?; ?" << QStringList{kSite + "/subjects/23/", kSite + "/subjects/99/", kSite + "/subjects/x/"};
    QTest::newRow("leading zero") << "<subjects><subject sb_id=\"06\"/></subjects>"
                                  << "Раздел: Лингвистика (русский и иностранные языки)"
                                  << QStringList{kSite + "/subjects/06/"};
    QTest::newRow("languages not listed")
        << "<subjects><subject sb_id=\"6\"><subject sb_id=\"25\"/><subject sb_id=\"26\"/><subject "
           "title=\"\"/></subject></subjects>"
        << "Раздел: Лингвистика (русский и иностранные языки)" << QStringList{kSite + "/subjects/6/"};
    QString all;
    QStringList titles;
    const QStringList names = {"Астрономия, космонавтика и авиация",
                               "Биология",
                               "География",
                               "История, археология",
                               "Искусствоведение",
                               "Лингвистика (русский и иностранные языки)",
                               "Литературоведение",
                               "Математика",
                               "Религиоведение",
                               "Экономика, социология и право",
                               "Физика",
                               "Химия",
                               "Здоровье человека",
                               "Физкультура и спорт",
                               "Экология",
                               "Художественное творчество",
                               "Технология",
                               "Информатика",
                               "Литературное творчество",
                               "Музыкальное творчество",
                               "Краеведение",
                               "В помощь учителю"};
    // Two digits keep text order equal to number order, so the table reads straight.
    for (int id = 1; id <= 24; ++id) {
        if (id == 23)
            continue;
        all += QStringLiteral("<subject sb_id=\"%1\"/>").arg(id, 2, 10, QLatin1Char('0'));
        titles << (id == 24 ? QStringLiteral("Конкурс «Учебный проект»") : names.at(id - 1));
    }
    QStringList links;
    for (int id = 1; id <= 24; ++id) {
        if (id != 23)
            links << kSite + QStringLiteral("/subjects/%1/").arg(id, 2, 10, QLatin1Char('0'));
    }
    QTest::newRow("every title") << "<subjects>" + all + "</subjects>"
                                 << "Разделы: " + titles.join(QStringLiteral("; ")) << links;
}

void PreviewStylesheetTest::sections()
{
    QFETCH(QString, subjects);
    QFETCH(QString, paragraph);
    QFETCH(QStringList, links);
    const XmlDoc html(xsltproc(workXml(subjects)));
    QVERIFY2(html.ok(), qPrintable(html.errors()));
    QCOMPARE(html.string(kSections), paragraph);
    QStringList hrefs;
    for (int i = 1; i <= html.count(kSections + "/h:a"); ++i)
        hrefs << html.string(kSections + QStringLiteral("/h:a[%1]/@href").arg(i));
    QCOMPARE(hrefs, links);
    QCOMPARE(html.string(kSections + "/h:b"), paragraph.section(u' ', 0, 0));
}

void PreviewStylesheetTest::persons()
{
    const XmlDoc html(xsltproc(workXml(QStringLiteral(
        "<authors>"
        "<person p_id_full=\"200-000-002\" p_type=\"student\" surname=\"Б\" name=\"Б\" patronymic=\"Б\"/>"
        "<person p_id_full=\"900-000-009\" p_type=\"teacher\" surname=\"Т\" name=\"Т\" patronymic=\"Т\" "
        "status=\"leader\"/>"
        "<person p_id_full=\"100-000-001\" p_type=\"student\" surname=\"А\" name=\"А\" patronymic=\"\"/>"
        "<person p_id_full=\"000-000-000\" p_type=\"guest\" surname=\"Г\" name=\"Г\" patronymic=\"Г\"/>"
        "<person p_id_full=\"800-000-008\" p_type=\"teacher\" surname=\"У\" name=\"У\" patronymic=\"У\"/>"
        "</authors>"))));
    QVERIFY2(html.ok(), qPrintable(html.errors()));
    QCOMPARE(html.count(QStringLiteral("//h:dl/h:ul[1]/h:li")), 2);
    QCOMPARE(html.string(QStringLiteral("//h:dl/h:ul[1]/h:li[1]")), QStringLiteral("[100-000-001] А А "));
    QCOMPARE(html.string(QStringLiteral("//h:dl/h:ul[1]/h:li[2]")), QStringLiteral("[200-000-002] Б Б Б"));
    QCOMPARE(html.outline(QStringLiteral("//h:dl/h:ul[1]/h:li[2]")), "li(a[href=" + kSite + "/persons/200-000-002/])");
    QCOMPARE(html.count(QStringLiteral("//h:dl/h:ul[2]/h:li")), 2);
    QCOMPARE(html.string(QStringLiteral("//h:dl/h:ul[2]/h:li[1]")), QStringLiteral("[800-000-008] У У У"));
    QCOMPARE(html.string(QStringLiteral("//h:dl/h:ul[2]/h:li[2]")), QStringLiteral("[900-000-009] Т Т Т"));
    QVERIFY(!html.string(QStringLiteral("//h:body")).contains(QStringLiteral("Г Г")));
}

void PreviewStylesheetTest::seasonWithoutSzId()
{
    const XmlDoc html(xsltproc(workXml(QString(), QStringLiteral("title=\"Т\" stored=\"1\""))));
    QCOMPARE(html.string(QStringLiteral("//h:body/h:p[h:b = 'Учебный год:']")),
             QStringLiteral("Учебный год: NaN / NaN"));
}

void PreviewStylesheetTest::untitledPreview()
{
    PassportSnapshot passport = richPassport();
    passport.title = QStringLiteral("  ");
    const QByteArray document =
        serializePassportDocument(BuildPassportDocument(passport, PassportDocumentKind::Preview, 1));
    const XmlDoc html(xsltproc(document));
    QCOMPARE(html.string(QStringLiteral("//h:head/h:title")),
             QStringLiteral("Без названия – Паспорт работы фестиваля «Lumarinda ученика»"));
    QCOMPARE(html.string(QStringLiteral("//h:h1")), QStringLiteral("Без названия"));
}

void PreviewStylesheetTest::documentWithoutWork()
{
    const XmlDoc html(xsltproc(passportXml(QString())));
    QVERIFY2(html.ok(), qPrintable(html.errors()));
    QCOMPARE(html.count(QStringLiteral("//h:body/node()[not(self::text())]")), 0);
    QCOMPARE(html.string(QStringLiteral("//h:body")).trimmed(), QString());
    QCOMPARE(html.string(QStringLiteral("//h:head/h:title")),
             QStringLiteral(" – Паспорт работы фестиваля «Lumarinda ученика»"));
}

void PreviewStylesheetTest::worksInStoredOrder()
{
    const XmlDoc html(xsltproc(passportXml(QStringLiteral("<work title=\"Вторая\" stored=\"20\"/>"
                                                          "<work title=\"Первая\" stored=\"100\"/>"))));
    QCOMPARE(html.count(QStringLiteral("//h:h1")), 2);
    QCOMPARE(html.string(QStringLiteral("(//h:h1)[1]")), QStringLiteral("Первая"));
    QCOMPARE(html.string(QStringLiteral("(//h:h1)[2]")), QStringLiteral("Вторая"));
    QCOMPARE(html.count(QStringLiteral("//h:div[@id='footer']")), 2);
    QCOMPARE(html.string(QStringLiteral("//h:head/h:title")),
             QStringLiteral("Вторая – Паспорт работы фестиваля «Lumarinda ученика»"));
}

void PreviewStylesheetTest::hiddenValues()
{
    const QString text = XmlDoc(xsltproc(richDocument())).string(QStringLiteral("/"));
    QVERIFY(!text.isEmpty());
    QVERIFY(!text.contains(QStringLiteral("1450000000")));
    QVERIFY(!text.contains(QStringLiteral("leader")));
    QVERIFY(!text.contains(QStringLiteral("латынь")));
    QVERIFY(!text.contains(QStringLiteral("Русский")));
    QVERIFY(!text.contains(QStringLiteral("2.2")));
}

void PreviewStylesheetTest::inProcessRenderingMatchesXsltproc()
{
    for (auto kind : {PassportDocumentKind::Saved, PassportDocumentKind::Preview}) {
        const QByteArray document = richDocument(kind);
        const QByteArray page = renderPreviewPage(document, previewStylesheetBytes());
        QVERIFY(!page.isEmpty());
        QCOMPARE(page, xsltproc(document));
    }
}

void PreviewStylesheetTest::renderingFailures_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QByteArray>("stylesheet");
    QTest::newRow("document not well-formed") << QByteArray("<lumarinda><work>") << previewStylesheetBytes();
    QTest::newRow("empty document") << QByteArray() << previewStylesheetBytes();
    QTest::newRow("stylesheet not XSLT") << workXml(QString()) << QByteArray("<not-a-stylesheet/>");
    QTest::newRow("stylesheet fails at run time")
        << workXml(QString())
        << QByteArray("<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
                      "<xsl:template match=\"/\"><xsl:message terminate=\"yes\">stop</xsl:message></xsl:template>"
                      "</xsl:stylesheet>");
}

void PreviewStylesheetTest::renderingFailures()
{
    QFETCH(QByteArray, document);
    QFETCH(QByteArray, stylesheet);
    // Only our words: libxml2's are English.
    QCOMPARE(failureOf([&] { renderPreviewPage(document, stylesheet); }),
             QStringLiteral("Не удалось построить страницу предпросмотра"));
}

void PreviewStylesheetTest::renderingReadsNoOtherFiles()
{
    QTemporaryDir dir;
    const QString secret = dir.filePath(QStringLiteral("secret.xml"));
    writeAll(secret, "<s>SECRET-MARKER</s>");
    const QByteArray stylesheet =
        QStringLiteral(
            "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
            "<xsl:template match=\"/\"><r><xsl:value-of select=\"document('file://%1')\"/></r></xsl:template>"
            "</xsl:stylesheet>")
            .arg(secret)
            .toUtf8();
    QByteArray page;
    try {
        page = renderPreviewPage(workXml(QString()), stylesheet);
    } catch (const Failure&) {
    }
    QVERIFY(!page.contains("SECRET-MARKER"));
}

QTEST_GUILESS_MAIN(PreviewStylesheetTest)
#include "tst_preview_stylesheet.moc"
