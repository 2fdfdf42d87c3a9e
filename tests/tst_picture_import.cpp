#include "core/picture/Base64.h"
#include "core/picture/ExifOrientation.h"
#include "core/picture/JpegEncode.h"
#include "core/picture/JpegImport.h"
#include "core/picture/ShownSize.h"
#include "core/shell/Failure.h"
#include "support/Failures.h"
#include "support/JpegFixtures.h"
#include "windows/PictureImage.h"

#include <QBuffer>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTransform>
#include <jpeglib.h>

Q_DECLARE_METATYPE(JpegOptions)

class PictureImportTest : public QObject
{
    Q_OBJECT

private slots:
    void shownSize_data();
    void shownSize();
    void base64LineLayout_data();
    void base64LineLayout();
    void importsAtShownSize_data();
    void importsAtShownSize();
    void streamingSamplesTheNearestPixel_data();
    void streamingSamplesTheNearestPixel();
    void colourKindsImportInColour_data();
    void colourKindsImportInColour();
    void exifOrientationTurnsUpright_data();
    void exifOrientationTurnsUpright();
    void malformedExifMeansUpright_data();
    void malformedExifMeansUpright();
    void refusesWhatIsNotAJpeg_data();
    void refusesWhatIsNotAJpeg();
    void truncatedFiles_data();
    void truncatedFiles();
    void checkGivesTheFullDecodesVerdict_data();
    void checkGivesTheFullDecodesVerdict();
    void absurdSizes_data();
    void absurdSizes();
    void sizeLimits_data();
    void sizeLimits();
    void decodeReductions_data();
    void decodeReductions();
    void encoderWritesBaselineColourQuality90_data();
    void encoderWritesBaselineColourQuality90();

private:
    QString store(const QByteArray& bytes, const QString& name = QStringLiteral("picture.jpg"))
    {
        const QString path = m_dir.filePath(name);
        writeFileBytes(path, bytes);
        return path;
    }
    static QString failureOf(const QString& path)
    {
        return ::failureOf([&] { importJpegFile(path); });
    }

    QTemporaryDir m_dir;
};

void PictureImportTest::shownSize_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("shown");
    QTest::newRow("small keeps its size") << QSize(200, 100) << QSize(200, 100);
    QTest::newRow("the box itself") << QSize(300, 300) << QSize(300, 300);
    QTest::newRow("one pixel") << QSize(1, 1) << QSize(1, 1);
    QTest::newRow("600x400") << QSize(600, 400) << QSize(300, 200);
    QTest::newRow("302x200 rounds up") << QSize(302, 200) << QSize(300, 199);
    QTest::newRow("1000x333") << QSize(1000, 333) << QSize(300, 100);
    QTest::newRow("250x1000") << QSize(250, 1000) << QSize(75, 300);
    QTest::newRow("300x301") << QSize(300, 301) << QSize(300, 300);
    QTest::newRow("a line stays a line") << QSize(65500, 1) << QSize(300, 1);
    QTest::newRow("largest square") << QSize(65500, 65500) << QSize(300, 300);
    QTest::newRow("no overflow") << QSize(65500, 65499) << QSize(300, 300);
}

void PictureImportTest::shownSize()
{
    QFETCH(QSize, picture);
    QFETCH(QSize, shown);
    const PictureSize size = shownPictureSize(picture.width(), picture.height());
    QCOMPARE(QSize(size.width, size.height), shown);
}

void PictureImportTest::base64LineLayout_data()
{
    QTest::addColumn<int>("length");
    for (int length : {1, 2, 3, 56, 57, 58, 114, 115, 1000, 5700, 300001})
        QTest::addRow("%d bytes", length) << length;
}

void PictureImportTest::base64LineLayout()
{
    QFETCH(int, length);
    QByteArray bytes(length, Qt::Uninitialized);
    for (int i = 0; i < length; ++i)
        bytes[i] = char(i * 7 + i / 251);
    const QByteArray text = Base64Encode(bytes, 19);

    const QList<QByteArray> lines = text.split('\n');
    const bool multipleOf57 = length % 57 == 0;
    // Full lines of 76 characters each end in a line feed; the last line has none.
    QCOMPARE(text.endsWith('\n'), multipleOf57);
    QCOMPARE(lines.size(), length / 57 + 1);
    for (qsizetype i = 0; i + 1 < lines.size(); ++i)
        QCOMPARE(lines.at(i).size(), 76);
    QCOMPARE(lines.constLast().size(), multipleOf57 ? 0 : 4 * ((length % 57 + 2) / 3));
    QCOMPARE(QByteArray::fromBase64(text.split('\n').join()), bytes);
}

