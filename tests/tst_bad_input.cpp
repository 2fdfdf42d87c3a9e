// Bad input through the whole window: text at and past its limits, foreign and control
// characters, hostile titles, a temporary folder that is gone, unwritable or planted, a picture
// that vanishes after the dialog, buttons pressed twice, and long runs of adding and removing with
// the memory they leave behind. Refused saves are with the other saves, in tst_save_preview.

#include "core/shell/Failure.h"
#include "core/shell/TempFolder.h"
#include "support/DialogScripts.h"
#include "support/EditorTest.h"
#include "support/FakeServices.h"
#include "support/Files.h"
#include "support/JpegFixtures.h"
#include "support/Typing.h"
#include "support/Unwritable.h"
#include "support/Xml.h"
#include "windows/Form.h"
#include "windows/MemoEdit.h"
#include "windows/SpellChecking.h"
#include "windows/Startup.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <malloc.h>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

#if defined(__SANITIZE_ADDRESS__)
#define LUMARINDA_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LUMARINDA_SANITIZED 1
#endif
#endif

namespace {

// Opens the pipe's writing end if the click has not come back in time, so that an import that
// blocks on the pipe fails the test instead of hanging it. Waits only when that happens.
class PipeWatchdog
{
public:
    explicit PipeWatchdog(const QString& pipe) : m_pipe(QFile::encodeName(pipe))
    {
        m_thread = std::thread([this] {
            std::unique_lock lock(m_mutex);
            if (m_finished.wait_for(lock, std::chrono::seconds(20), [this] { return m_done; }))
                return;
            m_fired = true;
            const int fd = ::open(m_pipe.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0)
                ::close(fd);
        });
    }
    ~PipeWatchdog() { finish(); }
    PipeWatchdog(const PipeWatchdog&) = delete;
    PipeWatchdog& operator=(const PipeWatchdog&) = delete;

    // True when it had to open the pipe.
    bool finish()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_finished.notify_all();
        if (m_thread.joinable())
            m_thread.join();
        return m_fired;
    }

private:
    QByteArray m_pipe;
    std::mutex m_mutex;
    std::condition_variable m_finished;
    bool m_done = false;
    bool m_fired = false;
    std::thread m_thread;
};

struct Memory
{
    double residentMb = 0;
    double heapMb = 0; // in use by malloc; not known under the sanitizers
};

Memory memoryNow()
{
    Memory memory;
    long pages = 0;
    long resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    memory.residentMb = double(resident) * double(::sysconf(_SC_PAGESIZE)) / (1 << 20);
#ifndef LUMARINDA_SANITIZED
    memory.heapMb = double(::mallinfo2().uordblks) / (1 << 20);
#endif
    return memory;
}

const QString kSavedCaption = QStringLiteral("Паспорт сохранен");

} // namespace

class BadInputTest : public EditorTest
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void pasteAtAndPastTheLimit_data();
    void pasteAtAndPastTheLimit();
    void foreignCharactersReadBack_data();
    void foreignCharactersReadBack();
    void hostileTitles_data();
    void hostileTitles();

    void unusableTemporaryFolder_data();
    void unusableTemporaryFolder();
    void pictureGoneAfterTheDialog_data();
    void pictureGoneAfterTheDialog();

    void secondClickWhileSaving_data();
    void secondClickWhileSaving();
    void doubleClickOnPreview();

    void addRemoveCyclesKeepMemoryFlat_data();
    void addRemoveCyclesKeepMemoryFlat();

private:
    QWidget* field(const QString& name) const { return find<QWidget>(qPrintable(name)); }
    QString textOf(const QString& name) const;
    void paste(const QString& name, const QString& text);

    QString pictureFile();
    void prepareCompletePassport(bool withPicture = false);
    // Saves under the name and returns the file's bytes; the save must be confirmed.
    QByteArray save(const QString& name);
    void queueClick(const char* button);
    void runModalLoop();

    std::unique_ptr<QTemporaryDir> m_files;
};

void BadInputTest::init()
{
    createEditor();
    m_files = std::make_unique<QTemporaryDir>();
    m_windows->Pasport->show();
}

void BadInputTest::cleanup()
{
    m_files.reset();
    destroyEditor();
}

