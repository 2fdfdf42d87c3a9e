#include "windows/PicturePreview.h"

#include "core/picture/ShownSize.h"
#include "core/shell/Failure.h"
#include "windows/ErrorBox.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>

void attachPicturePreview(QFileDialog& dialog, MessageBoxes& messages, std::function<QImage(const QString&)> load)
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
                     [preview, &messages, load = std::move(load)](const QString& path) {
                         preview->clear();
                         if (!QFileInfo(path).isFile())
                             return;
                         runGuarded(messages, [&] {
                             try {
                                 preview->setPixmap(QPixmap::fromImage(load(path)));
                             } catch (const Failure&) {
                                 // Not a picture we can read: the preview stays empty; choosing it
                                 // says why.
                             }
                         });
                     });
}
