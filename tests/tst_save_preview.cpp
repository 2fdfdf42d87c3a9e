#include "core/passport/PassportDocument.h"
#include "core/preview/Preview_xslt.h"
#include "core/shell/Failure.h"
#include "core/shell/Windows1251.h"
#include "support/DialogScripts.h"
#include "support/EditorTest.h"
#include "support/FakeServices.h"
#include "support/Files.h"
#include "support/IncompleteMessage.h"
#include "support/JpegFixtures.h"
#include "support/Unwritable.h"
#include "support/Xml.h"
#include "support/Xsltproc.h"
#include "windows/Form.h"
#include "windows/MemoEdit.h"
#include "windows/Startup.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const QStringList kPreviewFiles = {"preview.qdx.jpg", "preview.qdx.xml", "preview.qdx.xsl", "preview.qdx.html"};

} // namespace

class SavePreviewTest : public EditorTest
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void incompletePassportRightAfterStartUp();
    void cancelledDialogWritesNothing();
    void successfulSave();
    void saveWhereNoFileCanBeCreated_data();
    void saveWhereNoFileCanBeCreated();
    void failedWriteKeepsTheOldPassport_data();
    void failedWriteKeepsTheOldPassport();
    void refusedSaveKeepsTheOldPassport_data();
    void refusedSaveKeepsTheOldPassport();
    void passportNamedLikeItsStylesheet_data();
    void passportNamedLikeItsStylesheet();
    void stylesheetFailureAfterThePassport();
    void passportNeverFound();
    void saveWithAnUnusableTemporaryFolder();
    void saveIntoTheTemporaryFolderKeepsThePassport_data();
    void saveIntoTheTemporaryFolderKeepsThePassport();
    void savedThroughALinkReachesItsTarget_data();
    void savedThroughALinkReachesItsTarget();
    void passportSuffixAfterTheDialog_data();
    void passportSuffixAfterTheDialog();
    void realDialogAddsTheSuffixBeforeAsking_data();
    void realDialogAddsTheSuffixBeforeAsking();
    void saveDialogStartsWhereTheLastPassportWas();

    void previewOfAnEmptyPassport();
    void previewShowsTheUnsavedEditor();
    void previewFailures_data();
    void previewFailures();
    void previewNeverFollowsPlantedLinks_data();
    void previewNeverFollowsPlantedLinks();

private:
    void fillCompletePassport();
    // A picture of the given size, captioned.
    void addPicture(const QImage& image = photoLike(120, 80));
    void save() { find<QPushButton>("SaveButton")->click(); }
    void preview() { find<QPushButton>("Preview")->click(); }
    QString tempFolder() const { return m_services->folder() + "temp/"; }
    void plantPreviewFiles();
    QStringList previewFilesLeft() const;
};

void SavePreviewTest::init()
{
    createEditor();
}

void SavePreviewTest::cleanup()
{
    destroyEditor();
}

void SavePreviewTest::fillCompletePassport()
{
    find<QLineEdit>("title")->setText(QStringLiteral("  Мой \"проект\": 1/2 "));
    find<MemoEdit>("description")->setText(QStringLiteral("Первая строка\r\nвторая & <третья>\r\n"));
    find<QLineEdit>("tech_request")->setText(QStringLiteral("Браузер"));
    find<MemoEdit>("manual")->setText(QStringLiteral("Открыть\r\nindex.html"));
    find<QLineEdit>("public_post_index")->setText(QStringLiteral(" 101000 "));
    find<QLineEdit>("public_post_address")->setText(QStringLiteral("Москва"));
    find<QLineEdit>("public_phone")->setText(QStringLiteral("(495) 111-22-33"));
    find<QLineEdit>("public_email")->setText(QStringLiteral("school@example.ru"));
    find<MemoEdit>("Notes")->setText(QStringLiteral("Записка 😀\r\n\r\n"));

    user().addPerson(kAuthors, QStringLiteral("123-456-798"));
    user().typeNames(kAuthors, {QStringLiteral(" Иванов "), QStringLiteral("Иван"), QStringLiteral("Иванович")});
    user().addPerson(kAuthors, QStringLiteral("765-432-193"));
    user().typeNames(kAuthors, {QStringLiteral("Антонова"), QStringLiteral("Анна"), QStringLiteral("Антоновна")});
    user().addPerson(kTeachers, QStringLiteral("100-018-305"));
    user().typeNames(kTeachers, {QStringLiteral("Петров"), QStringLiteral("Пётр"), QStringLiteral("Петрович")});
    user().addPerson(kTeachers, QStringLiteral("100-018-799"));
    user().typeNames(kTeachers, {QStringLiteral("Сидорова"), QStringLiteral("Мария"), QStringLiteral("Ильинична")});
    user().chooseRecipient(1);

    // Russian ticks linguistics, the first main section; physics is the second.
    user().chooseSections({kRussian, kOtherLanguage, kPhysics}, QStringLiteral(" латынь "));
}

