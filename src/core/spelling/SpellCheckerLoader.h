#pragma once

#include <QObject>
#include <QString>
#include <memory>

class SpellChecker;

// Builds a SpellChecker on a thread of its own, since reading the Russian dictionary takes a
// noticeable time, and reports when it is done.
class SpellCheckerLoader : public QObject
{
    Q_OBJECT

public:
    explicit SpellCheckerLoader(QObject* parent = nullptr);
    // Returns at once: a load under way is abandoned and ends on its own, freeing what it built;
    // finished() never comes.
    ~SpellCheckerLoader() override;

    void start(const QString& dictionaryFolder, const QString& userListPath);
    // After finished(): the checker, which may hold no dictionary.
    std::shared_ptr<SpellChecker> checker() const { return m_checker; }

signals:
    void finished();

private:
    struct Load;
    void take(Load& load);

    std::shared_ptr<Load> m_load;
    std::shared_ptr<SpellChecker> m_checker;
};
