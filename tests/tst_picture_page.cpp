#include "core/picture/JpegImport.h"
#include "core/shell/AppInfo.h"
#include "core/shell/Failure.h"
#include "support/DialogScripts.h"
#include "support/EditorTest.h"
#include "support/FakeServices.h"
#include "support/Files.h"
#include "support/JpegFixtures.h"
#include "support/Typing.h"
#include "windows/Form.h"
#include "windows/ImageCanvas.h"
#include "windows/PictureImage.h"
#include "windows/QtDesktopServices.h"
#include "windows/Startup.h"

#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTransform>
#include <functional>
#include <memory>

namespace {

const QString kFilter = QStringLiteral("JPEG Image File (*.jpg;*.jpeg) (*.jpg *.jpeg)");

// Everything the picture page shows and holds.
struct PageState
{
    QImage bitmap;
    QRect geometry;
    bool captionEnabled = false;
    QString caption;
    QColor captionBase;
    bool addEnabled = false;
    bool deleteEnabled = false;
    QString encoded;
    QString description; // for screen readers

    bool operator==(const PageState&) const = default;
};

} // namespace

class PicturePageTest : public EditorTest
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void cancelChangesNothing();
    void addShowsAndStoresThePicture();
    void removalReturnsToNoPicture();
    void addAfterRemovalReplacesTheTemporaryFile();
    void sidewaysPhonePhotoStandsUpright();
    void refusedPictureLeavesThePageUnchanged_data();
    void refusedPictureLeavesThePageUnchanged();
    void temporaryFileFailureLeavesNoPicture_data();
    void temporaryFileFailureLeavesNoPicture();
    void readBackIsNotCutAt300000Bytes();
    void plantedLinkIsReplacedNotFollowed_data();
    void plantedLinkIsReplacedNotFollowed();
    void realDialogShowsOneJpegFilterAndAPreview();

private:
    PageState page() const;
    QString pictureFile(const QImage& image, const JpegOptions& options = {},
                        const QString& name = QStringLiteral("photo.jpg"));
    QString tempPicture() const { return m_services->tempFolder() + QStringLiteral("preview.qdx.jpg"); }
    void verifyEncodedTextIsTheTemporaryFile();

    std::unique_ptr<QTemporaryDir> m_files;
};

void PicturePageTest::init()
{
    createEditor();
    m_files = std::make_unique<QTemporaryDir>();
}

void PicturePageTest::cleanup()
{
    destroyEditor();
    m_files.reset();
}

PageState PicturePageTest::page() const
{
    const auto* caption = find<QLineEdit>("WorkImgSign");
    return {find<ImageCanvas>("WorkImg")->bitmap(),
            find<ImageCanvas>("WorkImg")->geometry(),
            caption->isEnabled(),
            caption->text(),
            caption->palette().color(QPalette::Base),
            find<QPushButton>("AddImg")->isEnabled(),
            find<QPushButton>("DelImg")->isEnabled(),
            find<QLineEdit>("ImgBase64")->text(),
            find<ImageCanvas>("WorkImg")->accessibleDescription()};
}

QString PicturePageTest::pictureFile(const QImage& image, const JpegOptions& options, const QString& name)
{
    const QString path = m_files->filePath(name);
    writeFileBytes(path, makeJpeg(image, options));
    return path;
}

void PicturePageTest::verifyEncodedTextIsTheTemporaryFile()
{
    const QByteArray file = readAll(tempPicture());
    QVERIFY(!file.isEmpty());
    const QString text = find<QLineEdit>("ImgBase64")->text();
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i + 1 < lines.size(); ++i)
        QCOMPARE(lines.at(i).size(), 76);
    QVERIFY(lines.constLast().size() <= 76);
    QCOMPARE(text.endsWith(QLatin1Char('\n')), file.size() % 57 == 0);
    QCOMPARE(QByteArray::fromBase64(lines.join(QString()).toLatin1()), file);
}