void SavePreviewTest::addPicture(const QImage& image)
{
    const QString path = m_services->folder() + "picture.jpg";
    writeFileBytes(path, makeJpeg(image));
    user().addPicture(path);
    user().typeInto("WorkImgSign", QStringLiteral("Подпись"));
}

void SavePreviewTest::plantPreviewFiles()
{
    QDir().mkpath(tempFolder());
    for (const QString& name : kPreviewFiles)
        QVERIFY(writeAll(tempFolder() + name, "earlier preview"));
}

QStringList SavePreviewTest::previewFilesLeft() const
{
    QStringList left;
    for (const QString& name : kPreviewFiles) {
        if (QFile::exists(tempFolder() + name))
            left << name;
    }
    return left;
}

void SavePreviewTest::incompletePassportRightAfterStartUp()
{
    save();
    QCOMPARE(m_services->messages.size(), 1);
    const FakeServices::Message& box = m_services->messages.constFirst();
    QCOMPARE(box.text.split(u'\n'), kIncompleteAtStartUpLines);
    QCOMPARE(box.caption, QStringLiteral("Неполная информация"));
    QCOMPARE(box.icon, DesktopServices::Icon::Warning);
    QCOMPARE(box.buttons, DesktopServices::Buttons::Ok);
    QVERIFY(m_services->saveRequests.isEmpty());
    QVERIFY(m_services->writtenFiles.isEmpty());
}

void SavePreviewTest::cancelledDialogWritesNothing()
{
    fillCompletePassport();
    m_services->saveFileAnswers = {QString()};
    save();
    QCOMPARE(m_services->saveRequests.size(), 1);
    const SaveDialogRequest& request = m_services->saveRequests.constFirst();
    QCOMPARE(request.title, QStringLiteral("Сохранение файла паспорта работы"));
    QCOMPARE(request.filterDescription, QStringLiteral("Паспорт работы Фестиваля «Lumarinda»"));
    QCOMPARE(request.filterPattern, QStringLiteral("*.qdx.xml"));
    QCOMPARE(request.defaultSuffix, QStringLiteral("qdx.xml"));
    QCOMPARE(request.proposedName, QStringLiteral("Мой ''проект''- 1-2"));
    QVERIFY(m_services->messages.isEmpty());
    QVERIFY(m_services->writtenFiles.isEmpty());
    QVERIFY(m_services->waits.isEmpty());
    QVERIFY(m_windows->Pasport->workInfoXml().isEmpty());
}

void SavePreviewTest::successfulSave()
{
    fillCompletePassport();
    addPicture();
    plantPreviewFiles();
    const QString path = saveFolder() + "Мой проект.qdx.xml";
    m_services->saveFileAnswers = {path};
    QList<QPair<int, int>> existenceTests; // waits and messages so far, at each test of the passport
    m_services->existsOverride = [&](const QString& tested) {
        if (tested == path)
            existenceTests.append(
                {static_cast<int>(m_services->waits.size()), static_cast<int>(m_services->messages.size())});
        return QFileInfo(tested).isFile();
    };
    save();

    QCOMPARE(m_services->messages.size(), 1);
    const FakeServices::Message& box = m_services->messages.constFirst();
    QCOMPARE(box.text, "Электронный паспорт работы успешно сохранен как: " + path);
    QCOMPARE(box.caption, QStringLiteral("Паспорт сохранен"));
    QCOMPARE(box.icon, DesktopServices::Icon::Information);
    QCOMPARE(m_services->waits, QList<int>{1000});
    QCOMPARE(existenceTests, (QList<QPair<int, int>>{{1, 0}}));

    // What the window holds reaches the file.
    const QByteArray bytes = readAll(path);
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF<?xml version=\"1.0\" standalone=\"yes\"?>\r\n<?xml-stylesheet"));
    const XmlDoc doc(bytes);
    QVERIFY2(doc.ok(), qPrintable(doc.errors()));
    QCOMPARE(doc.string("/lumarinda/work/@title"), QStringLiteral("Мой \"проект\": 1/2"));
    QCOMPARE(doc.string("/lumarinda/work/@stored"), QString::number(m_services->clock));
    QCOMPARE(doc.string("//description"), QStringLiteral("Первая строка\r\nвторая & <третья>\r\n"));
    QCOMPARE(doc.string("//specification"), QStringLiteral("Браузер"));
    QCOMPARE(doc.string("//manual"), QStringLiteral("Открыть\r\nindex.html"));
    QCOMPARE(doc.outline("//subjects"),
             QStringLiteral("subjects(subject[sb_id=6](subject[sb_id=25];subject[title=латынь]);subject[sb_id=11])"));
    QCOMPARE(
        doc.outline("//authors"),
        QStringLiteral("authors("
                       "person[p_id_full=123-456-798,p_type=student,surname=Иванов,name=Иван,patronymic=Иванович];"
                       "person[p_id_full=765-432-193,p_type=student,surname=Антонова,name=Анна,patronymic=Антоновна];"
                       "person[p_id_full=100-018-305,p_type=teacher,surname=Петров,name=Пётр,patronymic=Петрович];"
                       "person[p_id_full=100-018-799,p_type=teacher,surname=Сидорова,name=Мария,patronymic=Ильинична,"
                       "status=leader])"));
    QCOMPARE(doc.string("//postal_code"), QStringLiteral("101000"));
    QCOMPARE(doc.string("//address"), QStringLiteral("Москва"));
    QCOMPARE(doc.string("//phone"), QStringLiteral("(495) 111-22-33"));
    QCOMPARE(doc.string("//email"), QStringLiteral("school@example.ru"));
    // The encoded picture as the page holds it, line breaks and all.
    const QString encoded = find<QLineEdit>("ImgBase64")->text();
    QVERIFY(encoded.startsWith(QLatin1String("/9j/")) && encoded.contains(u'\n'));
    QCOMPARE(doc.outline("//img"),
             "img[src=data:image/jpeg;base64," + encoded + QStringLiteral(",width=120,height=80,title=Подпись]"));
    QCOMPARE(doc.string("//comment"), QStringLiteral("Записка 😀"));
    QCOMPARE(doc.childNames("/lumarinda/work").mid(6), QStringList({"img", "comment"}));

    QCOMPARE(readAll(saveFolder() + "preview.qdx.xsl"), previewStylesheetBytes());
    QCOMPARE(QDir(saveFolder()).entryList(QDir::Files | QDir::Hidden),
             QStringList({"preview.qdx.xsl", "Мой проект.qdx.xml"}));
    QCOMPARE(previewFilesLeft(), QStringList());
    QStringList deleted;
    for (const QString& name : kPreviewFiles)
        deleted << tempFolder() + name;
    QCOMPARE(m_services->deletedFiles, deleted);
    QCOMPARE(m_windows->Pasport->workInfoXml().root.name, QStringLiteral("lumarinda"));

    // The page the browser makes of the saved file through the stylesheet beside it.
    const XmlDoc page(runXsltproc(saveFolder(), QStringLiteral("Мой проект.qdx.xml")));
    QVERIFY2(page.ok(), qPrintable(page.errors()));
    QCOMPARE(page.string("//h:h1"), QStringLiteral("Мой \"проект\": 1/2"));
}