void PictureImportTest::importsAtShownSize_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("shown");
    QTest::newRow("200x100") << QSize(200, 100) << QSize(200, 100);
    QTest::newRow("600x400") << QSize(600, 400) << QSize(300, 200);
    QTest::newRow("302x200") << QSize(302, 200) << QSize(300, 199);
    QTest::newRow("1000x333") << QSize(1000, 333) << QSize(300, 100);
    QTest::newRow("250x1000") << QSize(250, 1000) << QSize(75, 300);
    QTest::newRow("300x301") << QSize(300, 301) << QSize(300, 300);
    QTest::newRow("2000x1") << QSize(2000, 1) << QSize(300, 1);
}

void PictureImportTest::importsAtShownSize()
{
    QFETCH(QSize, picture);
    QFETCH(QSize, shown);
    const QByteArray jpeg = makeJpeg(quarters(picture.width(), picture.height()));
    const RgbPicture imported = importJpegFile(store(jpeg));
    QCOMPARE(QSize(imported.width, imported.height), shown);
    QCOMPARE(imported.pixels.size(), size_t(shown.width() * shown.height() * 3));

    // The picture a passport file carries is decoded from memory, pixel for pixel as from a file.
    const RgbPicture fromMemory = importJpegBytes(jpeg);
    QCOMPARE(QSize(fromMemory.width, fromMemory.height), shown);
    QVERIFY(fromMemory.pixels == imported.pixels);
}

void PictureImportTest::streamingSamplesTheNearestPixel_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<JpegOptions>("options");
    const auto sampled = [](int h, int v) {
        JpegOptions options;
        options.hSampling = h;
        options.vSampling = v;
        return options;
    };
    JpegOptions progressive = sampled(2, 2);
    progressive.progressive = true;
    JpegOptions arithmetic = sampled(2, 2);
    arithmetic.arithmetic = true;
    QTest::newRow("4:4:4") << QSize(1000, 700) << sampled(1, 1);
    QTest::newRow("4:2:2") << QSize(1000, 700) << sampled(2, 1);
    QTest::newRow("4:2:0") << QSize(1000, 700) << sampled(2, 2);
    QTest::newRow("4:4:0") << QSize(1000, 700) << sampled(1, 2);
    QTest::newRow("4:1:1") << QSize(1000, 700) << sampled(4, 1);
    QTest::newRow("4:2:0 rows far apart") << QSize(2400, 3100) << sampled(2, 2);
    QTest::newRow("4:2:0 odd size") << QSize(917, 301) << sampled(2, 2);
    QTest::newRow("4:2:0 unscaled") << QSize(299, 157) << sampled(2, 2);
    QTest::newRow("progressive") << QSize(1000, 700) << progressive;
    QTest::newRow("arithmetic") << QSize(1000, 700) << arithmetic;
}

void PictureImportTest::streamingSamplesTheNearestPixel()
{
    QFETCH(QSize, picture);
    QFETCH(JpegOptions, options);
    const QByteArray jpeg = makeJpeg(photoLike(picture.width(), picture.height()), options);
    const QImage full = decodeJpeg(jpeg).image;
    const RgbPicture imported = importJpegFile(store(jpeg));

    const PictureSize shown = shownPictureSize(picture.width(), picture.height());
    QCOMPARE(QSize(imported.width, imported.height), QSize(shown.width, shown.height));
    // Every shown pixel is exactly the full picture's pixel under its centre: rows and columns
    // are dropped, nothing is blended, and skipping scanlines changes no value.
    for (int y = 0; y < shown.height; ++y) {
        const int sy = int((2LL * y + 1) * picture.height() / (2 * shown.height));
        const uchar* expected = full.constScanLine(sy);
        for (int x = 0; x < shown.width; ++x) {
            const int sx = int((2LL * x + 1) * picture.width() / (2 * shown.width));
            if (memcmp(imported.row(y) + 3 * x, expected + 3 * sx, 3) != 0)
                QFAIL(
                    qPrintable(QStringLiteral("pixel %1,%2 is not source pixel %3,%4").arg(x).arg(y).arg(sx).arg(sy)));
        }
    }
}

