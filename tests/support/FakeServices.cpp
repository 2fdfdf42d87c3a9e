#include "FakeServices.h"

#include "core/draft/DraftStore.h"
#include "core/people/PeopleMemory.h"
#include "core/shell/AppInfo.h"

#include <QDir>

namespace {

// The next scripted answer; none left is recorded, and answered as a cancel would be.
template <typename T>
T takeAnswer(std::deque<T>& queue, QStringList& unexpected, const QString& what, T cancel)
{
    if (queue.empty()) {
        unexpected.append(QStringLiteral("unscripted ") + what);
        return cancel;
    }
    T answer = std::move(queue.front());
    queue.pop_front();
    return answer;
}

} // namespace

// A timer on the fake clock of elapse().
class FakeServices::Timer final : public DesktopTimer
{
public:
    Timer(FakeServices& services, int milliseconds, std::function<void()> timeout)
        : m_services(services), m_interval(milliseconds), m_timeout(std::move(timeout))
    {
        m_services.m_timers.append(this);
    }
    ~Timer() override { m_services.m_timers.removeOne(this); }
    void start() override { m_due = m_services.m_elapsedMs + m_interval; }
    void stop() override { m_due = -1; }

    qint64 due() const { return m_due; }
    void fire()
    {
        m_due = -1;
        m_timeout();
    }

private:
    FakeServices& m_services;
    int m_interval;
    std::function<void()> m_timeout;
    qint64 m_due = -1;
};

FakeServices::FakeServices()
{
    // The folder exists only once m_dir, the last member, does.
    draftFolderPath = m_dir.path() + QStringLiteral("/state/lumarinda-passport");
    dataFolderPath = m_dir.path() + QStringLiteral("/data/lumarinda-passport");
}

FakeServices::~FakeServices() = default;

int FakeServices::choiceBox(const QString& text, const QString& caption, const QStringList& buttons, int defaultButton)
{
    choices.append({text, caption, buttons, defaultButton});
    if (whileModal)
        whileModal();
    return takeAnswer(choiceAnswers, unexpected, QStringLiteral("choice: ") + text, defaultButton);
}

QString FakeServices::draftFolder()
{
    return prepareDraftFolder(draftFolderPath);
}

QString FakeServices::dataFolder()
{
    return preparePeopleFolder(dataFolderPath);
}

std::unique_ptr<DesktopTimer> FakeServices::timer(int milliseconds, std::function<void()> timeout)
{
    return std::make_unique<Timer>(*this, milliseconds, std::move(timeout));
}

void FakeServices::elapse(int milliseconds)
{
    const qint64 end = m_elapsedMs + milliseconds;
    for (;;) {
        Timer* next = nullptr;
        for (Timer* timer : m_timers) {
            if (timer->due() >= 0 && timer->due() <= end && (!next || timer->due() < next->due()))
                next = timer;
        }
        if (!next)
            break;
        m_elapsedMs = next->due();
        next->fire();
    }
    m_elapsedMs = end;
}

DesktopServices::Answer FakeServices::messageBox(const QString& text, const QString& caption, Icon icon,
                                                 Buttons buttons)
{
    messages.append({text, caption, icon, buttons, false});
    if (whileModal)
        whileModal();
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return takeAnswer(answers, unexpected, QStringLiteral("question: ") + text, Answer::No);
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
    const auto script = takeAnswer<std::function<bool(QDialog&)>>(
        modalScripts, unexpected, QStringLiteral("modal dialog"), [](QDialog&) { return false; });
    return script(dialog);
}

QString FakeServices::openPictureFile(const QString& filter)
{
    openFilters.append(filter);
    if (whileModal)
        whileModal();
    return takeAnswer(openFileAnswers, unexpected, QStringLiteral("open dialog"), QString());
}

QString FakeServices::saveFile(const SaveDialogRequest& request)
{
    saveRequests.append(request);
    if (whileModal)
        whileModal();
    return takeAnswer(saveFileAnswers, unexpected, QStringLiteral("save dialog"), QString());
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

void FakeServices::writeChosenFile(const QString& path, const QByteArray& bytes)
{
    if (writeHook)
        writeHook(path, bytes);
    m_real.writeChosenFile(path, bytes);
    writtenFiles.append(path);
}

QByteArray FakeServices::readFile(const QString& path, qint64 maxBytes)
{
    return m_real.readFile(path, maxBytes);
}