void SavePreviewTest::saveWhereNoFileCanBeCreated_data()
{
    QTest::addColumn<QString>("folderState");
    QTest::addColumn<QString>("reason");
    QTest::newRow("read-only folder") << "read-only"
                                      << "Доступ запрещен";
    QTest::newRow("folder that is a file") << "file"
                                           << "Часть пути не является папкой";
    QTest::newRow("vanished folder") << "vanished"
                                     << "Файл или папка не существует";
}

void SavePreviewTest::saveWhereNoFileCanBeCreated()
{
    QFETCH(QString, folderState);
    QFETCH(QString, reason);
    fillCompletePassport();
    plantPreviewFiles();
    QString folder = saveFolder();
    std::unique_ptr<Unwritable> unwritable;
    if (folderState == QLatin1String("read-only")) {
        unwritable = std::make_unique<Unwritable>(folder);
        REQUIRE_UNWRITABLE(*unwritable);
    } else if (folderState == QLatin1String("file")) {
        QVERIFY(writeAll(folder + "not a folder", "x"));
        folder += "not a folder/";
    } else {
        // Chosen in the dialog, then removed by someone else before the save.
        folder += "gone/";
    }
    const QString path = folder + "Работа.qdx.xml";
    m_services->saveFileAnswers = {path};
    save();
    unwritable.reset();

    QCOMPARE(m_services->messages.size(), 1);
    const FakeServices::Message& box = m_services->messages.constFirst();
    QCOMPARE(box.text, QStringLiteral("Cannot create file \"%1\". %2.").arg(path, reason));
    QCOMPARE(box.caption, QStringLiteral("Электронный паспорт работы"));
    QCOMPARE(box.icon, DesktopServices::Icon::Error);
    QVERIFY(!QFileInfo::exists(path));
    QVERIFY(!QFileInfo::exists(folder + "preview.qdx.xsl"));
    QVERIFY(m_services->waits.isEmpty());
    QCOMPARE(previewFilesLeft(), kPreviewFiles);
}

void SavePreviewTest::failedWriteKeepsTheOldPassport_data()
{
    // Qt buffers a small write and hands a large one straight to the system.
    QTest::addColumn<int>("pictureSize"); // of the encoded picture, at least
    QTest::newRow("small passport") << 0;
    QTest::newRow("large picture") << 30000;
}