void PicturePageTest::cancelChangesNothing()
{
    const PageState before = page();
    user().addPicture(QString()); // the dialog cancelled

    QCOMPARE(m_services->openFilters, QStringList{kFilter});
    QVERIFY(page() == before);
    QVERIFY(m_services->messages.isEmpty());
    QVERIFY(m_services->writtenFiles.isEmpty());
}

void PicturePageTest::addShowsAndStoresThePicture()
{
    const QString path = pictureFile(photoLike(600, 400));
    user().addPicture(path);
    QVERIFY(m_services->messages.isEmpty());

    // Shown in the top left corner of the area, scaled, and present.
    const PageState state = page();
    QCOMPARE(state.geometry, QRect(23, 30, 300, 200));
    QCOMPARE(state.bitmap, toImage(importJpegFile(path)));
    QVERIFY(state.captionEnabled);
    QCOMPARE(state.captionBase, QApplication::palette().color(QPalette::Base));
    QVERIFY(state.deleteEnabled);
    QVERIFY(!state.addEnabled);
    QCOMPARE(state.description, QStringLiteral("Изображение 300 x 200 точек"));

    // The temporary file holds the shown picture as a baseline colour JPEG of quality 90.
    QCOMPARE(m_services->writtenFiles, QStringList{tempPicture()});
    const DecodedJpeg written = decodeJpeg(readAll(tempPicture()));
    QCOMPARE(written.startOfFrame, 0xC0);
    QCOMPARE(written.components, 3);
    QCOMPARE(written.image.size(), QSize(300, 200));
    QCOMPARE(written.quantTables, standardQuantTables(90));
    qint64 difference = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x)
            difference += std::abs(qGray(written.image.pixel(x, y)) - qGray(state.bitmap.pixel(x, y)));
    QVERIFY2(difference / (300 * 200) < 8, qPrintable(QString::number(difference / (300.0 * 200))));

    // The whole file as Base64 text, far longer than a line edit holds by default.
    QVERIFY(state.encoded.size() > 32767);
    verifyEncodedTextIsTheTemporaryFile();
}

void PicturePageTest::removalReturnsToNoPicture()
{
    user().addPicture(pictureFile(photoLike(600, 400)));
    typeText(find<QLineEdit>("WorkImgSign"), QStringLiteral("Макет моста"));
    find<QPushButton>("DelImg")->click();

    const PageState state = page();
    QCOMPARE(state.geometry, QRect(23, 30, 300, 300));
    QCOMPARE(state.bitmap.size(), QSize(300, 300));
    // All white: the start-up text is not drawn again.
    QImage white(300, 300, state.bitmap.format());
    white.fill(Qt::white);
    QCOMPARE(state.bitmap, white);
    QVERIFY(!state.captionEnabled);
    QVERIFY(state.caption.isEmpty());
    QCOMPARE(state.captionBase, QApplication::palette().color(QPalette::Window));
    QVERIFY(!state.deleteEnabled);
    QVERIFY(state.addEnabled);
    QCOMPARE(state.encoded, QString());
    QCOMPARE(state.description, QStringLiteral("Изображение не выбрано"));
    // The temporary file stays.
    QVERIFY(QFileInfo::exists(tempPicture()));
}

void PicturePageTest::addAfterRemovalReplacesTheTemporaryFile()
{
    user().addPicture(pictureFile(photoLike(600, 400), {}, QStringLiteral("first.jpg")));
    const QByteArray first = readAll(tempPicture());
    find<QPushButton>("DelImg")->click();
    user().addPicture(pictureFile(photoLike(250, 1000, 99), {}, QStringLiteral("second.jpeg")));

    QVERIFY(m_services->messages.isEmpty());
    QCOMPARE(m_services->deletedFiles, QStringList{tempPicture()});
    const QByteArray second = readAll(tempPicture());
    QVERIFY(second != first);
    QCOMPARE(decodeJpeg(second).image.size(), QSize(75, 300));
    QCOMPARE(page().geometry, QRect(23, 30, 75, 300));
    verifyEncodedTextIsTheTemporaryFile();
}

