#include "core/spelling/WordSplitter.h"

#include <QRegularExpression>

namespace {

const QChar kApostrophe(u'\'');
const QChar kRightQuote(u'\u2019');
const QChar kHyphen(u'-');
const QChar kNonBreakingHyphen(u'\u2011');
const QChar kSoftHyphen(u'\u00AD');

bool isJoiner(QChar c)
{
    return c == kHyphen || c == kNonBreakingHyphen || c == kApostrophe || c == kRightQuote || c == kSoftHyphen;
}

bool isWordCharacter(QChar c)
{
    return c.isLetterOrNumber() || c.isMark() || isJoiner(c);
}

// What lies around a word in running text: brackets, quotes and punctuation.
bool isWrapping(QChar c)
{
    return !c.isLetterOrNumber() && c != u'/' && c != u'@' && c != u'_';
}

bool isAddress(QStringView run)
{
    while (!run.isEmpty() && isWrapping(run.front()))
        run = run.mid(1);
    while (!run.isEmpty() && isWrapping(run.back()))
        run.chop(1);
    if (run.contains(u'@') || run.contains(u"://") || run.startsWith(u"www.", Qt::CaseInsensitive))
        return true;
    // A domain or a file name: dotted labels ending in a lower-case label of two letters or more.
    static const QRegularExpression dotted(
        QStringLiteral(R"(^[\p{L}\p{N}_-]+(\.[\p{L}\p{N}_-]+)*\.\p{Ll}{2,}([:/?#].*)?$)"),
        QRegularExpression::UseUnicodePropertiesOption);
    return dotted.match(run).hasMatch();
}

} // namespace

bool isAbbreviation(QStringView word)
{
    int letters = 0;
    for (QChar c : word) {
        if (c.isLetter()) {
            if (!c.isUpper())
                return false;
            ++letters;
        }
    }
    return letters >= 2;
}

QList<WordSpan> wordsToCheck(const QString& text)
{
    QList<WordSpan> words;
    const qsizetype size = text.size();
    qsizetype runStart = 0;
    while (runStart < size) {
        while (runStart < size && text.at(runStart).isSpace())
            ++runStart;
        qsizetype runEnd = runStart;
        while (runEnd < size && !text.at(runEnd).isSpace())
            ++runEnd;
        const QStringView run = QStringView(text).mid(runStart, runEnd - runStart);
        if (!run.isEmpty() && !isAddress(run)) {
            qsizetype i = runStart;
            while (i < runEnd) {
                if (!isWordCharacter(text.at(i))) {
                    ++i;
                    continue;
                }
                qsizetype start = i;
                while (i < runEnd && isWordCharacter(text.at(i)))
                    ++i;
                qsizetype end = i;
                // Hyphens and apostrophes join letters; at either end they are punctuation.
                while (start < end && isJoiner(text.at(start)))
                    ++start;
                while (end > start && isJoiner(text.at(end - 1)))
                    --end;
                const QStringView word = QStringView(text).mid(start, end - start);
                int letters = 0;
                bool digits = false;
                for (QChar c : word) {
                    letters += c.isLetter() ? 1 : 0;
                    digits = digits || c.isNumber();
                }
                if (letters >= 2 && !digits && !isAbbreviation(word) && word.size() <= kMaxCheckedWordLength)
                    words.append({start, end - start});
            }
        }
        runStart = runEnd;
    }
    return words;
}

std::optional<WordSpan> wordAt(const QString& text, qsizetype position)
{
    for (const WordSpan& word : wordsToCheck(text)) {
        if (word.start <= position && position <= word.end())
            return word;
        if (word.start > position)
            break;
    }
    return std::nullopt;
}