// A disk that fills up while the passport is written must not cost the passport saved before:
// the new one is written beside it and only then put in its place.
void SavePreviewTest::failedWriteKeepsTheOldPassport()
{
    QFETCH(int, pictureSize);
    fillCompletePassport();
    if (pictureSize > 0) {
        addPicture(photoLike(300, 300));
        QVERIFY(find<QLineEdit>("ImgBase64")->text().size() >= pictureSize);
    }
    const QString path = saveFolder() + "Работа.qdx.xml";
    QVERIFY(writeAll(path, "the passport saved yesterday"));
    m_services->saveFileAnswers = {path};

    // A file size limit makes the write fail part of the way through, as a full disk would.
    rlimit original{};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &original), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    m_services->writeHook = [&](const QString& target, const QByteArray& bytes) {
        QVERIFY(bytes.size() > 1000);
        if (target != path)
            return;
        const rlimit small{512, original.rlim_max};
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
    };
    save();
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &original), 0);
    std::signal(SIGXFSZ, previousHandler);

    QCOMPARE(m_services->messages.size(), 1);
    QCOMPARE(m_services->messages.constFirst().text,
             QStringLiteral("Ошибка записи файла \"%1\". Файл слишком велик.").arg(path));
    QCOMPARE(m_services->messages.constFirst().icon, DesktopServices::Icon::Error);
    QCOMPARE(readAll(path), QByteArray("the passport saved yesterday"));
    QCOMPARE(QDir(saveFolder()).entryList(QDir::Files | QDir::Hidden), QStringList{"Работа.qdx.xml"});
    QVERIFY(m_services->waits.isEmpty());
}

namespace {

// A save about to be refused: the passport file and its folder, the bytes a save would write, and
// what stops it.
struct SaveRefusal
{
    QString path;
    QString folder;
    QByteArray bytes;
    std::unique_ptr<Unwritable> unwritable;
    std::optional<rlim_t> sizeLimit; // stops the write where a full disk would
};

using SaveRefusalSetup = std::function<void(SaveRefusal&)>;

} // namespace

void SavePreviewTest::refusedSaveKeepsTheOldPassport_data()
{
    QTest::addColumn<SaveRefusalSetup>("refuse");
    QTest::addColumn<QString>("message"); // a pattern, the path as %1
    const QString denied = QStringLiteral("^Cannot create file \"%1\"\\. Доступ запрещен\\.$");
    const QString tooLarge = QStringLiteral("^Ошибка записи файла \"%1\"\\. Файл слишком велик\\.$");
    QTest::newRow("read-only passport file")
        << SaveRefusalSetup([](SaveRefusal& save) { save.unwritable = std::make_unique<Unwritable>(save.path); })
        << denied;
    QTest::newRow("read-only folder") << SaveRefusalSetup([](SaveRefusal& save) {
        save.unwritable = std::make_unique<Unwritable>(save.folder);
    }) << denied;
    QTest::newRow("disk full from the first byte")
        << SaveRefusalSetup([](SaveRefusal& save) { save.sizeLimit = 0; }) << tooLarge;
    QTest::newRow("disk full at the last byte")
        << SaveRefusalSetup([](SaveRefusal& save) { save.sizeLimit = rlim_t(save.bytes.size() - 1); }) << tooLarge;
}

// Nothing written, nothing left behind, the passport saved before intact, a message that says
// what went wrong, and the editor still holding everything for a save elsewhere.
void SavePreviewTest::refusedSaveKeepsTheOldPassport()
{
    QFETCH(SaveRefusalSetup, refuse);
    QFETCH(QString, message);
    fillCompletePassport();
    const QString folder = saveFolder();
    const QString path = folder + QStringLiteral("Работа.qdx.xml");
    const QByteArray yesterday("the passport saved yesterday");
    QVERIFY(writeAll(path, yesterday));
    const QByteArray bytes = serializePassportDocument(
        BuildPassportDocument(m_windows->Pasport->passportSnapshot(), PassportDocumentKind::Saved, m_services->clock));

    SaveRefusal refused{path, folder, bytes, nullptr, std::nullopt};
    refuse(refused);
    std::unique_ptr<Unwritable> unwritable = std::move(refused.unwritable);
    if (unwritable)
        REQUIRE_UNWRITABLE(*unwritable);
    rlimit original{};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &original), 0);
    if (refused.sizeLimit) {
        const rlim_t limit = *refused.sizeLimit;
        m_services->writeHook = [&, limit](const QString& target, const QByteArray&) {
            if (target != path)
                return;
            const rlimit small{limit, original.rlim_max};
            QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        };
    }
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    m_services->saveFileAnswers.push_back(path);
    find<QPushButton>("SaveButton")->click();
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &original), 0);
    std::signal(SIGXFSZ, previousHandler);
    m_services->writeHook = nullptr;
    unwritable.reset();

    QCOMPARE(m_services->messages.size(), 1);
    const FakeServices::Message box = m_services->messages.constFirst();
    const QString expected = message.arg(QRegularExpression::escape(path));
    QVERIFY2(QRegularExpression(expected).match(box.text).hasMatch(), qPrintable(box.text));
    QCOMPARE(box.icon, DesktopServices::Icon::Error);
    QCOMPARE(readAll(path), yesterday);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Работа.qdx.xml")});
    QVERIFY(m_services->waits.isEmpty());

    const QString elsewhere = m_services->folder() + QStringLiteral("elsewhere.qdx.xml");
    m_services->messages.clear();
    m_services->saveFileAnswers.push_back(elsewhere);
    find<QPushButton>("SaveButton")->click();
    QCOMPARE(m_services->messages.size(), 1);
    QCOMPARE(m_services->messages.constFirst().caption, QStringLiteral("Паспорт сохранен"));
    QCOMPARE(readAll(elsewhere), bytes);
}