void PicturePageTest::sidewaysPhonePhotoStandsUpright()
{
    // A portrait photo as a phone stores it: on its side, with the EXIF orientation to turn it.
    JpegOptions options;
    options.exifOrientation = 6;
    options.hSampling = options.vSampling = 2;
    user().addPicture(pictureFile(quarters(3000, 4000).transformed(QTransform().rotate(-90)), options));

    const PageState state = page();
    QCOMPARE(state.geometry, QRect(23, 30, 225, 300));
    for (int q = 0; q < 4; ++q) {
        const QPoint centre((q % 2 * 2 + 1) * 225 / 4, (q / 2 * 2 + 1) * 300 / 4);
        QVERIFY(nearColour(state.bitmap.pixelColor(centre), kQuarterColours[q], 8));
    }
    QCOMPARE(decodeJpeg(readAll(tempPicture())).image.size(), QSize(225, 300));
}

void PicturePageTest::refusedPictureLeavesThePageUnchanged_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message"); // a pattern
    const QString jpegError = QStringLiteral("^JPEG error #\\d+\\.$");

    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    quarters(40, 30).save(&buffer, "PNG");
    QByteArray random(5000, Qt::Uninitialized);
    for (int i = 0; i < random.size(); ++i)
        random[i] = char((i * 2654435761u) >> 13);
    const QByteArray jpeg = makeJpeg(photoLike(400, 300));

    QTest::newRow("empty file") << QByteArray() << jpegError;
    QTest::newRow("PNG named .jpg") << png << jpegError;
    QTest::newRow("random bytes") << random << jpegError;
    QTest::newRow("cut inside the header") << jpeg.left(120) << jpegError;
    QTest::newRow("absurd size") << withClaimedSize(jpeg, 65500, 65500)
                                 << QStringLiteral("^Изображение слишком большое: 65500 x 65500 точек\\. Выберите "
                                                   "изображение меньшего размера\\.$");
}

void PicturePageTest::refusedPictureLeavesThePageUnchanged()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    const QString path = m_files->filePath(QStringLiteral("picture.jpg"));
    writeFileBytes(path, bytes);

    const PageState before = page();
    user().addPicture(path);
    QCOMPARE(m_services->messages.size(), 1);
    const FakeServices::Message box = m_services->messages.constFirst();
    QVERIFY2(QRegularExpression(message).match(box.text).hasMatch(), qPrintable(box.text));
    QCOMPARE(box.caption, QStringLiteral("Электронный паспорт работы"));
    QCOMPARE(box.icon, DesktopServices::Icon::Error);
    QVERIFY(page() == before);
    QVERIFY(m_services->writtenFiles.isEmpty());
}

void PicturePageTest::temporaryFileFailureLeavesNoPicture_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("message"); // a pattern
    QTest::newRow("cannot create") << "create"
                                   << QStringLiteral("^Cannot create file \".*preview\\.qdx\\.jpg\"\\. .+\\.$");
    QTest::newRow("missing after writing")
        << "missing" << QStringLiteral("^Ошибка записи файла изображения работы во временную папку\\.$");
    QTest::newRow("temporary folder refused") << "folder" << QStringLiteral("^Временная папка занята\\.$");
}

void PicturePageTest::temporaryFileFailureLeavesNoPicture()
{
    QFETCH(QString, failure);
    QFETCH(QString, message);
    if (failure == QLatin1String("create"))
        m_services->tempFolderOverride = m_files->filePath(QStringLiteral("gone")) + QLatin1Char('/');
    else if (failure == QLatin1String("missing"))
        m_services->existsOverride = [](const QString&) { return false; };
    else
        m_services->tempFolderFailure = [] { throw Failure(QStringLiteral("Временная папка занята")); };

    // A picture on the page without its encoded text would reach the passport as garbage: the
    // page stays without a picture, as it was.
    const PageState before = page();
    user().addPicture(pictureFile(photoLike(600, 400)));
    QCOMPARE(m_services->messages.size(), 1);
    QVERIFY2(QRegularExpression(message).match(m_services->messages.constFirst().text).hasMatch(),
             qPrintable(m_services->messages.constFirst().text));
    QVERIFY(page() == before);
}