void PictureImportTest::colourKindsImportInColour_data()
{
    QTest::addColumn<JpegOptions>("options");
    QTest::addColumn<QSize>("picture");
    using Colour = JpegOptions::Colour;
    const auto kind = [](Colour colour, bool progressive = false, bool arithmetic = false) {
        JpegOptions options;
        options.colour = colour;
        options.progressive = progressive;
        options.arithmetic = arithmetic;
        return options;
    };
    for (const QSize& size : {QSize(64, 48), QSize(640, 480)}) {
        const QByteArray suffix = size.width() > 300 ? " scaled" : "";
        QTest::newRow("YCbCr" + suffix) << kind(Colour::YCbCr) << size;
        QTest::newRow("RGB" + suffix) << kind(Colour::Rgb) << size;
        QTest::newRow("grayscale" + suffix) << kind(Colour::Grayscale) << size;
        QTest::newRow("CMYK" + suffix) << kind(Colour::Cmyk) << size;
        QTest::newRow("YCCK" + suffix) << kind(Colour::Ycck) << size;
        QTest::newRow("progressive" + suffix) << kind(Colour::YCbCr, true) << size;
        QTest::newRow("arithmetic" + suffix) << kind(Colour::YCbCr, false, true) << size;
        QTest::newRow("progressive arithmetic" + suffix) << kind(Colour::YCbCr, true, true) << size;
        QTest::newRow("progressive grayscale" + suffix) << kind(Colour::Grayscale, true) << size;
        QTest::newRow("progressive CMYK" + suffix) << kind(Colour::Cmyk, true) << size;
    }
}

void PictureImportTest::colourKindsImportInColour()
{
    QFETCH(JpegOptions, options);
    QFETCH(QSize, picture);
    const RgbPicture imported = importJpegFile(store(makeJpeg(quarters(picture.width(), picture.height()), options)));
    const PictureSize shown = shownPictureSize(picture.width(), picture.height());
    QCOMPARE(QSize(imported.width, imported.height), QSize(shown.width, shown.height));

    const QImage image = toImage(imported);
    const bool gray = options.colour == JpegOptions::Colour::Grayscale;
    for (int q = 0; q < 4; ++q) {
        const QPoint centre((q % 2 * 2 + 1) * shown.width / 4, (q / 2 * 2 + 1) * shown.height / 4);
        const QColor source = kQuarterColours[q];
        const int level = qGray(source.rgb());
        const QColor expected = gray ? QColor(level, level, level) : source;
        const QColor found = image.pixelColor(centre);
        QVERIFY2(nearColour(found, expected, 8),
                 qPrintable(QStringLiteral("quarter %1 is %2, expected %3").arg(q).arg(found.name(), expected.name())));
    }
}

void PictureImportTest::exifOrientationTurnsUpright_data()
{
    QTest::addColumn<int>("orientation");
    QTest::addColumn<bool>("bigEndian");
    QTest::addColumn<QSize>("upright");
    for (int orientation = 1; orientation <= 8; ++orientation) {
        QTest::addRow("%d", orientation) << orientation << false << QSize(64, 48);
        QTest::addRow("%d big-endian", orientation) << orientation << true << QSize(64, 48);
    }
    // A phone photo on its side, scaled: the shown size comes from the upright size.
    QTest::newRow("6 scaled") << 6 << false << QSize(600, 800);
    QTest::newRow("8 scaled") << 8 << true << QSize(1000, 400);
    QTest::newRow("5 scaled") << 5 << false << QSize(480, 640);
    QTest::newRow("3 scaled") << 3 << false << QSize(640, 480);
}