void SavePreviewTest::passportNamedLikeItsStylesheet_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("the stylesheet's own name") << "preview.qdx.xsl";
    QTest::newRow("in capitals, as a stick's file system takes it") << "PREVIEW.QDX.XSL";
}

// The stylesheet written beside the passport would replace it at once, after a confirmation: the
// name is refused before anything is written.
void SavePreviewTest::passportNamedLikeItsStylesheet()
{
    QFETCH(QString, name);
    fillCompletePassport();
    const QString path = saveFolder() + name;
    QVERIFY(writeAll(path, "an earlier file"));
    m_services->saveFileAnswers.push_back(path);
    find<QPushButton>("SaveButton")->click();

    QCOMPARE(m_services->messages.size(), 1);
    QCOMPARE(m_services->messages.constFirst().text,
             QStringLiteral("Имя «preview.qdx.xsl» занято файлом шаблона, который записывается рядом с паспортом. "
                            "Паспорт работы не сохранен."));
    QCOMPARE(m_services->messages.constFirst().icon, DesktopServices::Icon::Error);
    QVERIFY(m_services->writtenFiles.isEmpty());
    QVERIFY(m_services->waits.isEmpty());
    QCOMPARE(readAll(path), QByteArray("an earlier file"));
}

void SavePreviewTest::stylesheetFailureAfterThePassport()
{
    fillCompletePassport();
    plantPreviewFiles();
    QVERIFY(QDir().mkpath(saveFolder() + "preview.qdx.xsl"));
    const QString path = saveFolder() + "Работа.qdx.xml";
    m_services->saveFileAnswers = {path};
    save();

    QCOMPARE(m_services->messages.size(), 1);
    QCOMPARE(m_services->messages.constFirst().text, QStringLiteral("Ошибка записи файла шаблона во временную папку."));
    QCOMPARE(m_services->messages.constFirst().caption, QStringLiteral("Электронный паспорт работы"));
    QCOMPARE(m_services->messages.constFirst().icon, DesktopServices::Icon::Error);
    QVERIFY(XmlDoc(readAll(path)).ok());
    QVERIFY(m_services->waits.isEmpty());
    QCOMPARE(previewFilesLeft(), kPreviewFiles);
}

void SavePreviewTest::passportNeverFound()
{
    fillCompletePassport();
    plantPreviewFiles();
    const QString path = saveFolder() + "Работа.qdx.xml";
    m_services->saveFileAnswers = {path};
    int tests = 0;
    m_services->existsOverride = [&](const QString& tested) {
        if (tested != path)
            return QFileInfo(tested).isFile();
        ++tests;
        return false;
    };
    save();

    QCOMPARE(m_services->waits, QList<int>(10, 1000));
    QCOMPARE(tests, 10);
    QCOMPARE(m_services->messages.size(), 1);
    const FakeServices::Message& box = m_services->messages.constFirst();
    QCOMPARE(box.text, QStringLiteral("Ошибка записи файла на диск.\nПаспорт работы не сохранен."));
    QCOMPARE(box.caption, QStringLiteral("Ошибка записи"));
    QCOMPARE(box.icon, DesktopServices::Icon::Error);
    QCOMPARE(box.buttons, DesktopServices::Buttons::Ok);
    QCOMPARE(previewFilesLeft(), kPreviewFiles);
}

// The temporary folder only holds stale preview files by then: a saved passport is still saved.
void SavePreviewTest::saveWithAnUnusableTemporaryFolder()
{
    fillCompletePassport();
    const QString path = saveFolder() + "Работа.qdx.xml";
    m_services->saveFileAnswers = {path};
    m_services->tempFolderFailure = [] { throw Failure(QStringLiteral("Временная папка недоступна")); };
    save();
    QCOMPARE(m_services->messages.size(), 1);
    QCOMPARE(m_services->messages.constFirst().caption, QStringLiteral("Паспорт сохранен"));
    QVERIFY(XmlDoc(readAll(path)).ok());
    QVERIFY(m_services->deletedFiles.isEmpty());
}

// The first save of a run leaves the folder to the dialog; later ones start where the last
// passport saved or opened lies. The proposed name stays the one made from the title.
void SavePreviewTest::saveDialogStartsWhereTheLastPassportWas()
{
    fillCompletePassport();
    const QString first = m_services->folder() + QStringLiteral("first/");
    const QString second = m_services->folder() + QStringLiteral("second/");
    QDir().mkpath(first);
    QDir().mkpath(second);
    m_services->saveFileAnswers.push_back(first + QStringLiteral("work.qdx.xml"));
    save();
    m_services->saveFileAnswers.push_back(QString());
    save();
    QCOMPARE(m_services->saveRequests.size(), 2);
    QCOMPARE(m_services->saveRequests[0].folder, QString());
    QCOMPARE(m_services->saveRequests[1].folder, m_services->folder() + QStringLiteral("first"));
    QCOMPARE(m_services->saveRequests[1].proposedName, QStringLiteral("Мой ''проект''- 1-2"));

    QFile::copy(first + QStringLiteral("work.qdx.xml"), second + QStringLiteral("other.qdx.xml"));
    m_services->answers.push_back(DesktopServices::Answer::Yes);
    m_windows->Pasport->openPassport(second + QStringLiteral("other.qdx.xml"));
    m_services->saveFileAnswers.push_back(QString());
    save();
    QCOMPARE(m_services->saveRequests[2].folder, m_services->folder() + QStringLiteral("second"));
}

