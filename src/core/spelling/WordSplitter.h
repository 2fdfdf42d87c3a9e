#pragma once

#include <QList>
#include <QString>
#include <QStringView>
#include <optional>

// A piece of a text, in UTF-16 units.
struct WordSpan
{
    qsizetype start = 0;
    qsizetype length = 0;

    qsizetype end() const { return start + length; }
    bool operator==(const WordSpan&) const = default;
};

// Longer words are not checked: a lookup, let alone suggestions, grows fast with the length.
inline constexpr qsizetype kMaxCheckedWordLength = 48;

// The words of a text worth checking: words with digits, all-capital abbreviations, single letters,
// e-mail and web addresses and file names are left out. A hyphenated word is one word.
QList<WordSpan> wordsToCheck(const QString& text);
// The word to check that the position touches (at its start, inside or at its end), if any.
std::optional<WordSpan> wordAt(const QString& text, qsizetype position);
// Two capital letters or more and no small one.
bool isAbbreviation(QStringView word);
