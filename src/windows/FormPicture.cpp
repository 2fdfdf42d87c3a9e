// The picture page: adding the work's illustration and removing it.

#include "core/picture/Base64.h"
#include "core/picture/JpegEncode.h"
#include "core/picture/JpegImport.h"
#include "core/picture/ShownSize.h"
#include "core/shell/DesktopServices.h"
#include "core/shell/Failure.h"
#include "core/shell/TempFolder.h"
#include "ui_Form.h"
#include "windows/FieldColours.h"
#include "windows/Form.h"
#include "windows/PictureImage.h"

#include <limits>

namespace {

// Qt shows the text before the last parentheses (the dialog hides the details) and matches the
// patterns inside them.
const QString kPictureFilter = QStringLiteral("JPEG Image File (*.jpg;*.jpeg) (*.jpg *.jpeg)");
constexpr int kBase64GroupsPerLine = 19;
// Far beyond any 300 x 300 JPEG: the file is read whole, never cut short.
constexpr qint64 kReadBackLimit = 16 << 20;

const QString kWriteFailed = QStringLiteral("Ошибка записи файла изображения работы во временную папку");
const QString kReadFailed = QStringLiteral("Ошибка чтения файла изображения работы из временной папки");

// The caption, the two buttons and what a screen reader says of the area follow the picture.
void setPicturePresent(Ui::TPasport& ui, bool present)
{
    const QSize shown = ui.WorkImg->bitmap().size();
    ui.WorkImg->setAccessibleDescription(
        present ? QStringLiteral("Изображение %1 x %2 точек").arg(shown.width()).arg(shown.height())
                : QStringLiteral("Изображение не выбрано"));
    ui.WorkImgSign->setEnabled(present);
    if (!present)
        ui.WorkImgSign->clear();
    setFieldColour(ui.WorkImgSign, present ? FieldColour::Window : FieldColour::MenuBar);
    ui.DelImg->setEnabled(present);
    ui.AddImg->setEnabled(!present);
}

} // namespace

void TPasport::connectPictureHandlers()
{
    // The encoded picture runs to tens of thousands of characters, past a line edit's default limit.
    m_ui->ImgBase64->setMaxLength(std::numeric_limits<int>::max());
    // Never shown, yet a line edit lays its text out on every change: tens of milliseconds for the
    // encoded picture, on each import, opening and restored draft. Echoing nothing lays out nothing.
    m_ui->ImgBase64->setEchoMode(QLineEdit::NoEcho);
    // The caption has no limit of its own; a line edit's default would cut a pasted one.
    m_ui->WorkImgSign->setMaxLength(std::numeric_limits<int>::max());
    connect(m_ui->AddImg, &QPushButton::clicked, this, [this] { runHandler(&TPasport::AddImgClick); });
    connect(m_ui->DelImg, &QPushButton::clicked, this, [this] { runHandler(&TPasport::DelImgClick); });
}

void TPasport::AddImgClick()
{
    const QString chosen = m_services.openPictureFile(kPictureFilter);
    if (chosen.isEmpty())
        return;

    // Whatever can refuse the picture runs before the page changes.
    const RgbPicture picture = importJpegFile(chosen);
    const QByteArray jpeg = encodePreviewJpeg(picture);
    const QString tempPath = m_services.tempFolder() + kPreviewPictureName;

    const QImage previousBitmap = m_ui->WorkImg->bitmap();
    const QString previousText = m_ui->ImgBase64->text();
    m_ui->WorkImg->setBitmap(toImage(picture));
    setPicturePresent(*m_ui, true);
    try {
        if (m_services.fileExists(tempPath))
            m_services.deleteFile(tempPath);
        m_services.writeFile(tempPath, jpeg);
        if (!m_services.fileExists(tempPath))
            throw Failure(kWriteFailed);
        const QByteArray stored = m_services.readFile(tempPath, kReadBackLimit + 1);
        if (stored.isEmpty() || stored.size() > kReadBackLimit)
            throw Failure(kReadFailed);
        m_ui->ImgBase64->setText(QString::fromLatin1(Base64Encode(stored, kBase64GroupsPerLine)));
    } catch (...) {
        // A present picture without its encoded text would reach the passport as garbage, so the
        // page goes back to how it was.
        m_ui->WorkImg->setBitmap(previousBitmap);
        setPicturePresent(*m_ui, false);
        m_ui->ImgBase64->setText(previousText);
        throw;
    }
}

void TPasport::DelImgClick()
{
    m_ui->WorkImg->clear(QSize(kPictureBox, kPictureBox));
    setPicturePresent(*m_ui, false);
    m_ui->ImgBase64->setText(QString());
}

// The page as an import of this picture leaves it, its encoded text as given: a picture that came
// from a passport file is never encoded again, so saving it again loses nothing.
void TPasport::showLoadedPicture(const QImage& bitmap, const QString& base64, const QString& caption)
{
    m_ui->WorkImg->setBitmap(bitmap);
    setPicturePresent(*m_ui, true);
    m_ui->ImgBase64->setText(base64);
    m_ui->WorkImgSign->setText(caption);
}

// No picture and a blank area; the start-up state draws its hint on it.
void TPasport::clearPicturePage()
{
    m_ui->WorkImg->clear(QSize(kPictureBox, kPictureBox));
    setPicturePresent(*m_ui, false);
    m_ui->ImgBase64->setText(QString());
}