void SavePreviewTest::previewOfAnEmptyPassport()
{
    preview();
    QVERIFY(m_services->messages.isEmpty());
    QCOMPARE(m_services->openedDocuments, (QList<QPair<QString, QString>>{{tempFolder(), "preview.qdx.html"}}));

    const XmlDoc doc(readAll(tempFolder() + "preview.qdx.xml"));
    QVERIFY2(doc.ok(), qPrintable(doc.errors()));
    QCOMPARE(doc.string("/lumarinda/work/@title"), QStringLiteral("Без названия"));
    QCOMPARE(doc.count("//img"), 0);
    QCOMPARE(doc.count("//person"), 0);
    QCOMPARE(readAll(tempFolder() + "preview.qdx.xsl"), previewStylesheetBytes());

    // The page opened is the one the stylesheet makes of the document written beside it.
    const QByteArray page = readAll(tempFolder() + "preview.qdx.html");
    QCOMPARE(page, runXsltproc(tempFolder(), QStringLiteral("preview.qdx.xml")));
    const XmlDoc html(page);
    QVERIFY2(html.ok(), qPrintable(html.errors()));
    QCOMPARE(html.string("//h:h1"), QStringLiteral("Без названия"));
    QCOMPARE(html.string("//h:body/h:p[h:b[starts-with(., 'Раздел')]]"), QStringLiteral("Раздел: не выбран"));
    QCOMPARE(html.count("//h:li"), 0);
}

void SavePreviewTest::previewShowsTheUnsavedEditor()
{
    fillCompletePassport();
    addPicture();
    preview();
    preview(); // a second press writes the files again and asks again
    QVERIFY(m_services->messages.isEmpty());
    QVERIFY(m_services->saveRequests.isEmpty());
    QCOMPARE(m_services->openedDocuments.size(), 2);
    const XmlDoc doc(readAll(tempFolder() + "preview.qdx.xml"));
    QCOMPARE(doc.string("/lumarinda/work/@title"), QStringLiteral("Мой \"проект\": 1/2"));
    QCOMPARE(doc.childNames("/lumarinda/work").mid(6), QStringList({"comment", "img"}));
    QCOMPARE(doc.count("//person[@status='leader']"), 1);
    const XmlDoc html(readAll(tempFolder() + "preview.qdx.html"));
    QCOMPARE(html.string("//h:img/@title"), QStringLiteral("Подпись"));
    QCOMPARE(html.count("//h:li"), 4);
}

void SavePreviewTest::previewFailures_data()
{
    QTest::addColumn<QString>("failing");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("plain");
    QTest::addColumn<QStringList>("written");
    QTest::newRow("temporary folder refused") << "folder"
                                              << "Временная папка недоступна." << false << QStringList();
    QTest::newRow("document") << "preview.qdx.xml"
                              << "Cannot create file \"x\". Disk full." << false << QStringList();
    QTest::newRow("stylesheet") << "preview.qdx.xsl"
                                << "Ошибка записи файла шаблона во временную папку." << false
                                << QStringList{"preview.qdx.xml"};
    QTest::newRow("page") << "preview.qdx.html"
                          << "Cannot create file \"x\". Disk full." << false
                          << QStringList{"preview.qdx.xml", "preview.qdx.xsl"};
    QTest::newRow("failure without a message") << "foreign"
                                               << "Ошибка предпросмотра" << true << QStringList{"preview.qdx.xml"};
}

void SavePreviewTest::previewFailures()
{
    QFETCH(QString, failing);
    QFETCH(QString, message);
    QFETCH(bool, plain);
    QFETCH(QStringList, written);
    const QString folder = m_services->tempFolder();
    if (failing == QLatin1String("folder")) {
        m_services->tempFolderFailure = [] { throw Failure(QStringLiteral("Временная папка недоступна")); };
    } else if (failing == QLatin1String("preview.qdx.xsl")) {
        QVERIFY(QDir().mkpath(folder + failing));
    } else {
        m_services->writeHook = [&](const QString& path, const QByteArray&) {
            if (failing == QLatin1String("foreign") && path.endsWith(QLatin1String(".xsl")))
                throw std::runtime_error("no message");
            if (path == folder + failing)
                throw Failure(QStringLiteral("Cannot create file \"x\". Disk full"));
        };
    }
    preview();

    QCOMPARE(m_services->messages.size(), 1);
    const FakeServices::Message& box = m_services->messages.constFirst();
    QCOMPARE(box.text, message);
    QCOMPARE(box.plain, plain);
    QCOMPARE(box.caption, QStringLiteral("Электронный паспорт работы"));
    QCOMPARE(box.icon, plain ? DesktopServices::Icon::None : DesktopServices::Icon::Error);
    QVERIFY(m_services->openedDocuments.isEmpty());
    QStringList files = QDir(folder).entryList(QDir::Files);
    QCOMPARE(files, written);
}

