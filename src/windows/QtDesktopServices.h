#pragma once

#include "core/shell/DesktopServices.h"

#include <QPointer>
#include <QWidget>

// The desktop services on Qt and the operating system; each concern in a file of its own.
class QtDesktopServices final : public DesktopServices
{
public:
    // Message boxes and file dialogs are owned by this window once it is set.
    void setOwner(QWidget* owner) { m_owner = owner; }

    // QtMessageBoxes.cpp
    Answer messageBox(const QString& text, const QString& caption, Icon icon, Buttons buttons) override;
    void plainMessage(const QString& text) override;
    int choiceBox(const QString& text, const QString& caption, const QStringList& buttons, int defaultButton) override;

    // QtDialogs.cpp
    bool showModal(QDialog& dialog) override;
    QString openPictureFile(const QString& filter) override;
    QString saveFile(const SaveDialogRequest& request) override;
    QString openPassportFile(const QString& title, const QString& filter) override;

    // QtFoldersAndBrowser.cpp
    QString tempFolder() override;
    QString draftFolder() override;
    QString dataFolder() override;
    void openDocument(const QString& folder, const QString& fileName) override;

    // QtClock.cpp
    void wait(int milliseconds) override;
    std::unique_ptr<DesktopTimer> timer(int milliseconds, std::function<void()> timeout) override;
    qint64 now() override;

    // QtFileOperations.cpp: the atomic write of core/shell/AtomicWrite.h
    bool fileExists(const QString& path) override;
    bool sameFile(const QString& first, const QString& second) override;
    void deleteFile(const QString& path) override;
    void writeFile(const QString& path, const QByteArray& bytes) override;
    void writeChosenFile(const QString& path, const QByteArray& bytes) override;
    QByteArray readFile(const QString& path, qint64 maxBytes) override;

private:
    QPointer<QWidget> m_owner;
};
