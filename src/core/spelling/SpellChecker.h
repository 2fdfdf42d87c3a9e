#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>

// Russian and English spell checking over Hunspell dictionaries, with the user's own word list.
// Words in Cyrillic are looked up in Russian, words in Latin letters in English. Not thread-safe:
// build it on any thread, then use it and every other checker on one.
class SpellChecker
{
public:
    static constexpr int kMaxSuggestions = 5;

    // Reads "ru_RU" and "en_US" from the folder and the user's list from its path; whatever is
    // missing, too large or unreadable is left out without a word. Takes a noticeable time.
    SpellChecker(const QString& dictionaryFolder, const QString& userListPath);
    ~SpellChecker();
    SpellChecker(const SpellChecker&) = delete;
    SpellChecker& operator=(const SpellChecker&) = delete;

    // At least one dictionary could be read.
    bool hasDictionaries() const;

    bool isKnown(const QString& word);
    QStringList suggestions(const QString& word, int limit = kMaxSuggestions);

    // Known from now on, in this run and the later ones; false when the list could not be written
    // (the word is known for this run all the same).
    bool addToUserList(const QString& word);
    // Known for this run only.
    void ignore(const QString& word);

private:
    struct Dictionary;
    Dictionary* dictionaryFor(const QString& word) const;
    bool lookUp(const QString& word);

    std::shared_ptr<Dictionary> m_russian;
    std::shared_ptr<Dictionary> m_english;
    QString m_userListPath;
    QSet<QString> m_userWords;
    QSet<QString> m_ignored;
    QHash<QString, bool> m_known;
};