void SavePreviewTest::previewNeverFollowsPlantedLinks_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("document") << "preview.qdx.xml";
    QTest::newRow("stylesheet") << "preview.qdx.xsl";
    QTest::newRow("page") << "preview.qdx.html";
}

void SavePreviewTest::previewNeverFollowsPlantedLinks()
{
    QFETCH(QString, name);
    const QString victim = m_services->folder() + "victim.txt";
    QVERIFY(writeAll(victim, "not yours"));
    const QString planted = m_services->tempFolder() + name;
    QVERIFY(QFile::link(victim, planted));
    preview();
    QVERIFY(m_services->messages.isEmpty());
    QCOMPARE(readAll(victim), QByteArray("not yours"));
    QVERIFY(!QFileInfo(planted).isSymLink());
    QVERIFY(readAll(planted).size() > 100);
}

void SavePreviewTest::saveIntoTheTemporaryFolderKeepsThePassport_data()
{
    QTest::addColumn<QString>("route"); // how the dialog's path reaches the temporary folder
    QTest::newRow("directly") << "";
    QTest::newRow("through ..") << "../temp/";
    QTest::newRow("through a linked folder") << "link";
}

// The file just saved under the preview document's name is the passport, not a stale preview.
void SavePreviewTest::saveIntoTheTemporaryFolderKeepsThePassport()
{
    QFETCH(QString, route);
    fillCompletePassport();
    plantPreviewFiles();
    QString folder = tempFolder() + route;
    if (route == "link") {
        folder = saveFolder() + "alias/";
        QVERIFY(QFile::link(tempFolder(), saveFolder() + "alias"));
    }
    m_services->saveFileAnswers = {folder + "preview.qdx.xml"};
    save();

    QCOMPARE(m_services->messages.size(), 1);
    QCOMPARE(m_services->messages.constFirst().caption, QStringLiteral("Паспорт сохранен"));
    const XmlDoc doc(readAll(tempFolder() + "preview.qdx.xml"));
    QVERIFY2(doc.ok(), qPrintable(doc.errors()));
    QCOMPARE(doc.string("/lumarinda/work/@title"), QStringLiteral("Мой \"проект\": 1/2"));
    // The stylesheet beside it was just written too: the browser needs it to show the passport.
    QCOMPARE(readAll(tempFolder() + "preview.qdx.xsl"), previewStylesheetBytes());
    QCOMPARE(previewFilesLeft(), QStringList({"preview.qdx.xml", "preview.qdx.xsl"}));
}

void SavePreviewTest::savedThroughALinkReachesItsTarget_data()
{
    QTest::addColumn<int>("hops"); // links between the chosen path and the file
    QTest::addColumn<bool>("targetExists");
    QTest::newRow("link to an earlier passport") << 1 << true;
    QTest::newRow("link to a link") << 2 << true;
    QTest::newRow("link whose target is not there yet") << 1 << false;
}

// The user's link to a synced or shared copy stays a link; the copy gets the passport.
void SavePreviewTest::savedThroughALinkReachesItsTarget()
{
    QFETCH(int, hops);
    QFETCH(bool, targetExists);
    fillCompletePassport();
    const QString shared = m_services->folder() + "shared/";
    QVERIFY(QDir().mkpath(shared));
    const QString target = shared + "Работа.qdx.xml";
    if (targetExists)
        QVERIFY(writeAll(target, "the passport saved yesterday"));
    QString next = target;
    for (int hop = hops; hop > 1; --hop) {
        const QString link = shared + QStringLiteral("link%1.qdx.xml").arg(hop);
        QVERIFY(QFile::link(next, link));
        next = link;
    }
    const QString path = saveFolder() + "Работа.qdx.xml";
    QVERIFY(QFile::link(next, path));
    m_services->saveFileAnswers = {path};
    save();

    QCOMPARE(m_services->messages.size(), 1);
    QCOMPARE(m_services->messages.constFirst().text, "Электронный паспорт работы успешно сохранен как: " + path);
    QVERIFY(QFileInfo(path).isSymLink());
    QCOMPARE(QFileInfo(path).symLinkTarget(), next);
    QVERIFY(!QFileInfo(target).isSymLink());
    const XmlDoc doc(readAll(target));
    QVERIFY2(doc.ok(), qPrintable(doc.errors()));
    QCOMPARE(doc.string("/lumarinda/work/@title"), QStringLiteral("Мой \"проект\": 1/2"));
    // Nothing left over beside the target from writing it.
    QStringList expected{"Работа.qdx.xml"};
    for (int hop = 2; hop <= hops; ++hop)
        expected << QStringLiteral("link%1.qdx.xml").arg(hop);
    expected.sort();
    QStringList found = QDir(shared).entryList(QDir::Files | QDir::Hidden | QDir::System);
    found.sort();
    QCOMPARE(found, expected);
}