QString BadInputTest::textOf(const QString& name) const
{
    QWidget* control = field(name);
    if (auto* memo = qobject_cast<MemoEdit*>(control))
        return memo->text();
    return qobject_cast<QLineEdit*>(control)->text();
}

// Select all, then Ctrl+V with the text on the clipboard.
void BadInputTest::paste(const QString& name, const QString& text)
{
    QWidget* control = field(name);
    if (auto* memo = qobject_cast<MemoEdit*>(control))
        memo->selectAll();
    else
        qobject_cast<QLineEdit*>(control)->selectAll();
    QGuiApplication::clipboard()->setText(text);
    QTest::keySequence(control, QKeySequence::Paste);
}

QString BadInputTest::pictureFile()
{
    const QString path = m_files->filePath(QStringLiteral("photo.jpg"));
    writeFileBytes(path, makeJpeg(photoLike(400, 300)));
    return path;
}

// Every field in reach: linguistics with "другое" ticked, an author and a supervisor with their
// names, and when asked a picture, for its caption.
void BadInputTest::prepareCompletePassport(bool withPicture)
{
    user().chooseSections({kOtherLanguage});
    QVERIFY(find<QLineEdit>("subjectLingvoOtherEdit")->isEnabled());

    user().addPerson(kAuthors, QStringLiteral("123-456-798"));
    user().addPerson(kTeachers, QStringLiteral("100-018-305"));
    for (const char* name : {"AuthorsLastname", "AuthorsName", "AuthorsPatronymic", "TeachersLastname", "TeachersName",
                             "TeachersPatronymic"})
        find<QLineEdit>(name)->setText(QStringLiteral("Имя"));
    if (withPicture) {
        user().addPicture(pictureFile());
        QVERIFY(!find<QPushButton>("AddImg")->isEnabled());
    }
    find<QLineEdit>("title")->setText(QStringLiteral("Работа"));
    find<MemoEdit>("description")->setText(QStringLiteral("Описание"));
    QVERIFY(m_services->messages.isEmpty());
}

QByteArray BadInputTest::save(const QString& name)
{
    const QString path = saveFolder() + name;
    m_services->saveFileAnswers.push_back(path);
    m_services->messages.clear();
    find<QPushButton>("SaveButton")->click();
    if (m_services->messages.size() != 1 || m_services->messages.constFirst().caption != kSavedCaption) {
        qWarning("save not confirmed: %s",
                 qPrintable(m_services->messages.isEmpty() ? QString() : m_services->messages.constLast().text));
        return {};
    }
    m_services->messages.clear();
    return readAll(path);
}

