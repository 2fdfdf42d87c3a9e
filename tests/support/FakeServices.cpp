#include "FakeServices.h"

#include "core/shell/AppInfo.h"

#include <QDir>

FakeServices::FakeServices() = default;

DesktopServices::Answer FakeServices::messageBox(const QString& text, const QString& caption, Icon icon,
                                                 Buttons buttons)
{
    messages.append({text, caption, icon, buttons, false});
    if (whileModal)
        whileModal();
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    if (answers.empty()) {
        unexpected.append(QStringLiteral("unscripted question: ") + text);
        return Answer::No;
    }
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

void FakeServices::plainMessage(const QString& text)
{
    messages.append({text, kApplicationTitle, Icon::None, Buttons::Ok, true});
    if (whileModal)
        whileModal();
}

bool FakeServices::showModal(QDialog& dialog)
{
    ++modalShown;
    if (whileModal)
        whileModal();
    if (modalScripts.empty()) {
        unexpected.append(QStringLiteral("unscripted modal dialog"));
        return false;
    }
    auto script = std::move(modalScripts.front());
    modalScripts.pop_front();
    return script(dialog);
}

QString FakeServices::openPictureFile(const QString& filter)
{
    openFilters.append(filter);
    if (whileModal)
        whileModal();
    if (openFileAnswers.empty()) {
        unexpected.append(QStringLiteral("unscripted open dialog"));
        return {};
    }
    const QString answer = openFileAnswers.front();
    openFileAnswers.pop_front();
    return answer;
}

QString FakeServices::saveFile(const SaveDialogRequest& request)
{
    saveRequests.append(request);
    if (whileModal)
        whileModal();
    if (saveFileAnswers.empty()) {
        unexpected.append(QStringLiteral("unscripted save dialog"));
        return {};
    }
    const QString answer = saveFileAnswers.front();
    saveFileAnswers.pop_front();
    return answer;
}

QString FakeServices::openPassportFile(const QString& title, const QString& filter)
{
    openPassportRequests.append({title, filter});
    if (whileModal)
        whileModal();
    if (openPassportAnswers.empty()) {
        unexpected.append(QStringLiteral("unscripted passport open dialog"));
        return {};
    }
    const QString answer = openPassportAnswers.front();
    openPassportAnswers.pop_front();
    return answer;
}

QString FakeServices::tempFolder()
{
    if (tempFolderFailure)
        tempFolderFailure();
    if (tempFolderOverride)
        return *tempFolderOverride;
    const QString path = m_dir.path() + QStringLiteral("/temp/");
    QDir().mkpath(path);
    return path;
}

void FakeServices::openDocument(const QString& folder, const QString& fileName)
{
    openedDocuments.append({folder, fileName});
}

void FakeServices::wait(int milliseconds)
{
    waits.append(milliseconds);
    if (waitHook)
        waitHook(milliseconds);
}

bool FakeServices::fileExists(const QString& path)
{
    return existsOverride ? existsOverride(path) : m_real.fileExists(path);
}

void FakeServices::deleteFile(const QString& path)
{
    deletedFiles.append(path);
    m_real.deleteFile(path);
}

void FakeServices::writeFile(const QString& path, const QByteArray& bytes)
{
    if (writeHook)
        writeHook(path, bytes);
    m_real.writeFile(path, bytes);
    writtenFiles.append(path);
}

QByteArray FakeServices::readFile(const QString& path, qint64 maxBytes)
{
    return m_real.readFile(path, maxBytes);
}
