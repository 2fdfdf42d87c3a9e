#include "core/spelling/SpellChecker.h"

#include "core/spelling/UserWordList.h"
#include "core/spelling/WordSplitter.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <hunspell.hxx>
#include <iconv.h>
#include <map>
#include <mutex>
#include <string>

namespace {

// Hunspell reads these whole into memory; anything larger is not a dictionary.
constexpr qint64 kMaxDictionaryBytes = 64 * 1024 * 1024;
// The cache of answers is emptied when it grows past this.
constexpr qsizetype kMaxCachedAnswers = 20000;

const QChar kApostrophe(u'\'');
const QChar kRightQuote(u'\u2019');
const QChar kHyphen(u'-');
const QChar kNonBreakingHyphen(u'\u2011');
const QChar kSoftHyphen(u'\u00AD');
const QChar kStressMark(u'\u0301');

// The word with what does not change its spelling taken out.
QString plain(const QString& word)
{
    QString result;
    result.reserve(word.size());
    for (QChar c : word) {
        if (c == kStressMark || c == kSoftHyphen)
            continue;
        if (c == kNonBreakingHyphen)
            result += kHyphen;
        else if (c == kRightQuote)
            result += kApostrophe;
        else
            result += c;
    }
    return result;
}

enum class Script
{
    None,
    Cyrillic,
    Latin,
    Mixed,
    Other,
};

Script scriptOf(QStringView word)
{
    Script found = Script::None;
    for (QChar c : word) {
        if (!c.isLetter())
            continue;
        Script script = Script::Other;
        if (c.script() == QChar::Script_Cyrillic)
            script = Script::Cyrillic;
        else if (c.script() == QChar::Script_Latin)
            script = Script::Latin;
        if (found == Script::None)
            found = script;
        else if (found != script)
            return Script::Mixed;
    }
    return found;
}

// Text in the dictionary's own encoding and back, when that is not UTF-8.
class Recoder
{
public:
    explicit Recoder(const std::string& encoding)
    {
        if (encoding.empty() || QByteArray::fromStdString(encoding).toUpper() == "UTF-8")
            return;
        m_toDictionary = iconv_open(encoding.c_str(), "UTF-8");
        m_fromDictionary = iconv_open("UTF-8", encoding.c_str());
        m_usable = m_toDictionary != kNone && m_fromDictionary != kNone;
    }
    ~Recoder()
    {
        if (m_toDictionary != kNone)
            iconv_close(m_toDictionary);
        if (m_fromDictionary != kNone)
            iconv_close(m_fromDictionary);
    }
    Recoder(const Recoder&) = delete;
    Recoder& operator=(const Recoder&) = delete;

    bool isUtf8() const { return m_toDictionary == kNone && m_fromDictionary == kNone; }
    bool isUsable() const { return isUtf8() || m_usable; }

    std::optional<std::string> toDictionary(const QString& text) const
    {
        const QByteArray utf8 = text.toUtf8();
        if (isUtf8())
            return utf8.toStdString();
        return convert(m_toDictionary, utf8.toStdString());
    }

    QString fromDictionary(const std::string& text) const
    {
        if (isUtf8())
            return QString::fromStdString(text);
        const auto converted = convert(m_fromDictionary, text);
        return converted ? QString::fromStdString(*converted) : QString();
    }

private:
    static inline const iconv_t kNone = reinterpret_cast<iconv_t>(-1);

    static std::optional<std::string> convert(iconv_t converter, const std::string& text)
    {
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
        std::string input = text;
        std::string output(input.size() * 4 + 16, '\0');
        char* in = input.data();
        size_t inLeft = input.size();
        char* out = output.data();
        size_t outLeft = output.size();
        if (iconv(converter, &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1) || inLeft != 0)
            return std::nullopt;
        output.resize(output.size() - outLeft);
        return output;
    }

    iconv_t m_toDictionary = kNone;
    iconv_t m_fromDictionary = kNone;
    bool m_usable = false;
};

// The two files of a Hunspell dictionary: its affixes and its words.
struct DictionaryFiles
{
    DictionaryFiles(const QString& folder, const QString& name)
        : aff(folder + QLatin1Char('/') + name + QStringLiteral(".aff")),
          dic(folder + QLatin1Char('/') + name + QStringLiteral(".dic"))
    {}

    QFileInfo aff;
    QFileInfo dic;
};

} // namespace

struct SpellChecker::Dictionary
{
    Dictionary(const QByteArray& aff, const QByteArray& dic)
        : hunspell(aff.constData(), dic.constData()), recoder(hunspell.get_dict_encoding())
    {}

