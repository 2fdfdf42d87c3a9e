#include "core/spelling/SpellCheckerLoader.h"

#include "core/spelling/SpellChecker.h"

#include <mutex>
#include <pthread.h>
#include <thread>

// Shared by the loader and its thread; whichever lets go last frees it.
struct SpellCheckerLoader::Load
{
    std::mutex mutex;
    // Cleared by the loader's destructor: nobody wants the result any more.
    SpellCheckerLoader* owner = nullptr;
    std::shared_ptr<SpellChecker> result;
};

SpellCheckerLoader::SpellCheckerLoader(QObject* parent) : QObject(parent) {}

SpellCheckerLoader::~SpellCheckerLoader()
{
    if (!m_load)
        return;
    const std::lock_guard<std::mutex> lock(m_load->mutex);
    m_load->owner = nullptr;
}

void SpellCheckerLoader::start(const QString& dictionaryFolder, const QString& userListPath)
{
    if (m_load)
        return;
    m_load = std::make_shared<Load>();
    m_load->owner = this;
    // Detached, holding only what it owns, so that closing never waits for the dictionaries: a
    // process ending while they load simply takes the thread with it.
    std::thread thread([load = m_load, dictionaryFolder, userListPath] {
        pthread_setname_np(pthread_self(), "spelling");
        auto checker = std::make_shared<SpellChecker>(dictionaryFolder, userListPath);
        const std::lock_guard<std::mutex> lock(load->mutex);
        if (!load->owner)
            return;
        load->result = std::move(checker);
        // The owner cannot go while the lock is held; should it go before the call arrives, Qt
        // drops the call with it.
        QMetaObject::invokeMethod(
            load->owner, [owner = load->owner, load] { owner->take(*load); }, Qt::QueuedConnection);
    });
    thread.detach();
}

void SpellCheckerLoader::take(Load& load)
{
    {
        const std::lock_guard<std::mutex> lock(load.mutex);
        m_checker = std::move(load.result);
    }
    emit finished();
}
