#include "windows/QtDesktopServices.h"

#include "core/draft/DraftStore.h"
#include "core/people/PeopleMemory.h"
#include "core/picture/JpegImport.h"
#include "core/picture/ShownSize.h"
#include "core/shell/AppInfo.h"
#include "core/shell/Failure.h"
#include "core/shell/SystemReason.h"
#include "core/shell/TempFolder.h"
#include "windows/ErrorBox.h"
#include "windows/PictureImage.h"

#include <QAbstractItemView>
#include <QDateTime>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QIdentityProxyModel>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <cerrno>

namespace {

QMessageBox::Icon toQt(DesktopServices::Icon icon)
{
    switch (icon) {
    case DesktopServices::Icon::Error:
        return QMessageBox::Critical;
    case DesktopServices::Icon::Warning:
        return QMessageBox::Warning;
    case DesktopServices::Icon::Information:
        return QMessageBox::Information;
    case DesktopServices::Icon::Question:
        return QMessageBox::Question;
    case DesktopServices::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

Failure cannotCreate(const QString& path, const QString& reason)
{
    return Failure(QStringLiteral("Cannot create file \"%1\". %2").arg(QDir::toNativeSeparators(path), reason), reason);
}

// A save dialog that adds its default suffix to every name lacking it, periods or not, before it
// asks about overwriting: Qt's own adds it only to a name without any period, and would ask about
// "Итог." while "Итог..qdx.xml" is written.
class SuffixedSaveDialog : public QFileDialog
{
public:
    using QFileDialog::QFileDialog;

    void accept() override
    {
        const QString suffix = u'.' + defaultSuffix();
        const QStringList files = selectedFiles();
        auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (edit && !files.isEmpty() && !QFileInfo(files.constFirst()).isDir() &&
            !files.constFirst().endsWith(suffix, Qt::CaseInsensitive) && !edit->text().isEmpty())
            edit->setText(edit->text() + suffix);
        QFileDialog::accept();
    }
};

// The file list's sizes and dates in Russian: Qt writes them in the desktop's locale, which need
// not be Russian, and its Russian for a few bytes reads "12 байты".
class LocalisedFileColumns final : public QIdentityProxyModel
{
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (!files || role != Qt::DisplayRole || (index.column() != kSizeColumn && index.column() != kDateColumn))
            return QIdentityProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        const QLocale russian(QLocale::Russian, QLocale::Russia);
        if (index.column() == kDateColumn)
            return russian.toString(files->lastModified(source), QLocale::ShortFormat);
        if (files->isDir(source))
            return QIdentityProxyModel::data(index, role);
        const qint64 bytes = files->size(source);
        if (bytes >= 1024)
            return russian.formattedDataSize(bytes, 2, QLocale::DataSizeTraditionalFormat);
        const bool fewBytes = bytes % 10 >= 2 && bytes % 10 <= 4 && (bytes % 100 < 12 || bytes % 100 > 14);
        return QStringLiteral("%1 %2").arg(bytes).arg(fewBytes ? QStringLiteral("байта") : QStringLiteral("байт"));
    }

private:
    static constexpr int kSizeColumn = 1;
    static constexpr int kDateColumn = 3;
};

// Puts the columns above into the dialog once it shows Qt's own widgets; a desktop's dialog has
// none of them and speaks the desktop's language.
class LocaliseFileColumnsOnShow final : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* dialog = qobject_cast<QFileDialog*>(watched);
        if (event->type() == QEvent::Show && dialog && !dialog->proxyModel() &&
            dialog->findChild<QAbstractItemView*>(QStringLiteral("treeView")))
            dialog->setProxyModel(new LocalisedFileColumns(dialog));
        return false;
    }
};

void localiseFileColumns(QFileDialog& dialog)
{
    dialog.installEventFilter(new LocaliseFileColumnsOnShow(&dialog));
}

} // namespace

void attachPicturePreview(QFileDialog& dialog, DesktopServices& services, std::function<QImage(const QString&)> load)
{
    auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
    if (!grid)
        return;
    auto* preview = new QLabel(&dialog);
    preview->setObjectName(QStringLiteral("picturePreview"));
    preview->setFrameShape(QFrame::Box);
    preview->setFixedSize(kPictureBox + 2, kPictureBox + 2);
    preview->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(preview, 0, grid->columnCount(), grid->rowCount(), 1, Qt::AlignTop);
    QObject::connect(&dialog, &QFileDialog::currentChanged, preview,
                     [preview, &services, load = std::move(load)](const QString& path) {
                         preview->clear();
                         if (!QFileInfo(path).isFile())
                             return;
                         runGuarded(services, [&] {
                             try {
                                 preview->setPixmap(QPixmap::fromImage(load(path)));
                             } catch (const Failure&) {
                                 // Not a picture we can read: the preview stays empty; choosing it
                                 // says why.
                             }
                         });
                     });
}

DesktopServices::Answer QtDesktopServices::messageBox(const QString& text, const QString& caption, Icon icon,
                                                      Buttons buttons)
{
    const auto standard = buttons == Buttons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok;
    QMessageBox box(toQt(icon), caption, text, standard, m_owner);
    const int pressed = box.exec();
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return pressed == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

int QtDesktopServices::choiceBox(const QString& text, const QString& caption, const QStringList& buttons,
                                 int defaultButton)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, m_owner);
    QList<QAbstractButton*> added;
    for (const QString& label : buttons)
        added.append(box.addButton(label, QMessageBox::ActionRole));
    if (defaultButton >= 0 && defaultButton < added.size()) {
        box.setDefaultButton(qobject_cast<QPushButton*>(added.at(defaultButton)));
        box.setEscapeButton(added.at(defaultButton));
    }
    box.exec();
    const qsizetype pressed = added.indexOf(box.clickedButton());
    return pressed >= 0 ? static_cast<int>(pressed) : defaultButton;
}