void PictureImportTest::exifOrientationTurnsUpright()
{
    QFETCH(int, orientation);
    QFETCH(bool, bigEndian);
    QFETCH(QSize, upright);

    // How a camera stores a picture that is to be shown upright with this orientation.
    const QImage shown = quarters(upright.width(), upright.height());
    const QTransform transpose(0, 1, 1, 0, 0, 0);
    QImage stored;
    switch (orientation) {
    case 1:
        stored = shown;
        break;
    case 2:
        stored = shown.mirrored(true, false);
        break;
    case 3:
        stored = shown.transformed(QTransform().rotate(180));
        break;
    case 4:
        stored = shown.mirrored(false, true);
        break;
    case 5:
        stored = shown.transformed(transpose);
        break;
    case 6:
        stored = shown.transformed(QTransform().rotate(-90));
        break;
    case 7:
        stored = shown.transformed(transpose).transformed(QTransform().rotate(180));
        break;
    case 8:
        stored = shown.transformed(QTransform().rotate(90));
        break;
    }
    JpegOptions options;
    options.exifOrientation = orientation;
    options.exifBigEndian = bigEndian;
    const RgbPicture imported = importJpegFile(store(makeJpeg(stored, options)));

    const PictureSize size = shownPictureSize(upright.width(), upright.height());
    QCOMPARE(QSize(imported.width, imported.height), QSize(size.width, size.height));
    const QImage image = toImage(imported);
    for (int q = 0; q < 4; ++q) {
        const QPoint centre((q % 2 * 2 + 1) * size.width / 4, (q / 2 * 2 + 1) * size.height / 4);
        QVERIFY2(nearColour(image.pixelColor(centre), kQuarterColours[q], 8),
                 qPrintable(QStringLiteral("quarter %1 is %2").arg(q).arg(image.pixelColor(centre).name())));
    }
}

void PictureImportTest::malformedExifMeansUpright_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<int>("orientation");
    const QByteArray exif("Exif\0\0", 6);
    const QByteArray header = exif + QByteArray("II\x2A\0\x08\0\0\0", 8);
    const auto entry = [](int tag, int type, int value) {
        QByteArray bytes;
        for (int v : {tag & 0xFF, tag >> 8, type, 0, 1, 0, 0, 0, value & 0xFF, value >> 8, 0, 0})
            bytes.append(char(v));
        return bytes;
    };
    QTest::newRow("well formed") << header + QByteArray("\x01\0", 2) + entry(0x0112, 3, 6) << 6;
    QTest::newRow("not EXIF") << QByteArray("http://ns.adobe.com/xap/1.0/\0<x/>", 34) << 1;
    QTest::newRow("EXIF name only") << exif << 1;
    QTest::newRow("bad byte order") << exif + QByteArray("XX\x2A\0\x08\0\0\0\x01\0", 10) + entry(0x0112, 3, 6) << 1;
    QTest::newRow("bad magic") << exif + QByteArray("II\x2B\0\x08\0\0\0\x01\0", 10) + entry(0x0112, 3, 6) << 1;
    QTest::newRow("directory past the end") << exif + QByteArray("II\x2A\0\xFF\xFF\xFF\x7F", 8) << 1;
    QTest::newRow("directory at the very end") << header << 1;
    QTest::newRow("more entries than bytes") << header + QByteArray("\xFF\xFF", 2) + entry(0x0100, 3, 6) << 1;
    QTest::newRow("entry cut short") << header + QByteArray("\x01\0", 2) + entry(0x0112, 3, 6).left(9) << 1;
    QTest::newRow("orientation 0") << header + QByteArray("\x01\0", 2) + entry(0x0112, 3, 0) << 1;
    QTest::newRow("orientation 9") << header + QByteArray("\x01\0", 2) + entry(0x0112, 3, 9) << 1;
    QTest::newRow("orientation as text") << header + QByteArray("\x01\0", 2) + entry(0x0112, 2, 6) << 1;
}

void PictureImportTest::malformedExifMeansUpright()
{
    QFETCH(QByteArray, payload);
    QFETCH(int, orientation);
    QCOMPARE(exifOrientation(reinterpret_cast<const unsigned char*>(payload.constData()), size_t(payload.size())),
             orientation);
}

