#include "core/spelling/SpellCheckerLoader.h"

#include "core/spelling/SpellChecker.h"

#include <QThread>

SpellCheckerLoader::SpellCheckerLoader(QObject* parent) : QObject(parent) {}

SpellCheckerLoader::~SpellCheckerLoader()
{
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
    }
}

void SpellCheckerLoader::start(const QString& dictionaryFolder, const QString& userListPath)
{
    if (m_thread)
        return;
    m_result = std::make_shared<std::shared_ptr<SpellChecker>>();
    auto result = m_result;
    m_thread = QThread::create([result, dictionaryFolder, userListPath] {
        *result = std::make_shared<SpellChecker>(dictionaryFolder, userListPath);
    });
    m_thread->setObjectName(QStringLiteral("spelling"));
    // The thread has ended when this arrives, so its result is complete and no longer touched.
    connect(m_thread, &QThread::finished, this, [this] {
        m_checker = *m_result;
        emit finished();
    });
    m_thread->start(QThread::LowPriority);
}
