#pragma once

#include <QImage>
#include <QString>
#include <functional>

class MessageBoxes;
class QFileDialog;

// The picture open dialog's preview: a label beside the file list with the picture under the
// cursor as load gives it. A picture it cannot load leaves the label empty; anything else that
// goes wrong is shown in the standard error box, and the dialog stays open, since the preview
// runs inside the dialog's own loop.
void attachPicturePreview(QFileDialog& dialog, MessageBoxes& messages, std::function<QImage(const QString&)> load);
