#include "core/picture/JpegImport.h"
#include "windows/PictureImage.h"
#include "windows/PicturePreview.h"
#include "windows/QtDesktopServices.h"

#include <QAbstractItemView>
#include <QDialog>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLineEdit>
#include <QLocale>

namespace {

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