void PictureImportTest::refusesWhatIsNotAJpeg_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    quarters(40, 30).save(&buffer, "PNG");
    QByteArray random(4096, Qt::Uninitialized);
    unsigned seed = 7;
    for (char& c : random) {
        seed = seed * 1103515245u + 12345u;
        c = char(seed >> 16);
    }
    const QByteArray jpeg = makeJpeg(photoLike(64, 64));

    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("PNG named .jpg") << png;
    QTest::newRow("random bytes") << random;
    QTest::newRow("text") << QByteArray("not a picture\n");
    QTest::newRow("start marker only") << QByteArray("\xFF\xD8", 2);
    QTest::newRow("tables without a frame") << jpeg.left(jpeg.indexOf("\xFF\xC0"));
}

void PictureImportTest::refusesWhatIsNotAJpeg()
{
    QFETCH(QByteArray, bytes);
    const QString message = failureOf(store(bytes));
    QVERIFY2(QRegularExpression(QStringLiteral("^JPEG error #\\d+$")).match(message).hasMatch(), qPrintable(message));
    const QString fromMemory = ::failureOf([&] { importJpegBytes(bytes); });
    QVERIFY2(QRegularExpression(QStringLiteral("^JPEG error #\\d+$")).match(fromMemory).hasMatch(),
             qPrintable(fromMemory));

    const QString missing = failureOf(m_dir.filePath(QStringLiteral("no such file.jpg")));
    QCOMPARE(missing, QStringLiteral("Не удалось открыть файл изображения «%1»: файл или папка не существует")
                          .arg(m_dir.filePath(QStringLiteral("no such file.jpg"))));
}

void PictureImportTest::truncatedFiles_data()
{
    // Where the file ends, what its top left and bottom left then show (an invalid colour: refused).
    QTest::addColumn<QString>("end");
    QTest::addColumn<QColor>("topLeft");
    QTest::addColumn<QColor>("bottomLeft");
    const QColor grey(128, 128, 128);
    QTest::newRow("inside the tables") << "tables" << QColor() << QColor();
    QTest::newRow("inside the frame header") << "frame" << QColor() << QColor();
    QTest::newRow("right after the scan header") << "scan" << grey << grey;
    QTest::newRow("half way through the data") << "half" << kQuarterColours[0] << grey;
    QTest::newRow("without the end marker") << "marker" << kQuarterColours[0] << kQuarterColours[2];
}

void PictureImportTest::truncatedFiles()
{
    QFETCH(QString, end);
    QFETCH(QColor, topLeft);
    QFETCH(QColor, bottomLeft);
    const QByteArray jpeg = makeJpeg(quarters(640, 480));
    const qsizetype scan = jpeg.indexOf("\xFF\xDA");
    const qsizetype scanData = scan + 2 + (uchar(jpeg[scan + 2]) << 8 | uchar(jpeg[scan + 3]));
    const QMap<QString, qsizetype> kept = {{QStringLiteral("tables"), 100},
                                           {QStringLiteral("frame"), jpeg.indexOf("\xFF\xC0") + 6},
                                           {QStringLiteral("scan"), scanData},
                                           {QStringLiteral("half"), (scanData + jpeg.size()) / 2},
                                           {QStringLiteral("marker"), jpeg.size() - 2}};
    const QString path = store(jpeg.left(kept.value(end)));
    if (!topLeft.isValid()) {
        const QString message = failureOf(path);
        QVERIFY2(QRegularExpression(QStringLiteral("^JPEG error #\\d+$")).match(message).hasMatch(),
                 qPrintable(message));
        return;
    }
    // What the file lacks is libjpeg's grey fill.
    const QImage image = toImage(importJpegFile(path));
    QCOMPARE(image.size(), QSize(300, 225));
    QVERIFY2(nearColour(image.pixelColor(10, 10), topLeft, 8), qPrintable(image.pixelColor(10, 10).name()));
    QVERIFY2(nearColour(image.pixelColor(10, 220), bottomLeft, 8), qPrintable(image.pixelColor(10, 220).name()));
}

namespace {

// The JPEG with its frame header's component sampling bytes (high nibble across, low down) replaced.
QByteArray withSampling(QByteArray jpeg, std::initializer_list<int> factors)
{
    qsizetype at = jpeg.indexOf("\xFF\xC0") + 11;
    for (int factor : factors) {
        jpeg[at] = char(factor);
        at += 3;
    }
    return jpeg;
}

// The bytes up to the scan's data, and how far the data runs (the end marker excluded).
qsizetype scanDataStart(const QByteArray& jpeg)
{
    const qsizetype scan = jpeg.indexOf("\xFF\xDA");
    return scan + 2 + (uchar(jpeg[scan + 2]) << 8 | uchar(jpeg[scan + 3]));
}

} // namespace