void PicturePageTest::readBackIsNotCutAt300000Bytes()
{
    // No 300 x 300 JPEG of ours comes near that length, so the file is lengthened the moment its
    // existence is checked after writing.
    constexpr qint64 kLength = 400000;
    m_services->existsOverride = [](const QString& path) {
        QFile file(path);
        if (file.exists() && file.size() < kLength && file.open(QIODevice::Append))
            file.write(QByteArray(kLength - file.size(), '\x5A'));
        return QFileInfo(path).isFile();
    };
    user().addPicture(pictureFile(photoLike(600, 400)));

    QVERIFY(m_services->messages.isEmpty());
    QCOMPARE(QFileInfo(tempPicture()).size(), kLength);
    verifyEncodedTextIsTheTemporaryFile();
}

void PicturePageTest::plantedLinkIsReplacedNotFollowed_data()
{
    QTest::addColumn<bool>("targetExists");
    QTest::newRow("link to a file") << true;
    QTest::newRow("dangling link") << false;
}

void PicturePageTest::plantedLinkIsReplacedNotFollowed()
{
    QFETCH(bool, targetExists);
    const QString target = m_files->filePath(QStringLiteral("victim"));
    if (targetExists)
        writeFileBytes(target, "keep me");
    QVERIFY(QFile::link(target, tempPicture()));

    user().addPicture(pictureFile(photoLike(600, 400)));
    QVERIFY(m_services->messages.isEmpty());
    QCOMPARE(QFileInfo::exists(target), targetExists);
    if (targetExists)
        QCOMPARE(readAll(target), QByteArray("keep me"));
    QVERIFY(!QFileInfo(tempPicture()).isSymLink());
    QCOMPARE(decodeJpeg(readAll(tempPicture())).image.size(), QSize(300, 200));
}

void PicturePageTest::realDialogShowsOneJpegFilterAndAPreview()
{
    const QString folder = m_files->path();
    const QString chosen = pictureFile(quarters(800, 600), {}, QStringLiteral("CAMERA.JPG"));
    QtDesktopServices services;

    QStringList filterNames;
    QStringList patterns;
    bool caseSensitive = true;
    QSize preview;
    whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (!dialog) {
            modal->close();
            return;
        }
        const auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        for (int i = 0; types && i < types->count(); ++i)
            filterNames.append(types->itemText(i));
        if (const auto* model = dialog->findChild<QFileSystemModel*>()) {
            patterns = model->nameFilters();
            caseSensitive = model->filter().testFlag(QDir::CaseSensitive);
        }
        emit dialog->currentChanged(chosen);
        if (const auto* label = dialog->findChild<QLabel*>(QStringLiteral("picturePreview")))
            preview = label->pixmap().size();
        // As a user types the name and presses Open.
        dialog->setDirectory(folder);
        if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            name->setText(QFileInfo(chosen).fileName());
        static_cast<QDialog*>(dialog)->accept();
    });
    const QString result = services.openPictureFile(kFilter);

    QCOMPARE(filterNames, QStringList{QStringLiteral("JPEG Image File (*.jpg;*.jpeg)")});
    QCOMPARE(patterns, (QStringList{QStringLiteral("*.jpg"), QStringLiteral("*.jpeg")}));
    QVERIFY(!caseSensitive);
    QCOMPARE(preview, QSize(300, 225));
    QCOMPARE(QFileInfo(result).canonicalFilePath(), QFileInfo(chosen).canonicalFilePath());
}

QTEST_MAIN(PicturePageTest)
#include "tst_picture_page.moc"
