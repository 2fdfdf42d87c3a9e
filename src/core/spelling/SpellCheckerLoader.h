#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QThread;
class SpellChecker;

// Builds a SpellChecker on a thread of its own, since reading the Russian dictionary takes a
// noticeable time, and reports when it is done.
class SpellCheckerLoader : public QObject
{
    Q_OBJECT

public:
    explicit SpellCheckerLoader(QObject* parent = nullptr);
    // Waits for a load under way.
    ~SpellCheckerLoader() override;

    void start(const QString& dictionaryFolder, const QString& userListPath);
    // After finished(): the checker, which may hold no dictionary.
    std::shared_ptr<SpellChecker> checker() const { return m_checker; }

signals:
    void finished();

private:
    QThread* m_thread = nullptr;
    std::shared_ptr<std::shared_ptr<SpellChecker>> m_result;
    std::shared_ptr<SpellChecker> m_checker;
};