void PictureImportTest::checkGivesTheFullDecodesVerdict_data()
{
    // The verdict the full decode gives: empty when it reads the picture; and the EXIF orientation.
    QTest::addColumn<QByteArray>("jpeg");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<int>("orientation");
    const QImage photo = photoLike(40, 30);
    const auto kind = [](auto set) {
        JpegOptions options;
        set(options);
        return options;
    };
    const QByteArray baseline = makeJpeg(photo);
    const QByteArray progressive = makeJpeg(photo, kind([](JpegOptions& o) { o.progressive = true; }));
    QTest::newRow("baseline") << baseline << QString() << 1;
    QTest::newRow("4:2:0") << makeJpeg(photo, kind([](JpegOptions& o) { o.hSampling = o.vSampling = 2; })) << QString()
                           << 1;
    QTest::newRow("progressive") << progressive << QString() << 1;
    QTest::newRow("arithmetic") << makeJpeg(photo, kind([](JpegOptions& o) { o.arithmetic = true; })) << QString() << 1;
    QTest::newRow("arithmetic progressive") << makeJpeg(photo, kind([](JpegOptions& o) {
                                                            o.arithmetic = true;
                                                            o.progressive = true;
                                                        }))
                                            << QString() << 1;
    QTest::newRow("grayscale") << makeJpeg(photo,
                                           kind([](JpegOptions& o) { o.colour = JpegOptions::Colour::Grayscale; }))
                               << QString() << 1;
    QTest::newRow("RGB") << makeJpeg(photo, kind([](JpegOptions& o) { o.colour = JpegOptions::Colour::Rgb; }))
                         << QString() << 1;
    QTest::newRow("CMYK") << makeJpeg(photo, kind([](JpegOptions& o) { o.colour = JpegOptions::Colour::Cmyk; }))
                          << QString() << 1;
    QTest::newRow("YCCK progressive") << makeJpeg(photo, kind([](JpegOptions& o) {
                                                      o.colour = JpegOptions::Colour::Ycck;
                                                      o.progressive = true;
                                                  }))
                                      << QString() << 1;
    QTest::newRow("EXIF orientation 8") << makeJpeg(photo, kind([](JpegOptions& o) { o.exifOrientation = 8; }))
                                        << QString() << 8;

    QTest::newRow("empty") << QByteArray() << QStringLiteral("JPEG error #42") << 0;
    QTest::newRow("cut inside the tables") << baseline.left(100) << QStringLiteral("refused") << 0;
    QTest::newRow("cut inside the frame header")
        << baseline.left(baseline.indexOf("\xFF\xC0") + 6) << QStringLiteral("refused") << 0;
    // What a single scan lacks is filled in grey, with a warning only.
    QTest::newRow("cut right after the scan header") << baseline.left(scanDataStart(baseline)) << QString() << 1;
    QTest::newRow("cut half way through the data")
        << baseline.left((scanDataStart(baseline) + baseline.size()) / 2) << QString() << 1;
    QTest::newRow("progressive cut half way")
        << progressive.left((scanDataStart(progressive) + progressive.size()) / 2) << QString() << 1;
    // The full decode of a single scan stops at its last row and never reads what follows it; a
    // multi-scan picture is read to its end marker.
    QTest::newRow("a second start marker instead of the end marker")
        << baseline.left(baseline.size() - 2) + "\xFF\xD8" << QString() << 1;
    QTest::newRow("progressive, a second start marker instead of the end marker")
        << progressive.left(progressive.size() - 2) + "\xFF\xD8" << QStringLiteral("JPEG error #61") << 0;
    // Sampling factors 3 and 2 across: libjpeg reads the coefficients but cannot stretch the colours.
    QTest::newRow("sampling the decoder cannot stretch")
        << withSampling(baseline, {0x31, 0x21, 0x11}) << QStringLiteral("JPEG error #38") << 0;

    const QByteArray badTable = withImpossibleHuffmanTable(baseline);
    QTest::newRow("Huffman table that cannot be") << badTable << QStringLiteral("JPEG error #8") << 0;
}