    // Read once per process: a second editor, as the tests make, reuses what the first one read.
    // One dictionary is read at a time: Hunspell sets up its shared character tables without a lock,
    // and two readers side by side raced there.
    static std::shared_ptr<Dictionary> shared(const QString& folder, const QString& name)
    {
        struct Read
        {
            std::mutex mutex;
            std::map<QString, std::shared_ptr<Dictionary>> dictionaries;
        };
        // Never freed, and so never waited for: a load abandoned when the editor closed may still
        // be using it while the process ends. Held from here, it is no leak to LeakSanitizer.
        static Read* const read = new Read;
        const DictionaryFiles files(folder, name);
        const QFileInfo& aff = files.aff;
        const QFileInfo& dic = files.dic;
        const QString key = QStringLiteral("%1:%2:%3:%4:%5")
                                .arg(aff.absoluteFilePath())
                                .arg(aff.size())
                                .arg(aff.lastModified().toMSecsSinceEpoch())
                                .arg(dic.size())
                                .arg(dic.lastModified().toMSecsSinceEpoch());
        const std::lock_guard<std::mutex> lock(read->mutex);
        const auto found = read->dictionaries.find(key);
        if (found != read->dictionaries.end())
            return found->second;
        return read->dictionaries.emplace(key, open(files)).first->second;
    }

    static std::unique_ptr<Dictionary> open(const DictionaryFiles& files)
    {
        const QFileInfo& aff = files.aff;
        const QFileInfo& dic = files.dic;
        for (const QFileInfo& file : {aff, dic}) {
            if (!file.isFile() || !file.isReadable() || file.size() == 0 || file.size() > kMaxDictionaryBytes)
                return nullptr;
        }
        auto dictionary = std::make_unique<Dictionary>(QFile::encodeName(aff.absoluteFilePath()),
                                                       QFile::encodeName(dic.absoluteFilePath()));
        if (!dictionary->recoder.isUsable())
            return nullptr;
        return dictionary;
    }

    bool spell(const QString& word)
    {
        const auto encoded = recoder.toDictionary(word);
        return encoded && hunspell.spell(*encoded);
    }

    QStringList suggest(const QString& word)
    {
        QStringList result;
        const auto encoded = recoder.toDictionary(word);
        if (!encoded)
            return result;
        for (const std::string& suggestion : hunspell.suggest(*encoded)) {
            const QString text = recoder.fromDictionary(suggestion);
            if (!text.isEmpty() && !result.contains(text))
                result << text;
        }
        return result;
    }

    Hunspell hunspell;
    Recoder recoder;
};

SpellChecker::SpellChecker(const QString& dictionaryFolder, const QString& userListPath) : m_userListPath(userListPath)
{
    m_russian = Dictionary::shared(dictionaryFolder, QStringLiteral("ru_RU"));
    m_english = Dictionary::shared(dictionaryFolder, QStringLiteral("en_US"));
    const QStringList words = UserWordList::read(userListPath);
    m_userWords = QSet<QString>(words.begin(), words.end());
}

SpellChecker::~SpellChecker() = default;

bool SpellChecker::hasDictionaries() const
{
    return m_russian || m_english;
}

SpellChecker::Dictionary* SpellChecker::dictionaryFor(const QString& word) const
{
    switch (scriptOf(word)) {
    case Script::Cyrillic:
        return m_russian.get();
    case Script::Latin:
        return m_english.get();
    default:
        return nullptr;
    }
}

bool SpellChecker::isKnown(const QString& word)
{
    const auto cached = m_known.constFind(word);
    if (cached != m_known.constEnd())
        return *cached;
    if (m_known.size() >= kMaxCachedAnswers)
        m_known.clear();
    const bool known = lookUp(word);
    m_known.insert(word, known);
    return known;
}

bool SpellChecker::lookUp(const QString& word)
{
    if (m_userWords.contains(word) || m_ignored.contains(word))
        return true;
    const QString lower = word.toLower();
    if (m_userWords.contains(lower) || m_ignored.contains(lower))
        return true;

    const QString text = plain(word);
    const Script script = scriptOf(text);
    // Another alphabet has no dictionary here; a word mixing Cyrillic and Latin letters inside one
    // part is a typo on the wrong keyboard layout.
    if (script == Script::Other || script == Script::None)
        return true;
    if (script != Script::Mixed) {
        Dictionary* dictionary = dictionaryFor(text);
        if (!dictionary)
            return true;
        if (dictionary->spell(text))
            return true;
    }
    // A compound like "USB-флешка": each part in its own language.
    if (!text.contains(kHyphen))
        return false;
    const QStringList parts = text.split(kHyphen);
    for (const QString& part : parts) {
        if (part.isEmpty())
            return false;
        if (isAbbreviation(part) || scriptOf(part) == Script::Other)
            continue;
        Dictionary* dictionary = dictionaryFor(part);
        if (scriptOf(part) == Script::Mixed)
            return false;
        if (dictionary && !dictionary->spell(part))
            return false;
    }
    return true;
}

QStringList SpellChecker::suggestions(const QString& word, int limit)
{
    Dictionary* dictionary = dictionaryFor(plain(word));
    if (!dictionary || word.size() > kMaxCheckedWordLength)
        return {};
    QStringList result = dictionary->suggest(plain(word));
    if (result.size() > limit)
        result.resize(limit);
    return result;
}

bool SpellChecker::addToUserList(const QString& word)
{
    m_userWords.insert(word);
    m_known.clear();
    return UserWordList::append(m_userListPath, word);
}

void SpellChecker::ignore(const QString& word)
{
    m_ignored.insert(word);
    m_known.clear();
}
