#pragma once

#include "core/shell/DesktopServices.h"

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <functional>

class QFileDialog;

// The desktop services on Qt and the operating system.
class QtDesktopServices final : public DesktopServices
{
public:
    // Message boxes and file dialogs are owned by this window once it is set.
    void setOwner(QWidget* owner) { m_owner = owner; }

    Answer messageBox(const QString& text, const QString& caption, Icon icon, Buttons buttons) override;
    void plainMessage(const QString& text) override;
    int choiceBox(const QString& text, const QString& caption, const QStringList& buttons, int defaultButton) override;
    bool showModal(QDialog& dialog) override;
    QString openPictureFile(const QString& filter) override;
    QString saveFile(const SaveDialogRequest& request) override;
    QString openPassportFile(const QString& title, const QString& filter) override;
    QString tempFolder() override;
    QString draftFolder() override;
    QString dataFolder() override;
    void openDocument(const QString& folder, const QString& fileName) override;
    void wait(int milliseconds) override;
    std::unique_ptr<DesktopTimer> timer(int milliseconds, std::function<void()> timeout) override;
    qint64 now() override;
    bool fileExists(const QString& path) override;
    bool sameFile(const QString& first, const QString& second) override;
    void deleteFile(const QString& path) override;
    void writeFile(const QString& path, const QByteArray& bytes) override;
    void writeChosenFile(const QString& path, const QByteArray& bytes) override;
    QByteArray readFile(const QString& path, qint64 maxBytes) override;

private:
    QPointer<QWidget> m_owner;
};

// The open dialog's preview: a label beside the file list with the picture under the cursor as
// load gives it. A picture it cannot load leaves the label empty; anything else that goes wrong
// is shown in the standard error box, and the dialog stays open.
void attachPicturePreview(QFileDialog& dialog, DesktopServices& services, std::function<QImage(const QString&)> load);