// The committee checks a stored picture without making its pixels; it must refuse exactly what the
// editor's full decode refuses, with the same words.
void PictureImportTest::checkGivesTheFullDecodesVerdict()
{
    QFETCH(QByteArray, jpeg);
    QFETCH(QString, refusal);
    QFETCH(int, orientation);
    int decodedOrientation = 0;
    const QString decodeVerdict = ::failureOf([&] { decodedOrientation = decodeStoredJpeg(jpeg).orientation; });
    int checkedOrientation = 0;
    const QString checkVerdict = ::failureOf([&] { checkedOrientation = checkStoredJpeg(jpeg); });
    if (refusal == QLatin1String("refused"))
        QVERIFY2(QRegularExpression(QStringLiteral("^JPEG error #\\d+$")).match(decodeVerdict).hasMatch(),
                 qPrintable(decodeVerdict));
    else
        QCOMPARE(decodeVerdict, refusal);
    QCOMPARE(checkVerdict, decodeVerdict);
    QCOMPARE(decodedOrientation, orientation);
    QCOMPARE(checkedOrientation, orientation);
}

namespace {

QString tooLargeMessage(QSize size)
{
    return QStringLiteral("Изображение слишком большое: %1 x %2 точек. Выберите изображение меньшего размера")
        .arg(size.width())
        .arg(size.height());
}

QString tooLargeProgressiveMessage(QSize size)
{
    return QStringLiteral("Изображение слишком большое: %1 x %2 точек. Прогрессивный JPEG больше 200 мегапикселей "
                          "не помещается в память при чтении. Выберите изображение меньшего размера или сохраните "
                          "его как обычный (не прогрессивный) JPEG")
        .arg(size.width())
        .arg(size.height());
}

} // namespace

void PictureImportTest::absurdSizes_data()
{
    QTest::addColumn<bool>("progressive");
    QTest::addColumn<int>("sampling"); // 2: 4:2:0, 1: 4:4:4
    QTest::addColumn<QSize>("claimed");
    QTest::addColumn<QSize>("shown"); // empty: refused
    QTest::addColumn<QString>("refusal");
    QTest::newRow("65500 x 65500") << false << 2 << QSize(65500, 65500) << QSize() << tooLargeMessage({65500, 65500});
    QTest::newRow("just past the pixel limit")
        << false << 2 << QSize(40000, 25001) << QSize() << tooLargeMessage({40000, 25001});
    QTest::newRow("progressive 20000 x 20000")
        << true << 2 << QSize(20000, 20000) << QSize() << tooLargeProgressiveMessage({20000, 20000});
    QTest::newRow("progressive just past 200 MP")
        << true << 1 << QSize(20000, 10001) << QSize() << tooLargeProgressiveMessage({20000, 10001});
    // Its coefficients pass 256 MiB; it is an ordinary camera picture.
    QTest::newRow("progressive 48 MP, 4:4:4") << true << 1 << QSize(8000, 6000) << QSize(300, 225) << QString();
    QTest::newRow("progressive 12000 x 8000") << true << 2 << QSize(12000, 8000) << QSize(300, 200) << QString();
    QTest::newRow("30000 x 30000, read reduced") << false << 2 << QSize(30000, 30000) << QSize(300, 300) << QString();
    QTest::newRow("12000 x 10000") << false << 2 << QSize(12000, 10000) << QSize(300, 250) << QString();
    QTest::newRow("progressive 4000 x 3000") << true << 2 << QSize(4000, 3000) << QSize(300, 225) << QString();
}

void PictureImportTest::absurdSizes()
{
    QFETCH(bool, progressive);
    QFETCH(int, sampling);
    QFETCH(QSize, claimed);
    QFETCH(QSize, shown);
    QFETCH(QString, refusal);
    // A few hundred bytes that claim a huge picture: the data runs out at once.
    JpegOptions options;
    options.progressive = progressive;
    options.hSampling = options.vSampling = sampling;
    options.quality = 50;
    const QString path = store(withClaimedSize(makeJpeg(quarters(32, 32), options), claimed.width(), claimed.height()));
    if (shown.isEmpty()) {
        QCOMPARE(failureOf(path), refusal);
        return;
    }
    const RgbPicture imported = importJpegFile(path);
    QCOMPARE(QSize(imported.width, imported.height), shown);
}