// A click that waits in the event queue, as one the window system delivers later.
void BadInputTest::queueClick(const char* button)
{
    auto* target = find<QPushButton>(button);
    QWindow* window = m_windows->Pasport->windowHandle();
    const QPointF local = target->mapTo(m_windows->Pasport.get(), target->rect().center());
    const QPointF global = target->mapToGlobal(target->rect().center());
    QCoreApplication::postEvent(window, new QMouseEvent(QEvent::MouseButtonPress, local, local, global, Qt::LeftButton,
                                                        Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(window, new QMouseEvent(QEvent::MouseButtonRelease, local, local, global,
                                                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
}

// What a box or dialog does with the events that wait while it is up: its own loop handles them,
// with the main window blocked.
void BadInputTest::runModalLoop()
{
    QDialog box(m_windows->Pasport.get());
    box.setModal(true);
    box.show();
    QCoreApplication::processEvents();
    box.hide();
}

// --- text fields -------------------------------------------------------------------------------

namespace {

struct TextField
{
    const char* name;
    int limit;
    const char* value; // where the saved file holds it; none for the identifier dialog's field
};

const TextField kLimitedFields[] = {
    {"title", 250, "/lumarinda/work/@title"},
    {"description", 500, "//description"},
    {"tech_request", 250, "//specification"},
    {"manual", 500, "//manual"},
    {"public_post_index", 10, "//postal_code"},
    {"public_post_address", 250, "//address"},
    {"public_phone", 150, "//phone"},
    {"public_email", 150, "//email"},
    {"Notes", 2000, "//comment"},
    {"AuthorsLastname", 50, "//person[@p_type='student']/@surname"},
    {"AuthorsName", 50, "//person[@p_type='student']/@name"},
    {"AuthorsPatronymic", 50, "//person[@p_type='student']/@patronymic"},
    {"TeachersLastname", 50, "//person[@p_type='teacher']/@surname"},
    {"TeachersName", 50, "//person[@p_type='teacher']/@name"},
    {"TeachersPatronymic", 50, "//person[@p_type='teacher']/@patronymic"},
    {"subjectLingvoOtherEdit", 50, "//subject[@sb_id='6']/subject/@title"},
    {"AddID", 11, ""},
};

} // namespace

void BadInputTest::pasteAtAndPastTheLimit_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("held");
    for (const TextField& f : kLimitedFields) {
        const QChar letter = QByteArray(f.name) == "AddID" ? u'7' : u'Ж'; // digits, as typed there
        const QString full(f.limit, letter);
        const auto row = [&](const char* what) -> QTestData& { return QTest::addRow("%s %s", f.name, what); };
        row("at its limit") << f.name << f.value << full << full;
        row("one past") << f.name << f.value << full + u'ю' << full;
        // A character outside the basic plane takes two places: it is dropped whole, never cut.
        row("emoji across the limit") << f.name << f.value << QString(f.limit - 1, letter) + QStringLiteral("😀x")
                                      << QString(f.limit - 1, letter);
    }
    const QString caption(40000, u'Ж');
    QTest::newRow("WorkImgSign, far past a line edit's default") << "WorkImgSign"
                                                                 << "//img/@title" << caption << caption;
}

void BadInputTest::pasteAtAndPastTheLimit()
{
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(QString, pasted);
    QFETCH(QString, held);
    prepareCompletePassport(name == QLatin1String("WorkImgSign"));
    paste(name, pasted);
    QCOMPARE(textOf(name), held);
    if (value.isEmpty())
        return;
    const XmlDoc doc(save(QStringLiteral("limit.qdx.xml")));
    QVERIFY2(doc.ok(), qPrintable(doc.errors()));
    QCOMPARE(doc.string(value), held);
}

void BadInputTest::foreignCharactersReadBack_data()
{
    // Right-to-left marks and text, an emoji, C0 controls (NUL among them), a noncharacter, a line
    // separator, a no-break space and blanks at both ends.
    const QString foreign = QStringLiteral(" \u200F\u202Eשלום😀Ж") + QChar(0x01) + u'\t' + QChar(0) + QChar(0xFFFF) +
                            QChar(0x2028) + QChar(0x1B) + QStringLiteral("end\u00A0 ");
    // What XML can carry of it: the controls other than tab and the noncharacter are dropped.
    const QString carried = QStringLiteral(" \u200F\u202Eשלום😀Ж\t\u2028end\u00A0 ");
    const QString trimmed = carried.mid(1, carried.size() - 2);
    // A memo holds the line separator as a line break.
    const QString memoHeld = QString(foreign).replace(QChar(0x2028), QStringLiteral("\r\n"));
    const QString memoCarried = QString(carried).replace(QChar(0x2028), QStringLiteral("\r\n"));
    // Names are single-byte Windows-1251 text: what it lacks is "?".
    const QString name = QStringLiteral("???????Ж\t??end\u00A0");
    const QString index =
        QStringLiteral("\u200F😀1") + QChar(0x01) + u'\t' + QChar(0) + QChar(0xFFFF) + QChar(0x2028) + u'2';

    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("held");
    QTest::addColumn<QString>("saved");
    QTest::newRow("title") << "title"
                           << "/lumarinda/work/@title" << foreign << foreign << trimmed;
    QTest::newRow("description") << "description"
                                 << "//description" << foreign << memoHeld << memoCarried;
    QTest::newRow("tech_request") << "tech_request"
                                  << "//specification" << foreign << foreign << carried;
    QTest::newRow("manual") << "manual"
                            << "//manual" << foreign << memoHeld << memoCarried;
    QTest::newRow("public_post_index") << "public_post_index"
                                       << "//postal_code" << index << index << QStringLiteral("\u200F😀1\t\u20282");
    QTest::newRow("public_post_address") << "public_post_address"
                                         << "//address" << foreign << foreign << trimmed;
    QTest::newRow("public_phone") << "public_phone"
                                  << "//phone" << foreign << foreign << trimmed;
    QTest::newRow("public_email") << "public_email"
                                  << "//email" << foreign << foreign << trimmed;
    QTest::newRow("Notes") << "Notes"
                           << "//comment" << foreign << memoHeld << memoCarried.mid(1, memoCarried.size() - 2);
    QTest::newRow("AuthorsLastname") << "AuthorsLastname"
                                     << "//person[@p_type='student']/@surname" << foreign << foreign << name;
    QTest::newRow("TeachersPatronymic") << "TeachersPatronymic"
                                        << "//person[@p_type='teacher']/@patronymic" << foreign << foreign << name;
    QTest::newRow("subjectLingvoOtherEdit") << "subjectLingvoOtherEdit"
                                            << "//subject[@sb_id='6']/subject/@title" << foreign << foreign << trimmed;
    QTest::newRow("WorkImgSign") << "WorkImgSign"
                                 << "//img/@title" << foreign << foreign << carried;
    QTest::newRow("AddID") << "AddID"
                           << "" << foreign << foreign.left(11) << "";
}

// Whatever is pasted, the saved file and the preview stay well-formed, and each value reads back
// as held, minus what XML cannot carry, trimmed where the file trims it.
void BadInputTest::foreignCharactersReadBack()
{
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(QString, pasted);
    QFETCH(QString, held);
    QFETCH(QString, saved);
    prepareCompletePassport(name == QLatin1String("WorkImgSign"));
    paste(name, pasted);
    QCOMPARE(textOf(name), held);
    if (value.isEmpty())
        return;

    const XmlDoc doc(save(QStringLiteral("foreign.qdx.xml")));
    QVERIFY2(doc.ok(), qPrintable(doc.errors()));
    QCOMPARE(doc.string(value), saved);

    find<QPushButton>("Preview")->click();
    QVERIFY(m_services->messages.isEmpty());
    const QString temp = m_services->tempFolder();
    const XmlDoc preview(readAll(temp + QStringLiteral("preview.qdx.xml")));
    QVERIFY2(preview.ok(), qPrintable(preview.errors()));
    QCOMPARE(preview.string(value), saved);
    const XmlDoc page(readAll(temp + QStringLiteral("preview.qdx.html")));
    QVERIFY2(page.ok(), qPrintable(page.errors()));
}

void BadInputTest::hostileTitles_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("proposed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("only the forbidden characters") << "/\\?|*<>:"
                                                   << "--------"
                                                   << "/\\?|*<>:";
    QTest::newRow("forbidden characters in quotes") << "\"/\\?|*<>:\""
                                                    << "''--------''"
                                                    << "\"/\\?|*<>:\"";
    QTest::newRow("only quotes") << "\"\"\""
                                 << "''''''"
                                 << "\"\"\"";
    QTest::newRow("blanks around colons") << "  ::  "
                                          << "--"
                                          << "::";
    QTest::newRow("a pasted line break") << QStringLiteral("Первая\r\nвторая") << QStringLiteral("Первая--вторая")
                                         << QStringLiteral("Первая\r\nвторая");
    QTest::newRow("a pasted tab and escape")
        << QStringLiteral("a\tb") + QChar(0x1B) + u'c' << QStringLiteral("a-b-c") << QStringLiteral("a\tbc");
    // A leading period would hide the file.
    QTest::newRow("leading periods") << QStringLiteral("...и другие") << QStringLiteral("и другие")
                                     << QStringLiteral("...и другие");
    QTest::newRow("a leading period and blank")
        << QStringLiteral(". Проект") << QStringLiteral("Проект") << QStringLiteral(". Проект");
    // A file name holds 255 bytes; Cyrillic letters take two each.
    QTest::newRow("Cyrillic at the field's limit") << QString(250, u'Ж') << QString(120, u'Ж') << QString(250, u'Ж');
    QTest::newRow("Latin at the field's limit") << QString(250, u'a') << QString(240, u'a') << QString(250, u'a');
    QTest::newRow("just fits") << QString(119, u'Ж') + QStringLiteral("ab") << QString(119, u'Ж') + QStringLiteral("ab")
                               << QString(119, u'Ж') + QStringLiteral("ab");
    QTest::newRow("one byte too many") << QString(119, u'Ж') + QStringLiteral("abc")
                                       << QString(119, u'Ж') + QStringLiteral("ab")
                                       << QString(119, u'Ж') + QStringLiteral("abc");
}

// The proposed name can be saved as it stands, over an older passport too, and the title reads
// back from the file.
void BadInputTest::hostileTitles()
{
    QFETCH(QString, title);
    QFETCH(QString, proposed);
    QFETCH(QString, stored);
    prepareCompletePassport();
    paste(QStringLiteral("title"), title);
    m_services->saveFileAnswers.push_back(QString());
    find<QPushButton>("SaveButton")->click();
    QCOMPARE(m_services->saveRequests.constLast().proposedName, proposed);

    // As the dialog takes it: the default extension added.
    const QString name = proposed + QStringLiteral(".qdx.xml");
    for (int time = 0; time < 2; ++time) {
        const XmlDoc doc(save(name));
        QVERIFY2(doc.ok(), qPrintable(doc.errors()));
        QCOMPARE(doc.string(QStringLiteral("/lumarinda/work/@title")), stored);
    }
    QStringList files = QDir(saveFolder()).entryList(QDir::Files);
    files.sort();
    QStringList expected = {QStringLiteral("preview.qdx.xsl"), name};
    expected.sort();
    QCOMPARE(files, expected);
}

// --- folders and files that fail under the editor ----------------------------------------------

namespace {

// Where the private temporary folder should be, and a folder of someone else's files that a planted
// link may point to.
struct TempFolderScene
{
    QString parent;
    QString folder;
    QString victim;
    QStringList planted;
    std::unique_ptr<Unwritable> unwritable;
};

using TempFolderSetup = std::function<void(TempFolderScene&)>;

} // namespace

void BadInputTest::unusableTemporaryFolder_data()
{
    QTest::addColumn<TempFolderSetup>("setup");
    QTest::addColumn<QString>("previewError");  // a pattern; empty: the preview opens
    QTest::addColumn<QString>("pictureError");  // a pattern; empty: the picture is taken
    QTest::addColumn<bool>("made");             // the program makes the folder, private
    QTest::addColumn<bool>("previewFilesStay"); // preview files are in the folder after a save
    const QString path = QStringLiteral("[^»]*lumarinda-passport");
    QTest::newRow("missing") << TempFolderSetup([](TempFolderScene& scene) { QVERIFY(QDir().mkpath(scene.parent)); })
                             << QString() << QString() << true << false;
    QTest::newRow("cannot be made") << TempFolderSetup([](TempFolderScene& scene) {
        QVERIFY(writeAll(scene.parent, "a file where the folder's parent should be"));
    }) << "^Нет доступа к временной папке «" + path + "»: .+\\.$"
                                    << "^Нет доступа к временной папке «" + path + "»: .+\\.$" << false << false;
    QTest::newRow("unwritable") << TempFolderSetup([](TempFolderScene& scene) {
        QVERIFY(QDir().mkpath(scene.folder));
        QVERIFY(QFile::setPermissions(scene.folder,
                                      QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
        for (const QString& name : scene.planted)
            QVERIFY(writeAll(scene.folder + u'/' + name, "earlier preview"));
        scene.unwritable = std::make_unique<Unwritable>(scene.folder);
    }) << "^Cannot create file \"" + path + "/preview\\.qdx\\.xml\"\\. .+\\.$"
                                << "^Cannot create file \"" + path + "/preview\\.qdx\\.jpg\"\\. .+\\.$" << false
                                << true;
    const QString link = "^Временная папка «" + path + "» является символической ссылкой и не будет использована\\.$";
    QTest::newRow("a planted symbolic link") << TempFolderSetup([](TempFolderScene& scene) {
        QVERIFY(QDir().mkpath(scene.parent));
        QVERIFY(QFile::link(scene.victim, scene.folder));
    }) << link << link << false << true;
}

// The real checks of the private folder behind the scripted desktop: a missing folder is made,
// one that cannot be trusted or written is reported, and a save does not depend on it.
void BadInputTest::unusableTemporaryFolder()
{
    QFETCH(TempFolderSetup, setup);
    QFETCH(QString, previewError);
    QFETCH(QString, pictureError);
    QFETCH(bool, made);
    QFETCH(bool, previewFilesStay);
    prepareCompletePassport();

    TempFolderScene scene;
    scene.parent = m_services->folder() + QStringLiteral("run");
    scene.folder = scene.parent + QStringLiteral("/lumarinda-passport");
    scene.victim = m_services->folder() + QStringLiteral("victim/");
    scene.planted = QStringList{QStringLiteral("preview.qdx.jpg"), QStringLiteral("preview.qdx.xml"),
                                QStringLiteral("preview.qdx.xsl")};
    QVERIFY(QDir().mkpath(scene.victim));
    for (const QString& name : scene.planted)
        QVERIFY(writeAll(scene.victim + name, "not yours"));
    setup(scene);
    if (QTest::currentTestFailed())
        return;
    if (scene.unwritable)
        REQUIRE_UNWRITABLE(*scene.unwritable);
    const QString folder = scene.folder;
    m_services->tempFolderFailure = [folder] { preparePrivateFolder(folder); };
    m_services->tempFolderOverride = folder + u'/';

    const auto verifyMessage = [this](const QString& pattern) {
        if (pattern.isEmpty()) {
            for (const FakeServices::Message& message : m_services->messages)
                QFAIL(qPrintable(message.text));
            return;
        }
        QCOMPARE(m_services->messages.size(), 1);
        QVERIFY2(QRegularExpression(pattern).match(m_services->messages.constFirst().text).hasMatch(),
                 qPrintable(m_services->messages.constFirst().text));
        QCOMPARE(m_services->messages.constFirst().icon, DesktopServices::Icon::Error);
        m_services->messages.clear();
    };

    find<QPushButton>("Preview")->click();
    verifyMessage(previewError);
    QCOMPARE(m_services->openedDocuments.size(), previewError.isEmpty() ? 1 : 0);

    const QString encodedBefore = find<QLineEdit>("ImgBase64")->text();
    user().addPicture(pictureFile());
    verifyMessage(pictureError);
    QCOMPARE(find<QPushButton>("AddImg")->isEnabled(), !pictureError.isEmpty());
    QCOMPARE(find<QLineEdit>("ImgBase64")->text() == encodedBefore, !pictureError.isEmpty());

    if (made) {
        struct stat info = {};
        QCOMPARE(::stat(QFile::encodeName(folder).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0700u);
        QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 4);
    }

    QVERIFY(XmlDoc(save(QStringLiteral("Работа.qdx.xml"))).ok());
    for (const QString& name : scene.planted) {
        QCOMPARE(QFileInfo::exists(folder + u'/' + name), previewFilesStay);
        QCOMPARE(readAll(scene.victim + name), QByteArray("not yours"));
    }
}

namespace {

// What takes the place of the removed picture file.
using Replacement = std::function<void(const QString& path)>;

} // namespace

void BadInputTest::pictureGoneAfterTheDialog_data()
{
    QTest::addColumn<Replacement>("replacement");
    QTest::addColumn<QString>("message"); // a pattern, the path as %1
    QTest::newRow("removed") << Replacement([](const QString&) {
    }) << QStringLiteral("^Не удалось открыть файл изображения «%1»: файл или папка не существует\\.$");
    QTest::newRow("a folder in its place")
        << Replacement([](const QString& path) { QVERIFY(QDir().mkdir(path)); })
        << QStringLiteral("^Не удалось открыть файл изображения «%1»: это папка, а не файл\\.$");
    QTest::newRow("a named pipe in its place")
        << Replacement([](const QString& path) { QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0); })
        << QStringLiteral("^Не удалось открыть файл изображения «%1»: это не обычный файл\\.$");
    QTest::newRow("a link to an endless device")
        << Replacement([](const QString& path) { QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path)); })
        << QStringLiteral("^Не удалось открыть файл изображения «%1»: это не обычный файл\\.$");
    QTest::newRow("emptied") << Replacement([](const QString& path) { QVERIFY(writeAll(path, QByteArray())); })
                             << QStringLiteral("^JPEG error #\\d+\\.$");
}

// The file changes while the open dialog is up: one message, the page as it was, nothing written,
// and the program never waits on what it cannot read.
void BadInputTest::pictureGoneAfterTheDialog()
{
    QFETCH(Replacement, replacement);
    QFETCH(QString, message);
    const QString path = pictureFile();
    bool replaced = false;
    m_services->whileModal = [&] {
        if (std::exchange(replaced, true))
            return;
        QVERIFY(QFile::remove(path));
        replacement(path);
    };
    const QString encodedBefore = find<QLineEdit>("ImgBase64")->text();
    PipeWatchdog watchdog(path);
    user().addPicture(path);
    QVERIFY2(!watchdog.finish(), "the import waited for someone to write into the pipe");

    QCOMPARE(m_services->messages.size(), 1);
    const QString text = m_services->messages.constFirst().text;
    message.replace(QStringLiteral("%1"), QRegularExpression::escape(path));
    QVERIFY2(QRegularExpression(message).match(text).hasMatch(), qPrintable(text));
    QVERIFY(find<QPushButton>("AddImg")->isEnabled());
    QVERIFY(!find<QPushButton>("DelImg")->isEnabled());
    QCOMPARE(find<QLineEdit>("ImgBase64")->text(), encodedBefore);
    QVERIFY(m_services->writtenFiles.isEmpty());
}

// --- buttons pressed twice ---------------------------------------------------------------------

void BadInputTest::secondClickWhileSaving_data()
{
    QTest::addColumn<QString>("when");
    QTest::addColumn<bool>("complete");
    QTest::newRow("while the save dialog is up") << "dialog" << true;
    QTest::newRow("while the save waits for the file") << "wait" << true;
    QTest::newRow("while the incomplete-passport box is up") << "dialog" << false;
}

// A double click, or a second click while the first save runs, waits in the queue until a box or
// dialog runs its loop; the main window is blocked then, and the click is dropped: one dialog, one
// file, one confirmation.
void BadInputTest::secondClickWhileSaving()
{
    QFETCH(QString, when);
    QFETCH(bool, complete);
    if (complete)
        prepareCompletePassport();
    const QString path = saveFolder() + QStringLiteral("Работа.qdx.xml");
    if (complete)
        m_services->saveFileAnswers.push_back(path);
    bool queued = false;
    const auto queueOnce = [&] {
        if (!queued)
            queueClick("SaveButton");
        queued = true;
    };
    m_services->waitHook = [&](int) {
        if (when == QLatin1String("wait"))
            queueOnce();
    };
    m_services->whileModal = [&] {
        if (when == QLatin1String("dialog"))
            queueOnce();
        runModalLoop();
    };
    QTest::mouseClick(find<QPushButton>("SaveButton"), Qt::LeftButton);
    m_services->whileModal = nullptr;
    QCoreApplication::processEvents();

    QVERIFY(queued);
    QCOMPARE(m_services->messages.size(), 1);
    if (!complete) {
        QCOMPARE(m_services->messages.constFirst().caption, QStringLiteral("Неполная информация"));
        QVERIFY(m_services->saveRequests.isEmpty());
        return;
    }
    QCOMPARE(m_services->messages.constFirst().caption, kSavedCaption);
    QCOMPARE(m_services->saveRequests.size(), 1);
    QCOMPARE(m_services->writtenFiles.count(path), 1);
    QVERIFY(XmlDoc(readAll(path)).ok());
}

// Nothing modal stands in the preview's way: the second click of a double click is a second
// preview, run after the first has finished, never inside it.
void BadInputTest::doubleClickOnPreview()
{
    const QString folder = m_services->tempFolder();
    bool queued = false;
    m_services->writeHook = [&](const QString&, const QByteArray&) {
        if (!queued)
            queueClick("Preview");
        queued = true;
    };
    QTest::mouseClick(find<QPushButton>("Preview"), Qt::LeftButton);
    QCOMPARE(m_services->openedDocuments.size(), 1);
    QCoreApplication::processEvents();

    QVERIFY(m_services->messages.isEmpty());
    QCOMPARE(m_services->openedDocuments.size(), 2);
    const QStringList once = {folder + QStringLiteral("preview.qdx.xml"), folder + QStringLiteral("preview.qdx.xsl"),
                              folder + QStringLiteral("preview.qdx.html")};
    QCOMPARE(m_services->writtenFiles, once + once);
    QVERIFY(XmlDoc(readAll(once.at(0))).ok());
    QVERIFY(XmlDoc(readAll(once.at(2))).ok());
}

// --- long runs ---------------------------------------------------------------------------------

void BadInputTest::addRemoveCyclesKeepMemoryFlat_data()
{
    QTest::addColumn<bool>("picture");
    QTest::newRow("an author and a supervisor") << false;
    QTest::newRow("the picture") << true;
}

// 1000 cycles of adding and removing; the memory in use afterwards is printed, and must not have
// grown by more than a generous bound (a leak of one small picture a cycle would pass it).
void BadInputTest::addRemoveCyclesKeepMemoryFlat()
{
    QFETCH(bool, picture);
    constexpr int kCycles = 1000;
    // Shrunk on import, and small once encoded, so that a cycle takes a few milliseconds.
    const QString photo = m_files->filePath(QStringLiteral("banner.jpg"));
    writeFileBytes(photo, makeJpeg(quarters(600, 80)));
    // Every write of the temporary picture is synced to disk; in memory that costs nothing.
    std::unique_ptr<QTemporaryDir> memoryFolder;
    if (QFileInfo(QStringLiteral("/dev/shm")).isWritable()) {
        memoryFolder = std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/tst_bad_input-XXXXXX"));
        if (memoryFolder->isValid())
            m_services->tempFolderOverride = memoryFolder->path() + u'/';
    }
    const auto cycle = [&] {
        if (picture) {
            user().addPicture(photo);
            find<QLineEdit>("WorkImgSign")->setText(QStringLiteral("Подпись"));
            find<QPushButton>("DelImg")->click();
        } else {
            user().addPerson(kAuthors, QStringLiteral("123-456-798"));
            find<QLineEdit>("AuthorsLastname")->setText(QStringLiteral("Иванов"));
            user().addPerson(kTeachers, QStringLiteral("100-018-305"));
            find<QLineEdit>("TeachersLastname")->setText(QStringLiteral("Петров"));
            user().deleteEntry(kAuthors);
            user().deleteEntry(kTeachers);
        }
        // The scripted desktop's own records would grow otherwise.
        m_services->messages.clear();
        m_services->writtenFiles.clear();
        m_services->deletedFiles.clear();
        m_services->openFilters.clear();
    };
    // The dictionaries load in the background once the window is drawn and stay for the run: they
    // are in before the memory is measured.
    if (auto* spelling = m_windows->Pasport->findChild<SpellChecking*>(QStringLiteral("spelling")))
        QTRY_VERIFY_WITH_TIMEOUT(spelling->isReady(), 120000);
    for (int i = 0; i < 20; ++i)
        cycle();
    const Memory before = memoryNow();
    for (int i = 0; i < kCycles; ++i)
        cycle();
    const Memory after = memoryNow();

    const char* what = picture ? "picture" : "author and supervisor";
#ifdef LUMARINDA_SANITIZED
    std::printf("%s, %d cycles: resident %.1f -> %.1f MB (freed memory is held in quarantine under the "
                "sanitizers, which find leaks themselves)\n",
                what, kCycles, before.residentMb, after.residentMb);
#else
    std::printf("%s, %d cycles: resident %.1f -> %.1f MB, heap in use %.2f -> %.2f MB\n", what, kCycles,
                before.residentMb, after.residentMb, before.heapMb, after.heapMb);
#endif
    QVERIFY(m_services->unexpected.isEmpty());
    QCOMPARE(find<QListWidget>("AuthorsListBox")->count(), 0);
    QVERIFY(find<QPushButton>("AddImg")->isEnabled());
    QVERIFY2(after.heapMb - before.heapMb < 4, "heap in use grew by more than 4 MB");
}

QTEST_MAIN(BadInputTest)
#include "tst_bad_input.moc"
