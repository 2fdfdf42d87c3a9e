#pragma once

#include "core/shell/DesktopServices.h"

#include <QPointer>
#include <QWidget>

// The desktop services on Qt and the operating system.
class QtDesktopServices final : public DesktopServices
{
public:
    // Message boxes and file dialogs are owned by this window once it is set.
    void setOwner(QWidget* owner) { m_owner = owner; }

    Answer messageBox(const QString& text, const QString& caption, Icon icon, Buttons buttons) override;
    void plainMessage(const QString& text) override;
    bool showModal(QDialog& dialog) override;
    QString openPictureFile(const QString& filter) override;
    QString saveFile(const SaveDialogRequest& request) override;
    QString openPassportFile(const QString& title, const QString& filter) override;
    QString tempFolder() override;
    void openDocument(const QString& folder, const QString& fileName) override;
    void wait(int milliseconds) override;
    qint64 now() override;
    bool fileExists(const QString& path) override;
    void deleteFile(const QString& path) override;
    void writeFile(const QString& path, const QByteArray& bytes) override;
    QByteArray readFile(const QString& path, qint64 maxBytes) override;

private:
    QPointer<QWidget> m_owner;
};