void PictureImportTest::sizeLimits_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("components");
    QTest::addColumn<bool>("multiScan");
    QTest::addColumn<QString>("refusal"); // empty: read
    QTest::newRow("1 gigapixel, baseline") << QSize(40000, 25000) << 3 << false << QString();
    QTest::newRow("past 1 gigapixel, baseline") << QSize(40000, 25001) << 3 << false << tooLargeMessage({40000, 25001});
    QTest::newRow("200 MP progressive colour") << QSize(20000, 10000) << 3 << true << QString();
    QTest::newRow("200 MP progressive CMYK") << QSize(20000, 10000) << 4 << true << QString();
    QTest::newRow("past 200 MP progressive")
        << QSize(20000, 10001) << 3 << true << tooLargeProgressiveMessage({20000, 10001});
    QTest::newRow("past 200 MP baseline") << QSize(20000, 10001) << 3 << false << QString();
}

// The limits on the size a header claims; the coefficients as libjpeg keeps them at full
// resolution, blocks rounded up.
void PictureImportTest::sizeLimits()
{
    QFETCH(QSize, size);
    QFETCH(int, components);
    QFETCH(bool, multiScan);
    QFETCH(QString, refusal);
    const long long blocks = (size.width() + 7LL) / 8 * ((size.height() + 7LL) / 8);
    const long long coefficients = blocks * 64 * 2 * components;
    QCOMPARE(::failureOf([&] { checkImportable(size.width(), size.height(), multiScan, coefficients); }), refusal);
}

void PictureImportTest::decodeReductions_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QSize>("shown");
    QTest::addColumn<int>("reduction");
    QTest::newRow("48 MP") << QSize(8000, 6000) << QSize(300, 225) << 1;
    QTest::newRow("108 MP phone photo") << QSize(12000, 9000) << QSize(300, 225) << 1;
    QTest::newRow("200 MP") << QSize(20000, 10000) << QSize(300, 150) << 1;
    QTest::newRow("past 200 MP") << QSize(20000, 10001) << QSize(300, 151) << 2;
    QTest::newRow("1 gigapixel") << QSize(40000, 25000) << QSize(300, 188) << 4;
}

// Exact decoding, every pixel, wherever the memory and time allow: libjpeg's reduced decoding
// averages pixels where the stretch must take the nearest one.
void PictureImportTest::decodeReductions()
{
    QFETCH(QSize, size);
    QFETCH(QSize, shown);
    QFETCH(int, reduction);
    QCOMPARE(int(decodeReduction(size.width(), size.height(), shown.width(), shown.height())), reduction);
}

void PictureImportTest::encoderWritesBaselineColourQuality90_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("300x200") << QSize(300, 200);
    QTest::newRow("75x300") << QSize(75, 300);
    QTest::newRow("1x1") << QSize(1, 1);
    QTest::newRow("300x1") << QSize(300, 1);
}

void PictureImportTest::encoderWritesBaselineColourQuality90()
{
    QFETCH(QSize, size);
    const RgbPicture picture =
        importJpegFile(store(makeJpeg(quarters(size.width(), size.height()), JpegOptions{.quality = 100})));
    const DecodedJpeg written = decodeJpeg(encodePreviewJpeg(picture));

    QCOMPARE(written.startOfFrame, 0xC0);
    QCOMPARE(written.components, 3);
    QCOMPARE(written.colourSpace, int(JCS_YCbCr));
    QCOMPARE(written.image.size(), size);
    QCOMPARE(written.quantTables, standardQuantTables(90));
    const QImage original = toImage(picture);
    for (const QPoint& p :
         {QPoint(0, 0), QPoint(size.width() - 1, size.height() - 1), QPoint(size.width() / 4, size.height() / 4)})
        QVERIFY(nearColour(written.image.pixelColor(p), original.pixelColor(p), 12));
}

QTEST_MAIN(PictureImportTest)
#include "tst_picture_import.moc"