void QtDesktopServices::plainMessage(const QString& text)
{
    messageBox(text, kApplicationTitle, Icon::None, Buttons::Ok);
}

bool QtDesktopServices::showModal(QDialog& dialog)
{
    return dialog.exec() == QDialog::Accepted;
}

QString QtDesktopServices::openPictureFile(const QString& filter)
{
    // Qt's own dialog on every desktop: it has room for the preview, matches the patterns without
    // regard to case (cameras write ".JPG") and shows the filter's name exactly as given.
    QFileDialog dialog(m_owner);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    localiseFileColumns(dialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(filter);
    attachPicturePreview(dialog, *this, [](const QString& path) { return toImage(importJpegFile(path)); });
    // Room for the list, the preview and the whole filter name.
    dialog.resize(dialog.sizeHint().expandedTo(QSize(860, 460)));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString QtDesktopServices::saveFile(const SaveDialogRequest& request)
{
    // Qt's own dialog, whose accept() adds the suffix; a desktop's dialog would ask about
    // overwriting the name without it.
    SuffixedSaveDialog dialog(m_owner, request.title);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    localiseFileColumns(dialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("%1 (%2)").arg(request.filterDescription, request.filterPattern));
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.folder.isEmpty() && QFileInfo(request.folder).isDir())
        dialog.setDirectory(request.folder);
    dialog.selectFile(request.proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString QtDesktopServices::tempFolder()
{
    return privateTempFolder();
}

QString QtDesktopServices::draftFolder()
{
    return privateDraftFolder();
}

QString QtDesktopServices::dataFolder()
{
    return preparePeopleFolder(peopleFolderPath());
}

void QtDesktopServices::openDocument(const QString& folder, const QString& fileName)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QDir(folder).filePath(fileName)));
}

void QtDesktopServices::wait(int milliseconds)
{
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}

namespace {

class QtTimer final : public DesktopTimer
{
public:
    QtTimer(int milliseconds, std::function<void()> timeout)
    {
        m_timer.setSingleShot(true);
        m_timer.setInterval(milliseconds);
        QObject::connect(&m_timer, &QTimer::timeout, std::move(timeout));
    }
    void start() override { m_timer.start(); }
    void stop() override { m_timer.stop(); }

private:
    QTimer m_timer;
};

} // namespace

std::unique_ptr<DesktopTimer> QtDesktopServices::timer(int milliseconds, std::function<void()> timeout)
{
    return std::make_unique<QtTimer>(milliseconds, std::move(timeout));
}

qint64 QtDesktopServices::now()
{
    return QDateTime::currentSecsSinceEpoch();
}

bool QtDesktopServices::fileExists(const QString& path)
{
    return QFileInfo(path).isFile();
}

bool QtDesktopServices::sameFile(const QString& first, const QString& second)
{
    const QString canonical = QFileInfo(first).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(second).canonicalFilePath();
}

void QtDesktopServices::deleteFile(const QString& path)
{
    QFile::remove(path);
}

namespace {

// Written beside the target and renamed over it, so a failure never leaves half a file. Failures
// name the path the caller gave.
void replaceWhole(const QString& target, const QString& shownPath, const QByteArray& bytes)
{
    QSaveFile file(target);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        // Qt words a read-only file in a sentence of its own rather than the system's reason.
        const QFileInfo existing(target);
        throw cannotCreate(shownPath, existing.exists() && !existing.isWritable() ? systemReason(EACCES)
                                                                                  : systemReason(file.errorString()));
    }
    const auto writeFailure = [&] {
        const QString reason = systemReason(file.errorString());
        return Failure(
            QStringLiteral("Ошибка записи файла \"%1\". %2").arg(QDir::toNativeSeparators(shownPath), reason), reason);
    };
    // A short write (a full disk) is no error to Qt, and commit() would then put a truncated file
    // in place of the old one: write until everything is out, and flush before committing. A
    // flush that got only part of the buffer out fails without a reason; its retry names it.
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0)
            throw writeFailure();
        done += written;
    }
    if (!file.flush() && !file.flush())
        throw writeFailure();
    if (!file.commit())
        throw writeFailure();
}

// The system's own limit on links in a row.
constexpr int kMaxLinkHops = 40;

} // namespace

void QtDesktopServices::writeFile(const QString& path, const QByteArray& bytes)
{
    // A symbolic link at the path is replaced, never followed: QSaveFile would write through it.
    if (QFileInfo(path).isSymLink())
        QFile::remove(path);
    replaceWhole(path, path, bytes);
}

void QtDesktopServices::writeChosenFile(const QString& path, const QByteArray& bytes)
{
    // Resolved here, link by link, so that a dangling link gets its target created rather than
    // replaced by a plain file.
    QString target = path;
    for (int hop = 0; QFileInfo(target).isSymLink(); ++hop) {
        if (hop == kMaxLinkHops)
            throw cannotCreate(path, systemReason(ELOOP));
        target = QFileInfo(target).symLinkTarget();
    }
    replaceWhole(target, path, bytes);
}

QByteArray QtDesktopServices::readFile(const QString& path, qint64 maxBytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(maxBytes);
}

QString QtDesktopServices::openPassportFile(const QString& title, const QString& filter)
{
    QFileDialog dialog(m_owner, title);
    localiseFileColumns(dialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(filter);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