void SavePreviewTest::passportSuffixAfterTheDialog_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("saved"); // the file name written
    QTest::addColumn<bool>("existing"); // a file of the final name is there already
    QTest::addColumn<int>("answer");    // to the question about it, -1 when none is due
    QTest::newRow("initials") << "Сказка А.С. Пушкина"
                              << "Сказка А.С. Пушкина.qdx.xml" << false << -1;
    QTest::newRow("version number") << "Версия 2.0"
                                    << "Версия 2.0.qdx.xml" << false << -1;
    QTest::newRow("trailing period") << "Итог."
                                     << "Итог..qdx.xml" << false << -1;
    QTest::newRow("suffix in other case") << "Итог.QDX.XML"
                                          << "Итог.QDX.XML" << false << -1;
    QTest::newRow("final name exists, replace") << "Версия 2.0"
                                                << "Версия 2.0.qdx.xml" << true << int(DesktopServices::Answer::Yes);
    QTest::newRow("final name exists, keep") << "Версия 2.0"
                                             << "" << true << int(DesktopServices::Answer::No);
    // The dialog asked about this very name itself.
    QTest::newRow("suffix given, exists") << "Итог.qdx.xml"
                                          << "Итог.qdx.xml" << true << -1;
}

// The dialog returns what the user accepted; its own suffix rule leaves names with a period alone.
void SavePreviewTest::passportSuffixAfterTheDialog()
{
    QFETCH(QString, title);
    QFETCH(QString, saved);
    QFETCH(bool, existing);
    QFETCH(int, answer);
    fillCompletePassport();
    find<QLineEdit>("title")->setText(title);
    const QString finalPath = saveFolder() + (saved.isEmpty() ? title + ".qdx.xml" : saved);
    if (existing)
        QVERIFY(writeAll(finalPath, "saved before"));
    if (answer >= 0)
        m_services->answers = {DesktopServices::Answer(answer)};
    m_services->saveFileAnswers = {saveFolder() + title};
    save();

    if (answer >= 0) {
        const FakeServices::Message& question = m_services->messages.constFirst();
        QCOMPARE(question.text,
                 QStringLiteral("Файл «%1» уже существует.\nЗаменить его?").arg(QFileInfo(finalPath).fileName()));
        QCOMPARE(question.buttons, DesktopServices::Buttons::YesNo);
        QCOMPARE(question.icon, DesktopServices::Icon::Warning);
    }
    if (saved.isEmpty()) {
        QCOMPARE(m_services->messages.size(), 1);
        QCOMPARE(readAll(finalPath), QByteArray("saved before"));
        QVERIFY(m_services->writtenFiles.isEmpty());
        return;
    }
    QCOMPARE(m_services->messages.constLast().text, "Электронный паспорт работы успешно сохранен как: " + finalPath);
    QCOMPARE(m_services->messages.size(), answer >= 0 ? 2 : 1);
    QVERIFY(XmlDoc(readAll(finalPath)).ok());
    QCOMPARE(QDir(saveFolder()).entryList(QDir::Files), QStringList({"preview.qdx.xsl", saved}));
}

void SavePreviewTest::realDialogAddsTheSuffixBeforeAsking_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("existing");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("trailing period, new") << "Итог." << false << "Итог..qdx.xml";
    QTest::newRow("initials, existing") << "Сказка А.С. Пушкина" << true << "Сказка А.С. Пушкина.qdx.xml";
    QTest::newRow("no period") << "Работа" << false << "Работа.qdx.xml";
    QTest::newRow("suffix in capitals") << "Работа.QDX.XML" << false << "Работа.QDX.XML";
}

// Qt's dialog under the real services: the question about overwriting, if any, names the final file.
void SavePreviewTest::realDialogAddsTheSuffixBeforeAsking()
{
    QFETCH(QString, typed);
    QFETCH(bool, existing);
    QFETCH(QString, chosen);
    if (existing)
        QVERIFY(writeAll(saveFolder() + chosen, "saved before"));
    QtDesktopServices services;
    SaveDialogRequest request;
    request.title = QStringLiteral("Сохранение файла паспорта работы");
    request.filterDescription = QStringLiteral("Паспорт работы Фестиваля «Lumarinda»");
    request.filterPattern = QStringLiteral("*.qdx.xml");
    request.defaultSuffix = QStringLiteral("qdx.xml");
    request.proposedName = QStringLiteral("предложено");

    QString asked;
    whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        QVERIFY(dialog);
        dialog->setDirectory(saveFolder());
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(typed);
        if (existing) {
            whenModal([&](QWidget* box) {
                auto* question = qobject_cast<QMessageBox*>(box);
                QVERIFY(question);
                asked = question->text();
                question->button(QMessageBox::Yes)->click();
            });
        }
        QMetaObject::invokeMethod(dialog, "accept");
    });
    const QString path = services.saveFile(request);
    QCOMPARE(path, saveFolder() + chosen);
    if (existing)
        QVERIFY2(asked.contains(chosen), qPrintable(asked));
}

QTEST_MAIN(SavePreviewTest)
#include "tst_save_preview.moc"
